#include <algorithm>
#include <climits>
#include <typeinfo>

#include "blend.h"
#include "color32.h"
#include "cpu_features.h"
#include "edge_mix.h"
#include "geometry.h"
#include "transform_mapping.h"
#include "transformation.h"
#if defined(PELMORA_X86)
#include <immintrin.h>
#endif

// TransformBitmap gives every destination pixel the colour the per-pixel definition gives it:
// the reverse mapping of the pixel, the nearest or bilinear sample and the combine step. The
// fast forms below reach the same results by other means:
// - the affine mapping is exact integer arithmetic, so stepping it by A and D along a row equals
//   computing it anew, and the columns whose source point lies inside the source bounds form one
//   run per row that is found by division; outside that run no pixel is drawn, and only the few
//   pixels at the edge of the bounds need the checked bilinear sampler;
// - the projective mapping keeps the float operations of ReverseInt / ReverseFixed in the same
//   order (every product and sum rounded on its own, never fused), eight pixels at a time;
// - BlendOntoMaster and MixColor are inlined; every dispatch form of them gives the same result.
// Other transformation classes, a source that is also the destination, and affine rows whose
// mapped values leave the 32-bit range (where the 64-bit sums are truncated) take the per-pixel
// route.

namespace {

#if defined(PELMORA_X86)
#define AVX2_TARGET __attribute__((target("avx2")))
#endif

// The loops have an AVX2 form and a scalar one.
TBlendForms BestTransformForms() {
  return CpuSupports(TBlendForms::AVX2) ? TBlendForms::AVX2 : TBlendForms::Scalar;
}

TBlendForms ActiveTransformForms = BestTransformForms();

// Bilinear sample at a 24.8 point; false when the point yields no colour.
inline bool SampleBilinear(const TBitmap32& Src, const TRect& SB, int32_t Fx, int32_t Fy,
                           TColor32& Colour) {
  const int32_t Ix = Fx >> 8, Iy = Fy >> 8;
  const auto Wx = static_cast<TColor32>(255 - (Fx & 255));
  const auto Wy = static_cast<TColor32>(255 - (Fy & 255));
  TColor32 P00, P10, P01, P11;
  if (SB.Left < Ix && Ix < SB.Right - 1 && SB.Top < Iy && Iy < SB.Bottom - 1) {
    const TColor32* Row = Src.PixelAddress(Ix, Iy);
    P00 = Row[0];
    P10 = Row[1];
    P01 = Row[Src.Width()];
    P11 = Row[Src.Width() + 1];
  } else {
    if (Ix < -1 || Iy < -1 || Ix >= SB.Right || Iy >= SB.Bottom)
      return false;
    P00 = Src.GetPixelSafe(Ix, Iy);
    P10 = Src.GetPixelSafe(Ix + 1, Iy);
    P01 = Src.GetPixelSafe(Ix, Iy + 1);
    P11 = Src.GetPixelSafe(Ix + 1, Iy + 1);
  }
  const TColor32 Top = MixInline(P00, P10, Wx);
  const TColor32 Bottom = MixInline(P01, P11, Wx);
  Colour = EdgeBilinear(MixInline(Top, Bottom, Wy), P00, P10, P01, P11, Wx, Wy);
  return true;
}

// The sampler for a point known to lie inside: SB.Left < ix < SB.Right - 1, likewise for iy.
inline TColor32 SampleInside(const TColor32* Bits, int32_t Stride, int32_t Fx, int32_t Fy) {
  const TColor32* P = Bits + static_cast<int64_t>(Fy >> 8) * Stride + (Fx >> 8);
  const auto Wx = static_cast<TColor32>(255 - (Fx & 255));
  const auto Wy = static_cast<TColor32>(255 - (Fy & 255));
  const TColor32 Mixed =
      MixInline(MixInline(P[0], P[1], Wx), MixInline(P[Stride], P[Stride + 1], Wx), Wy);
  return EdgeBilinear(Mixed, P[0], P[1], P[Stride], P[Stride + 1], Wx, Wy);
}

// Everything the drawing loops need.
struct TTransformJob {
  TBitmap32* Dst;
  const TBitmap32* Src;
  TRect SB;  // source bounds, inclusive
  TRect DB;  // destination area, inclusive
  TDrawMode Mode;
  TColor32 Master;
  bool Nearest;
  const TColor32* Bits;
  int32_t Stride;
};

// The combine step; BlendOntoMaster inlined.
inline void Combine(const TTransformJob& J, TColor32 Colour, TColor32& Pixel) {
  switch (J.Mode) {
    case dmOpaque:
      Pixel = Colour;
      break;
    case dmBlend: {
      const TColor32 W = ((Colour >> 24) * J.Master) >> 8;
      if (W != 0)
        Pixel = MixInline(Colour, Pixel, W);
      break;
    }
    case dmCustom:
      J.Src->OnPixelCombine(Colour, Pixel, J.Master);
      break;
  }
}

// The straightforward form, for any transformation.
void TransformRowsGeneric(const TTransformJob& J, TTransformation& T, int32_t Y0, int32_t Y1) {
  for (int32_t Y = Y0; Y <= Y1; ++Y) {
    TColor32* DstRow = J.Dst->RowAddress(Y);
    for (int32_t X = J.DB.Left; X <= J.DB.Right; ++X) {
      TColor32 Colour;
      int32_t Sx, Sy;
      if (J.Nearest) {
        if (!T.ReverseInt(X, Y, Sx, Sy))
          continue;
        if (Sx < J.SB.Left || Sx > J.SB.Right || Sy < J.SB.Top || Sy > J.SB.Bottom)
          continue;
        Colour = J.Src->GetPixel(Sx, Sy);
      } else {
        if (!T.ReverseFixed(X, Y, Sx, Sy))
          continue;
        if (!SampleBilinear(*J.Src, J.SB, Sx, Sy, Colour))
          continue;
      }
      Combine(J, Colour, DstRow[X]);
    }
  }
}

// ---- Affine ---------------------------------------------------------------------------------

int64_t FloorDiv(int64_t A, int64_t B) {
  const int64_t Q = A / B;
  return (A % B != 0 && ((A < 0) != (B < 0))) ? Q - 1 : Q;
}
int64_t CeilDiv(int64_t A, int64_t B) {
  const int64_t Q = A / B;
  return (A % B != 0 && ((A < 0) == (B < 0))) ? Q + 1 : Q;
}

// The steps K in [0, N - 1] for which Lo <= F0 + S * K <= Hi, as [K0, K1]; K0 > K1 when none.
void SolveRun(int64_t F0, int64_t S, int64_t Lo, int64_t Hi, int64_t N, int64_t& K0, int64_t& K1) {
  if (S == 0) {
    K0 = 0;
    K1 = (Lo <= F0 && F0 <= Hi) ? N - 1 : -1;
    return;
  }
  if (S > 0) {
    K0 = CeilDiv(Lo - F0, S);
    K1 = FloorDiv(Hi - F0, S);
  } else {
    K0 = CeilDiv(Hi - F0, S);
    K1 = FloorDiv(Lo - F0, S);
  }
  K0 = std::max<int64_t>(K0, 0);
  K1 = std::min<int64_t>(K1, N - 1);
}

// One destination row of an affine mapping: U and V are the 20.12 sums A·X + B·Y + C and
// D·X + E·Y + F at the row's first column, stepped by A and D.
struct TAffineRow {
  int64_t U, V, A, D;
  int32_t N;  // columns of the row
};

// The run where both mapped coordinates, offset by Bias and shifted right by 12, lie in
// [XLo, XHi] x [YLo, YHi].
void RowRun(const TAffineRow& R, int64_t Bias, int64_t XLo, int64_t XHi, int64_t YLo, int64_t YHi,
            int64_t& K0, int64_t& K1) {
  int64_t A0, A1, B0, B1;
  SolveRun(R.U + Bias, R.A, XLo * 4096, XHi * 4096 + 4095, R.N, A0, A1);
  SolveRun(R.V + Bias, R.D, YLo * 4096, YHi * 4096 + 4095, R.N, B0, B1);
  K0 = std::max(A0, B0);
  K1 = std::min(A1, B1);
}

// True when (Sum + Bias) >> Shift stays in the 32-bit range along the whole row, so that the
// 64-bit sums of ReverseInt / ReverseFixed are not truncated.
bool RowFits(const TAffineRow& R, int64_t Bias, int Shift) {
  const auto Fits = [&](int64_t V) {
    const int64_t S = (V + Bias) >> Shift;
    return S >= INT32_MIN && S <= INT32_MAX;
  };
  const int64_t Last = R.N - 1;
  return Fits(R.U) && Fits(R.U + R.A * Last) && Fits(R.V) && Fits(R.V + R.D * Last);
}

// The pixels [K0, K1] of a row, one at a time.
void NearestRunScalar(const TTransformJob& J, const TAffineRow& R, TColor32* D, int64_t K0,
                      int64_t K1) {
  int64_t U = R.U + 2047 + R.A * K0, V = R.V + 2047 + R.D * K0;
  for (int64_t K = K0; K <= K1; ++K, U += R.A, V += R.D) {
    const TColor32 C = J.Bits[(V >> 12) * J.Stride + (U >> 12)];
    Combine(J, C, D[K]);
  }
}

void LinearRunScalar(const TTransformJob& J, const TAffineRow& R, TColor32* D, int64_t K0,
                     int64_t K1) {
  int64_t U = R.U + 7 + R.A * K0, V = R.V + 7 + R.D * K0;
  for (int64_t K = K0; K <= K1; ++K, U += R.A, V += R.D)
    Combine(
        J,
        SampleInside(J.Bits, J.Stride, static_cast<int32_t>(U >> 4), static_cast<int32_t>(V >> 4)),
        D[K]);
}

// Pixels near the edge of the bounds: the checked sampler.
void LinearEdgeScalar(const TTransformJob& J, const TAffineRow& R, TColor32* D, int64_t K0,
                      int64_t K1) {
  int64_t U = R.U + 7 + R.A * K0, V = R.V + 7 + R.D * K0;
  for (int64_t K = K0; K <= K1; ++K, U += R.A, V += R.D) {
    TColor32 Colour;
    if (SampleBilinear(*J.Src, J.SB, static_cast<int32_t>(U >> 4), static_cast<int32_t>(V >> 4),
                       Colour))
      Combine(J, Colour, D[K]);
  }
}

using TAffineRun = void (*)(const TTransformJob& J, const TAffineRow& R, TColor32* D, int64_t K0,
                            int64_t K1);

#if defined(PELMORA_X86)

// Channels of pixels in 16-bit lanes. Mix per channel: ((X - Y) * W + (Y << 8) + 128) >> 8 in
// wrap-around 16-bit arithmetic equals (X * W + Y * (256 - W) + 128) >> 8, whose value stays
// below 65536.
AVX2_TARGET inline __m256i Mix16(__m256i X, __m256i Y, __m256i W) {
  __m256i T = _mm256_mullo_epi16(_mm256_sub_epi16(X, Y), W);
  T = _mm256_add_epi16(T, _mm256_slli_epi16(Y, 8));
  return _mm256_srli_epi16(_mm256_add_epi16(T, _mm256_set1_epi16(128)), 8);
}

// Eight pixels as two halves of 16-bit channels, in the order of unpacklo / unpackhi_epi8 (per
// 128-bit lane: pixels 0, 1 and 4, 5 in Lo; 2, 3 and 6, 7 in Hi).
struct TWide {
  __m256i Lo, Hi;
};

AVX2_TARGET inline TWide Widen(__m256i P) {
  const __m256i Z = _mm256_setzero_si256();
  return {_mm256_unpacklo_epi8(P, Z), _mm256_unpackhi_epi8(P, Z)};
}

AVX2_TARGET inline __m256i Narrow(const TWide& W) {
  return _mm256_packus_epi16(W.Lo, W.Hi);
}

// Per-pixel weights 0..256 in eight 32-bit lanes, spread over the four channels of each pixel.
AVX2_TARGET inline TWide SpreadWeights(__m256i W) {
  const __m256i Pair = _mm256_or_si256(W, _mm256_slli_epi32(W, 16));
  return {_mm256_unpacklo_epi32(Pair, Pair), _mm256_unpackhi_epi32(Pair, Pair)};
}

AVX2_TARGET inline TWide Mix16(const TWide& X, const TWide& Y, const TWide& W) {
  return {Mix16(X.Lo, Y.Lo, W.Lo), Mix16(X.Hi, Y.Hi, W.Hi)};
}

// BlendOntoMaster of eight colours: weight (alpha * M) >> 8; a weight of 0 leaves the pixel.
AVX2_TARGET inline __m256i MasterWeight(__m256i C, __m256i M) {
  const __m256i A = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(C, 0xFF), 0xFF);
  return _mm256_srli_epi16(_mm256_mullo_epi16(A, M), 8);
}

