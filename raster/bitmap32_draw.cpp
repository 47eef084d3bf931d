// Lines, frames, the stipple pattern and sub-pixel plotting of TBitmap32.
#include <cmath>
#include <cstdint>
#include <limits>

#include "bitmap32.h"
#include "blend.h"
#include "clip_line.h"
#include "color32.h"

namespace {

// round(X * 65536), saturated to the 32-bit range; NaN gives the integer-indefinite value
// INT32_MIN that the processor's own conversion produces.
TFix16 SaturatedFix16(float X) {
  const double V = std::nearbyint(static_cast<double>(X) * 65536.0);
  if (V >= 2147483647.0)
    return std::numeric_limits<int32_t>::max();
  if (V >= -2147483648.0)
    return static_cast<int32_t>(V);
  return std::numeric_limits<int32_t>::min();
}

// round(sqrt(DX^2 + DY^2)), exact for every 64-bit pair of 32-bit differences.
int64_t RoundedHypot(int64_t DX, int64_t DY) {
  __extension__ using TUInt128 = unsigned __int128;
  const auto ADX = static_cast<uint64_t>(DX < 0 ? -DX : DX);
  const auto ADY = static_cast<uint64_t>(DY < 0 ? -DY : DY);
  const TUInt128 N = TUInt128(ADX) * ADX + TUInt128(ADY) * ADY;
  auto R = static_cast<uint64_t>(std::sqrt(static_cast<long double>(N)));
  while (TUInt128(R) * R > N) --R;
  while (TUInt128(R + 1) * (R + 1) <= N) ++R;
  // N is an integer, so it never lies on (R + 0.5)^2 = R^2 + R + 0.25: no tie to break.
  if (N >= TUInt128(R) * R + R + 1)
    ++R;
  return static_cast<int64_t>(R);
}

// round(V * 65536 / N) for the 16.16 step of a line N units long.
int64_t StepOf(int64_t V, int64_t N) {
  return static_cast<int64_t>(
      std::nearbyint(static_cast<double>(V) / static_cast<double>(N) * 65536.0));
}

// Clamp into 0..255 after a truncating division, in 64 bits so no contrast overflows.
TColor32 BevelAlpha(int64_t Contrast, int64_t Scale) {
  const int64_t A = Contrast * Scale / 100;
  return static_cast<TColor32>(A < 0 ? 0 : (A > 255 ? 255 : A)) << 24;
}

}  // namespace

void TBitmap32::BlendPixel(int32_t X, int32_t Y, TColor32 C) {
  BlendOnto(C, *PixelAddress(X, Y));
}

void TBitmap32::PlotSubpixel(int32_t X, int32_t Y, TColor32 C) {
  const int32_t FX = X & 255;
  const int32_t FY = Y & 255;
  const int32_t IX = X >> 8;
  const int32_t IY = Y >> 8;
  const uint32_t A = C >> 24;
  const uint32_t AX0 = GAMMA_TABLE[255 - FX] * A;
  const uint32_t AX1 = GAMMA_TABLE[FX] * A;
  const uint32_t WY0 = GAMMA_TABLE[255 - FY];
  const uint32_t WY1 = GAMMA_TABLE[FY];
  TColor32* P = PixelAddress(IX, IY);
  MixOnto(C, P[0], (AX0 * WY0) >> 16);
  MixOnto(C, P[1], (AX1 * WY0) >> 16);
  MixOnto(C, P[FWidth + 1], (AX1 * WY1) >> 16);
  MixOnto(C, P[FWidth], (AX0 * WY1) >> 16);
}

void TBitmap32::PlotSubpixelSafe(int32_t X, int32_t Y, TColor32 C) {
  const int32_t IX = X >> 8;
  const int32_t IY = Y >> 8;
  if (X < -256 || Y < -256 || IX >= FWidth || IY >= FHeight)
    return;
  const int32_t FX = X & 255;
  const int32_t FY = Y & 255;
  const uint32_t A = C >> 24;
  const uint32_t AX0 = GAMMA_TABLE[255 - FX] * A;
  const uint32_t AX1 = GAMMA_TABLE[FX] * A;
  const uint32_t WY0 = GAMMA_TABLE[255 - FY];
  const uint32_t WY1 = GAMMA_TABLE[FY];
  const bool Left = IX >= 0;
  const bool Right = IX < FWidth - 1;
  const bool Top = IY >= 0;
  const bool Bottom = IY < FHeight - 1;
  if (Left && Top)
    MixOnto(C, *PixelAddress(IX, IY), (AX0 * WY0) >> 16);
  if (Right && Top)
    MixOnto(C, *PixelAddress(IX + 1, IY), (AX1 * WY0) >> 16);
  if (Right && Bottom)
    MixOnto(C, *PixelAddress(IX + 1, IY + 1), (AX1 * WY1) >> 16);
  if (Left && Bottom)
    MixOnto(C, *PixelAddress(IX, IY + 1), (AX0 * WY1) >> 16);
}

