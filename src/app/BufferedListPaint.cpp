#include "app/BufferedListPaint.h"

#include "app/DibSection.h"
#include "app/ListRows.h"
#include "common/UniqueHandle.h"

namespace {

// The list view's own window procedure, kept in the list's user data while the list is subclassed.
LRESULT Forward(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_USERDATA));
    return CallWindowProcW(own, list, message, wParam, lParam);
}

// The list's background colour over the area, then the control's own painting into context.
// (Painting into a given context, the list view leaves the background where no row is to the
// window's erasing.)
void PaintInto(HWND list, HDC context, const RECT& area) {
    SetDCBrushColor(context, BackgroundColour(list));
    FillRect(context, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    Forward(list, WM_ERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    Forward(list, WM_PAINT, reinterpret_cast<WPARAM>(context), 0);
}

void PaintBuffered(HWND list) {
    PAINTSTRUCT paint;
    const HDC screen = BeginPaint(list, &paint);
    if (screen == nullptr) {
        return;
    }
    const RECT& area = paint.rcPaint;
    const int width = area.right - area.left, height = area.bottom - area.top;
    void* bits = nullptr;
    const UniqueDeviceContext buffer(width > 0 && height > 0 ? CreateCompatibleDC(screen)
                                                             : nullptr);
    const UniqueBitmap pixels = buffer ? MakeDib(width, height, 32, bits) : UniqueBitmap();
    if (!pixels) {
        if (width > 0 && height > 0) {
            PaintInto(list, screen, area); // no memory for the buffer: straight onto the screen
        }
        EndPaint(list, &paint);
        return;
    }
    {
        const SelectedObject selected(buffer.get(), pixels.get());
        // The buffer's top left corner is the area's: the control draws in its own coordinates.
        SetViewportOrgEx(buffer.get(), -area.left, -area.top, nullptr);
        PaintInto(list, buffer.get(), area);
        SetViewportOrgEx(buffer.get(), 0, 0, nullptr);
        BitBlt(screen, area.left, area.top, width, height, buffer.get(), 0, 0, SRCCOPY);
    }
    EndPaint(list, &paint);
}

LRESULT CALLBACK BufferedPaintProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        // Painted with the rows in the buffer; erasing the screen first would only flicker.
        return 1;
    case WM_PAINT:
        if (wParam == 0) { // a context given by the caller (WM_PRINTCLIENT and the like) is theirs
            PaintBuffered(list);
            return 0;
        }
        break;
    default:
        break;
    }
    return Forward(list, message, wParam, lParam);
}

} // namespace

bool PaintThroughBuffer(HWND list) {
    // A plain subclass: the list's user data holds the procedure it had. (The common controls'
    // SetWindowSubclass looks its chain up in a window property for every message, which under
    // Wine is a round trip to the server: a long list's fill would take seconds.)
    if (GetWindowLongPtrW(list, GWLP_USERDATA) != 0) {
        return false; // the user data is taken
    }
    const LONG_PTR own = GetWindowLongPtrW(list, GWLP_WNDPROC);
    if (own == 0) {
        return false;
    }
    SetWindowLongPtrW(list, GWLP_USERDATA, own);
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BufferedPaintProc));
    return true;
}
