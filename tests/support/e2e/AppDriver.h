// Test support: runs vtassoc.exe as a separate process (or takes on one started elsewhere) and
// drives its main window the way a user would: waits for the window and its rows, reads and ticks
// rows, presses buttons, closes it and collects the exit code. List-view structures are placed in
// the program's own memory.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Waits until the condition holds; false when it still does not after the time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// "Z:" + the path with back-slashes: where Wine shows a file of the host's file system.
std::wstring WindowsPathOfHostFile(const std::string& hostPath);

// Runs the program with the arguments (after its quoted path) until it ends, or until the time
// runs out (then it is ended with exit code 1), and returns its exit code; 0xFFFFFFFF when it
// could not be started. With keepOutput false the child gets no standard handles. Under load
// Wine has been seen to refuse a process now and then: the start is tried a few times.
DWORD RunToExit(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                bool keepOutput);

// What a program that was run to its end wrote and returned.
struct ProgramOutput {
    DWORD exitCode = 0xFFFFFFFF; // 0xFFFFFFFF when it could not be started
    bool endedByItself = false;  // false: ended by the time-out
    std::string out, err;        // its standard output and error, byte for byte
};

// Runs the program with the arguments (after its quoted path) in the directory, its standard
// output and error each a pipe that is read here, and no standard input; a program that does not
// end within the time is ended.
ProgramOutput RunWithOutput(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& currentDirectory, DWORD timeoutMs);

// Runs the tests that the gtest filter selects in a test program (this one, or a copy of it) as
// RunToExit does, and returns its exit code: 0 when they all passed.
DWORD RunTests(const std::wstring& program, const std::wstring& filter, DWORD timeoutMs,
               bool keepOutput);

// A copy of a program, in the temporary folder under the given name, to which Wine reports the
// given Windows version ("winxp", "win7", "win10"...): Wine answers per program name. The copy and
// the setting go with the object; a player (an empty vtplayer.exe) lies beside it.
class ProgramCopy {
public:
    ProgramCopy(const std::wstring& program, const std::wstring& name, const wchar_t* version);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    bool Ready() const { return copied && configured; }
    // Has Wine prefer a DLL of that name (L"uxtheme") beside the copy to its own, for the copy
    // only, as Windows does for a DLL that is not one of its KnownDLLs.
    bool PreferNativeDll(const wchar_t* dll) const;
    const std::wstring& Path() const { return path; }

private:
    std::wstring defaults;
    std::wstring path;
    bool copied = false;
    bool configured = false;
};

class AppDriver {
public:
    AppDriver() = default;
    // Ends a program that is still running: closes its window, and terminates it if it does not
    // go within a few seconds.
    ~AppDriver();
    AppDriver(const AppDriver&) = delete;
    AppDriver& operator=(const AppDriver&) = delete;

    // Starts the program with the arguments (each quoted) in the directory (the current one when
    // empty). False when the process could not be created.
    bool Start(const std::wstring& program, const std::vector<std::wstring>& arguments = {},
               const std::wstring& currentDirectory = L"");
    // Takes on a program that was started elsewhere (by a script, say): waits until a main window
    // of any process is on the screen and opens that process. False on time-out.
    bool Attach(DWORD timeoutMs = 30000);
    DWORD ProcessId() const { return processId; }

    // Waits until the main window (class VTFileAssocRootWnd) is on the screen; nullptr on time-out.
    HWND WaitForWindow(DWORD timeoutMs = 30000);
    HWND MainWindow() const { return window; }
    // A control of the main window by its identifier: 0 list, 1 and 2 buttons, 3 check box.
    HWND Control(int id) const;

    // Waits until the list holds the given number of rows; false on time-out.
    bool WaitForRowCount(int rows, DWORD timeoutMs = 30000) const;
    int RowCount() const;
    std::wstring RowText(int row) const;
    std::vector<std::wstring> RowTexts() const;
    // The row of the text (".mkv"), or -1.
    int FindRow(const std::wstring& text) const;
    bool IsRowChecked(int row) const;
    // The bounds of a row in the list's client coordinates (LVIR_BOUNDS); empty on failure.
    RECT RowBounds(int row) const;
    bool SetRowChecked(int row, bool checked);

    // Opens the list's popup menu as a right click on the list's top left corner does, presses
    // Down the given number of times and Enter in it, and returns once the menu is gone, without
    // waiting for the command (it may show a modal box). False when no menu appeared.
    bool ChooseFromListMenu(int downPresses);

    // Brings the main window to the front and presses the keys as a user does, each held down
    // until the last is pressed (VK_SHIFT, VK_TAB is Shift+Tab): real input, whose key state the
    // program sees. Returns without waiting for what the keys do.
    bool PressKeys(std::initializer_list<WORD> keys) const;
    // The program's control with the keyboard focus; nullptr when none has it.
    HWND FocusedControl() const;
    // The list's focused row, -1 for none; the number of its selected rows.
    int FocusedRow() const;
    int SelectedRowCount() const;

    // Presses a button without waiting for what it does (it may show a modal box).
    void ClickButton(int id) const;
    bool IsButtonChecked(int id) const;

    // Presses a button and waits until the window has handled the press; false when that takes
    // more than a few seconds (the press started something that waits, such as a modal box).
    bool PressButton(int id) const;

    // Asks the main window to close (WM_CLOSE), as the close box does.
    void Close() const;
    // The same, or as the system menu's Close does (WM_SYSCOMMAND, SC_CLOSE), and waits until the
    // window has handled the request; false when that takes more than a few seconds.
    bool RequestClose(bool systemCommand) const;
    // Waits for the process to end; false on time-out. exitCode receives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);

private:
    LRESULT Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const;
    // Sends and tells whether the message was handled within a few seconds.
    bool Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const;

    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND window = nullptr;
};
