#include "transfers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "blend.h"
#include "cpu_features.h"
#include "exceptions.h"
#include "geometry.h"

#if defined(PELMORA_X86)
#include <immintrin.h>
#endif

void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src) {
  if (Dst == nullptr || Dst->IsEmpty())
    throw ETransformError("Destination bitmap is nil or empty");
  if (Src == nullptr || Src->IsEmpty())
    throw ETransformError("Source bitmap is nil or empty");
}

bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect) {
  if (SrcRect.Right <= SrcRect.Left || SrcRect.Bottom <= SrcRect.Top)
    return false;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() ||
      SrcRect.Bottom > Src->Height())
    throw ETransformError("Source rectangle is invalid");
  return true;
}

namespace {

// The SSE2 and AVX2 loops below are compiled where the SSE2 intrinsics are available.
bool FormsAvailable(TBlendForms Forms) {
#if !(defined(PELMORA_X86) && defined(__SSE2__))
  if (Forms != TBlendForms::Scalar)
    return false;
#endif
  return CpuSupports(Forms);
}

TBlendForms BestForms() {
  const TBlendForms Best = BestCpuForms();
  return FormsAvailable(Best) ? Best : TBlendForms::Scalar;
}

TBlendForms ActiveForms = BestForms();

// ---------------------------------------------------------------------------------------------
// Geometry shared by the stretches.

// round(A * B / C), half away from zero, for A >= 0, B > 0, C > 0. Equal to MulDivRound wherever
// A fits 32 bits and the quotient fits 31; beyond that the 16.16 positions are kept in 64 bits
// instead of wrapping.
int64_t MulDivRound64(int64_t A, int64_t B, int64_t C) {
  const int64_t Part = (A % C) * B;  // below C * B <= 2^32 * 2^16
  int64_t Q = (A / C) * B + Part / C;
  if (2 * (Part % C) >= C)
    ++Q;
  return Q;
}

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
  bool Alias;  // Src and Dst are the same bitmap
};

bool PrepareStretch(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                    const TRect& SrcRect, TStretchArea& A) {
  CheckBitmaps(Dst, Src);
  if (!CheckSrcRect(Src, SrcRect))
    return false;
  if (IsRectEmpty(DstRect))
    return false;
  if (!IntersectRect(A.C, DstRect, Dst->BoundsRect()) || IsRectEmpty(A.C))
    return false;
  A.SW = int64_t(SrcRect.Right) - SrcRect.Left;
  A.SH = int64_t(SrcRect.Bottom) - SrcRect.Top;
  A.DW = int64_t(DstRect.Right) - DstRect.Left;
  A.DH = int64_t(DstRect.Bottom) - DstRect.Top;
  A.OffX = int64_t(A.C.Left) - DstRect.Left;
  A.OffY = int64_t(A.C.Top) - DstRect.Top;
  A.CW = A.C.Right - A.C.Left;
  A.CH = A.C.Bottom - A.C.Top;
  A.Master = Src->MasterAlpha();
  A.SameSize = A.DW == A.SW && A.DH == A.SH;
  A.Alias = Dst == Src;
  return true;
}

template <typename T>
std::unique_ptr<T[]> MakeBuffer(int64_t Count) {
  return std::unique_ptr<T[]>(new T[static_cast<size_t>(std::max<int64_t>(Count, 1))]);
}

// Gives each pixel of Row to the combine step of a non-opaque mode; BlendRow and BlendRowMaster
// are the row forms of BlendOnto and BlendOntoMaster.
void CombineRow(const TColor32* Row, TColor32* D, int32_t Count, TDrawMode Op, TColor32 Master,
                bool MasterForm, const TPixelCombineEvent& Event) {
  if (Op == dmCustom) {
    for (int32_t K = 0; K < Count; ++K) Event(Row[K], D[K], Master);
  } else if (MasterForm) {
    BlendRowMaster(Row, D, Count, Master);
  } else {
    BlendRow(Row, D, Count);
  }
}

void CombinePixel(TColor32 F, TColor32& B, TDrawMode Op, TColor32 Master, bool MasterForm,
                  const TPixelCombineEvent& Event) {
  if (Op == dmCustom)
    Event(F, B, Master);
  else if (Op == dmOpaque)
    B = F;
  else if (MasterForm)
    BlendOntoMaster(F, B, Master);
  else
    BlendOnto(F, B);
}

// ---------------------------------------------------------------------------------------------
// Nearest-pixel stretches.

// Source column of each visible destination column, stepped in 16.16 from X0.
std::unique_ptr<int32_t[]> NearestColumns(int64_t X0, int64_t DX, int32_t Count, int32_t SrcLeft) {
  auto Idx = MakeBuffer<int32_t>(Count);
  int64_t X = X0;
  for (int32_t K = 0; K < Count; ++K, X += DX) Idx[K] = SrcLeft + static_cast<int32_t>(X >> 16);
  return Idx;
}

