#include "app/DisplayScale.h"

#include "common/ModuleFunction.h"
#include "common/UniqueHandle.h"

#include <cmath>

namespace {

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

int ScalePixels(int pixels, int dpi) {
    return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI);
}
