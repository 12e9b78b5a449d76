// Names and texts of the registry layout that the registration writes and the association state
// reads back, below HKEY_CURRENT_USER.
#pragma once

#include <string>

inline constexpr wchar_t kClassesPath[] = L"Software\\Classes";
inline constexpr wchar_t kExplorerPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
inline constexpr wchar_t kFileExtsPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

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

// The open command of the file types: the player in quotation marks, a blank and "%L".
std::wstring OpenCommand(const std::wstring& playerPath);
