// "Set Associations": registers the extension of every ticked row for the current user.
#include "app/ListRows.h"
#include "app/RegistryErrorBoxes.h"
#include "app/RootWindow.h"
#include "registration/DefaultApps.h"
#include "registration/PlayerCheck.h"
#include "registration/RegisterExtension.h"
#include "registry/Win32Exception.h"

#include <string>
#include <vector>

namespace {

// Whether the registrations may point at the player (CheckPlayer): a path that holds "%" is
// refused, and when the player is not there the user decides. The boxes belong to `owner`.
bool PlayerAccepted(HWND owner, const std::wstring& playerPath) {
    switch (CheckPlayer(playerPath)) {
    case PlayerProblem::None:
        return true;
    case PlayerProblem::PercentSign: {
        const std::wstring text =
            L"The path of Veltrano holds a percent sign (%):\n" + playerPath +
            L"\n\nWindows would take it for a placeholder in the command that opens a file, so "
            L"no file would open. Move VT File Associations and Veltrano to a folder without % "
            L"in its name, then try again.";
        MessageBoxW(owner, text.c_str(), L"Set Associations", MB_OK | MB_ICONERROR);
        return false;
    }
    case PlayerProblem::Missing:
        break;
    }
    const std::wstring text =
        L"Veltrano was not found:\n" + playerPath +
        L"\n\nFiles of the types you register will not open until vtplayer.exe is in the folder "
        L"of VT File Associations.\n\nRegister anyway?";
    return MessageBoxW(owner, text.c_str(), L"Set Associations",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// Offers Default apps; a failure to open it is shown in a box of `owner`.
void OpenDefaultAppsShowingFailure(DefaultAppsPage page, HWND owner) {
    const DWORD error = OpenDefaultApps(page, owner);
    if (error == ERROR_SUCCESS) {
        return;
    }
    const std::wstring text =
        L"Default apps could not be opened.\n\n" + CWin32Exception(L"", error).GetErrorMessage();
    MessageBoxW(owner, text.c_str(), L"Default apps", MB_OK | MB_ICONERROR);
}

} // namespace

void RootWindow::SetAssociations(HWND list) {
    const std::vector<int> ticked = CheckedRows(list);
    // Nothing is written, and no report follows, unless the player can be pointed at.
    if (!ticked.empty() && !PlayerAccepted(hwnd, playerPath)) {
        return;
    }
    // The entries of the rows, in row order; a row without one counts as failed.
    std::vector<ExtensionEntry> entries;
    int failed = 0;
    for (const int index : ticked) {
        if (const ExtensionEntry* entry = RowEntry(list, index)) {
            entries.push_back(*entry);
        } else {
            ++failed;
        }
    }
    // Read anew for every row: the error box of an earlier row has no owner, so the user can
    // change the check box while it shows.
    const auto shellExtension = [this] {
        return SendMessageW(shellExtensionCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    RegistryErrorBoxes boxes; // a failure is shown in its own error box as it happens
    const AssociationCounts counts = RegisterExtensions(entries, playerPath, shellExtension, boxes);
    failed += counts.failed;
    const int registered = counts.done;
    // Since Windows 8 a user choice counts only once the user confirms it in Default apps:
    // Veltrano is registered there, and the report offers to open it.
    const DefaultAppsPage page = counts.applicationDone
                                     ? DefaultAppsPageFor(RunningWindowsVersion())
                                     : DefaultAppsPage::None;
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
        OpenDefaultAppsShowingFailure(page, hwnd);
    }
}