void StretchNearestOpaque(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                          const TRect& SrcRect) {
  TStretchArea A;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A))
    return;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, dmOpaque);
    return;
  }
  const int64_t X0 = A.DW > 1 ? MulDivRound64(A.OffX * (A.SW - 1), 65535, A.DW - 1) : 0;
  const int64_t Y0 = A.DH > 1 ? MulDivRound64(A.OffY * (A.SH - 1), 65535, A.DH - 1) : 0;
  const int64_t DX = (A.SW << 16) / A.DW, DY = (A.SH << 16) / A.DH;
  const auto Idx = NearestColumns(X0, DX, A.CW, SrcRect.Left);

  int64_t Y = Y0;
  int64_t PrevSy = -1;
  const TColor32* Prev = nullptr;
  for (int32_t R = A.C.Top; R < A.C.Bottom; ++R, Y += DY) {
    const int64_t Sy = SrcRect.Top + (Y >> 16);
    TColor32* D = Dst->PixelAddress(A.C.Left, R);
    // A repeated source row gives the same destination row; not when drawing onto itself,
    // where the source row may have been overwritten since.
    if (Sy == PrevSy && !A.Alias) {
      std::memcpy(D, Prev, sizeof(TColor32) * A.CW);
    } else {
      const TColor32* S = Src->RowAddress(static_cast<int32_t>(Sy));
      for (int32_t K = 0; K < A.CW; ++K) D[K] = S[Idx[K]];
    }
    PrevSy = Sy;
    Prev = D;
  }
}

void StretchNearestCombine(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                           const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event) {
  TStretchArea A;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A))
    return;
  if (A.Master == 0)
    return;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, Op, Event);
    return;
  }
  const int64_t X0 = MulDivRound64(A.SW * A.OffX, 65535, A.DW);
  const int64_t Y0 = MulDivRound64(A.SH * A.OffY, 65535, A.DH);
  const int64_t DX = (A.SW << 16) / A.DW, DY = (A.SH << 16) / A.DH;
  const auto Idx = NearestColumns(X0, DX, A.CW, SrcRect.Left);
  const bool MasterForm = A.Master < 255;

  auto Row = MakeBuffer<TColor32>(A.CW);
  int64_t Y = Y0;
  int64_t PrevSy = -1;
  for (int32_t R = A.C.Top; R < A.C.Bottom; ++R, Y += DY) {
    const int64_t Sy = SrcRect.Top + (Y >> 16);
    const TColor32* S = Src->RowAddress(static_cast<int32_t>(Sy));
    TColor32* D = Dst->PixelAddress(A.C.Left, R);
    if (A.Alias) {
      // Pixel by pixel, so that reads see the writes before them.
      for (int32_t K = 0; K < A.CW; ++K)
        CombinePixel(S[Idx[K]], D[K], Op, A.Master, MasterForm, Event);
      continue;
    }
    if (Sy != PrevSy)
      for (int32_t K = 0; K < A.CW; ++K) Row[K] = S[Idx[K]];
    PrevSy = Sy;
    CombineRow(Row.get(), D, A.CW, Op, A.Master, MasterForm, Event);
  }
}

// ---------------------------------------------------------------------------------------------
// Bilinear stretch. Per destination pixel: columns i, i + 1 of the upper and the lower row, wx
// and wy the weights of the first column and of the upper row. Columns first: left = mix(up i,
// low i, wy), right = mix(up i + 1, low i + 1, wy), colour = mix(left, right, wx). Rows first:
// top = mix(up i, up i + 1, wx), bottom = mix(low i, low i + 1, wx), colour = mix(top, bottom,
// wy).
//
// The rows are worked in two steps built from two primitives: a vertical one, V[j] = mix(U[j],
// L[j], wy) along a run, and a horizontal one, Out[k] = mix(V[i], V[i + 1], wx) for the sampled
// i. Columns first mixes the run of source columns vertically, then samples it; rows first
// samples the upper and the lower source row (kept while destination rows share them), then
// mixes the two vertically. A strong reduction samples the columns first directly instead of
// mixing every column of the run. The vector forms keep the four channels of a pixel in 16-bit
// lanes and mix with wrap-around 16-bit arithmetic: ((X - Y) * W + (Y << 8) + 128) >> 8, which
// equals the channel formula exactly.

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

inline __m128i LoadPair(const TColor32* P) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(P));
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

#define AVX2_TARGET __attribute__((target("avx2")))

// The AVX2 forms run the SSE2 steps in both 128-bit lanes at once.
AVX2_TARGET inline __m256i Mix16x2(__m256i X, __m256i Y, __m256i W, __m256i Bias) {
  const __m256i T = _mm256_mullo_epi16(_mm256_sub_epi16(X, Y), W);
  return _mm256_srli_epi16(_mm256_add_epi16(T, _mm256_add_epi16(_mm256_slli_epi16(Y, 8), Bias)), 8);
}

AVX2_TARGET inline __m256i Join(__m128i Lo, __m128i Hi) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Lo), Hi, 1);
}

// The low 64 bits of each lane, in order: pixels K, K + 1 from the low lane, K + 2, K + 3 from
// the high one.
AVX2_TARGET inline void StoreFour(TColor32* Out, __m256i O) {
  const __m256i P = _mm256_permute4x64_epi64(_mm256_packus_epi16(O, O), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), _mm256_castsi256_si128(P));
}

AVX2_TARGET void VerticalSpanAVX2(const TColor32* U, const TColor32* L, int32_t Count, TColor32 Wy,
                                  TColor32* V) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  int32_t J = 0;
  for (; J + 8 <= Count; J += 8) {
    const __m256i Pu = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(U + J));
    const __m256i Pl = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(L + J));
    const __m256i Lo = Mix16x2(_mm256_unpacklo_epi8(Pu, Z), _mm256_unpacklo_epi8(Pl, Z), WY, Bias);
    const __m256i Hi = Mix16x2(_mm256_unpackhi_epi8(Pu, Z), _mm256_unpackhi_epi8(Pl, Z), WY, Bias);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(V + J), _mm256_packus_epi16(Lo, Hi));
  }
  VerticalSpanSSE2(U + J, L + J, Count - J, Wy, V + J);
}

