#include "catalogue/ExtensionGate.h"

#include "common/AsciiCase.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

namespace {

// Types that Windows starts, runs, installs or follows as a program or a link, whatever the
// system's own list says (it may be out of date, or answer nothing).
const wchar_t* const kProgramTypes[] = {
    L"exe",        L"com",       L"scr",     L"pif",         L"bat",       L"cmd",
    L"lnk",        L"url",       L"website", L"msi",         L"msp",       L"mst",
    L"reg",        L"inf",       L"cpl",     L"dll",         L"sys",       L"js",
    L"jse",        L"vbs",       L"vbe",     L"wsf",         L"wsh",       L"ps1",
    L"psm1",       L"hta",       L"msc",     L"application", L"appref-ms", L"settingcontent-ms",
    L"library-ms", L"search-ms",
};

bool IsProgramType(const std::wstring& extension) {
    for (const wchar_t* type : kProgramTypes) {
        if (EqualIgnoringAsciiCase(extension, type)) {
            return true;
        }
    }
    return AssocIsDangerous((L"." + extension).c_str()) != FALSE;
}

// Characters that no file name holds, and blanks, which Explorer trims from names.
bool IsForbiddenCharacter(wchar_t c) {
    return c < 0x20 || c == L' ' || c == 0x7F || std::wcschr(L"\\/:*?\"<>|", c) != nullptr;
}

} // namespace

std::wstring WithoutLeadingFullStop(std::wstring extension) {
    if (!extension.empty() && extension.front() == L'.') {
        extension.erase(0, 1);
    }
    return extension;
}

const wchar_t* ExtensionRefusal(const std::wstring& extension) {
    if (extension.empty()) {
        return L"The extension is empty.";
    }
    if (extension.front() == L'.') {
        return L"The extension begins with more than one full stop.";
    }
    for (const wchar_t c : extension) {
        if (IsForbiddenCharacter(c)) {
            return L"The extension holds a blank or a character that file names cannot hold.";
        }
    }
    if (IsProgramType(extension)) {
        return L"Files of this type are programs, not media.";
    }
    return nullptr;
}
