#include "blend.h"

#include "blend_scalar.h"

namespace {

bool CpuHas(TBlendForms Forms) {
  switch (Forms) {
    case TBlendForms::Scalar:
      return true;
    case TBlendForms::SSE2:
      return __builtin_cpu_supports("sse2");
    case TBlendForms::AVX2:
      return __builtin_cpu_supports("avx2");
  }
  return false;
}

TBlendForms ChooseForms() {
  if (CpuHas(TBlendForms::AVX2)) return TBlendForms::AVX2;
  if (CpuHas(TBlendForms::SSE2)) return TBlendForms::SSE2;
  return TBlendForms::Scalar;
}

}  // namespace

bool BlendFormsSupported(TBlendForms Forms) { return CpuHas(Forms); }

const TBlendProcs& BlendProcsFor(TBlendForms Forms) {
  if (!CpuHas(Forms)) return BlendScalar::Procs;
  switch (Forms) {
    case TBlendForms::SSE2:
      return BlendSSE2::Procs;
    case TBlendForms::AVX2:
      return BlendAVX2::Procs;
    case TBlendForms::Scalar:
      break;
  }
  return BlendScalar::Procs;
}

TBlendForms ActiveBlendForms() {
  static const TBlendForms Chosen = ChooseForms();
  return Chosen;
}

// Constant-initialised with the scalar forms, so that a caller running during another unit's
// static initialisation is already served; the vector forms replace them below.
constinit TBlendProcs BlendProcs = {
    BlendScalar::MixColor,         BlendScalar::MixOnto,         BlendScalar::BlendColor,
    BlendScalar::BlendOnto,        BlendScalar::BlendColorMaster, BlendScalar::BlendOntoMaster,
    BlendScalar::BlendRow,         BlendScalar::BlendRowMaster};

namespace {
struct TBlendInit {
  TBlendInit() { BlendProcs = BlendProcsFor(ActiveBlendForms()); }
} BlendInit;
}  // namespace