AVX2_TARGET void HorizontalSpanAVX2(const TColor32* V, const int32_t* Idx, const uint64_t* W4,
                                    int32_t Count, TColor32* Out) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    const __m256i P =
        Join(LoadPairs(V + Idx[K], V + Idx[K + 1]), LoadPairs(V + Idx[K + 2], V + Idx[K + 3]));
    const __m256i P0 = _mm256_unpacklo_epi8(P, Z), P1 = _mm256_unpackhi_epi8(P, Z);
    const __m256i W = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(W4 + K));
    StoreFour(Out + K,
              Mix16x2(_mm256_unpacklo_epi64(P0, P1), _mm256_unpackhi_epi64(P0, P1), W, Bias));
  }
  HorizontalSpanSSE2(V, Idx + K, W4 + K, Count - K, Out + K);
}

AVX2_TARGET void BilinearRowAVX2(const TColor32* Up, const TColor32* Low, const int32_t* Idx,
                                 const uint64_t* W4, int32_t Count, TColor32 Wy, TColor32* Out) {
  const __m256i Z = _mm256_setzero_si256(), Bias = _mm256_set1_epi16(128);
  const __m256i WY = _mm256_set1_epi16(static_cast<int16_t>(Wy));
  int32_t K = 0;
  for (; K + 4 <= Count; K += 4) {
    const int32_t Ia = Idx[K], Ib = Idx[K + 1], Ic = Idx[K + 2], Id = Idx[K + 3];
    const __m256i U = Join(LoadPairs(Up + Ia, Up + Ib), LoadPairs(Up + Ic, Up + Id));
    const __m256i L = Join(LoadPairs(Low + Ia, Low + Ib), LoadPairs(Low + Ic, Low + Id));
    const __m256i V0 = Mix16x2(_mm256_unpacklo_epi8(U, Z), _mm256_unpacklo_epi8(L, Z), WY, Bias);
    const __m256i V1 = Mix16x2(_mm256_unpackhi_epi8(U, Z), _mm256_unpackhi_epi8(L, Z), WY, Bias);
    const __m256i W = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(W4 + K));
    StoreFour(Out + K,
              Mix16x2(_mm256_unpacklo_epi64(V0, V1), _mm256_unpackhi_epi64(V0, V1), W, Bias));
  }
  BilinearRowSSE2(Up, Low, Idx + K, W4 + K, Count - K, Wy, Out + K);
}

#endif

struct TBilinearForms {
  TVerticalSpan Vertical = VerticalSpanScalar;
  THorizontalSpan Horizontal = HorizontalSpanScalar;
  TBilinearRow Row = BilinearRowScalar;
};

TBilinearForms ChooseBilinear() {
  TBilinearForms F;
#if defined(PELMORA_X86) && defined(__SSE2__)
  if (ActiveForms == TBlendForms::AVX2)
    F = {VerticalSpanAVX2, HorizontalSpanAVX2, BilinearRowAVX2};
  else if (ActiveForms == TBlendForms::SSE2)
    F = {VerticalSpanSSE2, HorizontalSpanSSE2, BilinearRowSSE2};
#endif
  return F;
}

void StretchBilinear(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                     const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event) {
  TStretchArea A;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A))
    return;
  if (A.Master == 0)
    return;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, Op, Event);
    return;
  }
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
    if (Plan == PerPixel) {
      for (int32_t K = 0; K < A.CW; ++K)
        CombinePixel(BilinearPixel(Up, Low, Idx[K], Idx[K] + Next, WeightOf(W4[K]), Wy, RowsFirst),
                     D[K], Op, A.Master, RowsFirst, Event);
      continue;
    }
    TColor32* Out = Op == dmOpaque ? D : Row.get();
    switch (Plan) {
      case RowCache: {
        const TColor32* Top = Sampled(Sy);
        Forms.Vertical(Top, Sy1 == Sy ? Top : Sampled(Sy1), A.CW, Wy, Out);
        break;
      }
      case Span:
        Forms.Vertical(Up + SpanFirst, Low + SpanFirst, SpanCount, Wy, V.get());
        Forms.Horizontal(V.get(), Idx.get(), W4.get(), A.CW, Out);
        break;
      case Direct:
        Forms.Row(Up, Low, Idx.get(), W4.get(), A.CW, Wy, Out);
        break;
      case PerPixel:
        break;
    }
    if (Op != dmOpaque)
      CombineRow(Out, D, A.CW, Op, A.Master, RowsFirst, Event);
  }
}

// ---------------------------------------------------------------------------------------------
// Kernel resampler.

float KernelValue(TStretchFilter Filter, float X) {
  switch (Filter) {
    case sfNearest:
      return (X > -0.5f && X <= 0.5f) ? 1.0f : 0.0f;
    case sfLinear:
    case sfLinear2:
      if (X >= -1.0f && X < 0.0f)
        return 1.0f + X;
      if (X >= 0.0f && X < 1.0f)
        return 1.0f - X;
      return 0.0f;
    case sfSpline: {
      const float A = std::fabs(X);
      if (A < 1.0f) {
        const float A2 = A * A;
        const float A3 = A2 * A;
        const float Half = 0.5f * A3;
        const float T = Half - A2;
        return T + 2.0f / 3.0f;
      }
      if (A < 2.0f) {
        const float B = 2.0f - A;
        const float B2 = B * B;
        const float B3 = B2 * B;
        return B3 / 6.0f;
      }
      return 0.0f;
    }
  }
  return 0.0f;
}

