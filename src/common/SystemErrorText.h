// The system's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

// The system's text for a Win32 error code or an HRESULT, as the system words it (its line end
// included); empty when the system has none. Inserts such as "%1" stay as they are.
std::wstring SystemErrorText(DWORD code);

// The same text without its line end, for quoting inside a message of the program's own.
std::wstring SystemErrorPhrase(DWORD code);
