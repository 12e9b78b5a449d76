// Which extensions the program takes from a definition file and registers: names that Explorer
// can give a file, and never a type that Windows runs as a program (an extension registered for
// the player would make every such program open the player instead).
#pragma once

#include <string>

// The extension without one leading full stop: people write ".mkv" and mean mkv.
std::wstring WithoutLeadingFullStop(std::wstring extension);

// Why the extension may not be registered, as one sentence for the user; nullptr when it may. The
// extension is taken as stored (after WithoutLeadingFullStop), in any case of its letters.
const wchar_t* ExtensionRefusal(const std::wstring& extension);