// sfNearest and sfLinear never reach the resampler from the transfers; their widths are those
// of their kernels' support.
float FilterWidth(TStretchFilter Filter) {
  switch (Filter) {
    case sfNearest:
      return 0.5f;
    case sfLinear:
    case sfLinear2:
      return 1.001f;
    case sfSpline:
      return 1.5f;
  }
  return 1.0f;
}

// Clusters as built: Start[i] .. Start[i + 1] index Pairs; i counts from the first built cluster.
struct TRawClusters {
  std::vector<int64_t> Start;
  std::vector<TPointRec> Pairs;
};

// Conversions that saturate instead of overflowing; only absurd tables come near the limits.
inline int32_t ToInt(float V) {
  return static_cast<int32_t>(std::clamp(V, -2147483520.0f, 2147483520.0f));
}
inline int32_t RoundToInt(float V) {
  return ToInt(std::nearbyint(V));
}
inline int32_t FloorToInt(float V) {
  return ToInt(std::floor(V));
}
inline int32_t CeilToInt(float V) {
  return ToInt(std::ceil(V));
}

// Builds clusters First .. Last - 1 of one direction. A reduction still computes every cluster,
// so that a cluster without weight raises the error wherever it lies. False for an empty table.
bool BuildClusters(int64_t DstSize, int32_t SrcSize, int32_t SrcLo, int32_t SrcHi,
                   TStretchFilter Filter, int64_t First, int64_t Last, TRawClusters& Out) {
  Out.Start.clear();
  Out.Pairs.clear();
  if (SrcSize <= 0)
    return false;
  First = std::max<int64_t>(First, 0);
  Last = std::min(Last, DstSize);
  const int64_t Count = std::max<int64_t>(Last - First, 0);
  Out.Start.reserve(static_cast<size_t>(Count + 1));
  Out.Start.push_back(0);
  const auto Clamp = [SrcSize](int32_t J) { return std::clamp(J, 0, SrcSize - 1); };

  if (SrcSize == 1) {
    for (int64_t I = 0; I < Count; ++I) {
      Out.Pairs.push_back({0, 255});
      Out.Start.push_back(static_cast<int64_t>(Out.Pairs.size()));
    }
    return true;
  }
  if (SrcHi < SrcLo || DstSize <= 1) {
    Out.Start.assign(static_cast<size_t>(Count + 1), 0);
    return true;
  }

  const int64_t SrcSpan = int64_t(SrcHi) - SrcLo;
  const float Scale =
      SrcSpan == 1 ? 1.0f : static_cast<float>(double(DstSize - 1) / double(SrcSpan - 1));
  float Width = FilterWidth(Filter);
  const auto Lo = static_cast<float>(SrcLo);

  if (Scale < 1.0f) {
    const float S = Scale;
    Width = Width / S;
    const float Step = 1.0f / S;
    std::vector<TPointRec> Cluster;
    for (int64_t I = 0; I < DstSize; ++I) {
      const float Prod = static_cast<float>(I) * Step;
      const float C = Prod + Lo;
      Cluster.clear();
      float Sum = 0.0f;
      const int32_t J0 = FloorToInt(C - Width), J1 = CeilToInt(C + Width);
      for (int32_t J = J0; J <= J1; ++J) {
        const float T = (C - static_cast<float>(J)) * S;
        const float K255 = KernelValue(Filter, T) * 255.0f;
        const int32_t W = RoundToInt(K255 * S);
        if (W == 0)
          continue;
        Cluster.push_back({Clamp(J), W});
        Sum = Sum + static_cast<float>(W) / 255.0f;
      }
      if (Sum == 0.0f)
        throw ETransformError("Assertion failure");
      if (Sum != 1.0f) {
        const float Factor = 1.0f / Sum;
        for (TPointRec& P : Cluster) P.Weight = RoundToInt(static_cast<float>(P.Weight) * Factor);
      }
      if (I >= First && I < Last) {
        Out.Pairs.insert(Out.Pairs.end(), Cluster.begin(), Cluster.end());
        Out.Start.push_back(static_cast<int64_t>(Out.Pairs.size()));
      }
    }
  } else {
    Width = 1.0f / Width;
    const float Step = 1.0f / Scale;
    for (int64_t I = First; I < Last; ++I) {
      const float Prod = static_cast<float>(I) * Step;
      const float C = Prod + Lo;
      const int32_t J0 = FloorToInt(C - Width), J1 = CeilToInt(C + Width);
      for (int32_t J = J0; J <= J1; ++J) {
        const int32_t W = RoundToInt(KernelValue(Filter, C - static_cast<float>(J)) * 256.0f);
        if (W != 0)
          Out.Pairs.push_back({Clamp(J), W});
      }
      Out.Start.push_back(static_cast<int64_t>(Out.Pairs.size()));
    }
  }
  return true;
}

// A cluster rewritten over consecutive source positions Lo .. Lo + Count - 1: the weights of a
// repeated (clamped) position added together and gaps given weight 0, which leaves the integer
// sums unchanged. The weights are 16-bit, padded to an even count, so that two of them form one
// 32-bit word for the pairwise multiply-add. Every weight of a cluster is at most 256 and a
// cluster adds up to at most about 510 (normalised small weights rounded up), so the 16-bit
// sums of repeated positions cannot overflow.
//
// A widened table gives every cluster the same even count Fixed (at most 8), Lo moved back
// where the source ends, so that the horizontal pass needs no per-cluster loop.
struct TWeightTable {
  std::vector<int32_t> Lo, Count, Offset;
  std::vector<int16_t> Weights;
  int32_t MaxSpan = 0;
  int32_t Fixed = 0;
};

