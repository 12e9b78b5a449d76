#include "catalogue/ExtensionGate.h"

#include "common/AsciiCase.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <string_view>

namespace {

// Types that Windows starts, runs, installs or follows as a program, whatever the system's own
// list says (it may be out of date, or answer nothing): programs, links, installers and packages,
// scripts and the help files that run them, and the shell's locations and settings, which it
// opens as commands. Disk images (iso, img, vhd) are not among them: players open them.
// Separated by blanks, with one at each end.
constexpr wchar_t kProgramTypes[] =
    L" exe com scr pif bat cmd lnk url website scf shb shs xnk rdp wsb cpl dll sys inf reg "
    L"msc application appref-ms xbap jar jnlp gadget msi msp mst msu appx appxbundle msix "
    L"msixbundle appinstaller diagcab js jse vb vbs vbe ws wsf wsh wsc sct hta chm hlp ps1 "
    L"ps1xml ps2 ps2xml psc1 psc2 psd1 psm1 msh msh1 msh2 mshxml msh1xml msh2xml py pyw pyc "
    L"pyo pyz pyzw settingcontent-ms library-ms search-ms searchconnector-ms theme "
    L"themepack deskthemepack ";

bool IsProgramType(const std::wstring& extension) {
    // An extension with a blank is refused before it is looked for here.
    if (std::wstring_view(kProgramTypes).find(L" " + LowerAscii(extension) + L" ") !=
        std::wstring_view::npos) {
        return true;
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
