#include "color_adjust.h"

#include <cstdlib>

#include "bitmap32.h"
#include "color32.h"
#include "parallel_bands.h"

namespace {

template <typename F>
TChannelTables MakeTables(F Value) {
  TChannelTables T;
  for (int32_t V = 0; V < 256; ++V) {
    T.Red[V] = Value(V, 0);
    T.Green[V] = Value(V, 1);
    T.Blue[V] = Value(V, 2);
  }
  return T;
}

}  // namespace

// C++ division truncates toward zero, as the formulas want ((-200 * 100) / 255 = -78).
uint8_t BrightnessValue(int32_t V, int32_t Amount) {
  return uint8_t(Clamp255(V + Amount * V / 255));
}

uint8_t ContrastValue(int32_t V, int32_t Amount) {
  const int32_t D = std::abs(127 - V) * Amount / 255;
  return uint8_t(V > 127 ? Clamp255(V + D) : Clamp255(V - D));
}

uint8_t BalanceScaleValue(int32_t V, int32_t C) {
  return uint8_t(Clamp255(V + V * (2 * C) / 255));
}

uint8_t BalanceShiftValue(int32_t V, int32_t C) {
  if (V + C > 0 && V + C < 255)
    V += C;
  else if (V + C <= 0)
    V = 0;
  if (V + C >= 255)
    V = 255;
  return uint8_t(V);
}

void ApplyChannelTables(TBitmap32& Bitmap, const TChannelTables& T) {
  if (!Bitmap.IsEmpty()) {
    const size_t Count = size_t(Bitmap.Width()) * size_t(Bitmap.Height());
    TColor32* Bits = Bitmap.Bits();
    ForEachBand(Count, [&](size_t Begin, size_t End) {
      for (size_t I = Begin; I < End; ++I) {
        const TColor32 C = Bits[I];
        Bits[I] = (C & 0xFF000000u) | uint32_t(T.Red[(C >> 16) & 0xFF]) << 16 |
                  uint32_t(T.Green[(C >> 8) & 0xFF]) << 8 | T.Blue[C & 0xFF];
      }
    });
  }
  Bitmap.Changed();
}

void BrightnessScale(TBitmap32& Bitmap, int32_t Amount) {
  if (Amount == 0)
    return;
  ApplyChannelTables(Bitmap,
                     MakeTables([&](int32_t V, int) { return BrightnessValue(V, Amount); }));
}

void ContrastStretch(TBitmap32& Bitmap, int32_t Amount) {
  if (Amount == 0)
    return;
  ApplyChannelTables(Bitmap, MakeTables([&](int32_t V, int) { return ContrastValue(V, Amount); }));
}

void BalanceScale(TBitmap32& Bitmap, int32_t Red, int32_t Green, int32_t Blue) {
  if (Red == 0 && Green == 0 && Blue == 0)
    return;
  const int32_t Amounts[3] = {Red, Green, Blue};
  ApplyChannelTables(
      Bitmap, MakeTables([&](int32_t V, int Ch) { return BalanceScaleValue(V, Amounts[Ch]); }));
}

void BalanceShift(TBitmap32& Bitmap, int32_t Red, int32_t Green, int32_t Blue) {
  if (Red == 0 && Green == 0 && Blue == 0)
    return;
  const int32_t Amounts[3] = {Red, Green, Blue};
  ApplyChannelTables(
      Bitmap, MakeTables([&](int32_t V, int Ch) { return BalanceShiftValue(V, Amounts[Ch]); }));
}

void InvertColors(TBitmap32& Bitmap) {
  ApplyChannelTables(Bitmap, MakeTables([](int32_t V, int) { return uint8_t(255 - V); }));
}
