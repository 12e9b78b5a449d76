// The list paints its rows into an off-screen DIB section and then shows them with one copy.
// Every check box and icon of a row is drawn through the image lists, and an image list draws
// each image by way of a scratch bitmap compatible with the target: on the screen that is a
// bitmap of the display driver (slow to make and select under Wine, a fraction of a millisecond
// each), in a DIB section it is plain memory. The copy also keeps a long list from flickering.
#pragma once

#include <windows.h>

// Paints list (a list view) through the off-screen bitmap from now on, until it is destroyed;
// false when the window could not be subclassed (it then paints as before).
bool PaintThroughBuffer(HWND list);
