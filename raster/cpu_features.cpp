#include "cpu_features.h"

namespace {

struct TCpuFeatures {
  bool SSE2 = false;
  bool AVX2 = false;
};

// Probed on first use, so that callers running during static initialisation are served too.
const TCpuFeatures& Features() {
  static const TCpuFeatures F = [] {
    TCpuFeatures R;
#if defined(PELMORA_X86)
    __builtin_cpu_init();
    R.SSE2 = __builtin_cpu_supports("sse2");
    R.AVX2 = R.SSE2 && __builtin_cpu_supports("avx2");
#endif
    return R;
  }();
  return F;
}

}  // namespace

bool CpuSupports(TBlendForms Forms) {
  switch (Forms) {
    case TBlendForms::Scalar:
      return true;
    case TBlendForms::SSE2:
      return Features().SSE2;
    case TBlendForms::AVX2:
      return Features().AVX2;
  }
  return false;
}

TBlendForms BestCpuForms() {
  if (CpuSupports(TBlendForms::AVX2))
    return TBlendForms::AVX2;
  if (CpuSupports(TBlendForms::SSE2))
    return TBlendForms::SSE2;
  return TBlendForms::Scalar;
}
