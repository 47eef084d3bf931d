#pragma once
// WebP pictures through libwebp: lossy and lossless, with alpha; an animation is read as its
// first frame. Writing is lossy at a quality of 1 to 100 (alpha kept), or lossless at 100.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;

// Decodes a WebP file image into a pkGraphic picture with its own alpha, turned upright by an
// EXIF orientation the file carries. A damaged file, or one larger than MaxPixels, raises
// EInvalidGraphic.
TPicture ReadWebpImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
// The same picture decoded straight into Target, as Target.Assign(ReadWebpImage(...)) leaves
// it; Target is unchanged on failure.
void LoadWebpImage(const uint8_t* Data, size_t Size, TBitmap32& Target,
                   int64_t MaxPixels = MaxPicturePixels);

// A WebP file image of the bitmap. Quality 1..99 is lossy, 100 lossless. Raises Exception for an
// empty bitmap, a side over 16383 (the format's limit), a quality out of range or an encoder
// failure.
std::vector<uint8_t> EncodeWebp(const TBitmap32& Bitmap, int Quality);
// EncodeWebp written atomically: on failure an existing file is left as it was.
void SaveWebp(const TBitmap32& Bitmap, const std::string& FileName, int Quality);
