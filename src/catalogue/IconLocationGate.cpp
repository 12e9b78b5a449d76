#include "catalogue/IconLocationGate.h"

#include "common/AsciiCase.h"

#include <windows.h>

#include <string_view>

namespace {

constexpr wchar_t kOtherComputer[] = L"The icon file is on another computer.";
constexpr wchar_t kNotFullPath[] =
    L"The icon file is not given as a full path on a drive of this computer, such as "
    L"C:\\Icons\\media.ico.";

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Why a path that begins with two separators is refused: it names another computer
// (\\server\share, \\?\UNC\..., \\host@SSL@443\...), a device (\\.\...) or a file in a form that
// Windows passes on unchecked (\\?\C:\...).
const wchar_t* DoubleSeparatorRefusal(std::wstring_view path) {
    if (path.size() >= 4 && (path[2] == L'.' || path[2] == L'?') && IsSeparator(path[3])) {
        if (path[2] == L'.') {
            return L"The icon file names a device, not a file.";
        }
        const std::wstring_view rest = path.substr(4);
        if (StartsWithIgnoringAsciiCase(rest, L"UNC") && rest.size() > 3 && IsSeparator(rest[3])) {
            return kOtherComputer;
        }
        return kNotFullPath;
    }
    return kOtherComputer;
}

// Whether the last part of the path is one of the names that Windows gives to devices (CON, NUL,
// COM1, LPT1...), which stand for the device whatever extension follows them.
bool NamesDevice(std::wstring_view path) {
    std::wstring_view name = path.substr(path.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') {
        name.remove_suffix(1);
    }
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (EqualIgnoringAsciiCase(name, device)) {
            return true;
        }
    }
    if (name.size() == 4 &&
        (StartsWithIgnoringAsciiCase(name, L"COM") || StartsWithIgnoringAsciiCase(name, L"LPT"))) {
        const wchar_t digit = name[3];
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
}

} // namespace

const wchar_t* IconFileRefusal(const std::wstring& file) {
    return IconLocationGate().Refusal(file);
}

const wchar_t* IconLocationGate::Refusal(const std::wstring& file) {
    if (file.empty() || (!playerFile.empty() && file == playerFile)) {
        return nullptr;
    }
    if (file.size() >= 2 && IsSeparator(file[0]) && IsSeparator(file[1])) {
        return DoubleSeparatorRefusal(file);
    }
    if (file.find(L"://") != std::wstring::npos) {
        return L"The icon file is given as a web address.";
    }
    if (file.size() < 3 || !IsAsciiLetter(file[0]) || file[1] != L':' || file[2] != L'\\') {
        return kNotFullPath;
    }
    if (file.find(L':', 2) != std::wstring::npos) {
        return L"The icon file's path holds a colon after its drive letter.";
    }
    if (file.find(L',') != std::wstring::npos) {
        return L"The icon file's path holds a comma.";
    }
    if (file.size() >= MAX_PATH) {
        return L"The icon file's path is longer than 259 characters.";
    }
    unsigned& driveType = driveTypes[UpperAsciiChar(file[0]) - L'A'];
    if (driveType == 0) {
        const wchar_t root[] = {file[0], L':', L'\\', L'\0'};
        driveType = GetDriveTypeW(root) + 1;
    }
    switch (driveType - 1) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        break;
    case DRIVE_REMOTE:
        return kOtherComputer;
    default: // no drive has the letter now, or one of no known kind
        return L"The icon file's drive is not a drive of this computer.";
    }
    if (NamesDevice(file)) {
        return L"The icon file names a device, not a file.";
    }
    return nullptr;
}
