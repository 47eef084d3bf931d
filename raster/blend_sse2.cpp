// SSE2 forms of the blend primitives.
//
// Single pixels are unpacked to four 16-bit lanes (B, G, R, A). Rows are blended four pixels at
// a time without unpacking: the 16-bit lanes of a pixel hold G:B and A:R, the low bytes (B, R)
// are mixed after masking, the high bytes (G, A) after a 16-bit shift, each lane computing
// ((X.c - Y.c) * W + (Y.c << 8) + 128) >> 8 with wrap-around, which equals the mix exactly.
#include <emmintrin.h>

#include <cstdint>

#include "blend_scalar.h"

namespace BlendSSE2 {

namespace {

// Mix of one pixel on four 16-bit lanes. W is 0 to 256; 256 reproduces X.
inline TColor32 MixPixel(TColor32 X, TColor32 Y, TColor32 W) {
  const __m128i Zero = _mm_setzero_si128();
  const __m128i X16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(X)), Zero);
  const __m128i Y16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(Y)), Zero);
  __m128i R = _mm_mullo_epi16(_mm_sub_epi16(X16, Y16), _mm_set1_epi16(static_cast<short>(W)));
  R = _mm_add_epi16(R, _mm_slli_epi16(Y16, 8));
  R = _mm_srli_epi16(_mm_add_epi16(R, _mm_set1_epi16(128)), 8);
  return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(R, R)));
}

// Four pixels with their weights in both 16-bit lanes of each pixel (0 to 256).
inline __m128i Mix4(__m128i F, __m128i B, __m128i W) {
  const __m128i LowBytes = _mm_set1_epi32(0x00FF00FF);
  const __m128i HighBytes = _mm_set1_epi32(static_cast<int>(0xFF00FF00));
  const __m128i Bias = _mm_set1_epi16(128);
  const __m128i DiffBR = _mm_sub_epi16(_mm_and_si128(F, LowBytes), _mm_and_si128(B, LowBytes));
  const __m128i DiffGA = _mm_sub_epi16(_mm_srli_epi16(F, 8), _mm_srli_epi16(B, 8));
  const __m128i BaseBR = _mm_or_si128(_mm_slli_epi16(B, 8), Bias);
  const __m128i BaseGA = _mm_or_si128(_mm_and_si128(B, HighBytes), Bias);
  const __m128i BR = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(DiffBR, W), BaseBR), 8);
  const __m128i GA = _mm_and_si128(_mm_add_epi16(_mm_mullo_epi16(DiffGA, W), BaseGA), HighBytes);
  return _mm_or_si128(BR, GA);
}

// Each pixel's alpha in both of its 16-bit lanes.
inline __m128i AlphaWeights(__m128i F) {
  const __m128i A = _mm_srli_epi32(F, 24);
  return _mm_or_si128(A, _mm_slli_epi32(A, 16));
}

// How far ahead of the current pixel both rows are prefetched (see blend_avx2.cpp).
constexpr uintptr_t PrefetchBytes = 4096;

inline void Prefetch(const void* P) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(P) + PrefetchBytes),
               _MM_HINT_T0);
}

// True when the destination starts inside the source row after its first pixel: the scalar
// order then reads pixels it has already written, which only a pass pixel by pixel reproduces.
inline bool DstTrailsSrc(const TColor32* Src, const TColor32* Dst, int32_t Count) {
  const auto S = reinterpret_cast<uintptr_t>(Src);
  const auto D = reinterpret_cast<uintptr_t>(Dst);
  return D > S && D - S < static_cast<uintptr_t>(Count) * sizeof(TColor32);
}

using TPixel = TPixelBlends<MixPixel>;

}  // namespace

