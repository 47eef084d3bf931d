// Text output of TBitmap32: measuring, drawing and anti-aliased drawing by supersampling.
#include <algorithm>
#include <cstdint>

#include "bitmap32.h"
#include "color32.h"
#include "text_renderer.h"

const TResolvedFont* TBitmap32::SelectedFont() const {
  if (!FFontSelected) {
    FSelectedFont = TResolvedFont::Resolve(FFont);
    FFontSelected = true;
  }
  return FSelectedFont.get();
}

TSize TBitmap32::TextExtent(const std::string& Text) const {
  const TResolvedFont* F = SelectedFont();
  return F != nullptr ? F->Extent(Text) : TSize{};
}

void TBitmap32::DrawText(int32_t X, int32_t Y, const std::string& Text) {
  const TResolvedFont* F = SelectedFont();
  if (F != nullptr && !IsEmpty()) {
    // The font colour is a platform colour, 0x00BBGGRR or a system colour.
    const TColor32 RGB = ColorFromSystem(FFont.Color()) & 0x00FFFFFF;
    F->Draw(FBits, FWidth, FHeight, X, Y, Text, RGB);
  }
  Changed();
}

void TBitmap32::DrawTextAntialiased(int32_t X, int32_t Y, const std::string& Text, int32_t AALevel,
                                    TColor32 C) {
  if (IsEmpty())
    return;
  const TColor32 Alpha = C >> 24;
  const TColor32 RGB = C & 0x00FFFFFF;
  AALevel = std::clamp(AALevel, 0, 4);
  constexpr TPlatformColor White = 0x00FFFFFF;

  // White text on transparent black: the blue byte of every pixel is the text's coverage.
  TBitmap32 T;
  if (AALevel == 0) {
    const TSize Sz = TextExtent(Text + " ");
    T.SetSize(Sz.cx, Sz.cy);
    T.SetFont(FFont);
    T.Clear(0);
    T.Font().SetColor(White);
    T.DrawText(0, 0, Text);
    if (!T.IsEmpty()) {
      TColor32* P = T.Bits();
      for (int64_t I = 0, N = int64_t{T.Width()} * T.Height(); I < N; ++I)
        if (P[I] != 0)
          P[I] = ((P[I] & 255) << 24) + RGB;
    }
  } else {
    const int32_t K = AALevel;
    TBitmap32 B;
    B.SetFont(FFont);
    const int64_t Enlarged = int64_t{FFont.Size()} << K;
    B.Font().SetSize(static_cast<int32_t>(std::clamp<int64_t>(Enlarged, INT32_MIN, INT32_MAX)));
    B.Font().SetColor(White);
    TSize Sz = B.TextExtent(Text + " ");
    Sz.cx = ((Sz.cx >> K) + 1) << K;
    B.SetSize(Sz.cx, Sz.cy);
    B.Clear(0);
    B.DrawText(0, 0, Text);
    T.SetSize(Sz.cx >> K, Sz.cy >> K);
    const int32_t Block = 1 << K;
    for (int32_t TY = 0; TY < T.Height(); ++TY) {
      TColor32* Out = T.RowAddress(TY);
      for (int32_t TX = 0; TX < T.Width(); ++TX) {
        uint32_t S = 0;
        for (int32_t BY = 0; BY < Block; ++BY) {
          const TColor32* In = B.PixelAddress(TX << K, (TY << K) + BY);
          for (int32_t BX = 0; BX < Block; ++BX) S += In[BX] & 255;
        }
        Out[TX] = ((S >> K >> K) << 24) + RGB;
      }
    }
  }
  T.SetDrawMode(dmBlend);
  T.SetMasterAlpha(Alpha);
  T.DrawOnto(*this, X, Y);
}
