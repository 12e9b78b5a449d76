// The floor of the tool's own design for the start-up benchmark: a program with the tool's
// manifest and libraries that shows a main window with a list view in list mode, filled with as
// many text rows as its argument asks (82 without one) and no icons. What the tool takes beyond it
// is its own work (catalogue, probe, marks, icons, fitting).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <cstdlib>
#include <string>

namespace {

// One function of every library the tool imports, so that the loader maps the same DLLs.
const void* volatile kImported[] = {reinterpret_cast<const void*>(&RegCloseKey),
                                    reinterpret_cast<const void*>(&CoInitialize),
                                    reinterpret_cast<const void*>(&CommandLineToArgvW),
                                    reinterpret_cast<const void*>(&PathRemoveFileSpecW),
                                    reinterpret_cast<const void*>(&SetWindowTheme),
                                    reinterpret_cast<const void*>(&GetStockObject)};

LRESULT CALLBACK ListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    int count = 0;
    LPWSTR* const arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const int rows =
        arguments != nullptr && count > 1 && _wtoi(arguments[1]) > 0 ? _wtoi(arguments[1]) : 82;
    LocalFree(arguments);
    (void)kImported[0];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ListWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"VTBenchListWnd";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, L"VTBenchListWnd", L"List", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 680, 456, nullptr, nullptr, instance, nullptr);
    const HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_LIST, 8, 8, 640, 360,
                                      window, nullptr, instance, nullptr);
    ShowWindow(window, show);
    // Redrawing held back while the rows go in, as a careful program fills a long list (each row
    // would otherwise lay out and invalidate the whole list again).
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        std::wstring text = L".ext" + std::to_wstring(row);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = text.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    // Shown: the rows painted before the loop, as the tool paints its list when it fits the
    // window to it.
    UpdateWindow(list);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
