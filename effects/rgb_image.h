#pragma once
// RgbImage: the 24-bit working image of the effect routines.
#include <cstddef>
#include <cstdint>
#include <memory>

class TBitmap32;

// Width x Height pixels, rows top to bottom with no padding, three bytes per pixel in the order
// blue, green, red. The buffer is left uninitialised by SetSize: every producer overwrites it.
class RgbImage {
 public:
  RgbImage() = default;
  RgbImage(int32_t W, int32_t H) { SetSize(W, H); }
  RgbImage(const RgbImage& Other);
  RgbImage& operator=(const RgbImage& Other);
  RgbImage(RgbImage&&) noexcept = default;
  RgbImage& operator=(RgbImage&&) noexcept = default;

  // Sizes below 1 give an empty image; more than 2^28 pixels is refused with EBitmapError.
  void SetSize(int32_t W, int32_t H);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth == 0 || FHeight == 0; }
  size_t RowBytes() const { return size_t(FWidth) * 3; }
  size_t ByteCount() const { return RowBytes() * size_t(FHeight); }

  uint8_t* Bits() { return FBits.get(); }
  const uint8_t* Bits() const { return FBits.get(); }
  uint8_t* Row(int32_t Y) { return FBits.get() + size_t(Y) * RowBytes(); }
  const uint8_t* Row(int32_t Y) const { return FBits.get() + size_t(Y) * RowBytes(); }
  uint8_t* Pixel(int32_t X, int32_t Y) { return Row(Y) + size_t(X) * 3; }
  const uint8_t* Pixel(int32_t X, int32_t Y) const { return Row(Y) + size_t(X) * 3; }

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::unique_ptr<uint8_t[]> FBits;
};

// The target's colour bytes as stored; alpha is dropped.
void BitmapToRgb(const TBitmap32& Source, RgbImage& Dest);
// Dest takes the image's size and pixels, every pixel with alpha 255; ends with Changed.
void RgbToBitmap(const RgbImage& Source, TBitmap32& Dest);