AVX2_TARGET inline __m256i BlendMaster8(const TWide& C, __m256i Dst, __m256i M) {
  const TWide D = Widen(Dst);
  return Narrow(
      {Mix16(C.Lo, D.Lo, MasterWeight(C.Lo, M)), Mix16(C.Hi, D.Hi, MasterWeight(C.Hi, M))});
}

// Stores eight colours with the job's mode (dmOpaque or dmBlend); the masked form changes only
// the lanes set in Mask.
AVX2_TARGET inline void Store8(const TTransformJob& J, TColor32* D, const TWide& C) {
  if (J.Mode == dmOpaque) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(D), Narrow(C));
  } else {
    const __m256i Old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(D));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(D),
                        BlendMaster8(C, Old, _mm256_set1_epi16(static_cast<int16_t>(J.Master))));
  }
}

AVX2_TARGET inline void Store8Masked(const TTransformJob& J, TColor32* D, const TWide& C,
                                     __m256i Mask) {
  const __m256i Old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(D));
  const __m256i New = J.Mode == dmOpaque
                          ? Narrow(C)
                          : BlendMaster8(C, Old, _mm256_set1_epi16(static_cast<int16_t>(J.Master)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(D), _mm256_blendv_epi8(Old, New, Mask));
}

// Bilinear colours of eight points inside the bounds, given in 24.8.
AVX2_TARGET inline TWide SampleInside8(const TTransformJob& J, __m256i Fx, __m256i Fy) {
  const __m256i Idx =
      _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(Fy, 8), _mm256_set1_epi32(J.Stride)),
                       _mm256_srai_epi32(Fx, 8));
  const auto* B = reinterpret_cast<const int*>(J.Bits);
  const __m256i P00 = _mm256_i32gather_epi32(B, Idx, 4);
  const __m256i P10 = _mm256_i32gather_epi32(B + 1, Idx, 4);
  const __m256i P01 = _mm256_i32gather_epi32(B + J.Stride, Idx, 4);
  const __m256i P11 = _mm256_i32gather_epi32(B + J.Stride + 1, Idx, 4);
  const __m256i Low = _mm256_set1_epi32(255);
  const TWide Wx = SpreadWeights(_mm256_sub_epi32(Low, _mm256_and_si256(Fx, Low)));
  const TWide Wy = SpreadWeights(_mm256_sub_epi32(Low, _mm256_and_si256(Fy, Low)));
  const TWide Top = Mix16(Widen(P00), Widen(P10), Wx);
  const TWide Bottom = Mix16(Widen(P01), Widen(P11), Wx);
  const TWide Mixed = Mix16(Top, Bottom, Wy);
  // Colours that came out less than opaque are mended one by one, as the scalar sampler does.
  const __m256i Packed = Narrow(Mixed);
  const __m256i Alpha = _mm256_srli_epi32(Packed, 24);
  const __m256i Whole = _mm256_or_si256(_mm256_cmpeq_epi32(Alpha, Low),
                                        _mm256_cmpeq_epi32(Alpha, _mm256_setzero_si256()));
  if (_mm256_movemask_epi8(Whole) == -1)
    return Mixed;
  alignas(32) TColor32 Out[8];
  alignas(32) int32_t X[8], Y[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(Out), Packed);
  _mm256_store_si256(reinterpret_cast<__m256i*>(X), Fx);
  _mm256_store_si256(reinterpret_cast<__m256i*>(Y), Fy);
  for (int K = 0; K < 8; ++K)
    if (PartlyTransparent(Out[K]))
      Out[K] = SampleInside(J.Bits, J.Stride, X[K], Y[K]);
  return Widen(_mm256_load_si256(reinterpret_cast<const __m256i*>(Out)));
}

