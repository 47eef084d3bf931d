#include <cstring>

#include "edge_mix.h"
#include "stretch_common.h"

namespace Stretch {

// The bilinear stretch (sfLinear).
//
// Per destination pixel: columns i, i + 1 of the upper and the lower row, wx and wy the weights of
// the first column and of the upper row. Columns first: left = mix(up i, low i, wy), right = mix(up
// i + 1, low i + 1, wy), colour = mix(left, right, wx). Rows first: top = mix(up i, up i + 1, wx),
// bottom = mix(low i, low i + 1, wx), colour = mix(top, bottom, wy).
//
// The rows are worked in two steps built from two primitives: a vertical one, V[j] = mix(U[j],
// L[j], wy) along a run, and a horizontal one, Out[k] = mix(V[i], V[i + 1], wx) for the sampled
// i. Columns first mixes the run of source columns vertically, then samples it; rows first
// samples the upper and the lower source row (kept while destination rows share them), then
// mixes the two vertically. A strong reduction samples the columns first directly instead of
// mixing every column of the run. The vector forms keep the four channels of a pixel in 16-bit
// lanes and mix with wrap-around 16-bit arithmetic: ((X - Y) * W + (Y << 8) + 128) >> 8, which
// equals the channel formula exactly.
//
// Where a mixed pixel comes out less than opaque, some of its four source pixels are
// transparent in part, and their colour would leak into it; its colour is taken again with the
// four colours weighted by their alpha (EdgeBilinear). Every form mixes first and mends the
// pixels that are not opaque afterwards, so the forms agree to the bit and opaque pictures keep
// the plain mix.

namespace {

inline TColor32 BilinearPixel(const TColor32* Up, const TColor32* Low, int32_t I, int32_t I1,
                              TColor32 Wx, TColor32 Wy, bool RowsFirst) {
  if (RowsFirst)
    return MixInline(MixInline(Up[I], Up[I1], Wx), MixInline(Low[I], Low[I1], Wx), Wy);
  return MixInline(MixInline(Up[I], Low[I], Wy), MixInline(Up[I1], Low[I1], Wy), Wx);
}

// Idx[K] is the first column of destination pixel K relative to the row pointers, W4[K] its
// weight wx repeated in four 16-bit lanes (the low lane is wx itself).
using TVerticalSpan = void (*)(const TColor32* U, const TColor32* L, int32_t Count, TColor32 Wy,
                               TColor32* V);
using THorizontalSpan = void (*)(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                 int32_t Count, TColor32* Out);
// Columns first in one step, for strong reductions.
using TBilinearRow = void (*)(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                              const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* Out);

inline TColor32 WeightOf(uint64_t W4) {
  return static_cast<TColor32>(W4 & 0xFF);
}

// The source of a row's destination pixels, for mending the ones that are not opaque: pixel K
// mixes Up[Idx[K]], Up[Idx[K] + Next], Low[Idx[K]] and Low[Idx[K] + Next].
struct TEdgeRows {
  const TColor32* Up;
  const TColor32* Low;
  const int32_t* Idx;
  const uint64_t* W4;
  int32_t Next;
  TColor32 Wy;

