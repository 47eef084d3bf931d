#pragma once
// A decoded picture as a reader hands it to a bitmap.
#include <cstdint>
#include <vector>

#include "types.h"

// pkBitmap is a device-independent bitmap of some depth: a 32-bit one brings its own alpha
// byte, any other depth arrives opaque. pkGraphic is any other decoded picture (JPEG, PNG, GIF,
// icon, ...): it draws itself over the bitmap's pixels by its alpha and the result is then made
// opaque.
struct TPicture {
  enum TKind { pkBitmap, pkGraphic };
  TKind Kind = pkBitmap;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerPixel = 32;
  // Width * Height pixels, top row first, straight (not premultiplied) alpha.
  std::vector<TColor32> Pixels;

  bool IsEmpty() const { return Width <= 0 || Height <= 0; }
};

// Readers refuse pictures larger than this before allocating anything.
constexpr int64_t MaxPictureSide = 65535;
constexpr int64_t MaxPicturePixels = int64_t{1} << 28;

// Whether a picture of Width x Height pixels (both at least 0) is within both limits: what the
// readers take, and so the most that a writer of the program's own files may write.
constexpr bool PictureWithinLimits(int64_t Width, int64_t Height) {
  return Width <= MaxPictureSide && Height <= MaxPictureSide && Width * Height <= MaxPicturePixels;
}
