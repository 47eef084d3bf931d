#pragma once
// The colour adjustments that work in place on a TBitmap32; every pixel's alpha is kept.
#include <cstdint>

class TBitmap32;

// Each colour channel v becomes clamp(v + Amount * v / 255), the quotient truncated; Amount
// -200 .. 200, 0 changes nothing.
void BrightnessScale(TBitmap32& Bitmap, int32_t Amount);
// Channels move away from 127 by |127 - v| * Amount / 255 (towards it for a negative Amount),
// clamped; Amount -200 .. 200, 0 changes nothing.
void ContrastStretch(TBitmap32& Bitmap, int32_t Amount);
// Each channel v becomes clamp(v + v * (2 * c) / 255) with its own amount c, -50 .. 50.
void BalanceScale(TBitmap32& Bitmap, int32_t Red, int32_t Green, int32_t Blue);
// Each channel is shifted by its amount c (-50 .. 50) in two steps: v + c when it stays inside
// 1 .. 254, 0 when it falls to 0 or below; then 255 when the new v + c reaches 255.
void BalanceShift(TBitmap32& Bitmap, int32_t Red, int32_t Green, int32_t Blue);
// Red, green and blue become 255 - v (the catalogue's negative).
void InvertColors(TBitmap32& Bitmap);

// The per-channel tables behind the routines above: Table[v] is the new value of v.
struct TChannelTables {
  uint8_t Red[256], Green[256], Blue[256];
};
// Applies the three tables to every pixel, alpha kept; ends with Changed.
void ApplyChannelTables(TBitmap32& Bitmap, const TChannelTables& Tables);

uint8_t BrightnessValue(int32_t V, int32_t Amount);
uint8_t ContrastValue(int32_t V, int32_t Amount);
uint8_t BalanceScaleValue(int32_t V, int32_t C);
uint8_t BalanceShiftValue(int32_t V, int32_t C);
