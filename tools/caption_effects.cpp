#include "caption_effects.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using TPlane = std::vector<float>;  // one value per pixel, row after row

// Far beyond any caption: a pixel with no inside pixel in reach.
constexpr double Far = 1e20;

// The squared distance along one line to the nearest inside pixel (F: 0 inside, Far outside),
// by the lower envelope of parabolas (Felzenszwalb and Huttenlocher), written into D.
void DistanceLine(const double* F, double* D, int32_t N, std::vector<int32_t>& V,
                  std::vector<double>& Z) {
  constexpr double Inf = std::numeric_limits<double>::infinity();
  V.assign(size_t(N), 0);
  Z.assign(size_t(N) + 1, 0);
  const auto Meet = [&](int32_t Q, int32_t P) {
    return ((F[Q] + double(Q) * Q) - (F[P] + double(P) * P)) / (2.0 * Q - 2.0 * P);
  };
  size_t K = 0;
  Z[0] = -Inf;
  Z[1] = Inf;
  for (int32_t Q = 1; Q < N; ++Q) {
    double S = Meet(Q, V[K]);
    while (S <= Z[K]) {
      --K;
      S = Meet(Q, V[K]);
    }
    ++K;
    V[K] = Q;
    Z[K] = S;
    Z[K + 1] = Inf;
  }
  K = 0;
  for (int32_t Q = 0; Q < N; ++Q) {
    while (Z[K + 1] < Q) ++K;
    const int32_t P = V[K];
    D[Q] = double(Q - P) * (Q - P) + F[P];
  }
}

// The Euclidean distance of every pixel to the nearest pixel where Inside holds.
TPlane DistanceToInside(const std::vector<bool>& Inside, int32_t W, int32_t H) {
  std::vector<double> D(size_t(W) * size_t(H));
  for (size_t I = 0; I < D.size(); ++I) D[I] = Inside[I] ? 0.0 : Far;
  std::vector<int32_t> V;
  std::vector<double> Z;
  std::vector<double> In(size_t(std::max(W, H))), Out(In.size());
  for (int32_t X = 0; X < W; ++X) {
    for (int32_t Y = 0; Y < H; ++Y) In[size_t(Y)] = D[size_t(Y) * size_t(W) + size_t(X)];
    DistanceLine(In.data(), Out.data(), H, V, Z);
    for (int32_t Y = 0; Y < H; ++Y) D[size_t(Y) * size_t(W) + size_t(X)] = Out[size_t(Y)];
  }
  TPlane Result(D.size());
  for (int32_t Y = 0; Y < H; ++Y) {
    const size_t Row = size_t(Y) * size_t(W);
    DistanceLine(D.data() + Row, Out.data(), W, V, Z);
    for (int32_t X = 0; X < W; ++X)
      Result[Row + size_t(X)] = float(std::sqrt(std::min(Out[size_t(X)], Far)));
  }
  return Result;
}

// A box blur of radius R along rows (Step 1) or columns (Step W), edges taken as zero.
void BoxPass(TPlane& P, int32_t W, int32_t H, int32_t R, bool Rows) {
  const int32_t Lines = Rows ? H : W, Length = Rows ? W : H;
  const size_t Step = Rows ? 1 : size_t(W);
  std::vector<float> Line(static_cast<size_t>(Length));
  const float Scale = 1.0f / float(2 * R + 1);
  for (int32_t L = 0; L < Lines; ++L) {
    float* Start = P.data() + (Rows ? size_t(L) * size_t(W) : size_t(L));
    for (int32_t I = 0; I < Length; ++I) Line[size_t(I)] = Start[size_t(I) * Step];
    float Sum = 0;
    for (int32_t I = 0; I <= std::min(R, Length - 1); ++I) Sum += Line[size_t(I)];
    for (int32_t I = 0; I < Length; ++I) {
      Start[size_t(I) * Step] = Sum * Scale;
      if (I + R + 1 < Length)
        Sum += Line[size_t(I + R + 1)];
      if (I - R >= 0)
        Sum -= Line[size_t(I - R)];
    }
  }
}

float Unit(int32_t V) {
  return float(V) / 255.0f;
}

