#include "blend.h"

#include "blend_scalar.h"

bool BlendFormsSupported(TBlendForms Forms) {
  return CpuSupports(Forms);
}

const TBlendProcs& BlendProcsFor(TBlendForms Forms) {
  if (!BlendFormsSupported(Forms))
    return BlendScalar::Procs;
#if defined(PELMORA_X86)  // the vector tables are built for x86 only
  switch (Forms) {
    case TBlendForms::SSE2:
      return BlendSSE2::Procs;
    case TBlendForms::AVX2:
      return BlendAVX2::Procs;
    case TBlendForms::Scalar:
      break;
  }
#endif
  return BlendScalar::Procs;
}

TBlendForms ActiveBlendForms() {
  return BestCpuForms();
}

// Constant-initialised with the scalar forms, so that a caller running during another unit's
// static initialisation is already served; the vector forms replace them below.
constinit TBlendProcs BlendProcs = {BlendScalar::MixColor,         BlendScalar::MixOnto,
                                    BlendScalar::BlendColor,       BlendScalar::BlendOnto,
                                    BlendScalar::BlendColorMaster, BlendScalar::BlendOntoMaster,
                                    BlendScalar::BlendRow,         BlendScalar::BlendRowMaster};

namespace {
struct TBlendInit {
  TBlendInit() { BlendProcs = BlendProcsFor(ActiveBlendForms()); }
} BlendInit;
}  // namespace
