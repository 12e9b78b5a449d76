// "Remove Associations of Checked Extensions...": takes back what "Set Associations" wrote for
// the checked rows.
#include "app/ListRows.h"
#include "app/RegistryErrorBoxes.h"
#include "app/RootWindow.h"
#include "registration/RemoveExtension.h"

#include <string>
#include <vector>

namespace {

const wchar_t kCaption[] = L"Remove Associations";

} // namespace

void RootWindow::RemoveAssociations() {
    const std::vector<int> checked = CheckedRows(listView);
    if (checked.empty()) {
        MessageBoxW(hwnd,
                    L"No extension is checked.\n\nCheck the extensions whose associations with "
                    L"Veltrano are to be removed, then choose the command again.",
                    kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::wstring question = L"Do you want to remove Veltrano's associations of the " +
                                  std::to_wstring(checked.size()) + L" checked extensions?";
    if (MessageBoxW(hwnd, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }

    std::vector<std::wstring> extensions;
    int failed = 0; // a row without an entry
    for (const int index : checked) {
        if (const ExtensionEntry* entry = RowEntry(listView, index)) {
            extensions.push_back(entry->extension);
        } else {
            ++failed;
        }
    }
    RegistryErrorBoxes boxes; // a failure is shown in its own error box as it happens
    const AssociationCounts counts = RemoveExtensions(extensions, boxes);
    const int removed = counts.done;
    failed += counts.failed;
    ShowAssociationMarks();

    std::wstring report = std::to_wstring(removed) + L" extensions have been removed.";
    UINT style = MB_ICONINFORMATION;
    if (failed != 0) {
        report += L"\n" + std::to_wstring(failed) + L" extensions could not be removed.";
        style = MB_ICONWARNING;
    }
    MessageBoxW(hwnd, report.c_str(), kCaption, MB_OK | style);
}
