// "Set Associations": registers the extension of every ticked row for the current user.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "registration/DefaultApps.h"
#include "registration/RegisterExtension.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// Whether the registrations may point at the player: its path must not hold "%", which Windows
// takes for a placeholder of the open command, and when the player is not there the user decides.
// The boxes belong to `owner`.
bool PlayerAccepted(HWND owner, const std::wstring& playerPath) {
    if (playerPath.find(L'%') != std::wstring::npos) {
        const std::wstring text =
            L"The path of Veltrano holds a percent sign (%):\n" + playerPath +
            L"\n\nWindows would take it for a placeholder in the command that opens a file, so "
            L"no file would open. Move VT File Associations and Veltrano to a folder without % "
            L"in its name, then try again.";
        MessageBoxW(owner, text.c_str(), L"Set Associations", MB_OK | MB_ICONERROR);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(playerPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return true;
    }
    const std::wstring text =
        L"Veltrano was not found:\n" + playerPath +
        L"\n\nFiles of the types you register will not open until vtplayer.exe is in the folder "
        L"of VT File Associations.\n\nRegister anyway?";
    return MessageBoxW(owner, text.c_str(), L"Set Associations",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace

void RootWindow::SetAssociations(HWND list) {
    const std::vector<int> ticked = CheckedRows(list);
    // Nothing is written, and no report follows, unless the player can be pointed at.
    if (!ticked.empty() && !PlayerAccepted(hwnd, playerPath)) {
        return;
    }
    int failed = 0;
    RegistrationKeys keys; // opened once for all the rows
    for (const int index : ticked) {
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
    const int registered = static_cast<int>(ticked.size()) - failed;
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