// The single-pixel forms on the four-lane mix; the AVX2 table uses them too.
TColor32 MixColor(TColor32 X, TColor32 Y, TColor32 W) {
  return TPixel::MixColor(X, Y, W);
}
void MixOnto(TColor32 X, TColor32& Y, TColor32 W) {
  TPixel::MixOnto(X, Y, W);
}
TColor32 BlendColor(TColor32 F, TColor32 B) {
  return TPixel::BlendColor(F, B);
}
void BlendOnto(TColor32 F, TColor32& B) {
  TPixel::BlendOnto(F, B);
}
TColor32 BlendColorMaster(TColor32 F, TColor32 B, TColor32 M) {
  return TPixel::BlendColorMaster(F, B, M);
}
void BlendOntoMaster(TColor32 F, TColor32& B, TColor32 M) {
  TPixel::BlendOntoMaster(F, B, M);
}

// Alpha 255 becomes weight 256, which reproduces the source exactly, and alpha 0 gives weight
// 0, which reproduces the destination: one mix covers all three cases of BlendOnto. A group of
// four fully transparent pixels leaves the destination unread and unwritten; a fully opaque
// group is copied without reading it.
void BlendRow(const TColor32* Src, TColor32* Dst, int32_t Count) {
  if (Count <= 0)
    return;
  if (DstTrailsSrc(Src, Dst, Count)) {
    BlendScalar::BlendRow(Src, Dst, Count);
    return;
  }
  const auto Blend4 = [](const TColor32* S, TColor32* D) {
    const __m128i AlphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i F = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S));
    const __m128i A = _mm_and_si128(F, AlphaMask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(A, _mm_setzero_si128())) == 0xFFFF)
      return;
    auto* DV = reinterpret_cast<__m128i*>(D);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(A, AlphaMask)) == 0xFFFF) {
      _mm_storeu_si128(DV, F);
      return;
    }
    __m128i W = AlphaWeights(F);
    W = _mm_sub_epi16(W, _mm_cmpeq_epi16(W, _mm_set1_epi16(255)));
    _mm_storeu_si128(DV, Mix4(F, _mm_loadu_si128(DV), W));
  };
  int32_t I = 0;
  // One cache line of each row per step, prefetched once.
  for (; I + 16 <= Count; I += 16) {
    Prefetch(Src + I);
    Prefetch(Dst + I);
    for (int32_t K = 0; K < 16; K += 4) Blend4(Src + I + K, Dst + I + K);
  }
  for (; I + 4 <= Count; I += 4) Blend4(Src + I, Dst + I);
  for (; I < Count; ++I) BlendOnto(Src[I], Dst[I]);
}

// W = (alpha * M) >> 8 is computed in 16-bit lanes, exact for M up to 255. Zero weights leave
// the destination as it is; groups of four with no weight at all are not written.
void BlendRowMaster(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M) {
  if (Count <= 0 || M <= 1)
    return;  // (255 * 1) >> 8 = 0: no pixel changes
  if (DstTrailsSrc(Src, Dst, Count)) {
    BlendScalar::BlendRowMaster(Src, Dst, Count, M);
    return;
  }
  const __m128i Master = _mm_set1_epi16(static_cast<short>(M));
  const auto Blend4 = [Master](const TColor32* S, TColor32* D) {
    const __m128i F = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S));
    const __m128i W = _mm_srli_epi16(_mm_mullo_epi16(AlphaWeights(F), Master), 8);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(W, _mm_setzero_si128())) == 0xFFFF)
      return;
    auto* DV = reinterpret_cast<__m128i*>(D);
    _mm_storeu_si128(DV, Mix4(F, _mm_loadu_si128(DV), W));
  };
  int32_t I = 0;
  for (; I + 16 <= Count; I += 16) {
    Prefetch(Src + I);
    Prefetch(Dst + I);
    for (int32_t K = 0; K < 16; K += 4) Blend4(Src + I + K, Dst + I + K);
  }
  for (; I + 4 <= Count; I += 4) Blend4(Src + I, Dst + I);
  for (; I < Count; ++I) BlendOntoMaster(Src[I], Dst[I], M);
}

// Constant-initialised (function addresses only), so it is ready before any dynamic initialiser.
constinit const TBlendProcs Procs = {MixColor,         MixOnto,         BlendColor, BlendOnto,
                                     BlendColorMaster, BlendOntoMaster, BlendRow,   BlendRowMaster};

}  // namespace BlendSSE2
