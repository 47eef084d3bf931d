#pragma once
// The eight blend and combine primitives, reached through one dispatch table that is filled
// once at start-up with the fastest forms the processor supports. Every form gives the same
// result to the bit.
//
// Mix(X, Y, W), per channel, alpha included: (X.c * W + Y.c * (256 - W) + 128) >> 8.
#include <cstdint>

#include "cpu_features.h"
#include "types.h"

using TMixColor = TColor32 (*)(TColor32 X, TColor32 Y, TColor32 W);
using TMixOnto = void (*)(TColor32 X, TColor32& Y, TColor32 W);
using TBlendColor = TColor32 (*)(TColor32 F, TColor32 B);
using TBlendOnto = void (*)(TColor32 F, TColor32& B);
using TBlendColorMaster = TColor32 (*)(TColor32 F, TColor32 B, TColor32 M);
using TBlendOntoMaster = void (*)(TColor32 F, TColor32& B, TColor32 M);
using TBlendRow = void (*)(const TColor32* Src, TColor32* Dst, int32_t Count);
using TBlendRowMaster = void (*)(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M);

// The dispatch table, in its fixed order.
struct TBlendProcs {
  TMixColor MixColor;
  TMixOnto MixOnto;
  TBlendColor BlendColor;
  TBlendOnto BlendOnto;
  TBlendColorMaster BlendColorMaster;
  TBlendOntoMaster BlendOntoMaster;
  TBlendRow BlendRow;
  TBlendRowMaster BlendRowMaster;
};

extern TBlendProcs BlendProcs;

// The forms chosen at start-up for this processor.
TBlendForms ActiveBlendForms();
// A complete table of one set of forms (for tests and benchmarks); falls back to the scalar
// table when the processor lacks the instructions.
const TBlendProcs& BlendProcsFor(TBlendForms Forms);
bool BlendFormsSupported(TBlendForms Forms);

inline TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W) {
  return BlendProcs.MixColor(X, Y, W);
}
inline void MixOnto(TColor32 X, TColor32& Y, TColor32 W) {
  BlendProcs.MixOnto(X, Y, W);
}
inline TColor32 BlendColor(TColor32 F, TColor32 B) {
  return BlendProcs.BlendColor(F, B);
}
inline void BlendOnto(TColor32 F, TColor32& B) {
  BlendProcs.BlendOnto(F, B);
}
inline TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M) {
  return BlendProcs.BlendColorMaster(F, B, M);
}
inline void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M) {
  BlendProcs.BlendOntoMaster(F, B, M);
}
inline void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count) {
  BlendProcs.BlendRow(Src, Dst, Count);
}
inline void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
  BlendProcs.BlendRowMaster(Src, Dst, Count, M);
}

// Scalar Mix inlined for inner loops that must not pay for an indirect call; identical results.
inline TColor32 MixInline(TColor32 X, TColor32 Y, TColor32 W) {
  // Two channels per 32-bit word with 16-bit spacing: each lane's sum is at most 65408.
  const uint32_t IW = 256 - W;
  const uint32_t RB =
      (((X & 0x00FF00FF) * W + (Y & 0x00FF00FF) * IW + 0x00800080) >> 8) & 0x00FF00FF;
  const uint32_t AG =
      (((X >> 8) & 0x00FF00FF) * W + ((Y >> 8) & 0x00FF00FF) * IW + 0x00800080) & 0xFF00FF00;
  return RB | AG;
}
