// A uxtheme.dll left beside the program: loaded into a process, it leaves the file
// "uxtheme-was-loaded" beside itself.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring self(path, GetModuleFileNameW(module, path, MAX_PATH));
    if (reason == DLL_PROCESS_ATTACH) {
        const std::wstring marker = self.substr(0, self.rfind(L'\\') + 1) + L"uxtheme-was-loaded";
        CloseHandle(
            CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}
