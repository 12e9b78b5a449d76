#include "app/ListRows.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>
#include <vector>

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
    return StateBits(list, index, LVIS_STATEIMAGEMASK) >> 12;
}

void SetRowStateImage(HWND list, int index, UINT stateImage) {
    SetStateBits(list, index, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(stateImage));
}

bool IsRowSelected(HWND list, int index) {
    return StateBits(list, index, LVIS_SELECTED) != 0;
}

UINT RowOverlay(HWND list, int index) {
    return StateBits(list, index, LVIS_OVERLAYMASK) >> 8;
}

void SetRowOverlay(HWND list, int index, UINT overlay) {
    SetStateBits(list, index, LVIS_OVERLAYMASK, INDEXTOOVERLAYMASK(overlay));
}

int ImageSize(HIMAGELIST list) {
    int width = 0, height = 0;
    CommonControls().imageListGetIconSize(list, &width, &height);
    return width;
}

int PutIconImage(HIMAGELIST list, int index, HICON icon) {
    const int width = ImageSize(list), height = width;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueDeviceContext context(CreateCompatibleDC(nullptr));
    const UniqueBitmap image(
        CreateDIBSection(context.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    // Every pixel opaque: monochrome rows are whole 16-bit words, all zero.
    const std::vector<BYTE> opaque(static_cast<std::size_t>((width + 15) / 16 * 2) * height, 0);
    const UniqueBitmap mask(CreateBitmap(width, height, 1, 1, opaque.data()));
    if (!context || !image || !mask) {
        return -1;
    }
    {
        const SelectedObject selected(context.get(), image.get());
        const RECT all = {0, 0, width, height};
        FillRect(context.get(), &all, GetSysColorBrush(COLOR_WINDOW));
        DrawIconEx(context.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    if (index < 0) {
        return CommonControls().imageListAdd(list, image.get(), mask.get());
    }
    return CommonControls().imageListReplace(list, index, image.get(), mask.get()) ? index : -1;
}

UniqueIcon ExtractSmallIcon(IconLocationGate& gate, const std::wstring& file, int index, int size) {
    // Whatever the catalogue holds: a refused location is never opened.
    if (gate.Refusal(file) != nullptr) {
        return nullptr;
    }
    HICON icon = nullptr;
    const UINT count = PrivateExtractIconsW(file.c_str(), index, size, size, &icon, nullptr, 1, 0);
    if (count == 0 || count == UINT_MAX) {
        return nullptr;
    }
    return UniqueIcon(icon);
}

int ParseIconIndex(const std::wstring& text) {
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}
