#pragma once
// TIFF pictures through libtiff: reading the first page of anything libtiff's RGBA interface
// reads, and writing 24-bit RGB.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap24;
class TBitmap32;

// Decodes the first page of a TIFF file image into a pkGraphic picture with straight alpha
// (libtiff hands out premultiplied alpha; it is divided out again). A damaged or truncated
// file, a layout libtiff cannot turn into RGBA, or a page larger than MaxPixels raises
// EInvalidGraphic.
TPicture ReadTiffImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
// The same picture decoded straight into Target, as Target.Assign(ReadTiffImage(...)) leaves
// it; Target is unchanged on failure.
void LoadTiffImage(const uint8_t* Data, size_t Size, TBitmap32& Target,
                   int64_t MaxPixels = MaxPicturePixels);

// A TIFF file image of 8-bit RGB in LZW-compressed strips with the horizontal predictor; alpha
// is dropped. Raises Exception for an empty bitmap or an encoder failure.
// The ICC profile of the first picture (tag 34675); untagged when there is none or the file
// cannot be read. Never throws.
struct TColourProfile;
TColourProfile TiffColourProfile(const uint8_t* Data, size_t Size);

std::vector<uint8_t> EncodeTiff(const TBitmap24& Bitmap);
std::vector<uint8_t> EncodeTiff(const TBitmap32& Bitmap);

// EncodeTiff written atomically: on failure an existing file is left as it was.
void SaveTiff(const TBitmap24& Bitmap, const std::string& FileName);
void SaveTiff(const TBitmap32& Bitmap, const std::string& FileName);
