#include "app/ListRows.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

ExtensionEntry* RowEntry(HWND list, int index) {
    if (index < 0) {
        return nullptr;
    }
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return nullptr;
    }
    return reinterpret_cast<ExtensionEntry*>(item.lParam);
}

UINT RowStateImage(HWND list, int index) {
    const auto state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) >> 12;
}

void SetRowStateImage(HWND list, int index, UINT stateImage) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(stateImage);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

bool IsRowSelected(HWND list, int index) {
    const auto state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED));
    return (state & LVIS_SELECTED) != 0;
}

UniqueIcon ExtractSmallIcon(const wchar_t* file, int index) {
    HICON icon = nullptr;
    const UINT count = PrivateExtractIconsW(file, index, 16, 16, &icon, nullptr, 1, 0);
    if (count == 0 || count == UINT_MAX) {
        return nullptr;
    }
    return UniqueIcon(icon);
}

int ParseIconIndex(const std::wstring& text) {
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}
