// The default-associations file of Windows' policy "Set a default associations configuration
// file" (Group Policy) and its Intune twin: the XML that `Dism /Online
// /Export-DefaultAppAssociations` writes, naming Veltrano's file type for each extension. Windows
// applies it at sign-in on the PCs of a domain; the file types it names must be registered there
// (machine-wide, see RegistrationScope.h).
#pragma once

#include "catalogue/ExtensionCatalogue.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct PolicyOptions {
    // Version="N" on the root element: Windows 11 22H2 and later apply a suggested association
    // once per version.
    std::optional<unsigned long> version;
    // Suggested="true" on every association: applied once, and the user may change it; without
    // it Windows applies the association at every sign-in.
    bool suggested = false;
};

// The file's text: UTF-8 without byte-order mark, CR LF line ends, one Association element per
// entry in their order (Identifier ".ext", ProgId VTEXTFile, ApplicationName Veltrano), the five
// XML special characters escaped wherever they occur.
std::string PolicyFileText(const std::vector<ExtensionEntry>& entries,
                           const PolicyOptions& options);

// Writes the text to `path` whole or not at all: into a new file in the same folder, which then
// replaces the target. ERROR_SUCCESS, or the system's error code of the step that failed; the
// target is then as it was, and no new file is left behind.
DWORD WritePolicyFile(const std::wstring& path, const std::string& text);

// The text with &, <, >, " and ' written as XML entities.
std::wstring XmlEscaped(const std::wstring& text);
