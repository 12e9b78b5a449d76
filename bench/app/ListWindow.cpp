// The floor of the tool's own design for the start-up benchmark: a program with the tool's
// manifest and libraries that shows a main window with a list view in list mode, filled with as
// many text rows as its argument asks (82 without one) and no icons. What the tool takes beyond it
// is its own work (catalogue, probe, marks, icons, fitting).
#include "app/BenchWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const int rows = RowsArgument(BenchArguments());
    StartWithToolLibraries();
    const HWND window =
        CreateBenchWindow(instance, L"VTBenchListWnd", QuitOnDestroy, L"List", 680, 456);
    const HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_LIST, 8, 8, 640, 360,
                                      window, nullptr, instance, nullptr);
    ShowWindow(window, show);
    // Redrawing held back while the rows go in, as a careful program fills a long list (each row
    // would otherwise lay out and invalidate the whole list again).
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        InsertTextRow(list, row);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    // Shown: the rows painted before the loop, as the tool paints its list when it fits the
    // window to it.
    UpdateWindow(list);
    return RunMessageLoop();
}
