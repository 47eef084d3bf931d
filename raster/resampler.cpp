#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "edge_mix.h"
#include "exceptions.h"
#include "stretch_common.h"

// The kernel resampler (sfLinear2, sfSpline): weight tables built per direction, a horizontal
// pass per source row and a vertical pass per destination row.

namespace Stretch {

namespace {

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
  if (TransferForms() == TBlendForms::Scalar)
    return HorizontalScalar;
  const bool Avx2 = TransferForms() == TBlendForms::AVX2;
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
  if (TransferForms() == TBlendForms::AVX2)
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

// The colour of destination pixel (X, Y) with every source colour weighted by its alpha as well,
// where the mix came out partly transparent and some source pixel with a weight is not wholly
// opaque; otherwise Mixed, the plain sum. The alpha stays Mixed's.
TColor32 MendKernel(const TBitmap32* Src, const TWeightTable& HT, const TWeightTable& VT, int32_t X,
                    int32_t Y, TColor32 Mixed) {
  // A pixel that shows nothing or came out opaque is left, as every resampler leaves it; so is
  // one whose sources are all opaque, looked at first without the sums.
  if (!PartlyTransparent(Mixed))
    return Mixed;
  bool Edge = false;
  for (int32_t J = 0; J < VT.Count[Y] && !Edge; ++J) {
    if (VT.Weights[size_t(VT.Offset[Y] + J)] == 0)
      continue;
    const TColor32* P = Src->RowAddress(VT.Lo[Y] + J) + HT.Lo[X];
    for (int32_t I = 0; I < HT.Count[X]; ++I)
      if ((P[I] >> 24) != 255 && HT.Weights[size_t(HT.Offset[X] + I)] != 0) {
        Edge = true;
        break;
      }
  }
  if (!Edge)
    return Mixed;
  int64_t S = 0, R = 0, G = 0, B = 0;
  for (int32_t J = 0; J < VT.Count[Y]; ++J) {
    const int64_t Wy = VT.Weights[size_t(VT.Offset[Y] + J)];
    if (Wy == 0)
      continue;
    const TColor32* P = Src->RowAddress(VT.Lo[Y] + J) + HT.Lo[X];
    for (int32_t I = 0; I < HT.Count[X]; ++I) {
      const int64_t W = HT.Weights[size_t(HT.Offset[X] + I)] * Wy;
      if (W == 0)
        continue;
      const TColor32 C = P[I];
      const int64_t Wa = W * int64_t(C >> 24);
      S += Wa;
      R += Wa * int64_t((C >> 16) & 0xFF);
      G += Wa * int64_t((C >> 8) & 0xFF);
      B += Wa * int64_t(C & 0xFF);
    }
  }
  if (S <= 0)
    return Mixed;
  const auto Ch = [S](int64_t V) {
    return static_cast<TColor32>(std::clamp<int64_t>((V + S / 2) / S, 0, 255));
  };
  return (Mixed & 0xFF000000) | (Ch(R) << 16) | (Ch(G) << 8) | Ch(B);
}

// Whether the source rows hold a pixel that is not opaque within the columns the horizontal
// table reads; each row is looked at once, when first asked about.
class TRowAlpha {
 public:
  TRowAlpha(const TBitmap32* Src, const TWeightTable& HT, int32_t Count)
      : FSrc(Src), FState(static_cast<size_t>(Src->Height()), -1) {
    for (int32_t X = 0; X < Count; ++X) {
      if (HT.Count[X] == 0)
        continue;
      FLo = std::min(FLo, HT.Lo[X]);
      FHi = std::max(FHi, HT.Lo[X] + HT.Count[X]);
    }
  }

  bool AnyTransparent(int32_t Sy0, int32_t N) {
    for (int32_t Sy = Sy0; Sy < Sy0 + N; ++Sy) {
      int8_t& State = FState[static_cast<size_t>(Sy)];
      if (State < 0) {
        const TColor32* P = FSrc->RowAddress(Sy);
        TColor32 All = 0xFF000000;
        for (int32_t X = FLo; X < FHi; ++X) All &= P[X];
        State = (All >> 24) != 255 ? 1 : 0;
      }
      if (State != 0)
        return true;
    }
    return false;
  }

 private:
  const TBitmap32* FSrc;
  std::vector<int8_t> FState;
  int32_t FLo = INT32_MAX, FHi = 0;
};

}  // namespace

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
    // Pixel by pixel straight from the tables, so that reads see the writes before them; every
    // pixel is mended where it needs it.
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
        TColor32 P = SumsToColor(S[0], S[1], S[2], S[3]);
        P = MendKernel(Src, HT, VT, X, Y, P);
        CombinePixel(P, D[X], Op, A.Master, true, A.Coverage, Event);
      }
    }
    return;
  }

  const THorizontalPass Horizontal = ChooseHorizontal(HT);
  const TVerticalPass Vertical = ChooseVertical();
  // Rows whose sources are all opaque keep the plain sums; the others are mended pixel by pixel.
  TRowAlpha RowAlpha(Src, HT, A.CW);
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
    if (N > 0 && RowAlpha.AnyTransparent(VT.Lo[Y], N))
      for (int32_t X = 0; X < A.CW; ++X) Out[X] = MendKernel(Src, HT, VT, X, Y, Out[X]);
    if (Op != dmOpaque)
      CombineRow(Out, D, A.CW, Op, A.Master, true, A.Coverage, Event);
  }
}

}  // namespace Stretch

using namespace Stretch;

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
