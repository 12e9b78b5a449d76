#include "app/Window.h"

#include "app/StartUp.h"
#include "resource.h"

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* object = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        object = static_cast<Window*>(create->lpCreateParams);
        if (object != nullptr) {
            object->hwnd = window;
            // The full pointer: a 32-bit slot would cut a 64-bit address in half.
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
    } else {
        object = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (object == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return object->OnMessage(message, wParam, lParam);
}

void Window::Register() {
    const std::wstring className = WindowClassName();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &Window::WindowProc;
    windowClass.hInstance = instanceHandle;
    windowClass.hIcon = LoadIconW(instanceHandle, MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className.c_str();
    RegisterWindowClass(windowClass);
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint = {};
        BeginPaint(hwnd, &paint);
        Paint(paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: {
        PAINTSTRUCT paint = {};
        paint.hdc = reinterpret_cast<HDC>(wParam);
        GetClientRect(hwnd, &paint.rcPaint);
        Paint(paint);
        return 0;
    }
    case WM_NCDESTROY: {
        const HWND window = hwnd;
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        // Detach first: nothing that arrives from now on may reach the object.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete this;
        return result;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void Window::Paint(const PAINTSTRUCT& /*paint*/) {}

ATOM Window::RegisterWindowClass(const WNDCLASSW& windowClass) {
    return RegisterClassW(&windowClass);
}

Window::~Window() {
    if (deletedDuringCreation != nullptr) {
        *deletedDuringCreation = true;
    }
}

Window* Window::CreateBoundWindow(Window* object, const wchar_t* title, DWORD style, int width,
                                  int height) {
    bool deleted = false;
    object->deletedDuringCreation = &deleted;
    const std::wstring className = object->WindowClassName();
    const HWND window =
        CreateWindowExW(0, className.c_str(), title, style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                        height, nullptr, nullptr, instanceHandle, object);
    if (deleted) {
        // The window was attached and destroyed again inside CreateWindowExW: its WM_NCDESTROY
        // has deleted the object already.
        return nullptr;
    }
    object->deletedDuringCreation = nullptr;
    if (window == nullptr) {
        delete object;
        return nullptr;
    }
    return object;
}
