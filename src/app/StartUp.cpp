#include "app/StartUp.h"

HINSTANCE instanceHandle = nullptr;

bool CheckWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996) // GetVersionExW is deprecated, but it is what the gate asks.
#endif
    const BOOL ok = GetVersionExW(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
    return ok != 0 && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6;
}

int RunProgram(HINSTANCE hInstance, int /*nCmdShow*/) {
    instanceHandle = hInstance;
    if (!CheckWindowsVersion()) {
        MessageBoxW(nullptr, L"VT File Associations only runs on Windows Vista",
                    L"Wrong Windows Version", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
