// Entry point of vtassoc.exe.
#include "app/StartUp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, PWSTR /*lpCmdLine*/,
                    int nCmdShow) {
    return RunProgram(hInstance, nCmdShow);
}
