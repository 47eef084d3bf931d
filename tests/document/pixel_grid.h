#pragma once
// Small pictures written out as pixel lists, for the document tests.
#include <cstdint>
#include <vector>

#include "bitmap32.h"

using TPixels = std::vector<TColor32>;

// Sets Bmp to W x H with the pixels P, row by row, and notifies its change.
inline void Fill(TBitmap32& Bmp, int32_t W, int32_t H, const TPixels& P) {
  Bmp.SetSize(W, H);
  for (int32_t I = 0; I < W * H; ++I) Bmp.Bits()[I] = P[static_cast<size_t>(I)];
  Bmp.Changed();
}

inline TPixels PixelsOf(const TBitmap32& Bmp) {
  return TPixels(Bmp.Bits(), Bmp.Bits() + Bmp.Width() * Bmp.Height());
}
