#pragma once
// Painting helpers of the data generator on top of TBitmap32: colours in floating point,
// anti-aliased shapes given by signed distance functions, soft masks, blurs and gradients.
// Pixels are straight (not premultiplied) ARGB as everywhere in the raster core.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bitmap32.h"

constexpr float Pi = 3.14159265358979f;

// A colour with channels 0..1, alpha straight.
struct TRgb {
  float R = 0, G = 0, B = 0, A = 1;
};

inline TRgb Hex(uint32_t RGB, float A = 1) {
  return {((RGB >> 16) & 255) / 255.0f, ((RGB >> 8) & 255) / 255.0f, (RGB & 255) / 255.0f, A};
}
inline TRgb Mix(const TRgb& X, const TRgb& Y, float T) {
  return {X.R + (Y.R - X.R) * T, X.G + (Y.G - X.G) * T, X.B + (Y.B - X.B) * T,
          X.A + (Y.A - X.A) * T};
}
inline TRgb Scale(const TRgb& C, float K) {
  return {C.R * K, C.G * K, C.B * K, C.A};
}
inline TRgb Lighten(const TRgb& C, float T) {
  return Mix(C, TRgb{1, 1, 1, C.A}, T);
}
inline TRgb Darken(const TRgb& C, float T) {
  return Mix(C, TRgb{0, 0, 0, C.A}, T);
}
inline TRgb WithA(TRgb C, float A) {
  C.A = A;
  return C;
}
inline float Clamp01(float V) {
  return V < 0 ? 0 : (V > 1 ? 1 : V);
}
inline float SmoothStep(float E0, float E1, float X) {
  const float T = Clamp01((X - E0) / (E1 - E0));
  return T * T * (3 - 2 * T);
}

inline TRgb ToRgb(TColor32 C) {
  return {((C >> 16) & 255) / 255.0f, ((C >> 8) & 255) / 255.0f, (C & 255) / 255.0f,
          (C >> 24) / 255.0f};
}
inline TColor32 ToColor32(const TRgb& C) {
  auto Q = [](float V) { return static_cast<uint32_t>(std::lround(Clamp01(V) * 255.0f)); };
  return (Q(C.A) << 24) | (Q(C.R) << 16) | (Q(C.G) << 8) | Q(C.B);
}

// Porter-Duff "over" of C with coverage Cov onto the straight-alpha pixel D.
inline void Over(TColor32& D, const TRgb& C, float Cov) {
  const float SA = Clamp01(C.A * Cov);
  if (SA <= 0)
    return;
  const TRgb B = ToRgb(D);
  const float OA = SA + B.A * (1 - SA);
  if (OA <= 0)
    return;
  const float KB = B.A * (1 - SA) / OA, KS = SA / OA;
  D = ToColor32({C.R * KS + B.R * KB, C.G * KS + B.G * KB, C.B * KS + B.B * KB, OA});
}

// 2-D vector helpers for the distance functions.
struct TVec {
  float X = 0, Y = 0;
};
inline TVec operator-(TVec A, TVec B) {
  return {A.X - B.X, A.Y - B.Y};
}
inline TVec operator+(TVec A, TVec B) {
  return {A.X + B.X, A.Y + B.Y};
}
inline TVec operator*(TVec A, float K) {
  return {A.X * K, A.Y * K};
}
inline float Dot(TVec A, TVec B) {
  return A.X * B.X + A.Y * B.Y;
}
inline float Len(TVec A) {
  return std::sqrt(A.X * A.X + A.Y * A.Y);
}
// P turned by -Angle about the origin: a shape turned by Angle is sampled at Rotate(P).
inline TVec Rotate(TVec P, float Angle) {
  const float C = std::cos(Angle), S = std::sin(Angle);
  return {C * P.X + S * P.Y, -S * P.X + C * P.Y};
}

// Signed distances (negative inside), in the units of P.
float SdCircle(TVec P, float R);
float SdEllipse(TVec P, float Rx, float Ry);
float SdRoundBox(TVec P, float Hx, float Hy, float R);
float SdSegment(TVec P, TVec A, TVec B, float R);
// Heart of height about 2 * S with its centre at the origin, point down.
float SdHeart(TVec P, float S);
// Star with N points, outer radius R, inner radius R * Inner, first point straight up.
float SdStar(TVec P, int N, float R, float Inner);
// Closed polygon, even-odd rule.
float SdPolygon(TVec P, const std::vector<TVec>& Points);

