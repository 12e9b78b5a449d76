// The list's popup menu, the check commands it offers and the way to the removal.
#include "app/ListRows.h"
#include "app/RootWindow.h"

#include <iterator>

namespace {

struct MenuLine {
    UINT command; // 0 for a separator
    const wchar_t* text;
};

// Top to bottom, as the user sees the menu.
const MenuLine kMenuLines[] = {
    {kCheckAllCommand, L"Check All"},
    {kUncheckAllCommand, L"Uncheck All"},
    {0, nullptr},
    {kCheckSelectedCommand, L"Check Selected"},
    {kUncheckSelectedCommand, L"Uncheck Selected"},
    {0, nullptr},
    {kCheckKnownVideoCommand, L"Check All (known) Video Extensions"},
    {kCheckKnownAudioCommand, L"Check All (known) Audio Extensions"},
    {0, nullptr},
    {kRemoveAssociationsCommand, L"Remove Associations of Checked Extensions..."},
};

} // namespace

void RootWindow::BuildContextMenu() {
    contextMenu.reset(CreatePopupMenu());
    // Each line goes in at the top, so the lines are inserted from the bottom up.
    for (auto line = std::rbegin(kMenuLines); line != std::rend(kMenuLines); ++line) {
        if (line->command == 0) {
            InsertMenuW(contextMenu.get(), 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        } else {
            InsertMenuW(contextMenu.get(), 0, MF_BYPOSITION | MF_STRING, line->command, line->text);
        }
    }
}

void RootWindow::ShowContextMenu(int x, int y) {
    // TPM_RETURNCMD | TPM_NONOTIFY: the choice comes back as the result, no WM_COMMAND is sent.
    const UINT command =
        pickers->TrackMenu(contextMenu.get(), TPM_RETURNCMD | TPM_NONOTIFY, x, y, listView);
    RunCheckCommand(command);
}

void RootWindow::ShowContextMenuAtFocusedRow() {
    POINT point = {0, 0};
    const int row = FocusedRow(listView);
    RECT bounds = {};
    if (row >= 0 && RowBoundsInSight(listView, row, bounds)) {
        point = {bounds.left, bounds.bottom}; // just below the row, which stays in sight
    }
    ClientToScreen(listView, &point);
    ShowContextMenu(point.x, point.y);
}

void RootWindow::RunCheckCommand(UINT command) {
    switch (command) {
    case kCheckAllCommand:
        SetCheckOfRows(true, false);
        break;
    case kUncheckAllCommand:
        SetCheckOfRows(false, false);
        break;
    case kCheckSelectedCommand:
        SetCheckOfRows(true, true);
        break;
    case kUncheckSelectedCommand:
        SetCheckOfRows(false, true);
        break;
    case kCheckKnownVideoCommand:
        CheckKnownExtensions(knownVideoExtensions, listView);
        break;
    case kCheckKnownAudioCommand:
        CheckKnownExtensions(knownAudioExtensions, listView);
        break;
    case kRemoveAssociationsCommand:
        RemoveAssociations();
        break;
    default: // dismissed menu or unknown command
        break;
    }
}

void RootWindow::SetCheckOfRows(bool checked, bool selectedOnly) {
    const UINT stateImage = checked ? kCheckedStateImage : kUncheckedStateImage;
    for (int index = 0; index < RowCount(listView); ++index) {
        if (!selectedOnly || IsRowSelected(listView, index)) {
            SetRowStateImage(listView, index, stateImage);
        }
    }
}

void CheckKnownExtensions(const ExtensionSet& set, HWND list) {
    for (int index = 0; index < RowCount(list); ++index) {
        const ExtensionEntry* entry = RowEntry(list, index);
        if (entry != nullptr && set.Contains(entry->extension)) {
            SetRowStateImage(list, index, kCheckedStateImage);
        }
    }
}
