// "Set Associations": registers the extension of every ticked row for the current user.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "registration/RegisterExtension.h"

#include <shlobj.h>

#include <string>

void RootWindow::SetAssociations(HWND list) {
    int ticked = 0;
    int failed = 0;
    for (int index = 0; index < RowCount(list); ++index) {
        if (RowStateImage(list, index) == kUncheckedStateImage) {
            continue;
        }
        ++ticked;
        const ExtensionEntry* entry = RowEntry(list, index);
        if (entry == nullptr) {
            ++failed;
            continue;
        }
        const bool shellExtension =
            SendMessageW(shellExtensionCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
        // A failure has been shown in its own error box by the time this returns.
        if (!RegisterExtension(entry->extension, entry->iconFile, entry->iconIndex, playerPath,
                               shellExtension)) {
            ++failed;
        }
    }

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

    const std::wstring registered =
        std::to_wstring(ticked - failed) + L" selected extensions have been registered.";
    if (failed == 0) {
        MessageBoxW(hwnd, registered.c_str(), L"Success", MB_OK | MB_ICONINFORMATION);
    } else {
        const std::wstring report =
            registered + L"\n" + std::to_wstring(failed) + L" extensions could not be registered.";
        MessageBoxW(hwnd, report.c_str(), L"Set Associations", MB_OK | MB_ICONWARNING);
    }
}
