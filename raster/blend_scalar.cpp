#include "blend_scalar.h"

namespace BlendScalar {

TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W) {
  return MixInline(X, Y, W);
}

void MixOnto(TColor32 X, TColor32& Y, TColor32 W) {
  if (W == 0)
    return;
  if (W == 255) {
    Y = X;
    return;
  }
  Y = MixInline(X, Y, W);
}

TColor32 BlendColor(TColor32 F, TColor32 B) {
  return MixInline(F, B, F >> 24);
}

void BlendOnto(TColor32 F, TColor32& B) {
  const TColor32 A = F >> 24;
  if (A == 0)
    return;
  if (A == 255) {
    B = F;
    return;
  }
  B = MixInline(F, B, A);
}

TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M) {
  const TColor32 W = ((F >> 24) * M) >> 8;
  if (W == 0)
    return B;
  return MixInline(F, B, W);
}

void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M) {
  const TColor32 A = F >> 24;
  if (A == 0)
    return;
  const TColor32 W = (A * M) >> 8;
  if (W == 0)
    return;
  B = MixInline(F, B, W);
}

void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count) {
  for (int32_t I = 0; I < Count; ++I) BlendOnto(Src[I], Dst[I]);
}

void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
  for (int32_t I = 0; I < Count; ++I) BlendOntoMaster(Src[I], Dst[I], M);
}

constinit const TBlendProcs Procs = {MixColor,         MixOnto,         BlendColor, BlendOnto,
                                     BlendColorMaster, BlendOntoMaster, BlendRow,   BlendRowMaster};

}  // namespace BlendScalar
