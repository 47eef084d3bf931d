#pragma once
// Reading a JPEG picture at a reduced size for a thumbnail, through libjpeg's DCT scaling.
#include <cstddef>
#include <cstdint>

#include "picture.h"

struct TJpegThumbnail {
  TPicture Picture;       // upright, opaque, at 1/Scale of the full size (sides rounded up)
  int32_t FullWidth = 0;  // the upright picture's full size
  int32_t FullHeight = 0;
  int32_t Scale = 1;  // 1, 2, 4 or 8
};

// The largest of 1, 2, 4 and 8 at which a FullWidth x FullHeight picture, its sides divided
// and rounded up, still covers the picture reduced to fit a BoxWidth x BoxHeight box (aspect
// kept). 1 when the picture fits the box as it is, or the box is empty.
int32_t JpegThumbnailScale(int32_t FullWidth, int32_t FullHeight, int32_t BoxWidth,
                           int32_t BoxHeight);

// Decodes one JPEG file image at JpegThumbnailScale for the box, upright by its EXIF
// orientation. Fails as ReadJpegImage does (EInvalidGraphic for a damaged or truncated file,
// or one whose full size is beyond MaxPixels).
TJpegThumbnail ReadJpegThumbnail(const uint8_t* Data, size_t Size, int32_t BoxWidth,
                                 int32_t BoxHeight, int64_t MaxPixels = MaxPicturePixels);
