#pragma once
// A checkerboard fill, the editor's background behind a card with transparent parts.
#include <cstdint>

#include "bitmap32.h"

// Fills the whole of Dest with squares of Size pixels counted from its top-left corner:
// pixel (x, y) gets Even when (x div Size) and (y div Size) are both even or both odd, Odd
// otherwise. A Size below 1 or an empty Dest does nothing.
void FillCheckerboard(TBitmap32& Dest, int32_t Size, TColor32 Even, TColor32 Odd);
