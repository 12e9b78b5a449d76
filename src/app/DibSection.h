// Device-independent bitmaps that the program draws into: top row first, pixels in memory that
// GDI draws into without going through the display driver.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

// A DIB section of width x height pixels of bitCount bits (24 or 32); its pixels are at bits.
// Null (and bits null) on failure.
UniqueBitmap MakeDib(int width, int height, WORD bitCount, void*& bits);
