#pragma once
// What the stretch routines of transfers.cpp, stretch_linear.cpp and resampler.cpp share; not
// for use outside the transfers.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "blend.h"
#include "cpu_features.h"
#include "transfers.h"

#if defined(PELMORA_X86)
#include <immintrin.h>
#endif

namespace Stretch {

// round(A * B / C), half away from zero, for A >= 0, B > 0, C > 0. Equal to MulDivRound wherever
// A fits 32 bits and the quotient fits 31; beyond that the 16.16 positions are kept in 64 bits
// instead of wrapping.
int64_t MulDivRound64(int64_t A, int64_t B, int64_t C);

// What every stretch routine needs after its common checks. Sizes are 64-bit so that a
// destination rectangle spanning most of the 32-bit range cannot overflow.
struct TStretchArea {
  TRect C;             // DstRect clipped to Dst
  int64_t SW, SH;      // SrcRect's size
  int64_t DW, DH;      // DstRect's size, not clipped
  int64_t OffX, OffY;  // C's corner relative to DstRect
  int32_t CW, CH;      // C's size
  TColor32 Master;
  bool SameSize;
  bool Alias;     // Src and Dst are the same bitmap
  bool Coverage;  // Dst composes alpha as coverage
};

bool PrepareStretch(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                    const TRect& SrcRect, TStretchArea& A);
// PrepareStretch for a stretch drawn with Op: false also when the source's master alpha is 0,
// and when the sizes are the same, which is then drawn here as a block transfer.
bool PrepareScaledDraw(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                       const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event,
                       TStretchArea& A);

template <typename T>
std::unique_ptr<T[]> MakeBuffer(int64_t Count) {
  return std::unique_ptr<T[]>(new T[static_cast<size_t>(std::max<int64_t>(Count, 1))]);
}

// BlendOnto (or BlendOntoMaster) onto a bitmap that composes alpha as coverage: the blend's
// colours, and the alpha w + b * (255 - w) / 255 rounded, w the weight the blend gave F. A weight
// of 0 leaves B; an opaque B stays opaque.
inline void BlendCoverage(TColor32 F, TColor32& B, TColor32 Master, bool MasterForm) {
  const TColor32 W = MasterForm ? ((F >> 24) * Master) >> 8 : F >> 24;
  if (W == 0)
    return;
  const TColor32 Below = B >> 24;
  if (MasterForm)
    BlendOntoMaster(F, B, Master);
  else
    BlendOnto(F, B);
  const TColor32 Alpha = W + (Below * (255 - W) + 127) / 255;
  B = (B & 0x00FFFFFF) | (Alpha << 24);
}

// Gives each pixel of Row to the combine step of a non-opaque mode; BlendRow and BlendRowMaster
// are the row forms of BlendOnto and BlendOntoMaster, BlendCoverage's where Coverage is set.
void CombineRow(const TColor32* Row, TColor32* D, int32_t Count, TDrawMode Op, TColor32 Master,
                bool MasterForm, bool Coverage, const TPixelCombineEvent& Event);

// The combine step of one pixel in any mode.
inline void CombinePixel(TColor32 F, TColor32& B, TDrawMode Op, TColor32 Master, bool MasterForm,
                         bool Coverage, const TPixelCombineEvent& Event) {
  if (Op == dmCustom)
    Event(F, B, Master);
  else if (Op == dmOpaque)
    B = F;
  else if (Coverage)
    BlendCoverage(F, B, Master, MasterForm);
  else if (MasterForm)
    BlendOntoMaster(F, B, Master);
  else
    BlendOnto(F, B);
}

// The bilinear stretch (sfLinear) and the kernel resampler (sfLinear2, sfSpline); both take
// the arguments of StretchTransfer after its checks of the mode.
void StretchBilinear(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                     const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event);
void Resample(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src, const TRect& SrcRect,
              TStretchFilter Filter, TDrawMode Op, const TPixelCombineEvent& Event);

#if defined(PELMORA_X86) && defined(__SSE2__)

inline __m128i LoadPair(const TColor32* P) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(P));
}

#define AVX2_TARGET __attribute__((target("avx2")))

AVX2_TARGET inline __m256i Join(__m128i Lo, __m128i Hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Lo), Hi, 1);
}

#endif

}  // namespace Stretch
