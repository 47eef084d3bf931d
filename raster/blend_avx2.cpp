// AVX2 forms of the row blends; the single-pixel forms are the SSE2 ones.
//
// Rows are blended eight pixels at a time without unpacking: the 16-bit lanes of a pixel hold
// G:B and A:R, the low bytes (B, R) are mixed after masking, the high bytes (G, A) after a 16-bit
// shift, each lane computing ((X.c - Y.c) * W + (Y.c << 8) + 128) >> 8 with wrap-around, which
// equals the mix exactly. Alpha 255 becomes weight 256, which reproduces the source exactly, and
// a weight of 0 reproduces the destination, so one mix gives every case of the pixel forms.
#include <immintrin.h>

#include <cstdint>

#include "blend_scalar.h"

// The single-pixel forms gain nothing from wider registers; blend_sse2.cpp defines them.
namespace BlendSSE2 {
TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W);
void MixOnto(TColor32 X, TColor32& Y, TColor32 W);
TColor32 BlendColor(TColor32 F, TColor32 B);
void BlendOnto(TColor32 F, TColor32& B);
TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M);
void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M);
}  // namespace BlendSSE2

namespace BlendAVX2 {

namespace {

// How far ahead of the current pixel both rows are prefetched. The mix has enough work per
// line that the out-of-order window alone keeps too few cache misses in flight; 4 KiB ahead
// brings the blend of a large picture to the speed of memcpy. Past the end of a row it fetches
// what usually comes next, the following row; prefetches never fault.
constexpr uintptr_t PrefetchBytes = 4096;

inline void Prefetch(const void* P) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(P) + PrefetchBytes),
               _MM_HINT_T0);
}

// Eight pixels with their weights in both 16-bit lanes of each pixel (0 to 256).
inline __m256i Mix8(__m256i F, __m256i B, __m256i W) {
  const __m256i LowBytes = _mm256_set1_epi32(0x00FF00FF);
  const __m256i HighBytes = _mm256_set1_epi32(static_cast<int>(0xFF00FF00));
  const __m256i Bias = _mm256_set1_epi16(128);
  const __m256i DiffBR =
      _mm256_sub_epi16(_mm256_and_si256(F, LowBytes), _mm256_and_si256(B, LowBytes));
  const __m256i DiffGA = _mm256_sub_epi16(_mm256_srli_epi16(F, 8), _mm256_srli_epi16(B, 8));
  const __m256i BaseBR = _mm256_or_si256(_mm256_slli_epi16(B, 8), Bias);
  const __m256i BaseGA = _mm256_or_si256(_mm256_and_si256(B, HighBytes), Bias);
  const __m256i BR = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(DiffBR, W), BaseBR), 8);
  const __m256i GA =
      _mm256_and_si256(_mm256_add_epi16(_mm256_mullo_epi16(DiffGA, W), BaseGA), HighBytes);
  return _mm256_or_si256(BR, GA);
}

// Each pixel's alpha in both of its 16-bit lanes.
inline __m256i AlphaWeights(__m256i F) {
  const __m256i Spread =
      _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,  //
                       3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
  return _mm256_shuffle_epi8(F, Spread);
}

// BlendOnto's weights: the alpha, with 255 raised to 256.
inline __m256i OntoWeights(__m256i F) {
  const __m256i W = AlphaWeights(F);
  return _mm256_sub_epi16(W, _mm256_cmpeq_epi16(W, _mm256_set1_epi16(255)));
}

inline __m256i MasterWeights(__m256i F, __m256i Master) {
  return _mm256_srli_epi16(_mm256_mullo_epi16(AlphaWeights(F), Master), 8);
}

// Lanes 0 .. Count - 1 set, for the last pixels of a row (Count 1 to 7).
inline __m256i TailMask(int32_t Count) {
  return _mm256_cmpgt_epi32(_mm256_set1_epi32(Count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// True when the destination starts inside the source row after its first pixel: the scalar
// order then reads pixels it has already written, which only a pass pixel by pixel reproduces.
inline bool DstTrailsSrc(const TColor32* Src, const TColor32* Dst, int32_t Count) {
  const auto S = reinterpret_cast<uintptr_t>(Src);
  const auto D = reinterpret_cast<uintptr_t>(Dst);
  return D > S && D - S < static_cast<uintptr_t>(Count) * sizeof(TColor32);
}

// A group of eight fully transparent pixels leaves the destination unread and unwritten; a
// fully opaque group is copied without reading it.
inline void BlendOnto8(const TColor32* Src, TColor32* Dst) {
  const __m256i AlphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000));
  const __m256i F = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src));
  if (_mm256_testz_si256(F, AlphaMask))
    return;
  auto* D = reinterpret_cast<__m256i*>(Dst);
  if (_mm256_testc_si256(F, AlphaMask)) {
    _mm256_storeu_si256(D, F);
    return;
  }
  _mm256_storeu_si256(D, Mix8(F, _mm256_loadu_si256(D), OntoWeights(F)));
}

