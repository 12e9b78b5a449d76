// Double-click on a row: the user picks the icon that the row's extension is registered with.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "catalogue/IconLocationGate.h"

#include <string>

void RootWindow::ChooseIcon(int item) {
    // A double-click beside the rows (item -1) has no row and no entry: nothing to choose for.
    ExtensionEntry* const entry = RowEntry(listView, item);
    if (entry == nullptr) {
        return;
    }
    const int image = RowImage(listView, item);

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
    if (const UniqueIcon icon = ExtractSmallIcon(gate, path, index, imageList.IconSize())) {
        const int put = imageList.PutRowIcon(image, icon.get());
        if (image < 0) {
            SetRowImage(listView, item, put);
        }
    }

    // The entry takes the choice even when no icon could be shown for it.
    entry->iconFile = path;
    entry->iconIndex = std::to_wstring(index);
    RedrawRow(listView, item);
}
