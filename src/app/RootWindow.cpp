#include "app/RootWindow.h"

#include "app/ListRows.h"
#include "app/StartUp.h"
#include "catalogue/BuiltInExtensions.h"
#include "catalogue/RegisteredIconProbe.h"
#include "common/ModuleFunction.h"
#include "common/SystemLibraries.h"
#include "definitions/IdfLoader.h"

#include <ole2.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <utility>

namespace {

// Keeps a control from redrawing while the object lives, then has it repainted.
class RedrawHeldBack {
public:
    explicit RedrawHeldBack(HWND control) : control(control) {
        SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawHeldBack() {
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, TRUE);
    }
    RedrawHeldBack(const RedrawHeldBack&) = delete;
    RedrawHeldBack& operator=(const RedrawHeldBack&) = delete;

private:
    HWND control;
};

const wchar_t kShellExtensionLabel[] = L"Play / Enqueue Shell Extension";

// The layout: pixels, or widths in average characters and heights in lines of the dialog font.
constexpr int kMargin = 8;                // around the list, between and below the buttons
constexpr int kCheckBoxBottom = 6;        // below the check box when it sits beside the buttons
constexpr int kSetAssociationsChars = 25; // button widths
constexpr int kOpenIdfFileChars = 20;
constexpr int kShellExtensionChars = 33; // the check box's width at least
constexpr int kMinimumWidthChars = 88;   // the smallest size the user can drag the window to
constexpr int kMinimumHeightLines = 15;
// Fitting the window to its rows: rows per list column, the pixels the window needs beside the
// columns, and the height in row heights that the list and the frame take above the buttons.
constexpr int kRowsPerColumn = 20;
constexpr int kFittedExtraWidth = 40;
constexpr int kFittedRowLines = 24;
// The widest line of an info tip, in average characters.
constexpr int kInfoTipWidthChars = 60;

// A button is 1.9 lines of the dialog font high.
int ButtonHeight(int lineHeight) {
    return lineHeight * 19 / 10;
}

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text,
                 DWORD style, int x, int y, int width, int height, int id) {
    return CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instanceHandle,
                           nullptr);
}

// The dots per inch of the display as a whole (the only one before Windows 10).
int DisplayDpi() {
    const UniqueDeviceContext display(CreateICW(L"DISPLAY", nullptr, nullptr, nullptr));
    return GetDeviceCaps(display.get(), LOGPIXELSY);
}

// A function of user32 that older systems do not have; null there.
template <class Function> Function User32Function(const char* name) {
    return ModuleFunction<Function>(GetModuleHandleW(L"user32.dll"), name);
}

} // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : DisplayDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    const auto getSystemMetricsForDpi =
        User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr) {
        return getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, DisplayDpi());
}

int DialogFontHeight(int dpi) {
    // 8 points, rounded the way the dialog manager does it.
    const float height = static_cast<float>(dpi * (-8.0) / 72.0 - 0.5);
    return static_cast<int>(std::ceil(height));
}

RootWindow* RootWindow::Create() {
    return CreateMainWindow(new RootWindow());
}

RootWindow* RootWindow::CreateMainWindow(RootWindow* object) {
    object->Register();
    return static_cast<RootWindow*>(
        CreateBoundWindow(object, L"VT File Associations", WS_OVERLAPPEDWINDOW, 400, 300));
}

RootWindow::RootWindow() : pickers(std::make_unique<SystemPickers>()) {}

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