// Fills the pixels of B within the box (X0, Y0)-(X1, Y1) where the distance function is
// negative, with a one-pixel anti-aliased edge widened by Soft pixels. Paint(X, Y) gives the
// colour at a pixel centre. With Wrap the box may cross the bitmap's edges and the pixels wrap
// around, which keeps tiles seamless.
template <class TSd, class TPaint>
void FillSd(TBitmap32& B, float X0, float Y0, float X1, float Y1, TSd Sd, TPaint Paint,
            float Soft = 0, bool Wrap = false) {
  const int W = B.Width(), H = B.Height();
  if (W <= 0 || H <= 0)
    return;
  int IX0 = static_cast<int>(std::floor(X0 - Soft - 1)),
      IY0 = static_cast<int>(std::floor(Y0 - Soft - 1));
  int IX1 = static_cast<int>(std::ceil(X1 + Soft + 1)),
      IY1 = static_cast<int>(std::ceil(Y1 + Soft + 1));
  if (!Wrap) {
    IX0 = std::max(IX0, 0);
    IY0 = std::max(IY0, 0);
    IX1 = std::min(IX1, W);
    IY1 = std::min(IY1, H);
  } else {
    IX1 = std::min(IX1, IX0 + W);
    IY1 = std::min(IY1, IY0 + H);
  }
  const float Half = 0.5f + Soft;
  for (int Y = IY0; Y < IY1; ++Y) {
    const int RY = Wrap ? ((Y % H) + H) % H : Y;
    TColor32* Row = B.RowAddress(RY);
    for (int X = IX0; X < IX1; ++X) {
      const float PX = X + 0.5f, PY = Y + 0.5f;
      const float D = Sd(PX, PY);
      if (D >= Half)
        continue;
      const float Cov = D <= -Half ? 1.0f : (Half - D) / (2 * Half);
      const int RX = Wrap ? ((X % W) + W) % W : X;
      Over(Row[RX], Paint(PX, PY), Cov);
    }
  }
}

// Solid-colour form of FillSd.
template <class TSd>
void FillSdColor(TBitmap32& B, float X0, float Y0, float X1, float Y1, TSd Sd, TRgb C,
                 float Soft = 0, bool Wrap = false) {
  FillSd(
      B, X0, Y0, X1, Y1, Sd, [&](float, float) { return C; }, Soft, Wrap);
}

// Every pixel from Paint(X, Y), opaque or not as Paint says (replaces, does not blend).
template <class TPaint>
void PaintAll(TBitmap32& B, TPaint Paint) {
  for (int Y = 0; Y < B.Height(); ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int X = 0; X < B.Width(); ++X) Row[X] = ToColor32(Paint(X + 0.5f, Y + 0.5f));
  }
}

// A single-channel plane of floats, the working form of masks and lettering.
struct TPlane {
  int W = 0, H = 0;
  std::vector<float> V;
  TPlane() = default;
  TPlane(int AW, int AH, float Fill = 0) : W(AW), H(AH), V(static_cast<size_t>(AW) * AH, Fill) {}
  float& At(int X, int Y) { return V[static_cast<size_t>(Y) * W + X]; }
  float At(int X, int Y) const { return V[static_cast<size_t>(Y) * W + X]; }
  float Sample(int X, int Y) const {
    return (X < 0 || Y < 0 || X >= W || Y >= H) ? 0.0f : V[static_cast<size_t>(Y) * W + X];
  }
};

// Box blur of radius R, three passes (close to a Gaussian of sigma ~ R). Wrap treats the plane
// as a tile; otherwise outside counts as 0.
void BlurPlane(TPlane& P, int R, bool Wrap = false);
// Distance in pixels from every pixel to the nearest pixel where P >= 0.5 (0 on those).
TPlane DistanceOutside(const TPlane& P);
// Puts a drawing with its own transparency onto the opaque key colour, cropped to its ink plus
// a margin; ink that would come out exactly the key is kept one step below it, so that only
// the background is taken for transparent when the picture is placed.
void PutOnKey(const TBitmap32& Art, TBitmap32& Out, TColor32 Key);
// The plane drawn in colour C with the plane's values as coverage, at offset (DX, DY).
void PaintPlane(TBitmap32& B, const TPlane& P, int DX, int DY, TRgb C);
template <class TPaint>
void PaintPlaneWith(TBitmap32& B, const TPlane& P, int DX, int DY, TPaint Paint) {
  for (int Y = 0; Y < P.H; ++Y) {
    const int TY = Y + DY;
    if (TY < 0 || TY >= B.Height())
      continue;
    TColor32* Row = B.RowAddress(TY);
    for (int X = 0; X < P.W; ++X) {
      const int TX = X + DX;
      const float Cov = P.At(X, Y);
      if (TX < 0 || TX >= B.Width() || Cov <= 0)
        continue;
      Over(Row[TX], Paint(static_cast<float>(X), static_cast<float>(Y)), Cov);
    }
  }
}

// Draws Src over Dst into the rectangle (X, Y, W, H), scaled with the raster core's transfers
// (linear filtering when enlarging, the averaging filter when reducing), with straight-alpha
// "over" compositing and an extra opacity.
void DrawSprite(TBitmap32& Dst, const TBitmap32& Src, float X, float Y, float W, float H,
                float Opacity = 1);
// Src turned by Angle (radians) about its centre and scaled by K, drawn with its centre at (CX,
// CY).
void DrawSpriteRotated(TBitmap32& Dst, const TBitmap32& Src, float CX, float CY, float K,
                       float Angle, float Opacity = 1);
// A fresh transparent bitmap.
void MakeTransparent(TBitmap32& B, int W, int H);
// Multiplies every pixel of B by the colour-channel light factor: 1 + Amount * (Noise - 0.5).
void Grain(TBitmap32& B, float Amount, uint64_t Seed);