// ---- Horizontal and vertical lines -------------------------------------------------------

void TBitmap32::HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 C) {
  FillWords32(PixelAddress(X1, Y), X2 - X1 + 1, C);
}

void TBitmap32::VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 C) {
  TColor32* P = PixelAddress(X, Y1);
  const int32_t W = FWidth;
  int32_t N = Y2 - Y1 + 1;
  for (; N >= 4; N -= 4, P += 4 * W) {
    P[0] = C;
    P[W] = C;
    P[2 * W] = C;
    P[3 * W] = C;
  }
  for (; N > 0; --N, P += W) *P = C;
}

void TBitmap32::HorzLineSafe(int32_t X1, int32_t Y, int32_t X2, TColor32 C) {
  if (Y < 0 || Y >= FHeight)
    return;
  if (ClipRange(X1, X2, FWidth))
    HorzLine(X1, Y, X2, C);
}

void TBitmap32::VertLineSafe(int32_t X, int32_t Y1, int32_t Y2, TColor32 C) {
  if (X < 0 || X >= FWidth)
    return;
  if (ClipRange(Y1, Y2, FHeight))
    VertLine(X, Y1, Y2, C);
}

void TBitmap32::HorzLineBlend(int32_t X1, int32_t Y, int32_t X2, TColor32 C) {
  TColor32* P = PixelAddress(X1, Y);
  for (int32_t N = X2 - X1 + 1; N > 0; --N, ++P) BlendOnto(C, *P);
}

void TBitmap32::VertLineBlend(int32_t X, int32_t Y1, int32_t Y2, TColor32 C) {
  TColor32* P = PixelAddress(X, Y1);
  for (int32_t N = Y2 - Y1 + 1; N > 0; --N, P += FWidth) BlendOnto(C, *P);
}

void TBitmap32::HorzLineBlendSafe(int32_t X1, int32_t Y, int32_t X2, TColor32 C) {
  if (Y < 0 || Y >= FHeight)
    return;
  if (ClipRange(X1, X2, FWidth))
    HorzLineBlend(X1, Y, X2, C);
}

void TBitmap32::VertLineBlendSafe(int32_t X, int32_t Y1, int32_t Y2, TColor32 C) {
  if (X < 0 || X >= FWidth)
    return;
  if (ClipRange(Y1, Y2, FHeight))
    VertLineBlend(X, Y1, Y2, C);
}

void TBitmap32::HorzLineStipple(int32_t X1, int32_t Y, int32_t X2) {
  if (IsEmpty() || Y < 0 || Y >= FHeight)
    return;
  if ((X1 < 0 && X2 < 0) || (X1 >= FWidth && X2 >= FWidth))
    return;
  X1 = Constrain(X1, 0, FWidth - 1);
  X2 = Constrain(X2, 0, FWidth - 1);
  const int32_t Dir = X2 < X1 ? -1 : 1;
  for (int32_t X = X1;; X += Dir) {
    BlendPixel(X, Y, NextStippleColor());
    if (X == X2)
      break;
  }
}

void TBitmap32::VertLineStipple(int32_t X, int32_t Y1, int32_t Y2) {
  if (IsEmpty() || X < 0 || X >= FWidth)
    return;
  if ((Y1 < 0 && Y2 < 0) || (Y1 >= FHeight && Y2 >= FHeight))
    return;
  Y1 = Constrain(Y1, 0, FHeight - 1);
  Y2 = Constrain(Y2, 0, FHeight - 1);
  const int32_t Dir = Y2 < Y1 ? -1 : 1;
  for (int32_t Y = Y1;; Y += Dir) {
    BlendPixel(X, Y, NextStippleColor());
    if (Y == Y2)
      break;
  }
}

// ---- Stipple pattern ---------------------------------------------------------------------

void TBitmap32::SetStipplePattern(const TArrayOfColor32& Colors) {
  StipplePattern = Colors;
  StippleCounter = 0;
}