// The values inside a run fit 32 bits (the source is at most 2^18 pixels in either direction),
// so the lanes step in wrap-around 32-bit arithmetic, which is exact there.
AVX2_TARGET void NearestRunAVX2(const TTransformJob& J, const TAffineRow& R, TColor32* D,
                                int64_t K0, int64_t K1) {
  const __m256i Lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const auto A = static_cast<int32_t>(R.A), Dd = static_cast<int32_t>(R.D);
  __m256i U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(R.U + 2047 + R.A * K0)),
                               _mm256_mullo_epi32(Lane, _mm256_set1_epi32(A)));
  __m256i V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(R.V + 2047 + R.D * K0)),
                               _mm256_mullo_epi32(Lane, _mm256_set1_epi32(Dd)));
  const __m256i StepU = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(A) * 8u));
  const __m256i StepV = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(Dd) * 8u));
  const __m256i Stride = _mm256_set1_epi32(J.Stride);
  const auto* B = reinterpret_cast<const int*>(J.Bits);
  int64_t K = K0;
  for (; K + 7 <= K1; K += 8) {
    const __m256i Idx = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 12), Stride),
                                         _mm256_srai_epi32(U, 12));
    Store8(J, D + K, Widen(_mm256_i32gather_epi32(B, Idx, 4)));
    U = _mm256_add_epi32(U, StepU);
    V = _mm256_add_epi32(V, StepV);
  }
  if (K <= K1)
    NearestRunScalar(J, R, D, K, K1);
}

