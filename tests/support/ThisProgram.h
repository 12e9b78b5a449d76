// Test support: the path of the running test program, to start a copy of it or find what lies
// beside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::wstring ThisProgram() {
    std::vector<wchar_t> path(32768);
    return std::wstring(path.data(),
                        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
}
