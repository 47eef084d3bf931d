#pragma once
// Helpers shared by the picture readers and writers of this library (not part of its interface).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "little_endian.h"
#include "picture.h"

namespace codec_detail {

// Raises EInvalidGraphic "<Format> picture has an invalid size (W x H)" for a side below 1, and
// "<Format> picture is too large (W x H)" past MaxPictureSide or MaxPixels -- before anything
// is allocated.
void CheckPictureSize(const char* Format, int64_t Width, int64_t Height, int64_t MaxPixels);

// A pkGraphic picture of the given size, every pixel transparent black. Check the size first.
TPicture MakeGraphic(int32_t Width, int32_t Height);

[[noreturn]] void FailPicture(const char* Format, const std::string& Problem);

inline TColor32 MakeColor(uint32_t R, uint32_t G, uint32_t B, uint32_t A = 255) {
  return (A << 24) | (R << 16) | (G << 8) | B;
}

// Reads a whole picture file for a registry reader; files past 1 GiB + 1 MiB are refused.
std::vector<uint8_t> ReadPictureBytes(const std::string& FileName);

}  // namespace codec_detail