AVX2_TARGET void LinearRunAVX2(const TTransformJob& J, const TAffineRow& R, TColor32* D, int64_t K0,
                               int64_t K1) {
  const __m256i Lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const auto A = static_cast<int32_t>(R.A), Dd = static_cast<int32_t>(R.D);
  __m256i U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(R.U + 7 + R.A * K0)),
                               _mm256_mullo_epi32(Lane, _mm256_set1_epi32(A)));
  __m256i V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(R.V + 7 + R.D * K0)),
                               _mm256_mullo_epi32(Lane, _mm256_set1_epi32(Dd)));
  const __m256i StepU = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(A) * 8u));
  const __m256i StepV = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(Dd) * 8u));
  int64_t K = K0;
  for (; K + 7 <= K1; K += 8) {
    Store8(J, D + K, SampleInside8(J, _mm256_srai_epi32(U, 4), _mm256_srai_epi32(V, 4)));
    U = _mm256_add_epi32(U, StepU);
    V = _mm256_add_epi32(V, StepV);
  }
  if (K <= K1)
    LinearRunScalar(J, R, D, K, K1);
}

#endif

void TransformRowsAffine(const TTransformJob& J, TAffineTransformation& T, int32_t Y0, int32_t Y1) {
  TAffineRun Nearest = NearestRunScalar, Linear = LinearRunScalar;
#if defined(PELMORA_X86)
  // The vector runs need the run's 20.12 values in 32 bits and a mode without a handler.
  if (ActiveTransformForms == TBlendForms::AVX2 && J.Mode != dmCustom &&
      J.Src->Width() <= (1 << 18) && J.Src->Height() <= (1 << 18)) {
    Nearest = NearestRunAVX2;
    Linear = LinearRunAVX2;
  }
#endif
  const TRect& SB = J.SB;
  TAffineRow R{0, 0, T.A, T.D, J.DB.Right - J.DB.Left + 1};
  for (int32_t Y = Y0; Y <= Y1; ++Y) {
    R.U = int64_t{T.A} * J.DB.Left + int64_t{T.B} * Y + T.C;
    R.V = int64_t{T.D} * J.DB.Left + int64_t{T.E} * Y + T.F;
    if (!RowFits(R, J.Nearest ? 2047 : 7, J.Nearest ? 12 : 4)) {
      TransformRowsGeneric({J.Dst,
                            J.Src,
                            SB,
                            {J.DB.Left, Y, J.DB.Right, Y},
                            J.Mode,
                            J.Master,
                            J.Nearest,
                            J.Bits,
                            J.Stride},
                           T, Y, Y);
      continue;
    }
    TColor32* D = J.Dst->PixelAddress(J.DB.Left, Y);
    int64_t K0, K1;
    if (J.Nearest) {
      RowRun(R, 2047, SB.Left, SB.Right, SB.Top, SB.Bottom, K0, K1);
      if (K0 <= K1)
        Nearest(J, R, D, K0, K1);
      continue;
    }
    // Points with -1 <= ix < SB.Right and -1 <= iy < SB.Bottom may have a colour; those with
    // SB.Left < ix < SB.Right - 1 and SB.Top < iy < SB.Bottom - 1 are read directly.
    int64_t O0, O1;
    RowRun(R, 7, -1, int64_t{SB.Right} - 1, -1, int64_t{SB.Bottom} - 1, O0, O1);
    if (O0 > O1)
      continue;
    RowRun(R, 7, int64_t{SB.Left} + 1, int64_t{SB.Right} - 2, int64_t{SB.Top} + 1,
           int64_t{SB.Bottom} - 2, K0, K1);
    if (K0 > K1) {
      LinearEdgeScalar(J, R, D, O0, O1);
      continue;
    }
    // The inner run lies within the outer one: edge, inside, edge, in row order.
    if (O0 < K0)
      LinearEdgeScalar(J, R, D, O0, K0 - 1);
    Linear(J, R, D, K0, K1);
    if (K1 < O1)
      LinearEdgeScalar(J, R, D, K1 + 1, O1);
  }
}