void Condense(const TRawClusters& Raw, int32_t SrcSize, bool Widen, TWeightTable& T) {
  const size_t N = Raw.Start.size() - 1;
  T.Lo.assign(N, 0);
  T.Count.assign(N, 0);
  T.Offset.assign(N, 0);
  T.Weights.clear();
  T.MaxSpan = 0;
  T.Fixed = 0;
  for (size_t I = 0; I < N; ++I) {
    const TPointRec* B = Raw.Pairs.data() + Raw.Start[I];
    const TPointRec* E = Raw.Pairs.data() + Raw.Start[I + 1];
    T.Offset[I] = static_cast<int32_t>(T.Weights.size());
    if (B == E)
      continue;
    int32_t Lo = B->Pos, Hi = B->Pos;
    for (const TPointRec* P = B; P != E; ++P) {
      Lo = std::min(Lo, P->Pos);
      Hi = std::max(Hi, P->Pos);
    }
    const int32_t Span = Hi - Lo + 1;
    T.Lo[I] = Lo;
    T.Count[I] = Span;
    T.MaxSpan = std::max(T.MaxSpan, Span);
    T.Weights.resize(T.Weights.size() + static_cast<size_t>(Span + (Span & 1)), 0);
    int16_t* W = T.Weights.data() + T.Offset[I];
    for (const TPointRec* P = B; P != E; ++P)
      W[P->Pos - Lo] = static_cast<int16_t>(W[P->Pos - Lo] + P->Weight);
  }

  const int32_t Fixed = std::max(2, (T.MaxSpan + 1) & ~1);
  if (!Widen || Fixed > 8 || Fixed > SrcSize)
    return;
  std::vector<int16_t> Wide(N * static_cast<size_t>(Fixed), 0);
  for (size_t I = 0; I < N; ++I) {
    const int32_t Lo = std::min(T.Lo[I], SrcSize - Fixed);
    for (int32_t J = 0; J < T.Count[I]; ++J)
      Wide[I * size_t(Fixed) + size_t(T.Lo[I] - Lo + J)] = T.Weights[size_t(T.Offset[I] + J)];
    T.Lo[I] = Lo;
    T.Count[I] = Fixed;
    T.Offset[I] = static_cast<int32_t>(I) * Fixed;
  }
  T.Weights = std::move(Wide);
  T.Fixed = Fixed;
}

// A pixel's sum over its row and column clusters, sum over (sy, wy) and (sx, wx) of
// wx * wy * P, is computed as sum over sy of wy * (sum over sx of wx * P): the same integers, as
// every term is positive and no sum comes near 2^31 (at most 510 * 510 * 255). The horizontal
// pass turns one source row into four 32-bit sums per visible destination column (blue, green,
// red, alpha, as in memory); the vertical pass weights N such rows and turns the sums of each
// pixel into its colour: sum / 65536 rounded down and limited to 255 per channel. As the sums are
// never negative, the limits of the one-pass form (alpha above 0xFFFFFF, the other channels above
// 0xFF0000 become 0xFF0000, the rest is masked with 0xFF0000) come to exactly this.
using THorizontalPass = void (*)(const TColor32* Row, const TWeightTable& T, int32_t First,
                                 int32_t Count, int32_t* Out);
using TVerticalPass = void (*)(const int32_t* const* Rows, const int16_t* W, int32_t N,
                               int32_t Count, TColor32* Out);

inline TColor32 SumsToColor(int32_t B, int32_t G, int32_t R, int32_t A) {
  const auto Ch = [](int32_t S) { return static_cast<TColor32>(std::min(S >> 16, 255)); };
  return (Ch(A) << 24) | (Ch(R) << 16) | (Ch(G) << 8) | Ch(B);
}

inline int32_t WeightPair(const int16_t* W) {
  int32_t Pair;
  std::memcpy(&Pair, W, sizeof Pair);
  return Pair;
}

void HorizontalScalar(const TColor32* Row, const TWeightTable& T, int32_t First, int32_t Count,
                      int32_t* Out) {
  for (int32_t K = First; K < First + Count; ++K, Out += 4) {
    int32_t B = 0, G = 0, R = 0, A = 0;
    const TColor32* P = Row + T.Lo[K];
    const int16_t* W = T.Weights.data() + T.Offset[K];
    for (int32_t J = 0; J < T.Count[K]; ++J) {
      const TColor32 C = P[J];
      B += W[J] * int32_t(C & 0xFF);
      G += W[J] * int32_t((C >> 8) & 0xFF);
      R += W[J] * int32_t((C >> 16) & 0xFF);
      A += W[J] * int32_t(C >> 24);
    }
    Out[0] = B;
    Out[1] = G;
    Out[2] = R;
    Out[3] = A;
  }
}

// Pixels From .. Count - 1.
void VerticalScalarFrom(const int32_t* const* Rows, const int16_t* W, int32_t N, int32_t From,
                        int32_t Count, TColor32* Out) {
  for (int32_t K = From; K < Count; ++K) {
    int32_t S[4] = {0, 0, 0, 0};
    for (int32_t J = 0; J < N; ++J)
      for (int32_t Ch = 0; Ch < 4; ++Ch) S[Ch] += W[J] * Rows[J][4 * K + Ch];
    Out[K] = SumsToColor(S[0], S[1], S[2], S[3]);
  }
}

void VerticalScalar(const int32_t* const* Rows, const int16_t* W, int32_t N, int32_t Count,
                    TColor32* Out) {
  VerticalScalarFrom(Rows, W, N, 0, Count, Out);
}

