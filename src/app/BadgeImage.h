// The badge that marks the rows of the types Veltrano opens now: a green disc with a white tick
// and a white rim in the bottom right corner of an icon, drawn for any icon size.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

// The badge as an image of size x size pixels and its mask, its edges found with 4 x 4 samples
// per pixel. A pixel that is mostly covered shows the badge's colour there (green, white or a mix
// of the two); the others are transparent (black in the image, as drawing through the mask
// needs).
struct Badge {
    UniqueBitmap image, mask;
};

Badge DrawBadge(int size);
