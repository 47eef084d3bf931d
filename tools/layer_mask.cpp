#include "layer_mask.h"

#include <array>
#include <vector>

#include "card_document.h"
#include "color32.h"
#include "exceptions.h"

void LoadMask(const std::string& FileName, bool Invert, TBitmap32& Mask) {
  if (FileName.empty())
    throw Exception("Не выбрана маска");
  Mask.LoadFromFile(FileName);
  if (Invert) {
    TColor32* P = Mask.Bits();
    const size_t N = size_t(Mask.Width()) * size_t(Mask.Height());
    for (size_t I = 0; I < N; ++I) P[I] = ~P[I];
  }
  Mask.MakeOpaque();
  Mask.Changed();
}

void ApplyMaskAlpha(TBitmap32& Layer, const TBitmap32& Mask) {
  if (Layer.IsEmpty() || Mask.IsEmpty())
    return;
  const int32_t W = Layer.Width(), H = Layer.Height();
  const int64_t SW = Mask.Width(), SH = Mask.Height();
  // The mask as alpha bytes, once per mask pixel rather than once per layer pixel.
  std::vector<uint8_t> Alpha(size_t(SW) * size_t(SH));
  for (int64_t Y = 0; Y < SH; ++Y) {
    const TColor32* Row = Mask.RowAddress(static_cast<int32_t>(Y));
    uint8_t* A = Alpha.data() + Y * SW;
    for (int64_t X = 0; X < SW; ++X) A[X] = static_cast<uint8_t>(Intensity(Row[X]));
  }
  // The opaque nearest-pixel stretch over the whole layer (nothing clipped): destination
  // column x takes mask column (x * dx) >> 16 with dx = (SW << 16) div W in 16.16; the same
  // for rows. Equal sizes map every pixel onto itself, as the block copy would.
  const int64_t Dx = (SW << 16) / W, Dy = (SH << 16) / H;
  std::vector<int32_t> Col(static_cast<size_t>(W));
  for (int32_t X = 0; X < W; ++X) Col[X] = static_cast<int32_t>((X * Dx) >> 16);
  for (int32_t Y = 0; Y < H; ++Y) {
    const uint8_t* A = Alpha.data() + ((Y * Dy) >> 16) * SW;
    TColor32* P = Layer.RowAddress(Y);
    for (int32_t X = 0; X < W; ++X) P[X] = (P[X] & 0x00FFFFFF) | (TColor32{A[Col[X]]} << 24);
  }
  Layer.Changed();
}

void AppplyMask(TCardDocument& Doc, const std::string& FileName, bool Invert) {
  TBitmap32 Mask;
  LoadMask(FileName, Invert, Mask);
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (L == nullptr)
    return;
  ApplyMaskAlpha(*L->Bitmap(), Mask);
}