#if defined(PELMORA_X86) && defined(__SSE2__)

// Two source pixels against two weights per multiply-add: the bytes are interleaved to
// (b0 b1 g0 g1 r0 r1 a0 a1) in 16-bit lanes, and madd gives b0 * w0 + b1 * w1 per channel.
inline __m128i InterleavePair(__m128i Px, __m128i Z) {
  return _mm_unpacklo_epi8(_mm_unpacklo_epi8(Px, _mm_srli_si128(Px, 4)), Z);
}

void HorizontalSSE2(const TColor32* Row, const TWeightTable& T, int32_t First, int32_t Count,
                    int32_t* Out) {
  const __m128i Z = _mm_setzero_si128();
  for (int32_t K = First; K < First + Count; ++K, Out += 4) {
    const TColor32* P = Row + T.Lo[K];
    const int16_t* W = T.Weights.data() + T.Offset[K];
    const int32_t N = T.Count[K];
    __m128i Acc = Z;
    int32_t J = 0;
    for (; J + 2 <= N; J += 2) {
      const __m128i Il = InterleavePair(LoadPair(P + J), Z);
      Acc = _mm_add_epi32(Acc, _mm_madd_epi16(Il, _mm_set1_epi32(WeightPair(W + J))));
    }
    if (J < N) {
      // The padding weight after an odd count is 0; only the one pixel is read.
      int32_t One;
      std::memcpy(&One, P + J, sizeof One);
      const __m128i Il = InterleavePair(_mm_cvtsi32_si128(One), Z);
      Acc = _mm_add_epi32(Acc, _mm_madd_epi16(Il, _mm_set1_epi32(uint16_t(W[J]))));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), Acc);
  }
}

template <int N>
void HorizontalFixedSSE2(const TColor32* Row, const TWeightTable& T, int32_t First, int32_t Count,
                         int32_t* Out) {
  const __m128i Z = _mm_setzero_si128();
  const int16_t* W = T.Weights.data() + size_t(First) * N;
  for (int32_t K = First; K < First + Count; ++K, Out += 4, W += N) {
    const TColor32* P = Row + T.Lo[K];
    __m128i Acc = _mm_madd_epi16(InterleavePair(LoadPair(P), Z), _mm_set1_epi32(WeightPair(W)));
    for (int J = 2; J < N; J += 2)
      Acc = _mm_add_epi32(Acc, _mm_madd_epi16(InterleavePair(LoadPair(P + J), Z),
                                              _mm_set1_epi32(WeightPair(W + J))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), Acc);
  }
}

// Two destination columns per pass, one in each 128-bit lane; a byte shuffle does the
// interleaving.
template <int N>
AVX2_TARGET void HorizontalFixedAVX2(const TColor32* Row, const TWeightTable& T, int32_t First,
                                     int32_t Count, int32_t* Out) {
  const __m256i Order = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0,
                                         -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  const int16_t* W = T.Weights.data() + size_t(First) * N;
  int32_t K = First;
  for (; K + 2 <= First + Count; K += 2, Out += 8, W += 2 * N) {
    const TColor32* Pa = Row + T.Lo[K];
    const TColor32* Pb = Row + T.Lo[K + 1];
    __m256i Acc = _mm256_setzero_si256();
    for (int J = 0; J < N; J += 2) {
      const __m256i Il = _mm256_shuffle_epi8(Join(LoadPair(Pa + J), LoadPair(Pb + J)), Order);
      const __m256i Wv =
          Join(_mm_set1_epi32(WeightPair(W + J)), _mm_set1_epi32(WeightPair(W + N + J)));
      Acc = _mm256_add_epi32(Acc, _mm256_madd_epi16(Il, Wv));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out), Acc);
  }
  HorizontalFixedSSE2<N>(Row, T, K, First + Count - K, Out);
}

// Eight pixels per pass: four registers of two pixels' sums each; the packs interleave them in
// the order 0 2 4 6 | 1 3 5 7, which one permutation undoes.
AVX2_TARGET void VerticalAVX2(const int32_t* const* Rows, const int16_t* W, int32_t N,
                              int32_t Count, TColor32* Out) {
  const __m256i Order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  int32_t K = 0;
  for (; K + 8 <= Count; K += 8) {
    __m256i A0 = _mm256_setzero_si256(), A1 = A0, A2 = A0, A3 = A0;
    for (int32_t J = 0; J < N; ++J) {
      const __m256i Wv = _mm256_set1_epi32(W[J]);
      const auto* H = reinterpret_cast<const __m256i*>(Rows[J] + 4 * K);
      A0 = _mm256_add_epi32(A0, _mm256_mullo_epi32(_mm256_loadu_si256(H), Wv));
      A1 = _mm256_add_epi32(A1, _mm256_mullo_epi32(_mm256_loadu_si256(H + 1), Wv));
      A2 = _mm256_add_epi32(A2, _mm256_mullo_epi32(_mm256_loadu_si256(H + 2), Wv));
      A3 = _mm256_add_epi32(A3, _mm256_mullo_epi32(_mm256_loadu_si256(H + 3), Wv));
    }
    const __m256i P01 = _mm256_packs_epi32(_mm256_srli_epi32(A0, 16), _mm256_srli_epi32(A1, 16));
    const __m256i P23 = _mm256_packs_epi32(_mm256_srli_epi32(A2, 16), _mm256_srli_epi32(A3, 16));
    const __m256i Q = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(P01, P23), Order);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + K), Q);
  }
  VerticalScalarFrom(Rows, W, N, K, Count, Out);
}

#endif

