#pragma once
// The single-pixel blend primitives, written once over the mix of one pixel. The scalar table
// instantiates them with MixInline and the SSE2 table with its four-lane mix, so every table
// takes the same decisions (nothing to do, a plain copy, a mix) and differs only in how the mix
// is computed. A vector unit passes a mix of its own unit (internal linkage), which keeps its
// instantiation inside the unit compiled for its instruction set.
#include "blend.h"

template <TColor32 (*Mix)(TColor32, TColor32, TColor32)>
struct TPixelBlends {
  static TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W) { return Mix(X, Y, W); }

  static void MixOnto(TColor32 X, TColor32& Y, TColor32 W) {
    if (W == 0)
      return;
    if (W == 255) {
      Y = X;
      return;
    }
    Y = Mix(X, Y, W);
  }

  static TColor32 BlendColor(TColor32 F, TColor32 B) { return Mix(F, B, F >> 24); }

  // The alpha is the weight: 0 leaves B, 255 copies F.
  static void BlendOnto(TColor32 F, TColor32& B) { MixOnto(F, B, F >> 24); }

  static TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M) {
    const TColor32 W = ((F >> 24) * M) >> 8;
    if (W == 0)
      return B;
    return Mix(F, B, W);
  }

  static void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M) {
    const TColor32 A = F >> 24;
    if (A == 0)
      return;
    const TColor32 W = (A * M) >> 8;
    if (W == 0)
      return;
    B = Mix(F, B, W);
  }
};
