// "Set Associations": registers the extension of every ticked row for the current user.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "registration/DefaultApps.h"
#include "registration/RegisterExtension.h"

#include <shlobj.h>

#include <string>

void RootWindow::SetAssociations(HWND list) {
    int ticked = 0;
    int failed = 0;
    RegistrationKeys keys; // opened once for all the rows
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
        // Read anew for every row: the error box of an earlier row has no owner, so the user can
        // change the check box while it shows.
        const bool shellExtension =
            SendMessageW(shellExtensionCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
        // A failure has been shown in its own error box by the time this returns.
        if (!RegisterExtension(keys, entry->extension, entry->iconFile, entry->iconIndex,
                               playerPath, shellExtension)) {
            ++failed;
        }
    }

    // Since Windows 8 a user choice counts only once the user confirms it in Default apps:
    // Veltrano is registered there, and the report offers to open it.
    const int registered = ticked - failed;
    DefaultAppsPage page = DefaultAppsPage::None;
    if (registered > 0 && RegisterApplication(playerPath)) {
        page = DefaultAppsPageFor(RunningWindowsVersion());
    }

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    ShowAssociationMarks();

    std::wstring report =
        std::to_wstring(registered) + L" selected extensions have been registered.";
    const wchar_t* caption = L"Success";
    UINT style = MB_ICONINFORMATION;
    if (failed != 0) {
        report += L"\n" + std::to_wstring(failed) + L" extensions could not be registered.";
        caption = L"Set Associations";
        style = MB_ICONWARNING;
    }
    if (page == DefaultAppsPage::None) {
        MessageBoxW(hwnd, report.c_str(), caption, MB_OK | style);
        return;
    }
    report += L"\n\nWindows asks you to confirm default apps yourself. Veltrano is now offered "
              L"for these file types in Default apps, where you can choose it.\n\n"
              L"Do you want to open Default apps now?";
    if (MessageBoxW(hwnd, report.c_str(), caption, MB_YESNO | style) == IDYES) {
        OpenDefaultApps(page, hwnd);
    }
}
