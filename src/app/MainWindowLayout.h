// Where the main window's controls go, as pure arithmetic: from the client size, the measures of
// the dialog font and the dots per inch to the controls' rectangles and the window's sizes. Every
// pixel constant is one at 96 dpi and scales with the dpi; widths in average characters and
// heights in lines of the font scale with the font. Only FittedSizeOfWindow measures a window.
#pragma once

#include <windows.h>

struct LayoutMeasures {
    int dpi = USER_DEFAULT_SCREEN_DPI;
    int charWidth = 0;  // of the dialog font
    int charHeight = 0; // of the dialog font
    // What the check box needs to show its whole label.
    int checkBoxWidth = 0;
};

// A control's place in the client area.
struct ControlBox {
    int x = 0, y = 0, width = 0, height = 0;
};

struct ControlLayout {
    ControlBox listView, setAssociationsButton, openIdfButton, shellExtensionCheckBox;
};

// The list on top, the buttons at the bottom right, the check box at the bottom left, above the
// buttons when the width leaves no room for its label beside them.
ControlLayout LayOutControls(int width, int height, const LayoutMeasures& measures);

// A button is 1.9 lines of the dialog font high.
int ButtonHeight(int charHeight);

// The smallest size the user can drag the window to: 88 average characters by 15 lines.
SIZE MinimumWindowSize(const LayoutMeasures& measures);

// The outer size of the window that shows the rows, 20 rows to a list column, given the bounds
// of one row, what the window's frame adds to its client size and the height that the list keeps
// beside its rows. The rows get twenty rows and half of another: the list view starts a new column
// where a whole row no longer fits.
SIZE FittedWindowSize(int rows, const RECT& rowBounds, const LayoutMeasures& measures,
                      SIZE windowFrame, int listBesideRows);
// The same for the window as it is: its frame measured, and beside the rows the list's client
// edges and the room of a horizontal scroll bar, which a list of columns keeps free below its rows
// even when it shows none.
SIZE FittedSizeOfWindow(HWND window, int rows, const RECT& rowBounds,
                        const LayoutMeasures& measures);

// The widest line of an info tip: 60 average characters.
int InfoTipWidth(const LayoutMeasures& measures);

// The width the check box needs: its box, a character's gap and its label.
int CheckBoxWidth(int dpi, int charWidth, int labelWidth);
