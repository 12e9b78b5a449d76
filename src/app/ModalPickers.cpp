#include "app/ModalPickers.h"

UINT SystemPickers::TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    return static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

bool SystemPickers::PickIcon(HWND owner, wchar_t* path, UINT pathSize, int* index) {
    using PickIconDlgFunction = int(WINAPI*)(HWND, PWSTR, UINT, int*);
    // shell32 is loaded with the program (it is linked for other functions).
    const HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    if (shell32 == nullptr) {
        return false;
    }
    const FARPROC address = GetProcAddress(shell32, MAKEINTRESOURCEA(62));
    if (address == nullptr) {
        return false;
    }
    const auto pickIconDlg =
        reinterpret_cast<PickIconDlgFunction>(reinterpret_cast<void (*)()>(address));
    return pickIconDlg(owner, path, pathSize, index) != 0;
}

bool SystemPickers::ChooseFile(OPENFILENAMEW& dialog) {
    return SystemFileChooser().ChooseFile(dialog);
}
