// The registry names that the registration writes and the probe, the association state and the
// removal read back, below HKEY_CURRENT_USER: one place for each, so that every reader finds what
// the writer wrote.
#pragma once

#include <string>

inline constexpr wchar_t kClassesPath[] = L"Software\\Classes";
inline constexpr wchar_t kExplorerPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
inline constexpr wchar_t kFileExtsPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// Keys below a file type's key.
inline constexpr wchar_t kDefaultIconKey[] = L"DefaultIcon";
inline constexpr wchar_t kOpenCommandKey[] = L"shell\\open\\command";

// Where Veltrano describes itself to Default apps, below HKEY_CURRENT_USER\Software.
inline constexpr wchar_t kCapabilitiesKey[] = L"Clients\\Media\\Veltrano\\Capabilities";
inline constexpr wchar_t kFileAssociationsKey[] =
    L"Clients\\Media\\Veltrano\\Capabilities\\FileAssociations";
inline constexpr wchar_t kRegisteredApplicationsKey[] = L"RegisteredApplications";
// The values of Capabilities that the registration writes.
inline constexpr wchar_t kApplicationNameValue[] = L"ApplicationName";
inline constexpr wchar_t kApplicationDescriptionValue[] = L"ApplicationDescription";
inline constexpr wchar_t kApplicationIconValue[] = L"ApplicationIcon";

// The file type (ProgID) of an extension: "VT" + the extension upper-cased + "File", e.g.
// VTMKVFile.
std::wstring FileTypeName(const std::wstring& extension);
// Software\Classes\VTEXTFile, and its DefaultIcon and shell\open\command keys.
std::wstring FileTypePath(const std::wstring& extension);
std::wstring DefaultIconPath(const std::wstring& extension);
std::wstring OpenCommandPath(const std::wstring& extension);
// Explorer's key of the extension: ...\Explorer\FileExts\.EXT.
std::wstring FileExtsPath(const std::wstring& extension);

// The open command of the file types: the player in quotation marks, a blank and "%L".
std::wstring OpenCommand(const std::wstring& playerPath);
