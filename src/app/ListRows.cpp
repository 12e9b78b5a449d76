#include "app/ListRows.h"

#include <climits>
#include <string>

namespace {

UINT StateBits(HWND list, int index, UINT mask) {
    const auto state =
        static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
    return state & mask;
}

void SetStateBits(HWND list, int index, UINT mask, UINT bits) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = bits;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

} // namespace

void SetListStyles(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
}

void SetInfoTipWidth(HWND list, int width) {
    // Info tips of two lines: the description, then what the type opens with.
    const auto tips = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0));
    SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, width);
}

HIMAGELIST AttachRowImages(HWND list, HIMAGELIST images) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
}

COLORREF BackgroundColour(HWND list) {
    const auto colour = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
    return colour == CLR_NONE ? GetSysColor(COLOR_WINDOW) : colour;
}

RedrawHeldBack::RedrawHeldBack(HWND list) : list(list) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

RedrawHeldBack::~RedrawHeldBack() {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void AppendRow(HWND list, ExtensionEntry& entry, int image) {
    std::wstring text = L"." + entry.extension;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = INT_MAX; // at the end
    item.pszText = text.data();
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(&entry);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void DeleteAllRows(HWND list) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
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

int RowImage(HWND list, int index) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    if (index < 0 || !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return -1;
    }
    return item.iImage;
}

void SetRowImage(HWND list, int index, int image) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void RedrawRow(HWND list, int index) {
    SendMessageW(list, LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
    UpdateWindow(list);
}

bool RowBounds(HWND list, int index, RECT& bounds) {
    bounds = {};
    bounds.left = LVIR_BOUNDS;
    return SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&bounds)) != 0;
}

bool RowBoundsInSight(HWND list, int index, RECT& bounds) {
    return SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE) != 0 &&
           RowBounds(list, index, bounds);
}

UINT RowStateImage(HWND list, int index) {
    return StateBits(list, index, LVIS_STATEIMAGEMASK) >> 12;
}

void SetRowStateImage(HWND list, int index, UINT stateImage) {
    SetStateBits(list, index, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(stateImage));
}

std::vector<int> CheckedRows(HWND list) {
    std::vector<int> rows;
    for (int index = 0; index < RowCount(list); ++index) {
        if (RowStateImage(list, index) != kUncheckedStateImage) {
            rows.push_back(index);
        }
    }
    return rows;
}

bool IsRowSelected(HWND list, int index) {
    return StateBits(list, index, LVIS_SELECTED) != 0;
}

void SelectAllRows(HWND list) {
    SetStateBits(list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

int FocusedRow(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void FocusRow(HWND list, int index) {
    SetStateBits(list, index, LVIS_FOCUSED, LVIS_FOCUSED);
}

UINT RowOverlay(HWND list, int index) {
    return StateBits(list, index, LVIS_OVERLAYMASK) >> 8;
}

void SetRowOverlay(HWND list, int index, UINT overlay) {
    SetStateBits(list, index, LVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(overlay));
}
