#pragma once
// The effects that move or restyle pixels, on RgbImages (pixel (x, y), y downward).
#include <cstdint>

#include "rgb_image.h"

// Columns outer, rows inner; per pixel r = NextRandom(Amount), dx = NextRandom(2r),
// dy = NextRandom(2r), and the pixel takes the current colour of (x + r - dx, y + r - dy)
// when that lies inside. In place.
void ScatterPixels(RgbImage& Image, uint32_t Amount);
// Dest starts as a copy of Source; then, rows and columns in order, source pixel (x, y) goes to
// (round|x + xx - yy|, round|y + yy - xx|) when that lies inside, with
// yy = cos((y mod Turbulence) / Scale) * Scale and xx = sin((x mod Turbulence) / Scale) *
// (-Scale), all in extended precision. Turbulence must be at least 1 and Scale non-zero.
void DropDisplace(const RgbImage& Source, RgbImage& Dest, int32_t Turbulence, double Scale);
// Every Block x Block square (aligned to the top-left corner, cut short at the edges) takes
// the colour of its top-left pixel. Block 0 or 1 changes nothing.
void BlockMosaic(RgbImage& Image, int32_t Block);
// Rows A .. H - 1 - 2A move down by A + b, b = round(A * S) taken from the previous column's
// angle: style 0 S = sin(x f), 1 sin(x f) cos(x f), 2 sin(x f) sin(I f x), f = (pi / 2) / A.
// Another style keeps b at 0. Nothing changes when H <= 3A or A < 1.
void WaveShift(RgbImage& Image, int32_t Amplitude, int32_t Interference, int32_t Style);
// Each channel of (x, y), x < W - 3, y < H - 1, becomes (v + 255 - the channel at
// (x + 3, y + 1)) >> 1, the lower row read before it changes.
void DiagonalEmboss(RgbImage& Image);
// With b = min(H div 2, Step), rows H - 1 - b .. 0 move down by x mod (b + 1) in column x
// (x mod 256 once b reaches 255, the counter being 8 bits wide).
void SawtoothBlinds(RgbImage& Image, int32_t Step);

// The per-column shifts of WaveShift (A + b for column x).
void WaveOffsets(int32_t Width, int32_t Amplitude, int32_t Interference, int32_t Style,
                 int32_t* Offsets);
