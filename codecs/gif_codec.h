#pragma once
// GIF pictures through giflib: reading the first frame and writing palette images.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap24;
struct TIndexedBitmap;

// Decodes the first frame of a GIF file image (plain or interlaced) into a pkGraphic picture of
// the logical screen's size, with the frame drawn at its offset and clipped to the screen.
// Pixels of the transparent index get alpha 0 (their colour is kept); the screen outside the
// frame is transparent black. A screen of zero width or height takes the frame's extent
// instead. Indices past the colour table are opaque black. A damaged or truncated frame, or
// one larger than MaxPixels, raises EInvalidGraphic; later frames are not read.
TPicture ReadGifImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);

// A one-frame GIF file image of the palette image; the colour table is the smallest power of
// two (at least 2) that holds the palette. Raises Exception for an empty picture, a palette
// larger than 256 entries, an index past the palette, or an encoder failure.
std::vector<uint8_t> EncodeGif(const TIndexedBitmap& Image);

// EncodeGif written atomically: on failure an existing file is left as it was.
void SaveGif(const TIndexedBitmap& Image, const std::string& FileName);
// A 24-bit picture: the writer builds its own palette, exact for at most 256 colours (see
// ReducePixelFormat with pf24bit).
void SaveGif(const TBitmap24& Bitmap, const std::string& FileName);