uint8_t Byte(float V) {
  return uint8_t(std::lround(std::clamp(V, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

int32_t CaptionEffectMargin(const TCaptionOutline& Outline, const TCaptionShadow& Shadow) {
  const int32_t O = Outline.On ? std::clamp(Outline.Width, 0, MaxOutlineWidth) : 0;
  const int32_t S = Shadow.On ? std::clamp(Shadow.Offset, 0, MaxShadowOffset) +
                                    3 * std::clamp(Shadow.Softness, 0, MaxShadowSoftness)
                              : 0;
  return O + S + 1;
}

void ComposeCaptionEffects(const TBitmap32& Coverage, TColor32 TextColour, TColor32 Back,
                           const TCaptionOutline& Outline, const TCaptionShadow& Shadow,
                           TBitmap32& Picture, TBitmap32& Mask) {
  const int32_t W = Coverage.Width(), H = Coverage.Height();
  const size_t N = size_t(W) * size_t(H);
  TPlane Text(N);
  for (size_t I = 0; I < N; ++I) Text[I] = Unit(Intensity(Coverage.Bits()[I]));

  // The outline: the text grown by its width, then a one-pixel soft edge.
  TPlane Ring(N, 0.0f);
  const int32_t OW = Outline.On ? std::clamp(Outline.Width, 0, MaxOutlineWidth) : 0;
  if (OW > 0) {
    std::vector<bool> Inside(N);
    for (size_t I = 0; I < N; ++I) Inside[I] = Text[I] >= 0.5f;
    const TPlane D = DistanceToInside(Inside, W, H);
    for (size_t I = 0; I < N; ++I)
      Ring[I] = std::max(Text[I], std::clamp(float(OW) + 1.0f - D[I], 0.0f, 1.0f));
  }
  // The shadow: the text with its outline, moved and blurred three times (near a Gaussian).
  TPlane Shade(N, 0.0f);
  if (Shadow.On) {
    const int32_t Off = std::clamp(Shadow.Offset, 0, MaxShadowOffset);
    const int32_t Soft = std::clamp(Shadow.Softness, 0, MaxShadowSoftness);
    for (int32_t Y = Off; Y < H; ++Y)
      for (int32_t X = Off; X < W; ++X) {
        const size_t From = size_t(Y - Off) * size_t(W) + size_t(X - Off);
        Shade[size_t(Y) * size_t(W) + size_t(X)] = OW > 0 ? Ring[From] : Text[From];
      }
    if (Soft > 0)
      for (int Pass = 0; Pass < 3; ++Pass) {
        BoxPass(Shade, W, H, Soft, true);
        BoxPass(Shade, W, H, Soft, false);
      }
  }

  Picture.SetSize(W, H);
  Mask.SetSize(W, H);
  const float BackA = Unit(AlphaOf(Back));
  for (size_t I = 0; I < N; ++I) {
    // Layer over layer, premultiplied: background, shadow, outline, text.
    float R = Unit(RedOf(Back)) * BackA, G = Unit(GreenOf(Back)) * BackA,
          B = Unit(BlueOf(Back)) * BackA, A = BackA;
    const auto Over = [&](TColor32 C, float Cover) {
      R = Unit(RedOf(C)) * Cover + R * (1 - Cover);
      G = Unit(GreenOf(C)) * Cover + G * (1 - Cover);
      B = Unit(BlueOf(C)) * Cover + B * (1 - Cover);
      A = Cover + A * (1 - Cover);
    };
    if (Shadow.On)
      Over(Shadow.Colour, Shade[I] * Unit(AlphaOf(Shadow.Colour)));
    if (OW > 0)
      Over(Outline.Colour, Ring[I]);
    Over(TextColour, Text[I]);
    const float Inv = A > 0 ? 1.0f / A : 0.0f;
    Picture.Bits()[I] = ColorFromRGBA(Byte(R * Inv), Byte(G * Inv), Byte(B * Inv), 255);
    const uint8_t M = Byte(A);
    Mask.Bits()[I] = ColorFromRGBA(M, M, M, 255);
  }
  Picture.Changed();
  Mask.Changed();
}
