// Functions that the program looks up at run time instead of importing them: those a system
// library exports only by ordinal or not on every Windows version, and those of a library that is
// loaded only while it is needed.
#pragma once

#include <windows.h>

// The function `name` (or MAKEINTRESOURCEA(ordinal)) of a loaded module, as a pointer of the type
// Function; null when the module is null or does not export it.
template <class Function> Function ModuleFunction(HMODULE module, const char* name) {
    const FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    // Through a plain function pointer type: a direct cast between unrelated function pointer
    // types draws a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}
