// A minimal object layer over Win32 windows: one object per window, every message of the window
// routed to a virtual handler, and the object deleting itself when its window is finally gone.
#pragma once

#include <windows.h>

#include <string>

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The window procedure of every class registered through Register.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Registers the window class (icon 20005, arrow cursor, button-face background). A class
    // that is already registered is not an error.
    void Register();

    // Handles one message of the window. Overrides fall back to this base handling: painting
    // through Paint, self-deletion at WM_NCDESTROY, DefWindowProcW for everything else.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the client area; the base draws nothing.
    virtual void Paint(const PAINTSTRUCT& paint);
    virtual std::wstring WindowClassName() const = 0;
    virtual ATOM RegisterWindowClass(const WNDCLASSW& windowClass);
    virtual ~Window();

    HWND hwnd = nullptr;

protected:
    // Creates a top-level window bound to the object and hands the object to it. Returns the
    // object, or nullptr when no window resulted; the object is then deleted, exactly once,
    // whether the failure came before it was attached or after.
    static Window* CreateBoundWindow(Window* object, const wchar_t* title, DWORD style, int width,
                                     int height);

private:
    // Set while CreateBoundWindow waits for CreateWindowExW, so that it learns whether the
    // window's own destruction has already deleted the object.
    bool* deletedDuringCreation = nullptr;
};
