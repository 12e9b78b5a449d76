// Writes, under HKEY_CURRENT_USER only, the file type (ProgID) of one extension and the Explorer
// user choice that points the extension at it.
#pragma once

#include <string>

// Registers one extension. A registry failure is shown in an error box (no owner, the system's
// text for the error, the failing operation as caption) and stops this extension's remaining
// steps; what was written before stays. Returns true only when every step completed.
bool RegisterExtension(std::wstring extension, std::wstring iconFile, std::wstring iconIndex,
                       std::wstring playerPath, bool shellExtension);
