// The yardstick for the start-up benchmark: the least a Win32 program does to show a window.
#include "app/BenchWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const HWND window =
        CreateBenchWindow(instance, L"VTBenchEmptyWnd", QuitOnDestroy, L"Empty", 400, 300);
    ShowWindow(window, show);
    return RunMessageLoop();
}