  TColor32 Mend(TColor32 Mixed, int32_t K) const {
    const int32_t I = Idx[K], I1 = I + Next;
    return EdgeBilinear(Mixed, Up[I], Up[I1], Low[I], Low[I1], WeightOf(W4[K]), Wy);
  }
};

// Mends Out[J], destination pixel From + J, for J in 0 .. Count - 1; runs of opaque or of
// wholly transparent pixels are passed over eight at a time.
void MendEdges(const TEdgeRows& E, int32_t From, int32_t Count, TColor32* Out) {
  int32_t J = 0;
  for (; J + 8 <= Count; J += 8) {
    TColor32 All = Out[J], Any = Out[J];
    for (int32_t I = 1; I < 8; ++I) {
      All &= Out[J + I];
      Any |= Out[J + I];
    }
    if ((All >> 24) == 255 || (Any >> 24) == 0)
      continue;
    for (int32_t I = J; I < J + 8; ++I)
      if (PartlyTransparent(Out[I]))
        Out[I] = E.Mend(Out[I], From + I);
  }
  for (; J < Count; ++J)
    if (PartlyTransparent(Out[J]))
      Out[J] = E.Mend(Out[J], From + J);
}

void VerticalSpanScalar(const TColor32* U, const TColor32* L, int32_t Count, TColor32 Wy,
                        TColor32* V) {
  for (int32_t J = 0; J < Count; ++J) V[J] = MixInline(U[J], L[J], Wy);
}

void HorizontalSpanScalar(const TColor32* V, const int32_t* Idx, const uint64_t* W4, int32_t Count,
                          TColor32* Out) {
  for (int32_t K = 0; K < Count; ++K) Out[K] = MixInline(V[Idx[K]], V[Idx[K] + 1], WeightOf(W4[K]));
}

void BilinearRowScalar(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                       const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* Out) {
  for (int32_t K = 0; K < Count; ++K)
    Out[K] = BilinearPixel(Up, Low, Idx[K], Idx[K] + 1, WeightOf(W4[K]), Wy, false);
}

#if defined(PELMORA_X86) && defined(__SSE2__)

inline __m128i Mix16(__m128i X, __m128i Y, __m128i W, __m128i Bias) {
  const __m128i T = _mm_mullo_epi16(_mm_sub_epi16(X, Y), W);
  return _mm_srli_epi16(_mm_add_epi16(T, _mm_add_epi16(_mm_slli_epi16(Y, 8), Bias)), 8);
}

// Two pairs of adjacent pixels, P[0..1] and Q[0..1], in one register.
inline __m128i LoadPairs(const TColor32* P, const TColor32* Q) {
  return _mm_castpd_si128(
      _mm_loadh_pd(_mm_castsi128_pd(LoadPair(P)), reinterpret_cast<const double*>(Q)));
}

void VerticalSpanSSE2(const TColor32* U, const TColor32* L, int32_t Count, TColor32 Wy,
                      TColor32* V) {
  const __m128i Z = _mm_setzero_si128(), Bias = _mm_set1_epi16(128);
  const __m128i WY = _mm_set1_epi16(static_cast<int16_t>(Wy));
  int32_t J = 0;
  for (; J + 4 <= Count; J += 4) {
    const __m128i Pu = _mm_loadu_si128(reinterpret_cast<const __m128i*>(U + J));
    const __m128i Pl = _mm_loadu_si128(reinterpret_cast<const __m128i*>(L + J));
    const __m128i Lo = Mix16(_mm_unpacklo_epi8(Pu, Z), _mm_unpacklo_epi8(Pl, Z), WY, Bias);
    const __m128i Hi = Mix16(_mm_unpackhi_epi8(Pu, Z), _mm_unpackhi_epi8(Pl, Z), WY, Bias);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(V + J), _mm_packus_epi16(Lo, Hi));
  }
  VerticalSpanScalar(U + J, L + J, Count - J, Wy, V + J);
}

void HorizontalSpanSSE2(const TColor32* V, const int32_t* Idx, const uint64_t* W4, int32_t Count,
                        TColor32* Out) {
  const __m128i Z = _mm_setzero_si128(), Bias = _mm_set1_epi16(128);
  int32_t K = 0;
  for (; K + 2 <= Count; K += 2) {
    const __m128i P = LoadPairs(V + Idx[K], V + Idx[K + 1]);
    const __m128i P0 = _mm_unpacklo_epi8(P, Z), P1 = _mm_unpackhi_epi8(P, Z);
    const __m128i W = _mm_loadu_si128(reinterpret_cast<const __m128i*>(W4 + K));
    const __m128i O = Mix16(_mm_unpacklo_epi64(P0, P1), _mm_unpackhi_epi64(P0, P1), W, Bias);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + K), _mm_packus_epi16(O, O));
  }
  HorizontalSpanScalar(V, Idx + K, W4 + K, Count - K, Out + K);
}

