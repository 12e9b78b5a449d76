// Asking the user for a file to open. "Open IDF File" asks through this interface, so that a test
// can answer in place of a person; the main window's pickers (app/ModalPickers.h) extend it.
#pragma once

#include <windows.h>
#include <commdlg.h>

class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The open-file dialog as `dialog` describes it (GetOpenFileNameW). Returns true when the
    // user chose a file; its name is then in dialog.lpstrFile.
    virtual bool ChooseFile(OPENFILENAMEW& dialog) = 0;
};

// The system's open-file dialog.
class SystemFileChooser : public FileChooser {
public:
    bool ChooseFile(OPENFILENAMEW& dialog) override;
};
