#pragma once
// Scalar forms of the blend primitives; the reference every vector form must equal.
#include "blend.h"

namespace BlendScalar {
TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W);
void MixOnto(TColor32 X, TColor32& Y, TColor32 W);
TColor32 BlendColor(TColor32 F, TColor32 B);
void BlendOnto(TColor32 F, TColor32& B);
TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M);
void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M);
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