void BilinearRowSSE2(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                     const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* Out) {
  const __m128i Z = _mm_setzero_si128(), Bias = _mm_set1_epi16(128);
  const __m128i WY = _mm_set1_epi16(static_cast<int16_t>(Wy));
  int32_t K = 0;
  for (; K + 2 <= Count; K += 2) {
    const __m128i U = LoadPairs(Up + Idx[K], Up + Idx[K + 1]);
    const __m128i L = LoadPairs(Low + Idx[K], Low + Idx[K + 1]);
    const __m128i V0 = Mix16(_mm_unpacklo_epi8(U, Z), _mm_unpacklo_epi8(L, Z), WY, Bias);
    const __m128i V1 = Mix16(_mm_unpackhi_epi8(U, Z), _mm_unpackhi_epi8(L, Z), WY, Bias);
    const __m128i W = _mm_loadu_si128(reinterpret_cast<const __m128i*>(W4 + K));
    const __m128i O = Mix16(_mm_unpacklo_epi64(V0, V1), _mm_unpackhi_epi64(V0, V1), W, Bias);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + K), _mm_packus_epi16(O, O));
  }
  BilinearRowScalar(Up, Low, Idx + K, W4 + K, Count - K, Wy, Out + K);
}

// The AVX2 forms run the SSE2 steps in both 128-bit lanes at once.
AVX2_TARGET inline __m256i Mix16x2(__m256i X, __m256i Y, __m256i W, __m256i Bias) {
  const __m256i T = _mm256_mullo_epi16(_mm256_sub_epi16(X, Y), W);
  return _mm256_srli_epi16(_mm256_add_epi16(T, _mm256_add_epi16(_mm256_slli_epi16(Y, 8), Bias)), 8);
}

// How far ahead the rows are prefetched, as in BlendRow: the out-of-order window alone keeps too
// few cache misses in flight. Prefetches never fault, also past the end of a row.
constexpr uintptr_t PrefetchBytes = 4096;

inline void Prefetch(const void* P) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(P) + PrefetchBytes),
               _MM_HINT_T0);
}

// The low 64 bits of each lane, in order: pixels K, K + 1 from the low lane, K + 2, K + 3 from
// the high one.
AVX2_TARGET inline void StoreFour(TColor32* Out, __m256i O) {
  const __m256i P = _mm256_permute4x64_epi64(_mm256_packus_epi16(O, O), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), _mm256_castsi256_si128(P));
}

AVX2_TARGET inline void VerticalEight(const TColor32* U, const TColor32* L, __m256i WY, __m256i Z,
                                      __m256i Bias, TColor32* V) {
  const __m256i Pu = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(U));
  const __m256i Pl = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(L));
  const __m256i Lo = Mix16x2(_mm256_unpacklo_epi8(Pu, Z), _mm256_unpacklo_epi8(Pl, Z), WY, Bias);
  const __m256i Hi = Mix16x2(_mm256_unpackhi_epi8(Pu, Z), _mm256_unpackhi_epi8(Pl, Z), WY, Bias);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(V), _mm256_packus_epi16(Lo, Hi));
}

AVX2_TARGET void VerticalSpanAVX2(const TColor32* U, const TColor32* L, int32_t Count, TColor32 Wy,
                                  TColor32* V) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  int32_t J = 0;
  // One cache line of each source row per step, prefetched once, as in BlendRow.
  for (; J + 16 <= Count; J += 16) {
    Prefetch(U + J);
    Prefetch(L + J);
    VerticalEight(U + J, L + J, WY, Z, Bias, V + J);
    VerticalEight(U + J + 8, L + J + 8, WY, Z, Bias, V + J + 8);
  }
  if (J + 8 <= Count) {
    VerticalEight(U + J, L + J, WY, Z, Bias, V + J);
    J += 8;
  }
  VerticalSpanSSE2(U + J, L + J, Count - J, Wy, V + J);
}

// Four destination pixels K .. K + 3 in 16-bit lanes (K, K + 1 in the low 128-bit lane,
// K + 2, K + 3 in the high one): the columns i and i + 1 of each, already in 16-bit lanes in
// A (pixels K, K + 2) and B (K + 1, K + 3), mixed with their weights wx.
AVX2_TARGET inline __m256i MixColumns(__m256i A, __m256i B, const uint64_t* W4, __m256i Bias) {
  const __m256i W = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(W4));
  return Mix16x2(_mm256_unpacklo_epi64(A, B), _mm256_unpackhi_epi64(A, B), W, Bias);
}

