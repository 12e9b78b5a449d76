// Icon files and extensions from outside (definition files, other software's registry values,
// dialogs) with the sentence that tells the user why each is refused; nullptr: accepted.
// N: is a network drive in the test prefix (scripts/wine-session maps it), K: is no drive.
#pragma once

#include <string>
#include <vector>

// The reason as the tests compare it.
inline std::wstring Verdict(const wchar_t* reason) {
    return reason ? reason : L"(accepted)";
}

struct GateCase {
    std::wstring text;
    const wchar_t* reason;
    // A definition file refuses the text as a statement's field for the same reason (a relative
    // icon file is first put into the file's folder).
    bool sameInIdf = true;
};

inline constexpr wchar_t kOtherComputer[] = L"The icon file is on another computer.";
inline constexpr wchar_t kDevice[] = L"The icon file names a device, not a file.";
inline constexpr wchar_t kNotFullPath[] =
    L"The icon file is not given as a full path on a drive of this computer, such as "
    L"C:\\Icons\\media.ico.";
inline constexpr wchar_t kComma[] = L"The icon file's path holds a comma.";
inline constexpr wchar_t kProgram[] = L"Files of this type are programs, not media.";
inline constexpr wchar_t kBadCharacter[] =
    L"The extension holds a blank or a character that file names cannot hold.";

inline const GateCase kIconFileCases[] = {
    {L"\\\\192.0.2.5\\icons\\x.ico", kOtherComputer},
    {L"\\\\?\\UNC\\192.0.2.5\\icons\\x.ico", kOtherComputer},
    {L"\\\\192.0.2.5@SSL@443\\x.ico", kOtherComputer},
    {L"N:\\x.ico", kOtherComputer},
    {L"K:\\x.ico", L"The icon file's drive is not a drive of this computer."},
    {L"//192.0.2.5/icons/x.ico", kOtherComputer, false},
    {L"\\\\.\\C:\\x.ico", kDevice},
    {L"C:\\Icons\\CON.ico", kDevice},
    {L"C:\\Icons\\nul", kDevice},
    {L"C:\\Icons\\PRN.dll", kDevice},
    {L"C:\\Icons\\aux .ico", kDevice},
    {L"C:\\Icons\\COM1.ico", kDevice},
    {L"C:\\Icons\\LPT\u00B9.ico", kDevice},
    {L"C:\\Icons\\CONOUT$", kDevice},
    {L"C:\\Icons\\COM10.ico", nullptr},
    {L"C:\\Icons\\console.ico", nullptr},
    {L"C:\\x\\COM1,y", kComma},
    {L"\\\\?\\C:\\x.ico", kNotFullPath},
    {L"\\x.ico", kNotFullPath},
    {L"C:x.ico", kNotFullPath},
    {L"x.ico", kNotFullPath, false},
    {L"http://192.0.2.5/x.ico", L"The icon file is given as a web address."},
    {L"C:\\a.txt:x", L"The icon file's path holds a colon after its drive letter."},
    {L"C:\\" + std::wstring(257, L'a'), L"The icon file's path is longer than 259 characters."},
    {L"", nullptr},
    {L"C:\\" + std::wstring(256, L'a'), nullptr},
};

// Taken as a definition file gives them: one leading full stop is dropped first. One row per
// character that file names cannot hold, and per type that Windows runs as a program.
inline std::vector<GateCase> ExtensionCases() {
    std::vector<GateCase> cases = {
        {L"", L"The extension is empty."},
        {L"..mkv", L"The extension begins with more than one full stop."},
        {L".mkv", nullptr},
        {L"dvr-ms", nullptr},
        {L"iso", nullptr},
    };
    for (const wchar_t c : std::wstring(L" \\/:*?\"<>|\t\x7F")) {
        cases.push_back({L"mk" + std::wstring(1, c) + L"v", kBadCharacter});
    }
    const std::wstring programs =
        L"exe com scr bat cmd lnk url msi reg js vbs ps1 hta settingcontent-ms scf chm hlp ps1xml "
        L"psc1 psd1 ws wsc sct shb shs xnk jar py pyw appx appxbundle msix msixbundle appinstaller "
        L"msu diagcab rdp searchconnector-ms theme themepack deskthemepack wsb xbap PS1 ";
    for (std::size_t at = 0, end; (end = programs.find(L' ', at)) != std::wstring::npos;
         at = end + 1) {
        cases.push_back({programs.substr(at, end - at), kProgram});
    }
    return cases;
}
