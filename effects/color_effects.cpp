#include "color_effects.h"

#include <cmath>
#include <cstring>

#include "next_random.h"
#include "parallel_bands.h"

namespace {

uint8_t Clamp(int32_t V) {
  return uint8_t(V < 0 ? 0 : (V > 255 ? 255 : V));
}

// Every routine is one per-pixel body Fn(P, Index) instantiated for the three pixel forms, so
// the byte step is known to the compiler: 3 (RgbImage), 4 keeping alpha, 4 making it 255.
template <int Step, bool Opaque, typename F>
void ForEachPixel(uint8_t* Bits, size_t Begin, size_t End, F Fn) {
  uint8_t* P = Bits + Begin * Step;
  for (size_t I = Begin; I < End; ++I, P += Step) {
    Fn(P, I);
    if constexpr (Opaque)
      P[3] = 255;
  }
}

template <typename F>
void Dispatch(const TPixelSpan& S, size_t Begin, size_t End, F Fn) {
  if (S.Step == 3)
    ForEachPixel<3, false>(S.Bits, Begin, End, Fn);
  else if (S.Opaque)
    ForEachPixel<4, true>(S.Bits, Begin, End, Fn);
  else
    ForEachPixel<4, false>(S.Bits, Begin, End, Fn);
}

// A routine without draws: bands on both cores.
template <typename F>
void ForEachPixelBanded(const TPixelSpan& S, F Fn) {
  ForEachBand(S.Count, [&](size_t Begin, size_t End) { Dispatch(S, Begin, End, Fn); });
}

TPixelSpan SpanOf(RgbImage& Image) {
  return {Image.Bits(), size_t(Image.Width()) * size_t(Image.Height()), 3, false};
}

}  // namespace

uint8_t WeightedGreyExtended(uint8_t First, uint8_t Second, uint8_t Third) {
  const long double G = 0.30L * First + 0.59L * Second + 0.11L * Third;
  return uint8_t(std::nearbyintl(G));
}

// The exact value is S / 100 with S = 30 b + 59 g + 11 r. The extended evaluation is within
// 1e-16 of it, far less than the 0.01 that separates a non-tie from the nearest half, so the
// integer division decides every pixel except exact halves, where the rounding errors of the
// extended evaluation decide and it is evaluated as it stands.
void WeightedGrey(const TPixelSpan& Span) {
  ForEachPixelBanded(Span, [](uint8_t* P, size_t) {
    const uint32_t S = 30u * P[0] + 59u * P[1] + 11u * P[2];
    const uint32_t Q = S / 100, R = S % 100;
    uint8_t G;
    if (R == 50) [[unlikely]]
      G = WeightedGreyExtended(P[0], P[1], P[2]);
    else
      G = uint8_t(Q + (R > 50 ? 1 : 0));
    P[0] = P[1] = P[2] = G;
  });
}

void InvertChannels(const TPixelSpan& Span) {
  if (Span.Step == 3) {
    ForEachBand(Span.Count * 3, [&](size_t Begin, size_t End) {
      for (size_t I = Begin; I < End; ++I) Span.Bits[I] = uint8_t(255 - Span.Bits[I]);
    });
    return;
  }
  // Four bytes at a time: the colour bytes flip, alpha is kept or set.
  const uint32_t Flip = 0x00FFFFFFu, Set = Span.Opaque ? 0xFF000000u : 0u;
  ForEachBand(Span.Count, [&](size_t Begin, size_t End) {
    uint32_t* P = reinterpret_cast<uint32_t*>(Span.Bits);
    for (size_t I = Begin; I < End; ++I) P[I] = (P[I] ^ Flip) | Set;
  });
}

