#include "sharpen_blur.h"

#include <cmath>
#include <cstring>

#include "effect_error.h"
#include "parallel_bands.h"

#define PELMORA_CLONES __attribute__((target_clones("avx2", "default")))

namespace {

// One inner row of the sharpened image, bytes 3 .. 3W - 4 (the border pixels are copied).
PELMORA_CLONES
void SharpenRow(const uint8_t* __restrict Up, const uint8_t* __restrict Mid,
                const uint8_t* __restrict Down, uint8_t* __restrict Out, size_t Bytes, uint32_t N,
                uint32_t C) {
  for (size_t I = 3; I + 3 < Bytes; ++I) {
    const uint32_t Centre = Mid[I];
    const uint32_t Sum = uint32_t(Up[I]) + Mid[I - 3] + Centre + Mid[I + 3] + Down[I];
    const int32_t V = int32_t((Centre * C + 32767u) >> 16) - int32_t((Sum * N + 32767u) >> 16);
    Out[I] = uint8_t(V < 0 ? 0 : (V > 255 ? 255 : V));
  }
}

// Bytes [Begin, End) of a row whose samples all lie in two other rows A and B, at 3D bytes
// either side.
PELMORA_CLONES
void BlurRowInner(const uint8_t* __restrict A, const uint8_t* __restrict B, uint8_t* __restrict Out,
                  size_t Begin, size_t End, size_t Offset) {
  for (size_t I = Begin; I < End; ++I) {
    const uint16_t S =
        uint16_t(A[I - Offset] + B[I - Offset]) + uint16_t(A[I + Offset] + B[I + Offset]);
    Out[I] = uint8_t(S >> 2);
  }
}

struct TBlurGeometry {
  int32_t W, H, D;
  int32_t Col1(int32_t X) const { return X - D < 0 ? X : X - D; }
  int32_t Col2(int32_t X) const {
    if (X + D < W)
      return X + D;
    return W - X > W - 1 ? W - 1 : W - X;
  }
  int32_t Row1(int32_t Y) const { return Y - D < 0 ? Y : Y - D; }
  int32_t Row2(int32_t Y) const {
    if (Y + D < H)
      return Y + D;
    return H - Y > H - 1 ? H - 1 : H - Y;
  }
};

// Pixel X of row Y from rows R1 and R2 as they stand now.
inline void BlurPixel(const TBlurGeometry& G, int32_t X, uint8_t* Out, const uint8_t* Row1,
                      const uint8_t* Row2) {
  const size_t C1 = size_t(G.Col1(X)) * 3, C2 = size_t(G.Col2(X)) * 3;
  for (int K = 0; K < 3; ++K)
    Out[K] = uint8_t((Row1[C1 + K] + Row2[C1 + K] + Row1[C2 + K] + Row2[C2 + K]) >> 2);
}

void BlurRow(RgbImage& Image, const TBlurGeometry& G, int32_t Y) {
  const int32_t R1 = G.Row1(Y), R2 = G.Row2(Y);
  const uint8_t* Row1 = Image.Row(R1);
  const uint8_t* Row2 = Image.Row(R2);
  uint8_t* Out = Image.Row(Y);
  if (R1 == Y || R2 == Y) {
    // The row samples itself: strictly left to right, each pixel seeing its blurred left
    // neighbours.
    for (int32_t X = 0; X < G.W; ++X) BlurPixel(G, X, Out + size_t(X) * 3, Row1, Row2);
    return;
  }
  // Every sample lies in other rows, so the pixels of this row are independent.
  const int32_t InnerBegin = G.D, InnerEnd = G.W - G.D;
  int32_t X = 0;
  for (; X < G.W && X < InnerBegin; ++X) BlurPixel(G, X, Out + size_t(X) * 3, Row1, Row2);
  if (InnerEnd > X) {
    BlurRowInner(Row1, Row2, Out, size_t(X) * 3, size_t(InnerEnd) * 3, size_t(G.D) * 3);
    X = InnerEnd;
  }
  for (; X < G.W; ++X) BlurPixel(G, X, Out + size_t(X) * 3, Row1, Row2);
}

}  // namespace

TSharpenWeights SharpenWeights(double Strength) {
  const float K = float((Strength - 1) / 5);
  return {uint32_t(std::nearbyint(double(K) * 65536.0)),
          uint32_t(std::nearbyint(Strength * 65536.0))};
}

void SharpenFivePoint(const RgbImage& Source, RgbImage& Dest, double Strength) {
  const int32_t W = Source.Width(), H = Source.Height();
  if (W < 3 || H < 3)
    throw EEffectError("Bitmap must be at least 3x3");
  if (!(Strength > 1 && Strength < 6))
    throw EEffectError("Alpha must be >1 and <6");
  const TSharpenWeights Wt = SharpenWeights(Strength);
  Dest.SetSize(W, H);
  const size_t Bytes = Source.RowBytes();
  std::memcpy(Dest.Row(0), Source.Row(0), Bytes);
  std::memcpy(Dest.Row(H - 1), Source.Row(H - 1), Bytes);
  ForEachBand(
      size_t(H - 2),
      [&](size_t Begin, size_t End) {
        for (size_t Y = Begin + 1; Y < End + 1; ++Y) {
          const uint8_t* Mid = Source.Row(int32_t(Y));
          uint8_t* Out = Dest.Row(int32_t(Y));
          std::memcpy(Out, Mid, 3);
          std::memcpy(Out + Bytes - 3, Mid + Bytes - 3, 3);
          SharpenRow(Source.Row(int32_t(Y) - 1), Mid, Source.Row(int32_t(Y) + 1), Out, Bytes, Wt.N,
                     Wt.C);
        }
      },
      MinItemsPerBand / size_t(W < 1 ? 1 : W) + 1);
}

void DiagonalAverageBlur(RgbImage& Image, int32_t Distance) {
  if (Distance <= 0 || Image.IsEmpty())
    return;
  const TBlurGeometry G{Image.Width(), Image.Height(), Distance};
  for (int32_t Y = 0; Y < G.H; ++Y) BlurRow(Image, G, Y);
}
