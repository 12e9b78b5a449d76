#include "app/RootWindow.h"

#include "app/BufferedListPaint.h"
#include "app/DisplayScale.h"
#include "app/ListRows.h"
#include "app/StartUp.h"
#include "catalogue/BuiltInExtensions.h"
#include "catalogue/RegisteredIconProbe.h"
#include "common/RegistryNames.h"
#include "common/SystemLibraries.h"
#include "app/IdfLoadBoxes.h"

#include <ole2.h>

#include <utility>

namespace {

const wchar_t kShellExtensionLabel[] = L"Play / Enqueue Shell Extension";

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text,
                 DWORD style, int x, int y, int width, int height, int id) {
    return CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instanceHandle,
                           nullptr);
}

void Place(HWND control, const ControlBox& box) {
    MoveWindow(control, box.x, box.y, box.width, box.height, FALSE);
}

} // namespace

RootWindow* RootWindow::Create() {
    return CreateMainWindow(new RootWindow());
}

RootWindow* RootWindow::CreateMainWindow(RootWindow* object) {
    object->Register();
    return static_cast<RootWindow*>(
        CreateBoundWindow(object, L"VT File Associations", WS_OVERLAPPEDWINDOW, 400, 300));
}

RootWindow::RootWindow()
    : marksWatch({kClassesPath, kFileExtsPath}), pickers(std::make_unique<SystemPickers>()) {}

std::wstring RootWindow::WindowClassName() const {
    return L"VTFileAssocRootWnd";
}

void RootWindow::SetPickers(std::unique_ptr<ModalPickers> replacement) {
    pickers = std::move(replacement);
}

void RootWindow::BuildCatalogue() {
    AddBuiltInEntries(playerPath, catalogue);
}

void RootWindow::BuildKnownVideoSet() {
    FillKnownVideoSet(knownVideoExtensions);
}

void RootWindow::BuildKnownAudioSet() {
    FillKnownAudioSet(knownAudioExtensions);
}

void RootWindow::ProbeRegisteredIcons() {
    ReadRegisteredIcons(catalogue);
}

CommandGuard::Running RootWindow::StartUpCommand() {
    return CommandGuard::Running(commands, hwnd);
}

void RootWindow::LoadIdfFile(const wchar_t* path) {
    ::LoadIdfFile(path, hwnd, catalogue, *pickers);
}

LRESULT RootWindow::CreateControls() {
    // Every control is a tab stop; the tab order (list, check box, "Open IDF File", "Set
    // Associations") is the z-order, set once they are all there.
    listView =
        CreateChild(hwnd, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LVS_LIST | LVS_SHOWSELALWAYS,
                    0, 0, 200, 100, kListViewId);
    SetListStyles(listView);
    PaintThroughBuffer(listView);
    dpi = WindowDpi(hwnd);
    imageList.Make(listView, dpi);
    CommonControls().setWindowTheme(listView, L"Explorer", nullptr);

    setAssociationsButton =
        CreateChild(hwnd, 0, L"BUTTON", L"Set Associations", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                    200, 400, 200, 30, kSetAssociationsId);
    openIdfButton =
        CreateChild(hwnd, 0, L"BUTTON", L"Open IDF File", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                    400, 180, 30, kOpenIdfFileId);
    shellExtensionCheckBox = CreateChild(hwnd, 0, L"BUTTON", kShellExtensionLabel,
                                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10,
                                         400, 180, 30, kShellExtensionId);
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(shellExtensionCheckBox, listView, 0, 0, 0, 0, kZOrderOnly);
    SetWindowPos(openIdfButton, shellExtensionCheckBox, 0, 0, 0, 0, kZOrderOnly);
    focusedControl = listView;

    OleInitialize(nullptr);
    MakeDialogFont();
    BuildContextMenu();
    DeleteAllRows(listView);
    // The creation size is for 96 dpi; at another the window starts in proportion.
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
        RECT bounds = {};
        GetWindowRect(hwnd, &bounds);
        SetWindowPos(hwnd, nullptr, 0, 0, ScalePixels(bounds.right - bounds.left, dpi),
                     ScalePixels(bounds.bottom - bounds.top, dpi),
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    return 0;
}

void RootWindow::MakeDialogFont() {
    DialogFont made(dpi);
    shellExtensionWidth = CheckBoxWidth(dpi, made.charWidth, made.TextWidth(kShellExtensionLabel));
    for (const HWND control :
         {listView, setAssociationsButton, openIdfButton, shellExtensionCheckBox}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made.Handle()), FALSE);
    }
    font = std::move(made); // the controls no longer use the old one
    SetInfoTipWidth(listView, InfoTipWidth(Measures()));
}

LayoutMeasures RootWindow::Measures() const {
    return {dpi, font.charWidth, font.charHeight, shellExtensionWidth};
}

void RootWindow::ChangeDpi(int newDpi, const RECT& suggested) {
    dpi = newDpi;
    MakeDialogFont();
    // While a command runs, the rows may refer to entries that the loader is replacing: their
    // icons are then made anew when the list is filled again.
    if (!commands.Busy() || RowCount(listView) == 0) {
        imageList.Make(listView, dpi);
        // The rows are in catalogue order, as the images come.
        const std::vector<int> images = imageList.AddRowImages(catalogue, playerPath);
        const int rows = RowCount(listView);
        for (int row = 0; row < rows && row < static_cast<int>(images.size()); ++row) {
            SetRowImage(listView, row, images[row]);
        }
    }
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(hwnd, &client);
    LayoutControls(client.right, client.bottom);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void RootWindow::LayoutControls(int width, int height) {
    const ControlLayout layout = LayOutControls(width, height, Measures());
    Place(listView, layout.listView);
    Place(setAssociationsButton, layout.setAssociationsButton);
    Place(openIdfButton, layout.openIdfButton);
    Place(shellExtensionCheckBox, layout.shellExtensionCheckBox);
    InvalidateRect(hwnd, nullptr, TRUE);
    for (const HWND control :
         {listView, setAssociationsButton, openIdfButton, shellExtensionCheckBox}) {
        UpdateWindow(control);
    }
}

void RootWindow::FillExtensionList() {
    AddExtensionRows(imageList.AddRowImages(catalogue, playerPath));
    // The keyboard starts on the first row.
    if (RowCount(listView) > 0 && FocusedRow(listView) < 0) {
        FocusRow(listView, 0);
    }
    ShowAssociationMarks();
    FitWindowToList();
}

void RootWindow::AddExtensionRows(const std::vector<int>& images) {
    const RedrawHeldBack heldBack(listView);
    std::size_t row = 0;
    for (auto& keyAndEntry : catalogue) {
        AppendRow(listView, keyAndEntry.second, row < images.size() ? images[row] : -1);
        ++row;
    }
}

void RootWindow::FitWindowToList() {
    const int rows = RowCount(listView);
    RECT row = {};
    if (rows <= 0 || !RowBounds(listView, 0, row)) {
        return; // no row to measure: the window keeps its size
    }
    const SIZE size = FittedSizeOfWindow(hwnd, rows, row, Measures());
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
}

void RootWindow::OpenIdfFile() {
    LoadIdfFile(nullptr);
    // The loader may have replaced entries that the rows point at: rebuild before any row is
    // used again, whatever the loader did.
    RebuildExtensionList();
}

void RootWindow::RebuildExtensionList() {
    DeleteAllRows(listView);
    rowStates.clear();
    imageList.Make(listView, dpi); // of the present dpi's size, even when it changed meanwhile
    FillExtensionList();
}
