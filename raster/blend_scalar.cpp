#include "blend_scalar.h"

namespace BlendScalar {

void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count) {
  for (int32_t I = 0; I < Count; ++I) BlendOnto(Src[I], Dst[I]);
}

void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
  for (int32_t I = 0; I < Count; ++I) BlendOntoMaster(Src[I], Dst[I], M);
}

constinit const TBlendProcs Procs = {
    TPixel::MixColor,         TPixel::MixOnto,         TPixel::BlendColor, TPixel::BlendOnto,
    TPixel::BlendColorMaster, TPixel::BlendOntoMaster, BlendRow,           BlendRowMaster};

}  // namespace BlendScalar
