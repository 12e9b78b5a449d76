#include "app/ModalPickers.h"

#include "common/ModuleFunction.h"

UINT SystemPickers::TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    return static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

bool SystemPickers::PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) {
    using PickIconDlgFunction = int(WINAPI*)(HWND, PWSTR, UINT, int*);
    // shell32 is loaded with the program (it is linked for other functions).
    const auto pickIconDlg =
        ModuleFunction<PickIconDlgFunction>(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(62));
    return pickIconDlg != nullptr && pickIconDlg(owner, path, pathSize, index) != 0;
}

bool SystemPickers::ChooseFile(OPENFILENAMEW& dialog) {
    return SystemFileChooser().ChooseFile(dialog);
}
