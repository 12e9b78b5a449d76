// What the start-up benchmark's own window programs share: their window class, their message
// loop, and (for those that stand beside the tool) the tool's libraries.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// Ends the message loop when the window is destroyed; everything else as the system does it.
inline LRESULT CALLBACK QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Registers a main window class of the name (the arrow cursor, the dialog background) and creates
// its window, titled as given, of the size, not yet shown.
inline HWND CreateBenchWindow(HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                              const wchar_t* title, int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           width, height, nullptr, nullptr, instance, nullptr);
}

inline int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Takes one function of every library the tool imports or loads at start-up, so that the loader
// maps the same DLLs, and registers the list view classes as the tool does.
inline void StartWithToolLibraries() {
    static const void* volatile functions[] = {reinterpret_cast<const void*>(&RegCloseKey),
                                               reinterpret_cast<const void*>(&CoInitialize),
                                               reinterpret_cast<const void*>(&CommandLineToArgvW),
                                               reinterpret_cast<const void*>(&PathRemoveFileSpecW),
                                               reinterpret_cast<const void*>(&SetWindowTheme),
                                               reinterpret_cast<const void*>(&GetStockObject)};
    (void)functions[0];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

// The command line's arguments after the program's name.
inline std::vector<std::wstring> BenchArguments() {
    int count = 0;
    LPWSTR* const arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> after;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        after.emplace_back(arguments[i]);
    }
    LocalFree(arguments);
    return after;
}

// The rows that the first argument asks for, 82 without one.
inline int RowsArgument(const std::vector<std::wstring>& arguments) {
    const int rows = arguments.empty() ? 0 : _wtoi(arguments.front().c_str());
    return rows > 0 ? rows : 82;
}

// Appends the row ".ext<row>" to the list, with the image when one is given.
inline void InsertTextRow(HWND list, int row, std::optional<int> image = std::nullopt) {
    std::wstring text = L".ext" + std::to_wstring(row);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (image ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.pszText = text.data();
    item.iImage = image.value_or(0);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}
