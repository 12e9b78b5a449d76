// The extension list's rows, and the only code that talks to the list view: its styles and image
// list, the rows with the catalogue entry each refers to, their images, check boxes (state image 1
// unchecked, 2 checked), overlays, selection and focus.
#pragma once

#include "catalogue/ExtensionCatalogue.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

enum : UINT {
    kUncheckedStateImage = 1,
    kCheckedStateImage = 2,
};

// The list's extended styles: check boxes, full-row selection, double buffering, info tips; and
// its info tips' widest line.
void SetListStyles(HWND list);
void SetInfoTipWidth(HWND list, int width);
// Gives the list its small-icon image list; returns the one it had (null for none), which is no
// longer the list's.
HIMAGELIST AttachRowImages(HWND list, HIMAGELIST images);
// The colour of the list's background (the window colour when it has none of its own).
COLORREF BackgroundColour(HWND list);

// Keeps the list from redrawing while the object lives, then has it repainted: rows added while
// it redraws make it lay its columns out anew for every row.
class RedrawHeldBack {
public:
    explicit RedrawHeldBack(HWND list);
    ~RedrawHeldBack();
    RedrawHeldBack(const RedrawHeldBack&) = delete;
    RedrawHeldBack& operator=(const RedrawHeldBack&) = delete;

private:
    HWND list;
};

int RowCount(HWND list);
// Appends the row of an entry: ".ext", the image (-1 for none), a reference to the entry.
void AppendRow(HWND list, ExtensionEntry& entry, int image);
void DeleteAllRows(HWND list);
// The catalogue entry the row refers to; nullptr when there is no such row.
ExtensionEntry* RowEntry(HWND list, int index);
// The row's image index, -1 for none (and for no such row).
int RowImage(HWND list, int index);
void SetRowImage(HWND list, int index, int image);
// Draws the row again, at once.
void RedrawRow(HWND list, int index);
// The row's bounds in the list's client area; false when there is no such row.
bool RowBounds(HWND list, int index, RECT& bounds);
// The same after scrolling the row into sight.
bool RowBoundsInSight(HWND list, int index, RECT& bounds);

// The row's state image: 1 unchecked, 2 checked (0 when the row has none).
UINT RowStateImage(HWND list, int index);
void SetRowStateImage(HWND list, int index, UINT stateImage);
// The rows whose check box is not cleared, in row order.
std::vector<int> CheckedRows(HWND list);
bool IsRowSelected(HWND list, int index);
void SelectAllRows(HWND list);
// The row with the keyboard focus, -1 for none.
int FocusedRow(HWND list);
void FocusRow(HWND list, int index);
// The row's overlay image (0 for none) in the list view's overlay bits.
UINT RowOverlay(HWND list, int index);
void SetRowOverlay(HWND list, int index, UINT overlay);