// ---- Projective -----------------------------------------------------------------------------

// Pixels X0..X1 of row Y, one at a time.
void ProjectiveSpanScalar(const TTransformJob& J, const float* s, int32_t Y, int32_t X0,
                          int32_t X1) {
  TColor32* D = J.Dst->RowAddress(Y);
  const TRect& SB = J.SB;
  for (int32_t X = X0; X <= X1; ++X) {
    int32_t Sx, Sy;
    if (J.Nearest) {
      if (!ProjectiveReverse(s, X, Y, 1.0f, Sx, Sy))
        continue;
      if (Sx < SB.Left || Sx > SB.Right || Sy < SB.Top || Sy > SB.Bottom)
        continue;
      Combine(J, J.Bits[int64_t{Sy} * J.Stride + Sx], D[X]);
    } else {
      if (!ProjectiveReverse(s, X, Y, 256.0f, Sx, Sy))
        continue;
      const int32_t Ix = Sx >> 8, Iy = Sy >> 8;
      TColor32 Colour;
      if (SB.Left < Ix && Ix < SB.Right - 1 && SB.Top < Iy && Iy < SB.Bottom - 1)
        Colour = SampleInside(J.Bits, J.Stride, Sx, Sy);
      else if (!SampleBilinear(*J.Src, SB, Sx, Sy, Colour))
        continue;
      Combine(J, Colour, D[X]);
    }
  }
}

