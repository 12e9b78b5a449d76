// Test support: answers the real open-file dialog of a process the way a user would, by typing
// a file name into it and pressing its Open button.
#pragma once

#include <windows.h>

#include <string>

// What the dialog showed before it was answered.
struct OpenFileDialogSeen {
    HWND dialog = nullptr;
    HWND owner = nullptr;
    std::wstring fileType; // the selected entry of the "Files of type" box
};

// Waits for the open-file dialog of the process (a visible dialog window with a file-name edit
// field), types `fileName` into that field, presses Open and waits until the dialog is gone.
// False when no dialog appeared or it did not go within the time.
bool AnswerOpenFileDialog(DWORD processId, const std::wstring& fileName,
                          OpenFileDialogSeen* seen = nullptr, DWORD timeoutMs = 30000);
