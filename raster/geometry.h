#pragma once
// Rectangle and fixed-point helpers.
#include "types.h"

// Round to nearest, ties to even (the processor's default rounding), as a 32-bit integer.
int32_t Round(double X);
int32_t Floor(double X);
int32_t Ceil(double X);

// round(X * 65536).
TFix16 Fix16(double X);

TRect RectFromSingle(const TSingleRect& R, TRectRounding Rounding = rrClosest);
TSingleRect SingleRect(const TRect& R);

// Dst = the overlap of R1 and R2. A negative extent zeroes Dst and returns false; a zero-width
// overlap still counts as true.
bool IntersectRect(TRect& Dst, const TRect& R1, const TRect& R2);
bool IntersectRect(TSingleRect& Dst, const TSingleRect& R1, const TSingleRect& R2);
void OffsetRect(TRect& R, int32_t DX, int32_t DY);
void OffsetRect(TSingleRect& R, float DX, float DY);
bool IsRectEmpty(const TRect& R);
bool IsRectEmpty(const TSingleRect& R);
bool PtInRect(const TRect& R, const TPoint& P);
bool PtInRect(const TSingleRect& R, const TSinglePoint& P);
bool EqualRect(const TRect& R1, const TRect& R2);
