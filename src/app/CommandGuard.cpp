#include "app/CommandGuard.h"

bool CommandGuard::KeepCloseRequest() {
    if (!Busy()) {
        return false;
    }
    closeKept = true; // one request is enough, however many arrive
    return true;
}

CommandGuard::Running::Running(CommandGuard& guard, HWND window) : guard(guard), window(window) {
    ++guard.running;
}

CommandGuard::Running::~Running() {
    if (--guard.running == 0 && guard.closeKept) {
        guard.closeKept = false;
        // Posted, not carried out here: the command's caller still uses the window object.
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}