// Pixels K .. K + 3 sampled from a vertically mixed span.
AVX2_TARGET inline __m256i SpanFour(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                    int32_t K, __m256i Z, __m256i Bias) {
  const __m256i P =
      Join(LoadPairs(V + Idx[K], V + Idx[K + 1]), LoadPairs(V + Idx[K + 2], V + Idx[K + 3]));
  return MixColumns(_mm256_unpacklo_epi8(P, Z), _mm256_unpackhi_epi8(P, Z), W4 + K, Bias);
}

// Pixels K .. K + 3 sampled columns first straight from the upper and the lower row.
AVX2_TARGET inline __m256i RowFour(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                   const uint64_t* W4, int32_t K, __m256i WY, __m256i Z,
                                   __m256i Bias) {
  const int32_t Ia = Idx[K], Ib = Idx[K + 1], Ic = Idx[K + 2], Id = Idx[K + 3];
  const __m256i U = Join(LoadPairs(Up + Ia, Up + Ib), LoadPairs(Up + Ic, Up + Id));
  const __m256i L = Join(LoadPairs(Low + Ia, Low + Ib), LoadPairs(Low + Ic, Low + Id));
  const __m256i V0 = Mix16x2(_mm256_unpacklo_epi8(U, Z), _mm256_unpacklo_epi8(L, Z), WY, Bias);
  const __m256i V1 = Mix16x2(_mm256_unpackhi_epi8(U, Z), _mm256_unpackhi_epi8(L, Z), WY, Bias);
  return MixColumns(V0, V1, W4 + K, Bias);
}

AVX2_TARGET void HorizontalSpanAVX2(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                    int32_t Count, TColor32* Out) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) StoreFour(Out + K, SpanFour(V, Idx, W4, K, Z, Bias));
  HorizontalSpanSSE2(V, Idx + K, W4 + K, Count - K, Out + K);
}

AVX2_TARGET void BilinearRowAVX2(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                 const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* Out) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) StoreFour(Out + K, RowFour(Up, Low, Idx, W4, K, WY, Z, Bias));
  BilinearRowSSE2(Up, Low, Idx + K, W4 + K, Count - K, Wy, Out + K);
}

// The fused forms: the last step of a row's sampling blends its four colours straight onto the
// destination instead of writing them to a row buffer for BlendRow. The weights are those of
// BlendRow (alpha, 255 raised to 256) and BlendRowMaster ((alpha * M) >> 8), and the mix is the
// exact 16-bit one above, so the results equal the two-step forms to the bit. Four transparent
// colours leave the destination unread and unwritten.

// Each colour's alpha in all four of its 16-bit lanes.
AVX2_TARGET inline __m256i AlphaLanes(__m256i O) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(O, 0xFF), 0xFF);
}

// Four pixels in 16-bit lanes, in the order BlendFour takes them.
AVX2_TARGET inline __m256i WidenFour(const TColor32* P) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P)));
}

// Blends four colours in 16-bit lanes (K, K + 1 in the low 128-bit lane, K + 2, K + 3 in the
// high one) onto D[0..3]. Master 255 is BlendOnto, below it BlendOntoMaster.
// Four colours of which some are partly transparent are mended and blended as the two-step forms
// do.
template <bool MasterForm>
void BlendFourEdges(TColor32* D, const TColor32* Mixed, const TEdgeRows& E, int32_t K, TColor32 M) {
  TColor32 Four[4];
  for (int32_t J = 0; J < 4; ++J)
    Four[J] = PartlyTransparent(Mixed[J]) ? E.Mend(Mixed[J], K + J) : Mixed[J];
  if constexpr (MasterForm)
    BlendRowMaster(Four, D, 4, M);
  else
    BlendRow(Four, D, 4);
}

