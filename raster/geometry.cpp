#include "geometry.h"

#include <algorithm>
#include <cmath>

int32_t Round(double X) {
  return static_cast<int32_t>(std::nearbyint(X));
}
int32_t Floor(double X) {
  return static_cast<int32_t>(std::floor(X));
}
int32_t Ceil(double X) {
  return static_cast<int32_t>(std::ceil(X));
}

TFix16 Fix16(double X) {
  return Round(X * 65536.0);
}

TRect RectFromSingle(const TSingleRect& R, TRectRounding Rounding) {
  TRect Result;
  switch (Rounding) {
    case rrClosest:
      Result = {Round(R.Left), Round(R.Top), Round(R.Right), Round(R.Bottom)};
      break;
    case rrOutside:
      Result = {Floor(R.Left), Floor(R.Top), Ceil(R.Right), Ceil(R.Bottom)};
      break;
    case rrInside:
      Result = {Ceil(R.Left), Ceil(R.Top), Floor(R.Right), Floor(R.Bottom)};
      if (Result.Right < Result.Left)
        Result.Right = Result.Left;
      if (Result.Bottom < Result.Top)
        Result.Bottom = Result.Top;
      break;
  }
  return Result;
}

TSingleRect SingleRect(const TRect& R) {
  return {static_cast<float>(R.Left), static_cast<float>(R.Top), static_cast<float>(R.Right),
          static_cast<float>(R.Bottom)};
}

namespace {

// The overlap of two rectangles of either kind; an empty one when they do not meet.
template <class TAnyRect>
bool Intersect(TAnyRect& Dst, const TAnyRect& R1, const TAnyRect& R2) {
  Dst = {std::max(R1.Left, R2.Left), std::max(R1.Top, R2.Top), std::min(R1.Right, R2.Right),
         std::min(R1.Bottom, R2.Bottom)};
  if (Dst.Right < Dst.Left || Dst.Bottom < Dst.Top) {
    Dst = {};
    return false;
  }
  return true;
}

}  // namespace

bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2) {
  return Intersect(Dst, R1, R2);
}

bool IntersectRect(TSingleRect& Dst, const TSingleRect& R1, const TSingleRect& R2) {
  return Intersect(Dst, R1, R2);
}

void OffsetRect(TRect& R, int32_t DX, int32_t DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
}

void OffsetRect(TSingleRect& R, float DX, float DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
}

bool IsRectEmpty(const TRect& R) {
  return !(R.Left < R.Right && R.Top < R.Bottom);
}
bool IsRectEmpty(const TSingleRect& R) {
  return !(R.Left < R.Right && R.Top < R.Bottom);
}

bool PtInRect(const TRect& R, const TPoint& P) {
  return R.Left <= P.X && P.X < R.Right && R.Top <= P.Y && P.Y < R.Bottom;
}

bool PtInRect(const TSingleRect& R, const TSinglePoint& P) {
  return R.Left <= P.X && P.X < R.Right && R.Top <= P.Y && P.Y < R.Bottom;
}

bool EqualRect(const TRect& R1, const TRect& R2) {
  return R1 == R2;
}
