#pragma once
// Pixel and geometry value types shared by the whole raster core.
#include <cstdint>
#include <vector>

// 32-bit ARGB colour: alpha in bits 24..31, then red, green, blue. Stored little-endian, so the
// bytes in memory are blue, green, red, alpha. Channels are straight (not premultiplied).
using TColor32 = uint32_t;
using PColor32 = TColor32*;
using TArrayOfColor32 = std::vector<TColor32>;

// 16.16 fixed point: one unit is 65536.
using TFix16 = int32_t;

constexpr TColor32 clBlack32 = 0xFF000000;
constexpr TColor32 clGray32 = 0xFF7F7F7F;
constexpr TColor32 clWhite32 = 0xFFFFFFFF;
constexpr TColor32 clRed32 = 0xFFFF0000;

// Integer rectangle; Right and Bottom are exclusive.
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSingleRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TSingleRect&, const TSingleRect&) = default;
};

struct TSinglePoint {
  float X = 0, Y = 0;
  friend bool operator==(const TSinglePoint&, const TSinglePoint&) = default;
};

enum TDrawMode { dmOpaque = 0, dmBlend = 1, dmCustom = 2 };
enum TStretchFilter { sfNearest = 0, sfLinear = 1, sfLinear2 = 2, sfSpline = 3 };
enum TRectRounding { rrClosest = 0, rrOutside = 1, rrInside = 2 };

inline TRect MakeRect(int32_t L, int32_t T, int32_t R, int32_t B) {
  return TRect{L, T, R, B};
}
inline TPoint MakePoint(int32_t X, int32_t Y) {
  return TPoint{X, Y};
}
