#pragma once
// The Truevision TGA picture format: true-colour (15, 16, 24, 32 bits), grey (8 bits, 16 bits
// with alpha) and colour-mapped (15, 16, 24, 32-bit map entries), uncompressed and RLE, in any
// of the four row and column orders.
#include <cstddef>
#include <cstdint>

#include "picture.h"

// Decodes one TGA file image into a pkGraphic picture. Alpha: 32-bit pixels and map entries
// keep their alpha byte (unless every one of them is 0, which means the file has no alpha);
// grey with 16 bits is grey and alpha; 15 and 16-bit colours are opaque (writers disagree on
// the meaning of their top bit). 5-bit channels scale to the nearest level, (V * 255 + 15) / 31.
// Damaged, truncated or unsupported files, and pictures larger than MaxPixels, raise
// EInvalidGraphic before anything large is allocated.
TPicture ReadTgaImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
