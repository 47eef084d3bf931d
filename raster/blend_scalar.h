#pragma once
// Scalar forms of the blend primitives; the reference every vector form must equal.
#include "blend.h"
#include "blend_pixel_forms.h"

namespace BlendScalar {
// The single-pixel forms.
using TPixel = TPixelBlends<MixInline>;
inline constexpr auto& MixColor = TPixel::MixColor;
inline constexpr auto& MixOnto = TPixel::MixOnto;
inline constexpr auto& BlendColor = TPixel::BlendColor;
inline constexpr auto& BlendOnto = TPixel::BlendOnto;
inline constexpr auto& BlendColorMaster = TPixel::BlendColorMaster;
inline constexpr auto& BlendOntoMaster = TPixel::BlendOntoMaster;
void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count);
void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M);
extern const TBlendProcs Procs;
}  // namespace BlendScalar

// Vector tables, defined in their own translation units compiled for their instruction sets
// (x86 only).
namespace BlendSSE2 {
extern const TBlendProcs Procs;
}
namespace BlendAVX2 {
extern const TBlendProcs Procs;
}
