// Test support: watches for the real message boxes of a process, reads what they show and
// answers them by pressing one of their buttons, the way a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct MessageBoxInfo {
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons; // ids of the visible buttons in order of their ids: IDOK, IDCANCEL..
    // MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION or MB_ICONQUESTION; 0 for no icon. Only
    // known for boxes of the watching process (icon handles are not comparable across processes).
    UINT icon = 0;
    bool iconKnown = false;
    HWND owner = nullptr;

    // The button part of the style (MB_OK, MB_OKCANCEL, MB_YESNO, ...) together with the icon.
    UINT Style() const;
};

class MessageBoxWatcher {
public:
    // Chooses the button to press for a box; the default presses the first of its buttons.
    using Answer = std::function<int(const MessageBoxInfo&)>;
    static int PressFirstButton(const MessageBoxInfo& box);

    // Starts watching the boxes of the given process (this one by default).
    explicit MessageBoxWatcher(Answer answer = PressFirstButton,
                               DWORD processId = GetCurrentProcessId());
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The boxes answered so far, in the order they appeared.
    std::vector<MessageBoxInfo> Seen() const;
    // Waits until at least count boxes have been answered; false when the time ran out.
    bool WaitForCount(std::size_t count, DWORD timeoutMs = 20000) const;

private:
    void Run();
    void Inspect(HWND dialog);

    Answer answer;
    DWORD processId;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    std::vector<MessageBoxInfo> seen;
    std::set<HWND> answered;
    std::thread worker;
};

// Finds a visible top-level window of the class in the process (any process when 0).
HWND FindProcessWindow(const wchar_t* className, DWORD processId = 0);

// Reads the text of a window of any process.
std::wstring WindowText(HWND window);
// The same; false (and text empty) when the window does not answer within a few seconds.
bool ReadWindowText(HWND window, std::wstring& text);
