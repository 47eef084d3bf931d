#pragma once
// Outcode clipping of a segment against an axis-aligned window, edges included.
#include <cstdint>

// Moves the ends of (X1, Y1)-(X2, Y2) onto the window MinX <= x <= MaxX, MinY <= y <= MaxY.
// False when the segment lies wholly outside. Intersections are rounded with MulDivRound;
// arithmetic wraps like 32-bit integers, so extreme coordinates give defined, if useless, ends.
bool ClipLine(int32_t& X1, int32_t& Y1, int32_t& X2, int32_t& Y2, int32_t MinX, int32_t MinY,
              int32_t MaxX, int32_t MaxY);
