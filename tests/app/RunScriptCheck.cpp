// run_script_check ROW: the Windows half of RunScriptTest.sh. Takes on the main window that
// scripts/run started, waits until the list shows the row (".zzq"), closes the window and waits
// for the program to end. Exit code 0 when all of that happened, else 1 with the reason.
#include "support/MessageBoxWatcher.h"
#include "support/e2e/AppDriver.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        fwprintf(stderr, L"usage: run_script_check ROW\n");
        return 2;
    }
    const std::wstring row = argv[1];
    AppDriver app;
    if (!app.Attach()) {
        fwprintf(stderr, L"no main window appeared\n");
        return 1;
    }
    // A file that did not load shows a box before the rows; its text tells why.
    const MessageBoxWatcher boxes(MessageBoxWatcher::PressFirstButton, app.ProcessId());
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (app.FindRow(row) < 0) {
        if (!boxes.Seen().empty()) {
            fwprintf(stderr, L"the program showed a box: %ls\n", boxes.Seen()[0].text.c_str());
            return 1;
        }
        if (GetTickCount64() >= deadline) {
            fwprintf(stderr, L"the list shows no row %ls among its %d rows\n", row.c_str(),
                     app.RowCount());
            return 1;
        }
        Sleep(10);
    }
    app.Close();
    DWORD exitCode = 99;
    if (!app.WaitForExit(20000, exitCode) || exitCode != 0) {
        fwprintf(stderr, L"the program did not end with exit code 0 when its window was closed\n");
        return 1;
    }
    return 0;
}