inline void BlendOntoMaster8(const TColor32* Src, TColor32* Dst, __m256i Master) {
  const __m256i F = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src));
  const __m256i W = MasterWeights(F, Master);
  if (_mm256_testz_si256(W, W))
    return;
  auto* D = reinterpret_cast<__m256i*>(Dst);
  _mm256_storeu_si256(D, Mix8(F, _mm256_loadu_si256(D), W));
}

}  // namespace

void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count) {
  if (Count <= 0)
    return;
  if (DstTrailsSrc(Src, Dst, Count)) {
    BlendScalar::BlendRow(Src, Dst, Count);
    return;
  }
  int32_t I = 0;
  // One cache line of each row per step, prefetched once.
  for (; I + 16 <= Count; I += 16) {
    Prefetch(Src + I);
    Prefetch(Dst + I);
    BlendOnto8(Src + I, Dst + I);
    BlendOnto8(Src + I + 8, Dst + I + 8);
  }
  if (I + 8 <= Count) {
    BlendOnto8(Src + I, Dst + I);
    I += 8;
  }
  if (I == Count)
    return;
  // The last one to seven pixels; masked-off lanes are neither read nor written, nor is the
  // destination of a transparent pixel.
  const __m256i Lanes = TailMask(Count - I);
  const auto* S = reinterpret_cast<const int*>(Src + I);
  auto* D = reinterpret_cast<int*>(Dst + I);
  const __m256i F = _mm256_maskload_epi32(S, Lanes);
  const __m256i Clear = _mm256_cmpeq_epi32(
      _mm256_and_si256(F, _mm256_set1_epi32(static_cast<int>(0xFF000000))), _mm256_setzero_si256());
  const __m256i Write = _mm256_andnot_si256(Clear, Lanes);
  const __m256i B = _mm256_maskload_epi32(D, Write);
  _mm256_maskstore_epi32(D, Write, Mix8(F, B, OntoWeights(F)));
}

void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
  if (Count <= 0 || M <= 1)
    return;  // (255 * 1) >> 8 = 0: no pixel changes
  if (DstTrailsSrc(Src, Dst, Count)) {
    BlendScalar::BlendRowMaster(Src, Dst, Count, M);
    return;
  }
  // The weights (alpha * M) >> 8 are computed in 16-bit lanes, exact for M up to 255.
  const __m256i Master = _mm256_set1_epi16(static_cast<short>(M));
  int32_t I = 0;
  for (; I + 16 <= Count; I += 16) {
    Prefetch(Src + I);
    Prefetch(Dst + I);
    BlendOntoMaster8(Src + I, Dst + I, Master);
    BlendOntoMaster8(Src + I + 8, Dst + I + 8, Master);
  }
  if (I + 8 <= Count) {
    BlendOntoMaster8(Src + I, Dst + I, Master);
    I += 8;
  }
  if (I == Count)
    return;
  const __m256i Lanes = TailMask(Count - I);
  const auto* S = reinterpret_cast<const int*>(Src + I);
  auto* D = reinterpret_cast<int*>(Dst + I);
  const __m256i F = _mm256_maskload_epi32(S, Lanes);
  const __m256i W = MasterWeights(F, Master);
  const __m256i Write = _mm256_andnot_si256(_mm256_cmpeq_epi32(W, _mm256_setzero_si256()), Lanes);
  const __m256i B = _mm256_maskload_epi32(D, Write);
  _mm256_maskstore_epi32(D, Write, Mix8(F, B, W));
}

// Constant-initialised (function addresses only), so it is ready before any dynamic initialiser.
constinit const TBlendProcs Procs = {BlendSSE2::MixColor,
                                     BlendSSE2::MixOnto,
                                     BlendSSE2::BlendColor,
                                     BlendSSE2::BlendOnto,
                                     BlendSSE2::BlendColorMaster,
                                     BlendSSE2::BlendOntoMaster,
                                     BlendRow,
                                     BlendRowMaster};

}  // namespace BlendAVX2