template <bool MasterForm>
AVX2_TARGET inline void BlendFour(TColor32* D, __m256i O, __m256i Master, __m256i Bias,
                                  const TEdgeRows& E, int32_t K) {
  const __m256i Alpha = AlphaLanes(O);
  const __m256i Opaque = _mm256_cmpeq_epi16(Alpha, _mm256_set1_epi16(255));
  const __m256i Clear = _mm256_cmpeq_epi16(Alpha, _mm256_setzero_si256());
  if (_mm256_movemask_epi8(_mm256_or_si256(Opaque, Clear)) != -1) {
    TColor32 Mixed[4];
    StoreFour(Mixed, O);
    BlendFourEdges<MasterForm>(D, Mixed, E, K,
                               static_cast<TColor32>(_mm256_extract_epi16(Master, 0)));
    return;
  }
  __m256i W;
  if constexpr (MasterForm)
    W = _mm256_srli_epi16(_mm256_mullo_epi16(Alpha, Master), 8);
  else
    W = _mm256_sub_epi16(Alpha, Opaque);
  if (_mm256_testz_si256(W, W))
    return;
  StoreFour(D, Mix16x2(O, WidenFour(D), W, Bias));
}

AVX2_TARGET void HorizontalSpanBlendAVX2(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                         int32_t Count, TColor32* D, const TEdgeRows& E) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    if ((K & 15) == 0)
      Prefetch(D + K);
    BlendFour<false>(D + K, SpanFour(V, Idx, W4, K, Z, Bias), Z, Bias, E, K);
  }
  if (K < Count) {
    TColor32 Tail[4];
    HorizontalSpanSSE2(V, Idx + K, W4 + K, Count - K, Tail);
    MendEdges(E, K, Count - K, Tail);
    BlendRow(Tail, D + K, Count - K);
  }
}

AVX2_TARGET void BilinearRowBlendAVX2(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                      const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* D,
                                      const TEdgeRows& E) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    if ((K & 15) == 0)
      Prefetch(D + K);
    BlendFour<false>(D + K, RowFour(Up, Low, Idx, W4, K, WY, Z, Bias), Z, Bias, E, K);
  }
  if (K < Count) {
    TColor32 Tail[4];
    BilinearRowSSE2(Up, Low, Idx + K, W4 + K, Count - K, Wy, Tail);
    MendEdges(E, K, Count - K, Tail);
    BlendRow(Tail, D + K, Count - K);
  }
}

// Rows first straight from the two source rows, for reductions where no two destination rows
// share a source row (so a sampled row would be used once): each pixel's upper and lower pair
// mixed horizontally, the two mixed vertically and blended with the master alpha; the same
// arithmetic as sampling the rows into a buffer and VerticalSpanBlendAVX2.
AVX2_TARGET void RowsFirstBlendAVX2(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                    const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32 M,
                                    TColor32* D, const TEdgeRows& E) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  const __m256i Master = _mm256_set1_epi16(static_cast<int16_t>(M));
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    if ((K & 15) == 0)
      Prefetch(D + K);
    const __m256i Top = SpanFour(Up, Idx, W4, K, Z, Bias);
    const __m256i Bottom = SpanFour(Low, Idx, W4, K, Z, Bias);
    BlendFour<true>(D + K, Mix16x2(Top, Bottom, WY, Bias), Master, Bias, E, K);
  }
  if (K < Count) {
    TColor32 Top[4], Bottom[4], Tail[4];
    HorizontalSpanSSE2(Up, Idx + K, W4 + K, Count - K, Top);
    HorizontalSpanSSE2(Low, Idx + K, W4 + K, Count - K, Bottom);
    VerticalSpanSSE2(Top, Bottom, Count - K, Wy, Tail);
    MendEdges(E, K, Count - K, Tail);
    BlendRowMaster(Tail, D + K, Count - K, M);
  }
}

// Rows first: the two sampled rows mixed vertically, then blended with the master alpha.
AVX2_TARGET void VerticalSpanBlendAVX2(const TColor32* U, const TColor32* L, int32_t Count,
                                       TColor32 Wy, TColor32 M, TColor32* D, const TEdgeRows& E) {
  const __m256i Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  const __m256i Master = _mm256_set1_epi16(static_cast<int16_t>(M));
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    if ((K & 15) == 0)
      Prefetch(D + K);
    BlendFour<true>(D + K, Mix16x2(WidenFour(U + K), WidenFour(L + K), WY, Bias), Master, Bias, E,
                    K);
  }
  if (K < Count) {
    TColor32 Tail[4];
    VerticalSpanSSE2(U + K, L + K, Count - K, Wy, Tail);
    MendEdges(E, K, Count - K, Tail);
    BlendRowMaster(Tail, D + K, Count - K, M);
  }
}

