// Test support: this thread's message queue, emptied or searched without a message loop.
#pragma once

#include <windows.h>

// Takes everything off this thread's queue unhandled (a destroyed window's quit message would end
// the next modal loop at once); true when a quit message was among it, its code in quitCode.
inline bool DrainMessages(WPARAM* quitCode = nullptr) {
    bool quit = false;
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
        if (message.message == WM_QUIT && !quit && quitCode != nullptr) {
            *quitCode = message.wParam;
        }
        quit = quit || message.message == WM_QUIT;
    }
    return quit;
}

// Takes the first message of the kind (WM_CLOSE, say) waiting for the window off the queue into
// taken, for the test to dispatch as the loop would; false when none waits.
inline bool TakeMessage(HWND window, UINT kind, MSG* taken = nullptr) {
    MSG message;
    return PeekMessageW(taken ? taken : &message, window, kind, kind, PM_REMOVE) != FALSE;
}
