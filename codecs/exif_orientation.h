#pragma once
// The EXIF orientation of a camera picture, read with libexif, and turning a picture upright.
#include <cstddef>
#include <cstdint>

#include "picture.h"

class TBitmap32;

// The Orientation tag (1..8) of an EXIF block as a JPEG APP1 segment holds it, starting with
// "Exif\0\0". 1 (upright) when the block has no valid orientation.
int ReadExifOrientation(const uint8_t* Data, size_t Size);

// Turns a picture stored with the given orientation upright: 2 mirrors left-right, 3 turns it
// by 180 degrees, 4 mirrors top-bottom, 5 transposes, 6 turns it 90 degrees clockwise, 7
// transposes across the other diagonal, 8 turns it 90 degrees anticlockwise. Others do nothing.
void ApplyExifOrientation(TPicture& Picture, int Orientation);
// The same for a bitmap: 2..4 in place, 5..8 through one new buffer that replaces the old one
// (swapped in without a notice: the caller owns a bitmap nobody watches yet).
void ApplyExifOrientation(TBitmap32& Bitmap, int Orientation);
