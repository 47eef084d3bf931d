#pragma once
// Reduction of a 24-bit bitmap to a palette image of 1, 4 or 8 bits per pixel.
#include <cstdint>
#include <vector>

#include "bitmap24.h"
#include "types.h"

// The depths a platform bitmap converts to; pf24bit leaves the colours alone.
enum TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit };

// A palette image: one palette index per pixel (a byte each, whatever the depth), top row first.
struct TIndexedBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  // 1, 4 or 8; the palette holds at most 2^BitsPerPixel opaque colours, indices point into it.
  int32_t BitsPerPixel = 8;
  std::vector<TColor32> Palette;
  std::vector<uint8_t> Indices;
};

// Reduces Source to 1, 4 or 8 bits per pixel (pf24bit counts as 8: a palette of up to 256
// colours). A picture with no more distinct colours than the depth allows keeps them exactly.
// Otherwise 1 bit is black and white by Floyd-Steinberg error diffusion of the intensity, and
// 4 and 8 bits get an optimised palette of 16 or 256 colours with dithering (libimagequant).
// Raises Exception when the reduction fails.
TIndexedBitmap ReducePixelFormat(const TBitmap24& Source, TPixelFormat Format);

// Number of distinct (red, green, blue) colours of the bitmap.
int64_t CountColors(const TBitmap24& Source);
