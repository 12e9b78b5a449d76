// The modal choices the main window asks the user for: the list's popup menu, the icon picker
// and the open-file dialog for IDF files. They sit behind one small interface so that the code
// around them can be driven without a person at the screen; the system implementation calls the
// real platform functions.
#pragma once

#include "app/FileChooser.h"

#include <windows.h>

// The open-file dialog comes from FileChooser, the interface through which the IDF loader asks.
class ModalPickers : public FileChooser {
public:
    // Shows the popup menu with its top-left corner at the screen point and returns the chosen
    // command identifier, or 0 when the menu was dismissed (TrackPopupMenu with TPM_RETURNCMD).
    virtual UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;

    // The shell's icon picker, opened on path (a buffer of pathSize characters) and *index.
    // Returns true when the user confirmed; path and *index then hold the choice.
    virtual bool PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) = 0;
};

// The real dialogs: TrackPopupMenu, PickIconDlg (shell32, exported only by ordinal 62) and
// GetOpenFileNameW.
class SystemPickers : public ModalPickers {
public:
    UINT TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
    bool PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) override;
    bool ChooseFile(OPENFILENAMEW& dialog) override;
};
