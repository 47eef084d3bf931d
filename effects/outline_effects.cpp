#include "outline_effects.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bitmap32.h"

namespace {

// Rounds to the nearest integer, ties to even (the default rounding mode).
int32_t RoundEven(double V) {
  return static_cast<int32_t>(std::nearbyint(V));
}

// Target := Picture drawn into the middle of a bitmap Margin pixels larger on every side that
// Fill has prepared. Target keeps its own draw mode, master alpha and filter; the picture is
// drawn with the draw mode at full strength.
template <class TFill>
void EnlargeAround(TBitmap32& Target, int32_t Margin, TFill&& Fill) {
  TBitmap32 Picture;
  Picture.Assign(&Target);
  Picture.SetMasterAlpha(255);
  TBitmap32 K;
  K.SetDrawMode(Target.DrawMode());
  K.SetSize(Target.Width() + 2 * Margin, Target.Height() + 2 * Margin);
  Fill(K);
  Picture.DrawOnto(K, Margin, Margin);
  // The target's buffer is exchanged rather than copied; its properties stay.
  Target.SwapContents(K);
  Target.NotifyResize();
  Target.Changed();
}

// Ring b of n rings from the edge: the outline from (b, b) to (W - b, H - b), exclusive. The
// bevel colours are blended into the colour channels only: every pixel keeps its own alpha (the
// blend would otherwise mix the bevel's alpha into it and let the card show through the edge).
template <class TContrast>
void DrawRings(TBitmap32& Target, int32_t Rings, TContrast&& Contrast) {
  const int32_t W = Target.Width(), H = Target.Height();
  const size_t N = size_t(W) * size_t(H);
  std::vector<uint8_t> Alpha(N);
  TColor32* P = Target.Bits();
  for (size_t I = 0; I < N; ++I) Alpha[I] = uint8_t(P[I] >> 24);
  Target.BeginUpdate();
  for (int32_t B = 0; B < Rings; ++B) Target.RaiseRectSafe(B, B, W - B, H - B, Contrast(B));
  Target.EndUpdate();
  for (size_t I = 0; I < N; ++I) P[I] = (P[I] & 0x00FFFFFF) | (TColor32(Alpha[I]) << 24);
  Target.Changed();
}

}  // namespace

void TileOver(TBitmap32& Target, const TBitmap32& Tile) {
  if (Tile.IsEmpty() || Target.IsEmpty())
    return;
  const int32_t TW = Tile.Width(), TH = Tile.Height();
  for (int32_t Y = 0; Y < Target.Height(); ++Y) {
    const TColor32* Src = Tile.RowAddress(Y % TH);
    TColor32* Dst = Target.RowAddress(Y);
    for (int32_t X = 0; X < Target.Width(); X += TW)
      std::copy_n(Src, std::min(TW, Target.Width() - X), Dst + X);
  }
}

void AddBorder(TBitmap32& Target, const TBorderParams& P) {
  if (Target.IsEmpty())
    return;
  const int32_t D = std::max(P.Width, 1);
  const int32_t C = std::clamp(P.Contour, 0, D - 1);
  const int32_t W = Target.Width(), H = Target.Height();
  EnlargeAround(Target, D, [&](TBitmap32& K) {
    if (!P.UseOrnament)
      K.Clear(P.BorderColour);
    else if (P.Pattern != nullptr)
      TileOver(K, *P.Pattern);
    K.FillRect(D - C, D - C, D + W + C, D + H + C, P.ContourColour);
  });
}

int32_t ReliefRings(int32_t Percent, int32_t Width) {
  return RoundEven(Percent * (Width / 100.0));
}

int32_t ReliefFrameWidth(int32_t Percent, int32_t Width, int32_t BorderPercent) {
  return RoundEven(double(Percent) * Width * (BorderPercent / 100.0 + 1) / 100);
}

void ReliefContour(TBitmap32& Target, const TReliefParams& P) {
  if (Target.IsEmpty())
    return;
  const int32_t A = ReliefRings(P.Percent, Target.Width());
  if (P.Outer) {
    const int32_t F = ReliefFrameWidth(P.Percent, Target.Width(), P.BorderPercent);
    EnlargeAround(Target, F, [&](TBitmap32& K) { K.Clear(P.FrameColour); });
  }
  DrawRings(Target, A, [A](int32_t B) { return A - 2 * B; });
}

int32_t ButtonDepthFor(int32_t Width) {
  if (Width <= 0)
    return 16;
  return std::clamp(RoundEven(4800.0 / Width), 1, 16);
}

void ButtonBevel(TBitmap32& Target, const TButtonParams& P) {
  if (Target.IsEmpty())
    return;
  const int32_t N = RoundEven(P.Width * (Target.Width() / 100.0));
  const int32_t K = P.InnerRelief ? 2 : 1;
  DrawRings(Target, N, [&](int32_t B) { return RoundEven((N - K * B) * P.Depth / 2.0); });
}