#endif

// The last step of a row blended straight onto the destination (dmBlend only): the horizontal
// span and the direct row at master alpha 255, the vertical span of the rows-first order below
// it.
using THorizontalSpanBlend = void (*)(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                      int32_t Count, TColor32* D, const TEdgeRows& E);
using TBilinearRowBlend = void (*)(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                   const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* D,
                                   const TEdgeRows& E);
using TVerticalSpanBlend = void (*)(const TColor32* U, const TColor32* L, int32_t Count,
                                    TColor32 Wy, TColor32 M, TColor32* D, const TEdgeRows& E);
using TRowsFirstBlend = void (*)(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                 const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32 M,
                                 TColor32* D, const TEdgeRows& E);

// The fused steps exist in the AVX2 form only; the other forms sample into a row buffer and
// blend it with BlendRow or BlendRowMaster.
struct TBilinearForms {
  TVerticalSpan Vertical = VerticalSpanScalar;
  THorizontalSpan Horizontal = HorizontalSpanScalar;
  TBilinearRow Row = BilinearRowScalar;
  THorizontalSpanBlend HorizontalBlend = nullptr;
  TBilinearRowBlend RowBlend = nullptr;
  TVerticalSpanBlend VerticalBlend = nullptr;
  TRowsFirstBlend RowsFirstBlend = nullptr;
};

TBilinearForms ChooseBilinear() {
  TBilinearForms F;
#if defined(PELMORA_X86) && defined(__SSE2__)
  if (TransferForms() == TBlendForms::AVX2)
    F = {VerticalSpanAVX2,     HorizontalSpanAVX2,    BilinearRowAVX2,   HorizontalSpanBlendAVX2,
         BilinearRowBlendAVX2, VerticalSpanBlendAVX2, RowsFirstBlendAVX2};
  else if (TransferForms() == TBlendForms::SSE2)
    F = {VerticalSpanSSE2, HorizontalSpanSSE2, BilinearRowSSE2};
#endif
  return F;
}

}  // namespace