THorizontalPass ChooseHorizontal(const TWeightTable& T) {
#if defined(PELMORA_X86) && defined(__SSE2__)
  if (ActiveForms == TBlendForms::Scalar)
    return HorizontalScalar;
  const bool Avx2 = ActiveForms == TBlendForms::AVX2;
  switch (T.Fixed) {
    case 2:
      return Avx2 ? HorizontalFixedAVX2<2> : HorizontalFixedSSE2<2>;
    case 4:
      return Avx2 ? HorizontalFixedAVX2<4> : HorizontalFixedSSE2<4>;
    case 6:
      return Avx2 ? HorizontalFixedAVX2<6> : HorizontalFixedSSE2<6>;
    case 8:
      return Avx2 ? HorizontalFixedAVX2<8> : HorizontalFixedSSE2<8>;
    default:
      return HorizontalSSE2;
  }
#else
  (void)T;
  return HorizontalScalar;
#endif
}

TVerticalPass ChooseVertical() {
#if defined(PELMORA_X86) && defined(__SSE2__)
  if (ActiveForms == TBlendForms::AVX2)
    return VerticalAVX2;
#endif
  return VerticalScalar;
}

// Horizontal sums of source rows, kept for the destination rows that share them. A slot holds
// one row; rows map to slots by position, so the rows of one destination row never evict each
// other when there are at least as many slots as the widest vertical cluster spans.
class TRowCache {
 public:
  TRowCache(int32_t Slots, int32_t Width4)
      : FSlots(Slots),
        FWidth4(Width4),
        FData(MakeBuffer<int32_t>(int64_t(Slots) * Width4)),
        FTags(static_cast<size_t>(Slots), -1) {}

  int32_t Slots() const { return FSlots; }

  template <typename TFill>
  const int32_t* Get(int32_t Sy, TFill&& Fill) {
    const int32_t Slot = Sy % FSlots;
    int32_t* P = FData.get() + int64_t(Slot) * FWidth4;
    if (FTags[static_cast<size_t>(Slot)] != Sy) {
      Fill(Sy, P);
      FTags[static_cast<size_t>(Slot)] = Sy;
    }
    return P;
  }

 private:
  int32_t FSlots, FWidth4;
  std::unique_ptr<int32_t[]> FData;
  std::vector<int32_t> FTags;
};

void Resample(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src, const TRect& SrcRect,
              TStretchFilter Filter, TDrawMode Op, const TPixelCombineEvent& Event) {
  TStretchArea A;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A))
    return;
  if (Op == dmBlend && A.Master == 0)
    return;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, Op, Event);
    return;
  }

  TRawClusters Raw;
  TWeightTable HT, VT;
  if (!BuildClusters(A.DW, Src->Width(), SrcRect.Left, SrcRect.Right, Filter, A.OffX, A.OffX + A.CW,
                     Raw))
    return;
  Condense(Raw, Src->Width(), true, HT);
  if (!BuildClusters(A.DH, Src->Height(), SrcRect.Top, SrcRect.Bottom, Filter, A.OffY,
                     A.OffY + A.CH, Raw))
    return;
  Condense(Raw, Src->Height(), false, VT);

  auto Row = MakeBuffer<TColor32>(A.CW);
  if (A.Alias) {
    // Pixel by pixel straight from the tables, so that reads see the writes before them.
    for (int32_t Y = 0; Y < A.CH; ++Y) {
      TColor32* D = Dst->PixelAddress(A.C.Left, A.C.Top + Y);
      for (int32_t X = 0; X < A.CW; ++X) {
        int32_t S[4] = {0, 0, 0, 0};
        for (int32_t J = 0; J < VT.Count[Y]; ++J) {
          const int32_t Wy = VT.Weights[size_t(VT.Offset[Y] + J)];
          const TColor32* P = Src->RowAddress(VT.Lo[Y] + J) + HT.Lo[X];
          for (int32_t I = 0; I < HT.Count[X]; ++I) {
            const int32_t W = HT.Weights[size_t(HT.Offset[X] + I)] * Wy;
            for (int32_t Ch = 0; Ch < 4; ++Ch) S[Ch] += W * int32_t((P[I] >> (8 * Ch)) & 0xFF);
          }
        }
        CombinePixel(SumsToColor(S[0], S[1], S[2], S[3]), D[X], Op, A.Master, true, Event);
      }
    }
    return;
  }

  const THorizontalPass Horizontal = ChooseHorizontal(HT);
  const TVerticalPass Vertical = ChooseVertical();
  const int32_t Width4 = A.CW * 4;
  // Enough slots for the widest vertical cluster, within about 64 MB.
  const int64_t Budget = std::max<int64_t>(1, (int64_t(64) << 20) / (int64_t(Width4) * 4));
  TRowCache Cache(static_cast<int32_t>(std::clamp<int64_t>(VT.MaxSpan, 1, Budget)), Width4);
  const auto Fill = [&](int32_t Sy, int32_t* Out) {
    Horizontal(Src->RowAddress(Sy), HT, 0, A.CW, Out);
  };
  std::vector<const int32_t*> Rows(static_cast<size_t>(std::max(VT.MaxSpan, 1)));
  std::unique_ptr<int32_t[]> Acc;

  for (int32_t Y = 0; Y < A.CH; ++Y) {
    TColor32* D = Dst->PixelAddress(A.C.Left, A.C.Top + Y);
    TColor32* Out = Op == dmOpaque ? D : Row.get();
    const int32_t N = VT.Count[Y];
    const int16_t* Wy = VT.Weights.data() + VT.Offset[Y];
    if (N == 0) {
      std::fill_n(Out, A.CW, 0);
    } else if (N <= Cache.Slots()) {
      for (int32_t J = 0; J < N; ++J) Rows[size_t(J)] = Cache.Get(VT.Lo[Y] + J, Fill);
      Vertical(Rows.data(), Wy, N, A.CW, Out);
    } else {
      // More rows than fit the cache at once: each is added as soon as it is made.
      if (!Acc)
        Acc = MakeBuffer<int32_t>(Width4);
      std::fill_n(Acc.get(), Width4, 0);
      for (int32_t J = 0; J < N; ++J) {
        const int32_t* H = Cache.Get(VT.Lo[Y] + J, Fill);
        for (int32_t K = 0; K < Width4; ++K) Acc[K] += Wy[J] * H[K];
      }
      for (int32_t X = 0; X < A.CW; ++X) {
        const int32_t* S = Acc.get() + 4 * X;
        Out[X] = SumsToColor(S[0], S[1], S[2], S[3]);
      }
    }
    if (Op != dmOpaque)
      CombineRow(Out, D, A.CW, Op, A.Master, true, Event);
  }
}

}  // namespace

