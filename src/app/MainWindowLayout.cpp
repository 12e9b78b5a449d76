#include "app/MainWindowLayout.h"

#include "app/DisplayScale.h"

#include <algorithm>

namespace {

// Pixels at 96 dpi.
constexpr int kMargin = 8;            // around the list, between and below the buttons
constexpr int kCheckBoxBottom = 6;    // below the check box when it sits beside the buttons
constexpr int kFittedExtraWidth = 40; // beside the list columns of the fitted window
// Widths in average characters and heights in lines of the dialog font.
constexpr int kSetAssociationsChars = 25;
constexpr int kOpenIdfFileChars = 20;
constexpr int kShellExtensionChars = 33; // the check box's width at least
constexpr int kMinimumWidthChars = 88;
constexpr int kMinimumHeightLines = 15;
constexpr int kInfoTipWidthChars = 60;
// Fitting the window to its rows: rows per list column.
constexpr int kRowsPerColumn = 20;

} // namespace

int ButtonHeight(int charHeight) {
    return charHeight * 19 / 10;
}

ControlLayout LayOutControls(int width, int height, const LayoutMeasures& measures) {
    const int margin = ScalePixels(kMargin, measures.dpi);
    const int c = measures.charWidth;
    const int h = measures.charHeight;
    const int buttonHeight = ButtonHeight(h);
    const int buttonsTop = height - buttonHeight - margin;
    const int setWidth = kSetAssociationsChars * c;
    const int setLeft = width - setWidth - margin;
    const int openWidth = kOpenIdfFileChars * c;
    const int openLeft = setLeft - margin - openWidth;
    // The check box sits beside the buttons when its whole label fits there, else above them.
    const int checkWidth = std::max(kShellExtensionChars * c, measures.checkBoxWidth);
    const bool besideButtons = margin + checkWidth + margin <= openLeft;
    const int checkTop = besideButtons ? height - h - ScalePixels(kCheckBoxBottom, measures.dpi)
                                       : buttonsTop - h - margin;
    const int listBottom = (besideButtons ? buttonsTop : checkTop) - margin;
    ControlLayout layout;
    layout.listView = {margin, margin, width - 2 * margin, listBottom - margin};
    layout.setAssociationsButton = {setLeft, buttonsTop, setWidth, buttonHeight};
    layout.openIdfButton = {openLeft, buttonsTop, openWidth, buttonHeight};
    layout.shellExtensionCheckBox = {margin, checkTop, checkWidth, h};
    return layout;
}

SIZE MinimumWindowSize(const LayoutMeasures& measures) {
    return {kMinimumWidthChars * measures.charWidth, kMinimumHeightLines * measures.charHeight};
}

SIZE FittedWindowSize(int rows, const RECT& rowBounds, const LayoutMeasures& measures,
                      SIZE windowFrame, int listBesideRows) {
    const int columns = (rows - 1) / kRowsPerColumn + 1;
    const int width =
        columns * (rowBounds.right - rowBounds.left) + ScalePixels(kFittedExtraWidth, measures.dpi);
    const int rowHeight = rowBounds.bottom - rowBounds.top;
    const int listHeight = listBesideRows + kRowsPerColumn * rowHeight + rowHeight / 2;
    // What the layout puts above and below the list, at the width the window will have (never
    // less than its minimum).
    constexpr int kAnyHeight = 10000;
    const int clientWidth = std::max<int>(width, MinimumWindowSize(measures).cx) - windowFrame.cx;
    const int besideList =
        kAnyHeight - LayOutControls(clientWidth, kAnyHeight, measures).listView.height;
    return {width, listHeight + besideList + windowFrame.cy};
}

SIZE FittedSizeOfWindow(HWND window, int rows, const RECT& rowBounds,
                        const LayoutMeasures& measures) {
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const SIZE frame = {outer.right - outer.left - client.right,
                        outer.bottom - outer.top - client.bottom};
    return FittedWindowSize(rows, rowBounds, measures, frame,
                            2 * SystemMetricForDpi(SM_CYEDGE, measures.dpi) +
                                SystemMetricForDpi(SM_CYHSCROLL, measures.dpi));
}

int InfoTipWidth(const LayoutMeasures& measures) {
    return kInfoTipWidthChars * measures.charWidth;
}

int CheckBoxWidth(int dpi, int charWidth, int labelWidth) {
    return SystemMetricForDpi(SM_CXMENUCHECK, dpi) + charWidth + labelWidth;
}
