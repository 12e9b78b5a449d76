// Double-click on a row: the user picks the icon that the row's extension is registered with.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "catalogue/IconLocationGate.h"

#include <string>

void RootWindow::ChooseIcon(int item) {
    LVITEMW row = {};
    row.mask = LVIF_IMAGE | LVIF_PARAM;
    row.iItem = item;
    // A double-click beside the rows (item -1) has no row and no entry: nothing to choose for.
    if (item < 0 || !SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)) ||
        row.lParam == 0) {
        return;
    }
    auto* entry = reinterpret_cast<ExtensionEntry*>(row.lParam);

    int index = ParseIconIndex(entry->iconIndex);
    wchar_t path[MAX_PATH] = {};
    entry->iconFile.copy(path, MAX_PATH - 1); // longer paths are cut; the rest stays zero
    if (!pickers->PickIcon(hwnd, path, MAX_PATH, &index)) {
        return;
    }
    path[MAX_PATH - 1] = L'\0';
    // An icon on another computer would be fetched from there by Explorer whenever it shows a
    // file of the type: the choice changes nothing.
    IconLocationGate gate;
    if (const wchar_t* reason = gate.Refusal(path)) {
        const std::wstring text = std::wstring(L"Icon refused:\n") + path + L"\n" + reason;
        MessageBoxW(hwnd, text.c_str(), L"Icon Refused", MB_OK | MB_ICONWARNING);
        return;
    }

    // Without an icon at the chosen location the row keeps the image it has.
    if (const UniqueIcon icon = ExtractSmallIcon(gate, path, index, ImageSize(imageList))) {
        if (row.iImage == -1) {
            LVITEMW update = {};
            update.mask = LVIF_IMAGE;
            update.iItem = item;
            update.iImage = PutIconImage(imageList, -1, icon.get());
            SendMessageW(listView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
        } else {
            PutIconImage(imageList, row.iImage, icon.get());
        }
    }

    // The entry takes the choice even when no icon could be shown for it.
    entry->iconFile = path;
    entry->iconIndex = std::to_wstring(index);

    SendMessageW(listView, LVM_REDRAWITEMS, static_cast<WPARAM>(item), item);
    UpdateWindow(listView);
}