TColor32 TBitmap32::NextStippleColor() {
  const auto L = static_cast<int32_t>(StipplePattern.size());
  if (L == 0)
    return clBlack32;
  const auto FL = static_cast<float>(L);
  if (!std::isfinite(StippleCounter)) {
    StippleCounter = 0;
  } else if (std::fabs(StippleCounter) >= 16777216.0f) {
    // Beyond 2^24 a float has no fraction and subtracting L one at a time could stall; the
    // remainder is what the loops below reach for smaller counters.
    StippleCounter = std::fmod(StippleCounter, FL);
  }
  while (StippleCounter >= FL) StippleCounter -= FL;
  while (StippleCounter < 0) StippleCounter += FL;
  // A tiny negative counter plus L rounds up to L itself: that is position 0.
  if (StippleCounter >= FL)
    StippleCounter = 0;

  const auto I = static_cast<int32_t>(std::floor(StippleCounter));
  const float F = StippleCounter - static_cast<float>(I);
  const auto W = static_cast<TColor32>(255 - std::nearbyint(static_cast<double>(F) * 255.0));
  const int32_t J = I + 1 >= L ? 0 : I + 1;
  const TColor32 Result =
      W == 255 ? StipplePattern[I] : MixColor(StipplePattern[I], StipplePattern[J], W);
  StippleCounter += StippleStep;
  return Result;
}

// ---- Rectangle outlines ------------------------------------------------------------------

void TBitmap32::FrameRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C) {
  if (X1 >= X2 || Y1 >= Y2 || X1 >= FWidth || Y1 >= FHeight || X2 <= 0 || Y2 <= 0)
    return;
  const int32_t R = X2 - 1;
  HorzLineSafe(X1, Y1, R, C);
  if (Y1 < Y2 - 1)
    HorzLineSafe(X1, Y2 - 1, R, C);
  if (Y1 + 1 < Y2 - 1) {
    VertLineSafe(X1, Y1 + 1, Y2 - 2, C);
    if (X1 < R)
      VertLineSafe(R, Y1 + 1, Y2 - 2, C);
  }
  Changed();
}

void TBitmap32::FrameRectStipple(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (X1 >= X2 || Y1 >= Y2 || X1 >= FWidth || Y1 >= FHeight || X2 <= 0 || Y2 <= 0)
    return;
  const int32_t R = X2 - 1;
  const int32_t B = Y2 - 1;
  if (X1 == R) {
    if (Y1 == B)
      BlendPixel(X1, Y1, NextStippleColor());
    else
      VertLineStipple(X1, Y1, B);
  } else if (Y1 == B) {
    HorzLineStipple(X1, Y1, R);
  } else {
    HorzLineStipple(X1, Y1, X2 - 2);
    VertLineStipple(R, Y1, Y2 - 2);
    HorzLineStipple(R, B, X1 + 1);
    VertLineStipple(X1, B, Y1 + 1);
  }
  Changed();
}

void TBitmap32::RaiseRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast) {
  if (X2 <= X1 || Y1 >= Y2 || X1 >= FWidth || Y1 >= FHeight || X2 <= 0 || Y2 <= 0)
    return;
  if (Contrast != 0) {
    TColor32 TopLeft, BottomRight;
    if (Contrast > 0) {
      TopLeft = BevelAlpha(Contrast, 512) | 0x00FFFFFF;
      BottomRight = BevelAlpha(Contrast, 255);
    } else {
      const int64_t C = -int64_t{Contrast};
      TopLeft = BevelAlpha(C, 255);
      BottomRight = BevelAlpha(C, 512) | 0x00FFFFFF;
    }
    // Rectangles one or two pixels high let the side runs reverse and cross the top and
    // bottom rows; the runs are drawn as given all the same.
    HorzLineBlendSafe(X1, Y1, X2 - 1, TopLeft);
    HorzLineBlendSafe(X1, Y2 - 1, X2 - 1, BottomRight);
    VertLineBlendSafe(X1, Y1 + 1, Y2 - 2, TopLeft);
    VertLineBlendSafe(X2 - 1, Y1 + 1, Y2 - 2, BottomRight);
  }
  Changed();
}

// ---- Anti-aliased lines ------------------------------------------------------------------

