#pragma once
// JPEG pictures through libjpeg: reading (baseline, progressive, arithmetic coding, grey, RGB,
// CMYK and Adobe's inverted CMYK/YCCK, with the EXIF orientation applied) and writing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;
class TBitmap24;

// Decodes one JPEG file image into an opaque pkGraphic picture, upright by its EXIF
// orientation. A damaged or truncated file (also one libjpeg would only warn about as
// "Premature end of JPEG file"), or one larger than MaxPixels, raises EInvalidGraphic.
TPicture ReadJpegImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
// The same picture decoded straight into Target's pixels, as Target.Assign(ReadJpegImage(...))
// leaves them (every pixel opaque); Target is unchanged on failure.
void LoadJpegImage(const uint8_t* Data, size_t Size, TBitmap32& Target,
                   int64_t MaxPixels = MaxPicturePixels);

// A baseline JPEG file image at Quality 1..100 (4:4:4 chroma from quality 90 up, 4:2:0 below;
// optimised Huffman tables). Alpha is ignored. Raises Exception for an empty bitmap, a quality
// out of range or an encoder failure.
std::vector<uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality);
std::vector<uint8_t> EncodeJpeg(const TBitmap24& Bitmap, int Quality);

// EncodeJpeg written atomically: on failure an existing file is left as it was.
void SaveJpeg(const TBitmap32& Bitmap, const std::string& FileName, int Quality);
void SaveJpeg(const TBitmap24& Bitmap, const std::string& FileName, int Quality);
