#pragma once
// HEIF pictures through libheif: HEIC (HEVC) and AVIF (AV1) photos as phones take them. The
// primary image is read, turned as its rotation and mirror properties say, with its alpha.
#include <cstddef>
#include <cstdint>

#include "picture.h"

// Decodes a HEIF file image into a pkGraphic picture. A damaged file, one whose codec is not
// available, or one larger than MaxPixels raises EInvalidGraphic.
TPicture ReadHeifImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
