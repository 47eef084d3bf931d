#pragma once
// Windows icon (.ico) and cursor (.cur) files: the largest, deepest image of the file, stored
// as a PNG or as a device-independent bitmap with its AND mask.
#include <cstddef>
#include <cstdint>

#include "picture.h"

// Decodes the image of the icon file with the most pixels, of those the deepest, of those the
// first, into a pkGraphic picture. Sizes and depths are taken from the images themselves, not
// from the directory. Bitmap images of 1, 4, 8, 16, 24 and 32 bits are read: the AND mask
// makes pixels transparent, except in a 32-bit image whose alpha channel is in use (then the
// alpha counts and the mask is ignored); a missing or cut-off mask counts as opaque. A damaged
// chosen image, or one larger than MaxPixels, raises EInvalidGraphic.
TPicture ReadIcoImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
