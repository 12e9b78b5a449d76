// Reading and changing the rows of the extension list: the catalogue entry a row refers to, its
// check box, which the list view keeps as state image 1 (unchecked) or 2 (checked), and the
// small icon a row shows.
#pragma once

#include "catalogue/ExtensionCatalogue.h"
#include "catalogue/IconLocationGate.h"
#include "common/SystemLibraries.h"
#include "common/UniqueHandle.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

enum : UINT {
    kUncheckedStateImage = 1,
    kCheckedStateImage = 2,
};

int RowCount(HWND list);
// The catalogue entry the row refers to; nullptr when there is no such row.
ExtensionEntry* RowEntry(HWND list, int index);
// The row's state image: 1 unchecked, 2 checked (0 when the row has none).
UINT RowStateImage(HWND list, int index);
void SetRowStateImage(HWND list, int index, UINT stateImage);
bool IsRowSelected(HWND list, int index);
// The row's overlay image (0 for none) in the list view's overlay bits.
UINT RowOverlay(HWND list, int index);
void SetRowOverlay(HWND list, int index, UINT overlay);

// Puts the icon into the image list at the image index, or appends it for index -1, drawn on the
// window colour as an opaque image (so that an overlay can be drawn over it). Returns the image's
// index, -1 when it could not be put there.
int PutIconImage(HIMAGELIST list, int index, HICON icon);

// An image list that is no longer a control's.
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

// The width (and height) of the image list's images.
int ImageSize(HIMAGELIST list);

// The icon at an icon location, size x size pixels; empty when there is none, or when the gate
// refuses the file (it is then not opened). A negative index names an icon resource identifier
// rather than a position.
UniqueIcon ExtractSmallIcon(IconLocationGate& gate, const std::wstring& file, int index, int size);
// An icon index kept as text, read as wcstol does: leading blanks and a sign, then the digits up
// to the first other character; 0 when there are none.
int ParseIconIndex(const std::wstring& text);
