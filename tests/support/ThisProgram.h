// Test support: the running test program's path and folder, to start a copy of it or find what
// lies beside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::wstring ThisProgram() {
    std::vector<wchar_t> path(32768);
    return std::wstring(path.data(),
                        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
}

// The folder of this test program, ending with "\".
inline std::wstring ThisProgramsFolder() {
    const std::wstring program = ThisProgram();
    return program.substr(0, program.rfind(L'\\') + 1);
}