LRESULT RootWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return CreateControls();
    case WM_SIZE:
        LayoutControls(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = kMinimumWidthChars * charWidth;
        limits->ptMinTrackSize.y = kMinimumHeightLines * charHeight;
        return 0;
    }
    case WM_NOTIFY: {
        if (wParam != static_cast<WPARAM>(kListViewId)) {
            break;
        }
        const auto* activation = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        if (activation->hdr.code == static_cast<UINT>(NM_RCLICK)) {
            if (!commands.Busy()) {
                const CommandGuard::Running running(commands, hwnd);
                POINT point = activation->ptAction;
                ClientToScreen(listView, &point);
                ShowContextMenu(point.x, point.y);
            }
            return 0;
        }
        if (activation->hdr.code == static_cast<UINT>(NM_DBLCLK) && !commands.Busy()) {
            const CommandGuard::Running running(commands, hwnd);
            ChooseIcon(activation->iItem);
        }
        if (activation->hdr.code == static_cast<UINT>(LVN_KEYDOWN) &&
            reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == 'A' &&
            GetKeyState(VK_CONTROL) < 0) {
            ListView_SetItemState(listView, -1, LVIS_SELECTED, LVIS_SELECTED); // Ctrl+A
            return 0;
        }
        if (activation->hdr.code == static_cast<UINT>(LVN_GETINFOTIPW)) {
            FillInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
            return 0;
        }
        break;
    }
    case WM_ACTIVATE: {
        const HWND focus = GetFocus();
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (IsChild(hwnd, focus)) {
                focusedControl = focus;
            }
            break;
        }
        // Back from Default apps (or any other window): show what the user chose there.
        if (!commands.Busy()) {
            ShowAssociationMarks();
        }
        break; // the default handling gives the window the focus, which goes on to the control
    }
    case WM_SETFOCUS:
        // Back to the control that had the focus, however the window got it (activated again, at
        // the end of a modal dialog).
        if (IsWindow(focusedControl)) {
            SetFocus(focusedControl);
        }
        return 0;
    case WM_CONTEXTMENU:
        // The keyboard's menu (the point -1, -1) in the list; a right click has had its menu.
        if (reinterpret_cast<HWND>(wParam) == listView && LOWORD(lParam) == 0xFFFF &&
            HIWORD(lParam) == 0xFFFF) {
            if (!commands.Busy()) {
                const CommandGuard::Running running(commands, hwnd);
                ShowContextMenuAtFocusedRow();
            }
            return 0;
        }
        break;
    case DM_GETDEFID: {
        // Enter, as the dialog manager passes it on: the focused control's command (a button's,
        // or the list's icon choice); never command 1 (IDOK) unless the focus is on its button.
        const HWND focus = GetFocus();
        const int id = IsChild(hwnd, focus) ? GetDlgCtrlID(focus) : kListViewId;
        return MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_DPICHANGED:
        ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        // While a command runs (its boxes let clicks through) a button does nothing.
        if (!commands.Busy()) {
            const CommandGuard::Running running(commands, hwnd);
            switch (LOWORD(wParam)) {
            case kListViewId: // Enter in the list: the keyboard's double-click on the focused row
                if (reinterpret_cast<HWND>(lParam) == listView) {
                    ChooseIcon(ListView_GetNextItem(listView, -1, LVNI_FOCUSED));
                }
                break;
            case kSetAssociationsId:
                SetAssociations(listView);
                break;
            case kOpenIdfFileId:
                OpenIdfFile();
                break;
            default: // the check box toggles itself
                break;
            }
        }
        return 0;
    case WM_CLOSE: // the close box and the system close command (Alt+F4) come here too
        if (commands.KeepCloseRequest()) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        PostQuitMessage(0);
        break; // the base handling deletes this object
    default:
        break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

LRESULT RootWindow::CreateControls() {
    // Every control is a tab stop; the tab order (list, check box, "Open IDF File", "Set
    // Associations") is the z-order, set once they are all there.
    listView =
        CreateChild(hwnd, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LVS_LIST | LVS_SHOWSELALWAYS,
                    0, 0, 200, 100, kListViewId);
    SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    dpi = WindowDpi(hwnd);
    MakeImageList();
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
    SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
    // The creation size is for 96 dpi; at another the window starts in proportion.
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
        RECT bounds = {};
        GetWindowRect(hwnd, &bounds);
        SetWindowPos(hwnd, nullptr, 0, 0,
                     MulDiv(bounds.right - bounds.left, dpi, USER_DEFAULT_SCREEN_DPI),
                     MulDiv(bounds.bottom - bounds.top, dpi, USER_DEFAULT_SCREEN_DPI),
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    return 0;
}

void RootWindow::MakeDialogFont() {
    // 8 points of "MS Shell Dlg 2" at the window's resolution.
    LOGFONTW font = {};
    font.lfHeight = DialogFontHeight(dpi);
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(font.lfFaceName, LF_FACESIZE, L"MS Shell Dlg 2");
    UniqueFont made(CreateFontIndirectW(&font));
    const UniqueDeviceContext display(CreateICW(L"DISPLAY", nullptr, nullptr, nullptr));
    TEXTMETRICW metrics = {};
    SIZE label = {};
    {
        const SelectedObject selected(display.get(), made.get());
        GetTextMetricsW(display.get(), &metrics);
        GetTextExtentPoint32W(display.get(), kShellExtensionLabel,
                              static_cast<int>(wcslen(kShellExtensionLabel)), &label);
    }
    charWidth = metrics.tmAveCharWidth;
    charHeight = metrics.tmHeight;
    // The box, a character's gap, the label.
    shellExtensionWidth = SystemMetricForDpi(SM_CXMENUCHECK, dpi) + charWidth + label.cx;
    for (const HWND control :
         {listView, setAssociationsButton, openIdfButton, shellExtensionCheckBox}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    }
    dialogFont = std::move(made); // the controls no longer use the old one
    // Info tips of two lines: the description, then what the type opens with.
    SendMessageW(reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETTOOLTIPS, 0, 0)),
                 TTM_SETMAXTIPWIDTH, 0, kInfoTipWidthChars * charWidth);
}

void RootWindow::MakeImageList() {
    // With a mask, the badge can be drawn over a row's icon: the rows' icons are opaque images
    // on the window colour, as a list without a mask shows them.
    const int size = SystemMetricForDpi(SM_CXSMICON, dpi);
    imageList = CommonControls().imageListCreate(size, size, ILC_COLOR24 | ILC_MASK, 10, 1);
    AddBadgeImage();
    const UniqueImageList replaced(reinterpret_cast<HIMAGELIST>(SendMessageW(
        listView, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imageList))));
}

