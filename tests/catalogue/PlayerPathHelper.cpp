// Started by the catalogue tests from copies placed in chosen folders: writes the player path it
// computes, in UTF-8 without a line end, to its standard output.
#include "catalogue/ExtensionCatalogue.h"

#include <windows.h>

#include <string>

int main() {
    const std::wstring path = ComputePlayerPath();
    const int length = static_cast<int>(path.size());
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    const int bytes = path.empty()
                          ? 0
                          : WideCharToMultiByte(CP_UTF8, 0, path.data(), length, &utf8[0],
                                                static_cast<int>(utf8.size()), nullptr, nullptr);
    if (bytes == 0 && !path.empty()) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(),
                              static_cast<DWORD>(bytes), &written, nullptr);
    return ok && written == static_cast<DWORD>(bytes) ? 0 : 1;
}
