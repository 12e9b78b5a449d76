// The display scale of the main window: the dots per inch of its screen, what the system measures
// at them, and the pixels of a layout drawn for 96 dpi taken to them.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0 // sent from Windows 8.1 on; the headers name it only for those
#endif

// The dots per inch of the screen that shows the window.
int WindowDpi(HWND window);
// A system metric (SM_CXSMICON, SM_CXMENUCHECK...) at the given dots per inch.
int SystemMetricForDpi(int index, int dpi);

// Height of the dialog font (8 points) in logical units for a display of the given dots per inch:
// -11 at 96 dpi, -13 at 120, -16 at 144, -21 at 192.
int DialogFontHeight(int dpi);

// A length of pixels at 96 dpi, at the given dots per inch (rounded to the nearest pixel).
int ScalePixels(int pixels, int dpi);
