// Writes, under HKEY_CURRENT_USER only, the file type (ProgID) of one extension and the Explorer
// user choice that points the extension at it, and makes Veltrano known to the system's Default
// apps as a handler of the extension.
#pragma once

#include <string>

// Registers one extension. A registry failure is shown in an error box (no owner, the system's
// text for the error, the failing operation as caption) and stops this extension's remaining
// steps; what was written before stays. Returns true only when every step completed.
// Besides the file type and the user choice it writes, once those are complete, the file type's
// name under Software\Classes\.ext\OpenWithProgids and the extension among Veltrano's file
// associations (Software\Clients\Media\Veltrano\Capabilities\FileAssociations).
bool RegisterExtension(std::wstring extension, std::wstring iconFile, std::wstring iconIndex,
                       std::wstring playerPath, bool shellExtension);

// The name under which Veltrano is registered with Default apps.
inline constexpr wchar_t kApplicationName[] = L"Veltrano";

// Registers Veltrano with Default apps: its capabilities (name, description, icon) and its entry
// under Software\RegisteredApplications. Failures are shown as in RegisterExtension. Returns true
// when every value was written.
bool RegisterApplication(const std::wstring& playerPath);