TBlendForms TransferForms() {
  return ActiveForms;
}

TBlendForms SetTransferForms(TBlendForms Forms) {
  const TBlendForms Previous = ActiveForms;
  ActiveForms = FormsAvailable(Forms) ? Forms : TBlendForms::Scalar;
  return Previous;
}

void BlockTransfer(TBitmap32* Dst, int32_t DstX, int32_t DstY, const TBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineEvent) {
  CheckBitmaps(Dst, Src);
  if (CombineOp == dmCustom && !CombineEvent)
    CombineOp = dmOpaque;
  const TColor32 Master = Src->MasterAlpha();
  if (CombineOp == dmBlend && Master == 0)
    return;

  TRect S;
  if (!IntersectRect(S, SrcRect, Src->BoundsRect()) || IsRectEmpty(S))
    return;
  const int64_t OffX = int64_t(DstX) - SrcRect.Left, OffY = int64_t(DstY) - SrcRect.Top;
  const int64_t L = std::max<int64_t>(S.Left + OffX, 0);
  const int64_t T = std::max<int64_t>(S.Top + OffY, 0);
  const int64_t R = std::min<int64_t>(S.Right + OffX, Dst->Width());
  const int64_t B = std::min<int64_t>(S.Bottom + OffY, Dst->Height());
  if (L >= R || T >= B)
    return;
  const auto W = static_cast<int32_t>(R - L);
  const auto H = static_cast<int32_t>(B - T);
  const auto DX = static_cast<int32_t>(L), DY = static_cast<int32_t>(T);
  const auto SX = static_cast<int32_t>(L - OffX), SY = static_cast<int32_t>(T - OffY);

  switch (CombineOp) {
    case dmOpaque: {
      // An exact copy also when Src is Dst: rows go bottom-up when moving down, and each row is
      // moved as a whole.
      const bool Up = Dst == Src && DY > SY;
      for (int32_t I = 0; I < H; ++I) {
        const int32_t Y = Up ? H - 1 - I : I;
        std::memmove(Dst->PixelAddress(DX, DY + Y), Src->PixelAddress(SX, SY + Y),
                     sizeof(TColor32) * W);
      }
      break;
    }
    case dmBlend:
      for (int32_t Y = 0; Y < H; ++Y) {
        if (Master >= 255)
          BlendRow(Src->PixelAddress(SX, SY + Y), Dst->PixelAddress(DX, DY + Y), W);
        else
          BlendRowMaster(Src->PixelAddress(SX, SY + Y), Dst->PixelAddress(DX, DY + Y), W, Master);
      }
      break;
    case dmCustom:
      for (int32_t Y = 0; Y < H; ++Y) {
        const TColor32* P = Src->PixelAddress(SX, SY + Y);
        TColor32* D = Dst->PixelAddress(DX, DY + Y);
        for (int32_t X = 0; X < W; ++X) CombineEvent(P[X], D[X], Master);
      }
      break;
  }
}

void StretchTransfer(TBitmap32* Dst, TRect DstRect, const TBitmap32* Src, TRect SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineEvent) {
  if (CombineOp == dmCustom && !CombineEvent)
    CombineOp = dmOpaque;
  switch (StretchFilter) {
    case sfNearest:
      if (CombineOp == dmOpaque)
        StretchNearestOpaque(Dst, DstRect, Src, SrcRect);
      else
        StretchNearestCombine(Dst, DstRect, Src, SrcRect, CombineOp, CombineEvent);
      break;
    case sfLinear:
      StretchBilinear(Dst, DstRect, Src, SrcRect, CombineOp, CombineEvent);
      break;
    case sfLinear2:
    case sfSpline:
      Resample(Dst, DstRect, Src, SrcRect, StretchFilter, CombineOp, CombineEvent);
      break;
  }
}

TMappingTable BuildMappingTable(int32_t DstSize, int32_t SrcSize, int32_t SrcLo, int32_t SrcHi,
                                TStretchFilter Filter) {
  TRawClusters Raw;
  if (!BuildClusters(DstSize, SrcSize, SrcLo, SrcHi, Filter, 0, DstSize, Raw))
    return {};
  TMappingTable Table(Raw.Start.size() - 1);
  for (size_t I = 0; I < Table.size(); ++I)
    Table[I].assign(Raw.Pairs.begin() + Raw.Start[I], Raw.Pairs.begin() + Raw.Start[I + 1]);
  return Table;
}
