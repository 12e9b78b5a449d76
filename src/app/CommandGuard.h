// One command of a window at a time. A command (a button's, a menu's, start-up's) may show modal
// boxes and dialogs, whose message loops hand the window its messages while the command waits.
// While it runs, the window starts no other command, and a request to close the window is kept
// until the command has finished: closing destroys the window object, which the command still
// uses when its box returns.
#pragma once

#include <windows.h>

class CommandGuard {
public:
    CommandGuard() = default;
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    // True while a command runs: a new command is then not started.
    bool Busy() const { return running > 0; }
    // For a close request (WM_CLOSE) that arrives now: true when a command runs, which keeps the
    // request for its end; false when the window may close at once.
    bool KeepCloseRequest();

    // Marks a command as running for the object's lifetime. When the last running command ends
    // and a close request was kept, the request is posted to the window again, so that the
    // window closes once control is back in a message loop, as the user asked.
    class Running {
    public:
        Running(CommandGuard& guard, HWND window);
        ~Running();
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        CommandGuard& guard;
        HWND window;
    };

    // Runs the command of the window, unless another one runs: the one place where the rule of
    // one command at a time is kept. Returns whether the command ran.
    template <class Command> bool RunUnlessBusy(HWND window, Command&& command) {
        if (Busy()) {
            return false;
        }
        const Running marked(*this, window);
        command();
        return true;
    }

private:
    int running = 0;
    bool closeKept = false;
};
