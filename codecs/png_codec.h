#pragma once
// PNG pictures through libpng: reading every colour type and depth (palette and tRNS
// transparency, 16-bit, Adam7 interlacing) and writing 8-bit RGB or RGBA.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;

// Decodes one PNG file image into a pkGraphic picture with its own alpha (opaque where the file
// has none). 16-bit samples are scaled to 8 bits with rounding; gamma and colour chunks are
// ignored, the samples are taken as they are stored. A damaged or truncated file (a missing
// IEND included), or one larger than MaxPixels, raises EInvalidGraphic.
TPicture ReadPngImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);

// A PNG file image of the bitmap: 8-bit RGB when every pixel is opaque, 8-bit RGBA (straight
// alpha) otherwise. Raises Exception for an empty bitmap or an encoder failure.
std::vector<uint8_t> EncodePng(const TBitmap32& Bitmap);
std::vector<uint8_t> EncodePng(const TColor32* Pixels, int32_t Width, int32_t Height);

// EncodePng written atomically: on failure an existing file is left as it was.
void SavePng(const TBitmap32& Bitmap, const std::string& FileName);