#if defined(PELMORA_X86)

// RoundClamped of eight floats: round to nearest even, NaN and values up to -2^30 to -2^30,
// values above 2^30 to 2^30.
AVX2_TARGET inline __m256i RoundClamped8(__m256 V) {
  const __m256 Lim = _mm256_set1_ps(1073741824.0f);
  const __m256 NegLim = _mm256_set1_ps(-1073741824.0f);
  __m256i R = _mm256_cvtps_epi32(V);
  const __m256i Above = _mm256_castps_si256(_mm256_cmp_ps(V, Lim, _CMP_GT_OQ));
  const __m256i NotBelow = _mm256_castps_si256(_mm256_cmp_ps(V, NegLim, _CMP_GT_OQ));
  R = _mm256_blendv_epi8(R, _mm256_set1_epi32(1073741824), Above);
  return _mm256_blendv_epi8(_mm256_set1_epi32(-1073741824), R, NotBelow);
}

// Lanes with Lo <= V <= Hi.
AVX2_TARGET inline __m256i Between(__m256i V, int32_t Lo, int32_t Hi) {
  return _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(Lo), V),
                                             _mm256_cmpgt_epi32(V, _mm256_set1_epi32(Hi))),
                             _mm256_set1_epi32(-1));
}

AVX2_TARGET void ProjectiveRowAVX2(const TTransformJob& J, const float* s, int32_t Y) {
  const TRect& SB = J.SB;
  TColor32* D = J.Dst->RowAddress(Y);
  const float Factor = J.Nearest ? 1.0f : 256.0f;
  const __m256 FY0 = _mm256_set1_ps(static_cast<float>(Y));
  // The parts that depend on Y only: s[k] * FY0, each rounded as in the scalar form.
  const __m256 S0 = _mm256_set1_ps(s[0]), S1 = _mm256_set1_ps(s[1]), S2 = _mm256_set1_ps(s[2]);
  const __m256 Y3 = _mm256_mul_ps(_mm256_set1_ps(s[3]), FY0);
  const __m256 Y4 = _mm256_mul_ps(_mm256_set1_ps(s[4]), FY0);
  const __m256 Y5 = _mm256_mul_ps(_mm256_set1_ps(s[5]), FY0);
  const __m256 S6 = _mm256_set1_ps(s[6]), S7 = _mm256_set1_ps(s[7]), S8 = _mm256_set1_ps(s[8]);
  const __m256 Fac = _mm256_set1_ps(Factor);
  const __m256 One = _mm256_set1_ps(1.0f);
  const __m256i Lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const auto* Bits = reinterpret_cast<const int*>(J.Bits);
  int32_t X = J.DB.Left;
  for (; X + 7 <= J.DB.Right; X += 8) {
    const __m256 FX0 = _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(X), Lane));
    const __m256 W = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(S2, FX0), Y5), S8);
    const __m256i Valid = _mm256_castps_si256(_mm256_cmp_ps(W, _mm256_setzero_ps(), _CMP_NEQ_UQ));
    const __m256 Q = _mm256_div_ps(One, W);
    const __m256 Nx = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(S0, FX0), Y3), S6);
    const __m256 Ny = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(S1, FX0), Y4), S7);
    const __m256i Sx = RoundClamped8(_mm256_mul_ps(_mm256_mul_ps(Nx, Q), Fac));
    const __m256i Sy = RoundClamped8(_mm256_mul_ps(_mm256_mul_ps(Q, Ny), Fac));
    if (J.Nearest) {
      const __m256i In = _mm256_and_si256(
          Valid, _mm256_and_si256(Between(Sx, SB.Left, SB.Right), Between(Sy, SB.Top, SB.Bottom)));
      const int Bits8 = _mm256_movemask_ps(_mm256_castsi256_ps(In));
      if (Bits8 == 0)
        continue;
      const __m256i Idx = _mm256_add_epi32(
          _mm256_mullo_epi32(_mm256_and_si256(Sy, In), _mm256_set1_epi32(J.Stride)),
          _mm256_and_si256(Sx, In));
      const __m256i C = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), Bits, Idx, In, 4);
      if (Bits8 == 0xFF)
        Store8(J, D + X, Widen(C));
      else
        Store8Masked(J, D + X, Widen(C), In);
      continue;
    }
    const __m256i Ix = _mm256_srai_epi32(Sx, 8), Iy = _mm256_srai_epi32(Sy, 8);
    const __m256i Inside =
        _mm256_and_si256(Valid, _mm256_and_si256(Between(Ix, SB.Left + 1, SB.Right - 2),
                                                 Between(Iy, SB.Top + 1, SB.Bottom - 2)));
    if (_mm256_movemask_ps(_mm256_castsi256_ps(Inside)) == 0xFF) {
      Store8(J, D + X, SampleInside8(J, Sx, Sy));
      continue;
    }
    const __m256i Near = _mm256_and_si256(
        Valid, _mm256_and_si256(Between(Ix, -1, SB.Right - 1), Between(Iy, -1, SB.Bottom - 1)));
    if (_mm256_movemask_ps(_mm256_castsi256_ps(Near)) == 0)
      continue;
    ProjectiveSpanScalar(J, s, Y, X, X + 7);
  }
  if (X <= J.DB.Right)
    ProjectiveSpanScalar(J, s, Y, X, J.DB.Right);
}

