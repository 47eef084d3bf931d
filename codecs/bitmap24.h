#pragma once
// TBitmap24: the platform's plain 24-bit bitmap that saving and export convert through.
#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap32;

// Rows of blue, green, red bytes, top row first, rows packed with no padding. No alpha.
class TBitmap24 {
 public:
  TBitmap24() = default;
  // A black bitmap; sizes below 1 give an empty one. More than 2^28 pixels raises EBitmapError.
  TBitmap24(int32_t Width, int32_t Height) { SetSize(Width, Height); }
  // The colour bytes of every pixel as stored; alpha is dropped.
  explicit TBitmap24(const TBitmap32& Source);

  void SetSize(int32_t Width, int32_t Height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth == 0 || FHeight == 0; }
  size_t Stride() const { return size_t(FWidth) * 3; }

  // Unchecked: 0 <= Y < Height.
  uint8_t* ScanLine(int32_t Y) { return FBits.data() + size_t(Y) * Stride(); }
  const uint8_t* ScanLine(int32_t Y) const { return FBits.data() + size_t(Y) * Stride(); }

  // Copies the pixels into Target (resized to fit), every pixel with alpha 255.
  void AssignTo(TBitmap32& Target) const;

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<uint8_t> FBits;
};
