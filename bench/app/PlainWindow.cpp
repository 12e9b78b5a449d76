// The tool's window written the plain way, for the start-up benchmark (a figure for information):
// the floor's list of text rows (ListWindow.cpp) with the window's own features, as a careful
// programmer writes them without measuring. Check boxes on the rows; a small icon on every row,
// icon 0 of the player file as the tool shows it, extracted for the row (ExtractIconExW) and
// appended with ImageList_ReplaceIcon to an image list made with room for all the rows; the dialog
// font on the list and on the three buttons; the window fitted to the rows by the tool's own rule
// (FittedSizeOfWindow, 20 rows to a list column) and its controls laid out as the tool lays them
// out; all of it painted before the loop, straight onto the screen.
//
// What it leaves out of the tool's start-up: the version gate, COM and OLE, the catalogue and the
// known sets, the probe of earlier registrations, the IDF file, the association marks (badge and
// info tips), the context menu, the list's visual style and its other extended styles (full-row
// selection, double buffering, info tips), the focus on the first row. What it does the plain
// way, where the tool takes care: every row makes an icon of its own from the file and hands it
// to the image list (the tool extracts each distinct icon once, draws it once into a DIB section
// and hands the images over a strip at a time), and the list draws its rows straight onto the
// screen (the tool paints it into an off-screen DIB section shown with one copy).
//
// Why it is slow under Wine, as measured under Wine 8 on a busy two-core machine with the phases
// timed in this program: the icons. Making an icon costs Wine about 1.5 to 2.5 ms (ExtractIconExW
// for the row, and no less when the row's icon is a CopyIcon of one made before), and the image
// list takes each with ImageList_ReplaceIcon in about 2 to 4 ms (at 24 bits as at 32): together
// 55 to 67 % of the program's time from wWinMain on with 82 rows, 87 to 92 % with 1,082 and 97 %
// with 5,082. Next, with 82 rows, the drawing of the 164 check boxes and icons on the screen:
// 50 to 130 ms more than the same rows' painting without them, a fraction of a millisecond an
// image. With more rows the window, fitted wider than the screen, is held to the screen's width,
// and only the rows in sight are drawn. The text rows, the fitting and the layout take little.
//
//   bench_plain_window [ROWS [PLAYER]]   ROWS rows (82 without), each with icon 0 of PLAYER.
#include "app/BenchWindow.h"
#include "app/DialogFont.h"
#include "app/DisplayScale.h"
#include "app/MainWindowLayout.h"

namespace {

const wchar_t kShellExtensionLabel[] = L"Play / Enqueue Shell Extension";

struct PlainControls {
    HWND list = nullptr, setAssociations = nullptr, openIdfFile = nullptr, shellExtension = nullptr;
    LayoutMeasures measures;
};

void Place(HWND control, const ControlBox& box) {
    MoveWindow(control, box.x, box.y, box.width, box.height, TRUE);
}

// The controls where the tool puts them for the window's client size.
void LayOut(HWND window, const PlainControls& controls) {
    RECT client = {};
    GetClientRect(window, &client);
    const ControlLayout layout = LayOutControls(client.right, client.bottom, controls.measures);
    Place(controls.list, layout.listView);
    Place(controls.setAssociations, layout.setAssociationsButton);
    Place(controls.openIdfFile, layout.openIdfButton);
    Place(controls.shellExtension, layout.shellExtensionCheckBox);
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* controls =
        reinterpret_cast<const PlainControls*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_SIZE && controls != nullptr) {
        LayOut(window, *controls);
        return 0;
    }
    return QuitOnDestroy(window, message, wParam, lParam);
}

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text,
                 DWORD style) {
    return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0,
                           0, 100, 30, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::vector<std::wstring> arguments = BenchArguments();
    const int rows = RowsArgument(arguments);
    const std::wstring player = arguments.size() > 1 ? arguments[1] : L"";
    StartWithToolLibraries();
    // Made at the tool's size, then fitted to the rows.
    const HWND window =
        CreateBenchWindow(instance, L"VTBenchPlainWnd", PlainWindowProc, L"Plain", 400, 300);
    PlainControls controls;
    controls.list = CreateChild(window, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_VSCROLL | LVS_LIST);
    SendMessageW(controls.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    controls.setAssociations = CreateChild(window, 0, L"BUTTON", L"Set Associations", 0);
    controls.openIdfFile = CreateChild(window, 0, L"BUTTON", L"Open IDF File", 0);
    controls.shellExtension =
        CreateChild(window, 0, L"BUTTON", kShellExtensionLabel, BS_AUTOCHECKBOX);

    const int dpi = WindowDpi(window);
    const DialogFont font(dpi);
    for (const HWND control :
         {controls.list, controls.setAssociations, controls.openIdfFile, controls.shellExtension}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), FALSE);
    }
    controls.measures = {dpi, font.charWidth, font.charHeight,
                         CheckBoxWidth(dpi, font.charWidth, font.TextWidth(kShellExtensionLabel))};
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&controls));
    LayOut(window, controls);

    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    const HIMAGELIST images = ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, rows, 0);
    SendMessageW(controls.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    ShowWindow(window, show);

    // Redrawing held back while the rows go in, as in the floor.
    SendMessageW(controls.list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        HICON icon = nullptr;
        ExtractIconExW(player.c_str(), 0, nullptr, &icon, 1);
        const int image = icon != nullptr ? ImageList_ReplaceIcon(images, -1, icon) : -1;
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
        InsertTextRow(controls.list, row, image);
    }
    SendMessageW(controls.list, WM_SETREDRAW, TRUE, 0);

    // Fitted to the rows as the tool fits its window, then painted.
    RECT rowBounds = {LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageW(controls.list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rowBounds))) {
        const SIZE size = FittedSizeOfWindow(window, rows, rowBounds, controls.measures);
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    }
    InvalidateRect(controls.list, nullptr, TRUE);
    UpdateWindow(window);
    return RunMessageLoop(); // the list destroys its image list
}
