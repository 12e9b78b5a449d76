// A DLL left beside the program under the name of a system DLL (uxtheme.dll, comdlg32.dll):
// loaded into a process, it leaves the file "<its name>-was-loaded" beside itself.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring self(path, GetModuleFileNameW(module, path, MAX_PATH));
    if (reason == DLL_PROCESS_ATTACH) {
        const std::wstring marker = self.substr(0, self.rfind(L'.')) + L"-was-loaded";
        CloseHandle(
            CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}
