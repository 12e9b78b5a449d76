#include "common/RegistryNames.h"

#include "common/AsciiCase.h"

std::wstring FileTypeName(const std::wstring& extension) {
    return L"VT" + UpperAscii(extension) + L"File";
}

std::wstring FileTypePath(const std::wstring& extension) {
    return std::wstring(kClassesPath) + L"\\" + FileTypeName(extension);
}

std::wstring DefaultIconPath(const std::wstring& extension) {
    return FileTypePath(extension) + L"\\" + kDefaultIconKey;
}

std::wstring OpenCommandPath(const std::wstring& extension) {
    return FileTypePath(extension) + L"\\" + kOpenCommandKey;
}

std::wstring FileExtsPath(const std::wstring& extension) {
    return std::wstring(kFileExtsPath) + L"\\." + UpperAscii(extension);
}

std::wstring OpenCommand(const std::wstring& playerPath) {
    return L"\"" + playerPath + L"\" \"%L\"";
}