void StretchBilinear(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                     const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event) {
  TStretchArea A;
  if (!PrepareScaledDraw(Dst, DstRect, Src, SrcRect, Op, Event, A))
    return;
  // The last source column and row are reached only in the limit, so i + 1 and the lower row
  // stay inside SrcRect.
  const int64_t X0 = MulDivRound64(A.OffX * (A.SW - 1), 65535, A.DW);
  const int64_t Y0 = MulDivRound64(A.OffY * (A.SH - 1), 65535, A.DH);
  const int64_t DX = ((A.SW - 1) << 16) / A.DW, DY = ((A.SH - 1) << 16) / A.DH;
  // The master form blends, and the rows are mixed first, only for dmBlend below 255.
  const bool RowsFirst = Op == dmBlend && A.Master < 255;

  auto Idx = MakeBuffer<int32_t>(A.CW);
  auto W4 = MakeBuffer<uint64_t>(A.CW);
  int64_t X = X0;
  for (int32_t K = 0; K < A.CW; ++K, X += DX) {
    Idx[K] = static_cast<int32_t>(X >> 16);
    W4[K] = (255 - ((X >> 8) & 255)) * 0x0001000100010001ull;
  }

  enum { PerPixel, RowCache, Span, Direct } Plan;
  const int32_t SpanFirst = Idx[0], SpanCount = Idx[A.CW - 1] + 2 - SpanFirst;
  // A source one pixel wide mixes its only column with itself (i + 1 is i); drawing onto itself
  // must read pixels as they are when each destination pixel is made.
  if (A.SW == 1 || A.Alias)
    Plan = PerPixel;
  else if (RowsFirst)
    Plan = RowCache;
  else if (SpanCount <= 2 * int64_t(A.CW) + 16)
    Plan = Span;
  else
    Plan = Direct;
  const TBilinearForms Forms = ChooseBilinear();
  // dmBlend's rows go straight onto Dst where the forms have fused steps (all three or none),
  // which blend alpha like a colour.
  const bool Fused = Op == dmBlend && Forms.HorizontalBlend != nullptr && !A.Coverage;
  const int32_t Next = A.SW > 1 ? 1 : 0;

  std::unique_ptr<TColor32[]> V;
  int32_t Tags[2] = {-1, -1};  // the source rows sampled into V's two halves
  if (Plan == Span) {
    V = MakeBuffer<TColor32>(SpanCount);
    for (int32_t K = 0; K < A.CW; ++K) Idx[K] -= SpanFirst;
  } else if (Plan == RowCache) {
    V = MakeBuffer<TColor32>(2 * int64_t(A.CW));
  }
  const auto Sampled = [&](int32_t Sy) {
    TColor32* H = V.get() + (Sy & 1) * int64_t(A.CW);
    if (Tags[Sy & 1] != Sy) {
      Forms.Horizontal(Src->RowAddress(Sy) + SrcRect.Left, Idx.get(), W4.get(), A.CW, H);
      Tags[Sy & 1] = Sy;
    }
    return H;
  };

  auto Row = MakeBuffer<TColor32>(A.CW);
  int64_t Y = Y0;
  for (int32_t R = A.C.Top; R < A.C.Bottom; ++R, Y += DY) {
    const auto Sy = static_cast<int32_t>(SrcRect.Top + Y / 65536);
    const int32_t Sy1 = Sy == SrcRect.Bottom - 1 ? Sy : Sy + 1;
    const TColor32* Up = Src->RowAddress(Sy) + SrcRect.Left;
    const TColor32* Low = Src->RowAddress(Sy1) + SrcRect.Left;
    const auto Wy = static_cast<TColor32>(255 - ((Y >> 8) & 255));
    TColor32* D = Dst->PixelAddress(A.C.Left, R);
    // Idx counts from the span's first column in the span plan.
    const int32_t Shift = Plan == Span ? SpanFirst : 0;
    const TEdgeRows E{Up + Shift, Low + Shift, Idx.get(), W4.get(), Next, Wy};
    if (Plan == PerPixel) {
      for (int32_t K = 0; K < A.CW; ++K) {
        TColor32 P = BilinearPixel(Up, Low, Idx[K], Idx[K] + Next, WeightOf(W4[K]), Wy, RowsFirst);
        if (PartlyTransparent(P))
          P = E.Mend(P, K);
        CombinePixel(P, D[K], Op, A.Master, RowsFirst, A.Coverage, Event);
      }
      continue;
    }
    TColor32* Out = Op == dmOpaque ? D : Row.get();
    switch (Plan) {
      case RowCache: {
        // Below half size no source row serves two destination rows: nothing to keep.
        if (Fused && DY >= (int64_t{2} << 16)) {
          Forms.RowsFirstBlend(Up, Low, Idx.get(), W4.get(), A.CW, Wy, A.Master, D, E);
          continue;
        }
        const TColor32* Top = Sampled(Sy);
        const TColor32* Bottom = Sy1 == Sy ? Top : Sampled(Sy1);
        if (Fused) {
          Forms.VerticalBlend(Top, Bottom, A.CW, Wy, A.Master, D, E);
          continue;
        }
        Forms.Vertical(Top, Bottom, A.CW, Wy, Out);
        break;
      }
      case Span:
        Forms.Vertical(Up + SpanFirst, Low + SpanFirst, SpanCount, Wy, V.get());
        if (Fused) {
          Forms.HorizontalBlend(V.get(), Idx.get(), W4.get(), A.CW, D, E);
          continue;
        }
        Forms.Horizontal(V.get(), Idx.get(), W4.get(), A.CW, Out);
        break;
      case Direct:
        if (Fused) {
          Forms.RowBlend(Up, Low, Idx.get(), W4.get(), A.CW, Wy, D, E);
          continue;
        }
        Forms.Row(Up, Low, Idx.get(), W4.get(), A.CW, Wy, Out);
        break;
      case PerPixel:
        break;
    }
    MendEdges(E, 0, A.CW, Out);
    if (Op != dmOpaque)
      CombineRow(Out, D, A.CW, Op, A.Master, RowsFirst, A.Coverage, Event);
  }
}

}  // namespace Stretch
