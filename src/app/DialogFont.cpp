#include "app/DialogFont.h"

#include "app/DisplayScale.h"

#include <cwchar>

namespace {

UniqueDeviceContext DisplayContext() {
    return UniqueDeviceContext(CreateICW(L"DISPLAY", nullptr, nullptr, nullptr));
}

} // namespace

DialogFont::DialogFont(int dpi) {
    LOGFONTW description = {};
    description.lfHeight = DialogFontHeight(dpi);
    description.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(description.lfFaceName, LF_FACESIZE, L"MS Shell Dlg 2");
    font.reset(CreateFontIndirectW(&description));
    const UniqueDeviceContext display = DisplayContext();
    const SelectedObject selected(display.get(), font.get());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(display.get(), &metrics);
    charWidth = metrics.tmAveCharWidth;
    charHeight = metrics.tmHeight;
}

int DialogFont::TextWidth(const wchar_t* text) const {
    const UniqueDeviceContext display = DisplayContext();
    const SelectedObject selected(display.get(), font.get());
    SIZE extent = {};
    GetTextExtentPoint32W(display.get(), text, static_cast<int>(std::wcslen(text)), &extent);
    return extent.cx;
}