void RootWindow::ChangeDpi(int newDpi, const RECT& suggested) {
    dpi = newDpi;
    MakeDialogFont();
    // While a command runs, the rows may refer to entries that the loader is replacing: their
    // icons are then made anew when the list is filled again.
    if (!commands.Busy() || RowCount(listView) == 0) {
        RemakeRowImages();
    }
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(hwnd, &client);
    LayoutControls(client.right, client.bottom);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void RootWindow::RemakeRowImages() {
    MakeImageList();
    // The rows are in catalogue order, as AddRowImages gives their images.
    const std::vector<int> images = AddRowImages();
    const int rows = std::min(RowCount(listView), static_cast<int>(images.size()));
    for (int row = 0; row < rows; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = images[row];
        SendMessageW(listView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void RootWindow::LayoutControls(int width, int height) {
    const int c = charWidth;
    const int h = charHeight;
    const int buttonHeight = ButtonHeight(h);
    const int buttonsTop = height - buttonHeight - kMargin;
    const int setWidth = kSetAssociationsChars * c;
    const int setLeft = width - setWidth - kMargin;
    const int openWidth = kOpenIdfFileChars * c;
    const int openLeft = setLeft - kMargin - openWidth;
    // The check box sits beside the buttons when its whole label fits there, else above them.
    const int checkWidth = std::max(kShellExtensionChars * c, shellExtensionWidth);
    const bool besideButtons = kMargin + checkWidth + kMargin <= openLeft;
    const int checkTop = besideButtons ? height - h - kCheckBoxBottom : buttonsTop - h - kMargin;
    const int listBottom = (besideButtons ? buttonsTop : checkTop) - kMargin;
    MoveWindow(listView, kMargin, kMargin, width - 2 * kMargin, listBottom - kMargin, FALSE);
    MoveWindow(setAssociationsButton, setLeft, buttonsTop, setWidth, buttonHeight, FALSE);
    MoveWindow(openIdfButton, openLeft, buttonsTop, openWidth, buttonHeight, FALSE);
    MoveWindow(shellExtensionCheckBox, kMargin, checkTop, checkWidth, h, FALSE);
    InvalidateRect(hwnd, nullptr, TRUE);
    for (const HWND control :
         {listView, setAssociationsButton, openIdfButton, shellExtensionCheckBox}) {
        UpdateWindow(control);
    }
}

void RootWindow::FillExtensionList() {
    AddExtensionRows(AddRowImages());
    // The keyboard starts on the first row.
    if (RowCount(listView) > 0 &&
        SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) < 0) {
        ListView_SetItemState(listView, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    ShowAssociationMarks();
    FitWindowToList();
}

std::vector<int> RootWindow::AddRowImages() {
    // Each row keeps an image of its own, which a chosen icon replaces; but the icon of a location
    // is extracted only once (the built-in rows all show the player's first icon).
    std::map<std::pair<std::wstring, int>, UniqueIcon> icons;
    const int size = ImageSize(imageList);
    IconLocationGate gate;
    std::vector<int> images;
    images.reserve(catalogue.Size());
    for (const auto& keyAndEntry : catalogue) {
        const ExtensionEntry& entry = keyAndEntry.second;
        const int index = ParseIconIndex(entry.iconIndex);
        auto found = icons.find({entry.iconFile, index});
        if (found == icons.end()) {
            found = icons
                        .emplace(std::make_pair(entry.iconFile, index),
                                 ExtractSmallIcon(gate, entry.iconFile, index, size))
                        .first;
        }
        images.push_back(found->second ? PutIconImage(imageList, -1, found->second.get()) : -1);
    }
    return images;
}

void RootWindow::AddExtensionRows(const std::vector<int>& images) {
    // The list view lays its columns out anew for every row it gets while it redraws; held
    // back, it does that once, when the rows are all in.
    const RedrawHeldBack heldBack(listView);
    std::size_t row = 0;
    for (auto& keyAndEntry : catalogue) {
        InsertExtensionRow(keyAndEntry.second, row < images.size() ? images[row] : -1);
        ++row;
    }
}

void RootWindow::InsertExtensionRow(ExtensionEntry& entry, int image) {
    std::wstring text = L"." + entry.extension;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = INT_MAX; // at the end
    item.pszText = text.data();
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(&entry);
    SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void RootWindow::FitWindowToList() {
    const int rows = RowCount(listView);
    if (rows <= 0) {
        return; // no row to measure: the window keeps its size
    }
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (!SendMessageW(listView, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) {
        return;
    }
    const int columns = (rows - 1) / kRowsPerColumn + 1;
    const int width = columns * (row.right - row.left) + kFittedExtraWidth;
    const int height = (row.bottom - row.top + 1) * kFittedRowLines + ButtonHeight(charHeight);
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
}

void RootWindow::OpenIdfFile() {
    LoadIdfFile(nullptr);
    // The loader may have replaced entries that the rows point at: rebuild before any row is
    // used again, whatever the loader did.
    RebuildExtensionList();
}

void RootWindow::RebuildExtensionList() {
    SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
    rowStates.clear();
    MakeImageList(); // of the present dpi's size, even when the dpi changed during a command
    FillExtensionList();
}
