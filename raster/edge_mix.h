#pragma once
// Colours of resampled pixels at the edges of transparent parts. The mixes of the resamplers
// treat the four channels alike, so the colour of a transparent pixel (often black) reaches its
// opaque neighbours. Where a mixed pixel came out partly transparent, its colour is taken again
// with each source colour weighted by its alpha; the mixed alpha stays. A pixel mixed from
// opaque pixels only is opaque and is never touched, so opaque pictures keep their bytes; one
// that came out wholly transparent shows nothing and is left as well.

#include <cstdint>

#include "color32.h"

// Whether a mixed pixel needs its colour taken again: its alpha is neither 0 nor 255.
inline bool PartlyTransparent(TColor32 Mixed) {
  return (Mixed >> 24) - 1 < 254;
}

// The colour of a bilinear mix of P00, P10 (the next column), P01 (the next row) and P11 at the
// weights Wx, Wy of the first column and row (0..255, in 256ths as MixInline takes them), with
// Mixed the plain mix of the four. The order of the two mixing steps does not matter.
inline TColor32 EdgeBilinear(TColor32 Mixed, TColor32 P00, TColor32 P10, TColor32 P01, TColor32 P11,
                             TColor32 Wx, TColor32 Wy) {
  if (!PartlyTransparent(Mixed))
    return Mixed;
  const uint32_t W[4] = {Wx * Wy, (256 - Wx) * Wy, Wx * (256 - Wy), (256 - Wx) * (256 - Wy)};
  const TColor32 P[4] = {P00, P10, P01, P11};
  // The weights sum to 65536: S is at most 65536 * 255 and each colour sum, with S / 2 added,
  // stays below 2^32.
  uint32_t S = 0, R = 0, G = 0, B = 0;
  for (int K = 0; K < 4; ++K) {
    const uint32_t Wa = W[K] * (P[K] >> 24);
    S += Wa;
    R += Wa * ((P[K] >> 16) & 0xFF);
    G += Wa * ((P[K] >> 8) & 0xFF);
    B += Wa * (P[K] & 0xFF);
  }
  if (S == 0)
    return Mixed;
  const auto Channel = [S](uint32_t V) { return (V + S / 2) / S; };
  return (Mixed & 0xFF000000) | (Channel(R) << 16) | (Channel(G) << 8) | Channel(B);
}
