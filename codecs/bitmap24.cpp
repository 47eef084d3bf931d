#include "bitmap24.h"

#include "bitmap32.h"
#include "exceptions.h"
#include "picture.h"

TBitmap24::TBitmap24(const TBitmap32& Source) {
  SetSize(Source.Width(), Source.Height());
  for (int32_t Y = 0; Y < FHeight; ++Y) {
    const TColor32* Src = Source.RowAddress(Y);
    uint8_t* Dst = ScanLine(Y);
    for (int32_t X = 0; X < FWidth; ++X, Dst += 3) {
      const TColor32 C = Src[X];
      Dst[0] = uint8_t(C);
      Dst[1] = uint8_t(C >> 8);
      Dst[2] = uint8_t(C >> 16);
    }
  }
}

void TBitmap24::SetSize(int32_t Width, int32_t Height) {
  if (Width < 1 || Height < 1)
    Width = Height = 0;
  if (int64_t(Width) * Height > MaxPicturePixels) {
    FWidth = FHeight = 0;
    FBits.clear();
    throw EBitmapError("Can't allocate the DIB handle", Width, Height);
  }
  FBits.assign(size_t(Width) * size_t(Height) * 3, 0);
  FWidth = Width;
  FHeight = Height;
}

void TBitmap24::AssignTo(TBitmap32& Target) const {
  Target.SetSize(FWidth, FHeight);
  for (int32_t Y = 0; Y < FHeight; ++Y) {
    const uint8_t* Src = ScanLine(Y);
    TColor32* Dst = Target.RowAddress(Y);
    for (int32_t X = 0; X < FWidth; ++X, Src += 3)
      Dst[X] = 0xFF000000u | (TColor32(Src[2]) << 16) | (TColor32(Src[1]) << 8) | Src[0];
  }
  Target.Changed();
}
