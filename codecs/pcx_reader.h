#pragma once
// The ZSoft PCX picture format: 1-bit monochrome, 1 bit in 2 to 4 planes and 2 or 4 bits in
// one plane with the header's palette, 8 bits with the 256-colour palette at the end (grey
// without one), and 24-bit colour in three planes (four planes: the fourth is alpha).
#include <cstddef>
#include <cstdint>

#include "picture.h"

// Decodes one PCX file image into a pkGraphic picture. Damaged, truncated or unsupported files,
// and pictures larger than MaxPixels, raise EInvalidGraphic before anything large is allocated.
TPicture ReadPcxImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
