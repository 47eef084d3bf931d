#include "rgb_image.h"

#include <cstring>

#include "bitmap32.h"
#include "exceptions.h"
#include "parallel_bands.h"

RgbImage::RgbImage(const RgbImage& Other) {
  SetSize(Other.FWidth, Other.FHeight);
  if (!IsEmpty())
    std::memcpy(FBits.get(), Other.FBits.get(), ByteCount());
}

RgbImage& RgbImage::operator=(const RgbImage& Other) {
  if (this != &Other) {
    SetSize(Other.FWidth, Other.FHeight);
    if (!IsEmpty())
      std::memcpy(FBits.get(), Other.FBits.get(), ByteCount());
  }
  return *this;
}

void RgbImage::SetSize(int32_t W, int32_t H) {
  if (W < 1 || H < 1)
    W = H = 0;
  if (int64_t(W) * H > (int64_t{1} << 28))
    throw EBitmapError("Can't allocate the DIB handle", W, H);
  if (W == FWidth && H == FHeight)
    return;
  FBits.reset();
  FWidth = FHeight = 0;
  if (W == 0)
    return;
  FBits.reset(new uint8_t[size_t(W) * size_t(H) * 3]);
  FWidth = W;
  FHeight = H;
}

void BitmapToRgb(const TBitmap32& Source, RgbImage& Dest) {
  Dest.SetSize(Source.Width(), Source.Height());
  if (Dest.IsEmpty())
    return;
  const size_t Count = size_t(Dest.Width()) * size_t(Dest.Height());
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    const TColor32* S = Source.Bits() + Begin;
    uint8_t* D = Dest.Bits() + Begin * 3;
    size_t I = Begin;
    // Four bytes are written per pixel and the next pixel's first byte overwrites the fourth,
    // so the last pixel of the band goes the slow way.
    for (; I + 1 < End; ++I, ++S, D += 3) {
      const TColor32 C = *S;
      std::memcpy(D, &C, 4);
    }
    for (; I < End; ++I, ++S, D += 3) {
      D[0] = uint8_t(*S);
      D[1] = uint8_t(*S >> 8);
      D[2] = uint8_t(*S >> 16);
    }
  });
}

void RgbToBitmap(const RgbImage& Source, TBitmap32& Dest) {
  Dest.SetSize(Source.Width(), Source.Height());
  if (!Source.IsEmpty()) {
    const size_t Count = size_t(Source.Width()) * size_t(Source.Height());
    ForEachBand(Count, [&](size_t Begin, size_t End) {
      const uint8_t* S = Source.Bits() + Begin * 3;
      TColor32* D = Dest.Bits() + Begin;
      size_t I = Begin;
      for (; I + 1 < End; ++I, S += 3, ++D) {
        uint32_t C;
        std::memcpy(&C, S, 4);
        *D = C | 0xFF000000u;
      }
      for (; I < End; ++I, S += 3, ++D)
        *D = 0xFF000000u | (uint32_t(S[2]) << 16) | (uint32_t(S[1]) << 8) | S[0];
    });
  }
  Dest.Changed();
}
