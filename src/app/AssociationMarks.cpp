// The marks of the list: a badge over the icon of every type that Veltrano opens now, and an
// info tip that says what each type opens with.
#include "app/ListRows.h"
#include "app/RootWindow.h"
#include "catalogue/BuiltInExtensions.h"
#include "common/AsciiCase.h"

#include <algorithm>

namespace {

const wchar_t* StateLine(AssociationState state) {
    switch (state) {
    case AssociationState::OpensWithVeltrano:
        return L"Opens with Veltrano.";
    case AssociationState::RegisteredElsewhere:
        return L"Registered for Veltrano, but Windows opens it with another program. To choose "
               L"Veltrano for it, use Default apps.";
    case AssociationState::NotRegistered:
        break;
    }
    return L"Not registered for Veltrano.";
}

} // namespace

void RootWindow::ShowAssociationMarks() {
    // Armed before the reading: a change made while the marks are read is seen the next time.
    marksWatch.Arm();
    const int rows = std::max(RowCount(listView), 0);
    std::vector<std::wstring> extensions(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        if (const ExtensionEntry* entry = RowEntry(listView, row)) {
            extensions[row] = entry->extension;
        }
    }
    rowStates = ReadAssociationStates(extensions, playerPath);
    for (int row = 0; row < rows; ++row) {
        const UINT overlay =
            rowStates[row] == AssociationState::OpensWithVeltrano ? kOpensWithVeltranoOverlay : 0;
        if (RowOverlay(listView, row) != overlay) {
            SetRowOverlay(listView, row, overlay);
        }
    }
}

void RootWindow::RefreshAssociationMarks() {
    if (marksWatch.Changed()) {
        ShowAssociationMarks();
    }
}

void RootWindow::FillInfoTip(NMLVGETINFOTIPW& tip) const {
    if (commands.Busy() || tip.pszText == nullptr || tip.cchTextMax <= 0 || tip.iItem < 0 ||
        static_cast<std::size_t>(tip.iItem) >= rowStates.size()) {
        return;
    }
    const ExtensionEntry* entry = RowEntry(listView, tip.iItem);
    if (entry == nullptr) {
        return;
    }
    const std::wstring text =
        DescribeExtension(UpperAscii(entry->extension)) + L"\n" + StateLine(rowStates[tip.iItem]);
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax - 1));
    text.copy(tip.pszText, length);
    tip.pszText[length] = L'\0';
}
