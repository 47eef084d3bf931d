#pragma once
// Small images for the effect tests: drawn in the source, or filled from a fixed sequence.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rgb_image.h"

// A pixel (blue, green, red).
struct TBgr {
  uint8_t B, G, R;
  friend bool operator==(const TBgr&, const TBgr&) = default;
};

inline RgbImage MakeImage(int32_t W, int32_t H, const std::vector<TBgr>& Pixels) {
  RgbImage Img(W, H);
  for (int32_t I = 0; I < W * H; ++I) {
    uint8_t* P = Img.Bits() + size_t(I) * 3;
    P[0] = Pixels[size_t(I)].B;
    P[1] = Pixels[size_t(I)].G;
    P[2] = Pixels[size_t(I)].R;
  }
  return Img;
}

// A grey image from one value per pixel.
inline RgbImage MakeGrey(int32_t W, int32_t H, const std::vector<uint8_t>& Values) {
  RgbImage Img(W, H);
  for (int32_t I = 0; I < W * H; ++I) std::memset(Img.Bits() + size_t(I) * 3, Values[size_t(I)], 3);
  return Img;
}

inline TBgr PixelAt(const RgbImage& Img, int32_t X, int32_t Y) {
  const uint8_t* P = Img.Pixel(X, Y);
  return {P[0], P[1], P[2]};
}

// Pseudo-random bytes, a quarter of them 0 or 255 so that clamping is exercised.
inline RgbImage NoiseImage(int32_t W, int32_t H, uint32_t Seed) {
  RgbImage Img(W, H);
  uint32_t S = Seed * 2654435761u + 1;
  for (size_t I = 0; I < Img.ByteCount(); ++I) {
    S = S * 1664525u + 1013904223u;
    const uint32_t V = S >> 24;
    const uint32_t Pick = (S >> 8) & 7;
    Img.Bits()[I] = uint8_t(Pick == 0 ? 0 : (Pick == 1 ? 255 : V));
  }
  return Img;
}

// Smooth picture-like content: neighbours differ a little, as in a photograph.
inline RgbImage SmoothImage(int32_t W, int32_t H) {
  RgbImage Img(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      uint8_t* P = Img.Pixel(X, Y);
      P[0] = uint8_t((X * 7 + Y * 3) & 255);
      P[1] = uint8_t((X * X / 13 + Y) & 255);
      P[2] = uint8_t((Y * 5 + (X ^ Y)) & 255);
    }
  return Img;
}

inline bool SameImage(const RgbImage& A, const RgbImage& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), A.ByteCount()) == 0;
}

// The first differing pixel, for failure messages.
inline std::string FirstDifference(const RgbImage& A, const RgbImage& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height())
    return "sizes differ";
  for (int32_t Y = 0; Y < A.Height(); ++Y)
    for (int32_t X = 0; X < A.Width(); ++X)
      if (std::memcmp(A.Pixel(X, Y), B.Pixel(X, Y), 3) != 0)
        return "first difference at (" + std::to_string(X) + ", " + std::to_string(Y) + ")";
  return "same";
}

// The sizes the fast paths are checked at: 1x1, odd widths, sizes around the vector widths,
// and one large enough to be split between the cores.
struct TSize2 {
  int32_t W, H;
};
inline const std::vector<TSize2>& TestSizes() {
  static const std::vector<TSize2> Sizes = {{1, 1},   {2, 2},     {3, 3},    {4, 5},   {5, 4},
                                            {7, 3},   {17, 9},    {31, 33},  {33, 31}, {64, 2},
                                            {100, 7}, {257, 129}, {400, 300}};
  return Sizes;
}
