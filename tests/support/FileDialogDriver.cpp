#include "support/FileDialogDriver.h"

#include "support/MessageBoxWatcher.h"

#include <dlgs.h>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The file-name field: the first visible edit field among the dialog's descendants (the other
// boxes of the dialog are drop-down lists).
HWND FileNameEdit(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            if (ClassOf(child) == L"Edit" && IsWindowVisible(child)) {
                *reinterpret_cast<HWND*>(param) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

struct DialogSearch {
    DWORD processId;
    HWND dialog;
};

BOOL CALLBACK FindOpenFileDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && ClassOf(window) == L"#32770" &&
        FileNameEdit(window) != nullptr) {
        search->dialog = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool AnswerOpenFileDialog(DWORD processId, const std::wstring& fileName, OpenFileDialogSeen* seen,
                          DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    DialogSearch search{processId, nullptr};
    for (;;) {
        EnumWindows(FindOpenFileDialog, reinterpret_cast<LPARAM>(&search));
        if (search.dialog != nullptr) {
            break;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
    const HWND dialog = search.dialog;
    if (seen != nullptr) {
        seen->dialog = dialog;
        seen->owner = GetWindow(dialog, GW_OWNER);
        seen->fileType = WindowText(GetDlgItem(dialog, cmb1));
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(FileNameEdit(dialog), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(fileName.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &result);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    while (IsWindow(dialog)) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
    return true;
}
