// A uxtheme.dll that someone left in the folder from which the program is started. When it is
// loaded into a process, it leaves the file "uxtheme-was-loaded" beside itself.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH] = {};
        const std::wstring self(path, GetModuleFileNameW(module, path, MAX_PATH));
        const std::wstring marker = self.substr(0, self.rfind(L'\\') + 1) + L"uxtheme-was-loaded";
        CloseHandle(
            CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}
