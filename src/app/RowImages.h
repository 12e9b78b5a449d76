// The images of the extension list's rows: the list view's small-icon image list, one image
// appended per row whose icon is found, in row order (so row i has image i while every row before
// it has an icon), and after them the badge, the overlay image that marks the rows of the types
// Veltrano opens now. Made anew for a change of dpi.
#pragma once

#include "catalogue/ExtensionCatalogue.h"
#include "catalogue/IconLocationGate.h"
#include "common/SystemLibraries.h"
#include "common/UniqueHandle.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// The overlay image of the badge.
inline constexpr UINT kOpensWithVeltranoOverlay = 1;

class RowImages {
public:
    // A new, empty image list of the dpi's small-icon size for the list view, which takes it
    // over; the one it had is destroyed. The rows then refer to images that are not there: the
    // caller gives them new ones (or new rows).
    void Make(HWND list, int dpi);
    // Into the new image list of Make: the image of each entry's icon in catalogue order, then the
    // badge; returns each entry's image index, -1 for an entry without an icon. Each distinct icon
    // location is extracted and drawn once, however many entries name it, and the close indices
    // of one file are read with one opening of it. Icon files that the gate refuses are not
    // opened, save the player's own file, which the list shows wherever it is.
    std::vector<int> AddRowImages(const ExtensionCatalogue& catalogue,
                                  const std::wstring& playerPath);
    // Puts the icon of a row: at the row's image, or appended for a row without one (-1). Returns
    // the row's image afterwards, -1 when it has none.
    int PutRowIcon(int image, HICON icon);

    HIMAGELIST Handle() const { return imageList; }
    // The width (and height) of the images.
    int IconSize() const;

private:
    // A new image list of size x size images with room for capacity of them, for the list view
    // (the one it had is destroyed); nothing changes when it cannot be made.
    void Create(int size, int capacity);

    HWND owner = nullptr;
    // Owned by the list view, which destroys it with itself.
    HIMAGELIST imageList = nullptr;
};

// The icon at an icon location, size x size pixels; empty when there is none, or when the gate
// refuses the file (it is then not opened). A negative index names an icon resource identifier
// rather than a position.
UniqueIcon ExtractSmallIcon(IconLocationGate& gate, const std::wstring& file, int index, int size);
// An icon index kept as text, read as wcstol does: leading blanks and a sign, then the digits up
// to the first other character; 0 when there are none.
int ParseIconIndex(const std::wstring& text);
