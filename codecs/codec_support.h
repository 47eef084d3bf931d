#pragma once
// Helpers shared by the picture readers and writers of this library (not part of its interface).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "little_endian.h"
#include "picture.h"

namespace codec_detail {

// Raises EInvalidGraphic "<Format> picture has an invalid size (W x H)" for a side below 1, and
// "<Format> picture is too large (W x H)" past MaxPictureSide or MaxPixels -- before anything
// is allocated.
void CheckPictureSize(const char* Format, int64_t Width, int64_t Height, int64_t MaxPixels);

// A pkGraphic picture of the given size, every pixel transparent black. Check the size first.
TPicture MakeGraphic(int32_t Width, int32_t Height);

// Where a decoder that learns the size from the file puts its W x H rows, given as the decoders'
// Pixels(W, H) argument: a picture's pixels (ReadXxxImage), or a fresh bitmap's (LoadXxxImage),
// which is cleared without writing a byte: its fresh pages are zero and only the decoded rows
// are touched.
struct TPictureRows {
  TPicture& Picture;
  TColor32* operator()(int32_t W, int32_t H) const {
    Picture = MakeGraphic(W, H);
    return Picture.Pixels.data();
  }
};
struct TFreshBitmapRows {
  TBitmap32& Fresh;
  TColor32* operator()(int32_t W, int32_t H) const {
    Fresh.SetSize(W, H);
    return Fresh.Bits();
  }
};

[[noreturn]] void FailPicture(const char* Format, const std::string& Problem);

inline TColor32 MakeColor(uint32_t R, uint32_t G, uint32_t B, uint32_t A = 255) {
  return (A << 24) | (R << 16) | (G << 8) | B;
}

// Reads a whole picture file for a registry reader; files past 1 GiB + 1 MiB are refused.
std::vector<uint8_t> ReadPictureBytes(const std::string& FileName);

}  // namespace codec_detail