#endif

void TransformRowsProjective(const TTransformJob& J, const TProjectiveTransformation& T, int32_t Y0,
                             int32_t Y1) {
  const float* s = T.ReverseMatrix().s;
#if defined(PELMORA_X86)
  if (ActiveTransformForms == TBlendForms::AVX2 && J.Mode != dmCustom) {
    for (int32_t Y = Y0; Y <= Y1; ++Y) ProjectiveRowAVX2(J, s, Y);
    return;
  }
#endif
  for (int32_t Y = Y0; Y <= Y1; ++Y) ProjectiveSpanScalar(J, s, Y, J.DB.Left, J.DB.Right);
}

}  // namespace

TBlendForms TransformForms() {
  return ActiveTransformForms;
}

TBlendForms SetTransformForms(TBlendForms Forms) {
  const TBlendForms Old = ActiveTransformForms;
  ActiveTransformForms = Forms == TBlendForms::AVX2 && BestTransformForms() == TBlendForms::AVX2
                             ? TBlendForms::AVX2
                             : TBlendForms::Scalar;
  return Old;
}

void TransformBitmap(TBitmap32& Dst, const TBitmap32& Src, TTransformation& T) {
  if (Dst.IsEmpty() || Src.IsEmpty())
    return;
  if (!T.Prepared())
    T.Prepare();

  TTransformJob J;
  J.Dst = &Dst;
  J.Src = &Src;
  J.Mode = Src.DrawMode();
  if (J.Mode == dmCustom && !Src.OnPixelCombine)
    J.Mode = dmOpaque;
  J.Master = Src.MasterAlpha();
  J.Nearest = Src.StretchFilter() == sfNearest;
  J.Bits = Src.Bits();
  J.Stride = Src.Width();

  IntersectRect(J.SB, RectFromSingle(T.SrcRect(), rrClosest),
                TRect{0, 0, Src.Width() - 1, Src.Height() - 1});
  IntersectRect(J.DB, T.TransformedBounds(), TRect{0, 0, Dst.Width() - 1, Dst.Height() - 1});
  if (J.DB.Left >= J.DB.Right || J.DB.Top >= J.DB.Bottom)
    return;

  // Drawing a bitmap onto itself must read every pixel as the per-pixel order leaves it.
  const bool Alias = &Src == &Dst;
  if (!Alias && typeid(T) == typeid(TAffineTransformation))
    TransformRowsAffine(J, static_cast<TAffineTransformation&>(T), J.DB.Top, J.DB.Bottom);
  else if (!Alias && typeid(T) == typeid(TProjectiveTransformation))
    TransformRowsProjective(J, static_cast<TProjectiveTransformation&>(T), J.DB.Top, J.DB.Bottom);
  else
    TransformRowsGeneric(J, T, J.DB.Top, J.DB.Bottom);
  Dst.Changed();
}