void ChannelNoise(const TPixelSpan& Span, uint32_t Range) {
  const uint32_t Start = RandomState();
  const int32_t Half = int32_t(Range / 2);
  ForEachBand(Span.Count, [&](size_t Begin, size_t End) {
    ForEachDrawLane<3>(Begin, End, Start, [&](size_t I, uint32_t& State) {
      uint8_t* P = Span.Bits + I * size_t(Span.Step);
      const int32_t DB = int32_t(DrawFrom(State, Range));
      const int32_t DG = int32_t(DrawFrom(State, Range));
      const int32_t DR = int32_t(DrawFrom(State, Range));
      P[0] = Clamp(P[0] + DB - Half);
      P[1] = Clamp(P[1] + DG - Half);
      P[2] = Clamp(P[2] + DR - Half);
      if (Span.Opaque)
        P[3] = 255;
    });
  });
  SkipRandom(uint64_t(Span.Count) * 3);
}

void GreyNoise(const TPixelSpan& Span, uint32_t Range) {
  const uint32_t Start = RandomState();
  const int32_t Half = int32_t(Range / 2);
  ForEachBand(Span.Count, [&](size_t Begin, size_t End) {
    ForEachDrawLane<1>(Begin, End, Start, [&](size_t I, uint32_t& State) {
      uint8_t* P = Span.Bits + I * size_t(Span.Step);
      const int32_t R = int32_t(DrawFrom(State, Range)) - Half;
      P[0] = Clamp(P[0] + R);
      P[1] = Clamp(P[1] + R);
      P[2] = Clamp(P[2] + R);
      if (Span.Opaque)
        P[3] = 255;
    });
  });
  SkipRandom(Span.Count);
}

void TintByIntensity(const TPixelSpan& Span, uint32_t Colour) {
  const uint32_t CR = Colour & 0xFF, CG = (Colour >> 8) & 0xFF, CB = (Colour >> 16) & 0xFF;
  // One entry per sum of the three channels. k is a double; its product with an 8-bit channel
  // is exact in extended precision, and that exact product is rounded.
  static_assert(sizeof(long double) > sizeof(double), "extended precision needed");
  uint8_t TB[766], TG[766], TR[766];
  for (int S = 0; S <= 765; ++S) {
    const double K = double(S) / 765.0;
    TR[S] = Clamp(int32_t(std::nearbyintl(static_cast<long double>(CR) * K)));
    TG[S] = Clamp(int32_t(std::nearbyintl(static_cast<long double>(CG) * K)));
    TB[S] = Clamp(int32_t(std::nearbyintl(static_cast<long double>(CB) * K)));
  }
  ForEachPixelBanded(Span, [&](uint8_t* P, size_t) {
    const int S = P[0] + P[1] + P[2];
    P[0] = TB[S];
    P[1] = TG[S];
    P[2] = TR[S];
  });
}

void QuantizeLevels(const TPixelSpan& Span, int32_t Level) {
  if (Level < 1)
    Level = 1;
  // The quotient v / Level is rounded exactly: a non-tie lies at least 1 / (2 Level) from the
  // nearest half, which no floating evaluation could cross.
  uint8_t Table[256];
  for (int32_t V = 0; V < 256; ++V) {
    int32_t Q = V / Level;
    const int32_t R2 = 2 * (V % Level);
    if (R2 > Level || (R2 == Level && (Q & 1)))
      ++Q;
    const int32_t Out = Q * Level;
    Table[V] = uint8_t(Out > 255 ? 255 : Out);
  }
  ForEachPixelBanded(Span, [&](uint8_t* P, size_t) {
    P[0] = Table[P[0]];
    P[1] = Table[P[1]];
    P[2] = Table[P[2]];
  });
}

void WeightedGrey(RgbImage& Image) {
  WeightedGrey(SpanOf(Image));
}
void InvertChannels(RgbImage& Image) {
  InvertChannels(SpanOf(Image));
}
void ChannelNoise(RgbImage& Image, uint32_t Range) {
  ChannelNoise(SpanOf(Image), Range);
}
void GreyNoise(RgbImage& Image, uint32_t Range) {
  GreyNoise(SpanOf(Image), Range);
}
void TintByIntensity(RgbImage& Image, uint32_t Colour) {
  TintByIntensity(SpanOf(Image), Colour);
}

void QuantizeLevels(const RgbImage& Source, RgbImage& Dest, int32_t Level) {
  Dest = Source;
  QuantizeLevels(SpanOf(Dest), Level);
}
