// The font of the main window's controls: 8 points of "MS Shell Dlg 2" made for one dpi, with its
// measures. A change of dpi replaces the whole object.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

class DialogFont {
public:
    DialogFont() = default;
    // Makes the font for the dots per inch and measures it.
    explicit DialogFont(int dpi);

    HFONT Handle() const { return font.get(); }
    // The width of the text in the font, in pixels.
    int TextWidth(const wchar_t* text) const;

    // Average character width (tmAveCharWidth) and character height (tmHeight), in pixels.
    int charWidth = 0;
    int charHeight = 0;

private:
    UniqueFont font;
};