namespace {

// Steps along the segment one pixel of length at a time, plotting each step, then plots the
// remainder halfway between the last full step and the end with its alpha scaled by the
// remainder. Lengths are in 1/65536 pixel; below 1/256 pixel nothing is drawn.
template <class TPlot, class TNextColor>
void StepLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool L, TPlot Plot,
              TNextColor NextColor) {
  const int64_t DX = int64_t{X2} - X1;
  const int64_t DY = int64_t{Y2} - Y1;
  int64_t N = RoundedHypot(DX, DY);
  if (L)
    N += 65536;
  if (N < 256)
    return;
  const int64_t K = N >> 16;
  int64_t SX = DX, SY = DY;
  int64_t X = X1, Y = Y1;
  if (K > 0) {
    SX = StepOf(DX, N);
    SY = StepOf(DY, N);
    for (int64_t I = 0; I < K; ++I, X += SX, Y += SY)
      Plot(static_cast<int32_t>(X >> 8), static_cast<int32_t>(Y >> 8), NextColor());
  }
  const TColor32 Last = NextColor();
  const auto A = static_cast<TColor32>(((Last >> 24) * (N - (K << 16))) >> 16) & 255;
  Plot(static_cast<int32_t>((X2 + X - SX) >> 9), static_cast<int32_t>((Y2 + Y - SY) >> 9),
       (A << 24) | (Last & 0x00FFFFFF));
}

}  // namespace

void TBitmap32::LineFixed(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, TColor32 C, bool L) {
  StepLine(
      X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixel(X, Y, V); },
      [C] { return C; });
  Changed();
}

void TBitmap32::LineFixedStipple(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, bool L) {
  StepLine(
      X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixel(X, Y, V); },
      [this] { return NextStippleColor(); });
  Changed();
}

namespace {

// Clips a segment to the window one pixel around the bitmap. Tells whether anything is left,
// sets L when the end point was cut off, and whether every plot lands two pixels inside so that
// the unchecked plot may be used.
bool ClipToBitmap(int32_t Width, int32_t Height, TFix16& X1, TFix16& Y1, TFix16& X2, TFix16& Y2,
                  bool& L, bool& Inside) {
  // Widths of 32768 pixels and more lie beyond what 16.16 coordinates reach.
  const auto Fixed = [](int64_t V) { return static_cast<int32_t>(V > INT32_MAX ? INT32_MAX : V); };
  const int32_t OldX2 = X2, OldY2 = Y2;
  if (!ClipLine(X1, Y1, X2, Y2, -65536, -65536, Fixed(int64_t{Width} << 16),
                Fixed(int64_t{Height} << 16)))
    return false;
  if (X2 != OldX2 || Y2 != OldY2)
    L = true;
  const int64_t MaxX = (int64_t{Width} << 16) - 131072;
  const int64_t MaxY = (int64_t{Height} << 16) - 131072;
  Inside =
      X1 >= 0 && X1 < MaxX && X2 >= 0 && X2 < MaxX && Y1 >= 0 && Y1 < MaxY && Y2 >= 0 && Y2 < MaxY;
  return true;
}

}  // namespace

void TBitmap32::LineFixedSafe(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, TColor32 C, bool L) {
  bool Inside = false;
  if (!ClipToBitmap(FWidth, FHeight, X1, Y1, X2, Y2, L, Inside))
    return;
  const auto Color = [C] { return C; };
  if (Inside)
    StepLine(
        X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixel(X, Y, V); },
        Color);
  else
    StepLine(
        X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixelSafe(X, Y, V); },
        Color);
  Changed();
}

void TBitmap32::LineFixedStippleSafe(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, bool L) {
  bool Inside = false;
  if (!ClipToBitmap(FWidth, FHeight, X1, Y1, X2, Y2, L, Inside))
    return;
  const auto Color = [this] { return NextStippleColor(); };
  if (Inside)
    StepLine(
        X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixel(X, Y, V); },
        Color);
  else
    StepLine(
        X1, Y1, X2, Y2, L, [this](int32_t X, int32_t Y, TColor32 V) { PlotSubpixelSafe(X, Y, V); },
        Color);
  Changed();
}

void TBitmap32::LineFloatStippleSafe(float X1, float Y1, float X2, float Y2, bool L) {
  LineFixedStippleSafe(SaturatedFix16(X1), SaturatedFix16(Y1), SaturatedFix16(X2),
                       SaturatedFix16(Y2), L);
}

// ---- Pen position ------------------------------------------------------------------------

void TBitmap32::MoveToFloat(float X, float Y) {
  RasterX = SaturatedFix16(X);
  RasterY = SaturatedFix16(Y);
}

void TBitmap32::LineToFixed(TFix16 X, TFix16 Y) {
  LineFixedSafe(RasterX, RasterY, X, Y, PenColor, false);
  RasterX = X;
  RasterY = Y;
}

void TBitmap32::LineToFloat(float X, float Y) {
  LineToFixed(SaturatedFix16(X), SaturatedFix16(Y));
}
