#include "color_effects.h"

#include <cmath>
#include <cstring>

#include "next_random.h"
#include "parallel_bands.h"

namespace {

uint8_t Clamp(int32_t V) { return uint8_t(V < 0 ? 0 : (V > 255 ? 255 : V)); }

// Runs Body(BeginPixel, EndPixel) over the image in bands.
template <typename F>
void ForEachPixelBand(RgbImage& Image, F Body) {
  const size_t Count = size_t(Image.Width()) * size_t(Image.Height());
  ForEachBand(Count, [&](size_t Begin, size_t End) { Body(Begin, End); });
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
void WeightedGrey(RgbImage& Image) {
  ForEachPixelBand(Image, [&](size_t Begin, size_t End) {
    uint8_t* P = Image.Bits() + Begin * 3;
    for (size_t I = Begin; I < End; ++I, P += 3) {
      const uint32_t S = 30u * P[0] + 59u * P[1] + 11u * P[2];
      const uint32_t Q = S / 100, R = S % 100;
      uint8_t G;
      if (R == 50)
        G = WeightedGreyExtended(P[0], P[1], P[2]);
      else
        G = uint8_t(Q + (R > 50 ? 1 : 0));
      P[0] = P[1] = P[2] = G;
    }
  });
}

void InvertChannels(RgbImage& Image) {
  const size_t Count = Image.ByteCount();
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    uint8_t* P = Image.Bits();
    for (size_t I = Begin; I < End; ++I)
      P[I] = uint8_t(255 - P[I]);
  });
}

void ChannelNoise(RgbImage& Image, uint32_t Range) {
  const size_t Count = size_t(Image.Width()) * size_t(Image.Height());
  const uint32_t Start = RandomState();
  const int32_t Half = int32_t(Range / 2);
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    ForEachDrawLane<3>(Begin, End, Start, [&](size_t I, uint32_t& State) {
      uint8_t* P = Image.Bits() + I * 3;
      const int32_t DB = int32_t(DrawFrom(State, Range));
      const int32_t DG = int32_t(DrawFrom(State, Range));
      const int32_t DR = int32_t(DrawFrom(State, Range));
      P[0] = Clamp(P[0] + DB - Half);
      P[1] = Clamp(P[1] + DG - Half);
      P[2] = Clamp(P[2] + DR - Half);
    });
  });
  SkipRandom(uint64_t(Count) * 3);
}

void GreyNoise(RgbImage& Image, uint32_t Range) {
  const size_t Count = size_t(Image.Width()) * size_t(Image.Height());
  const uint32_t Start = RandomState();
  const int32_t Half = int32_t(Range / 2);
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    ForEachDrawLane<1>(Begin, End, Start, [&](size_t I, uint32_t& State) {
      uint8_t* P = Image.Bits() + I * 3;
      const int32_t R = int32_t(DrawFrom(State, Range)) - Half;
      P[0] = Clamp(P[0] + R);
      P[1] = Clamp(P[1] + R);
      P[2] = Clamp(P[2] + R);
    });
  });
  SkipRandom(Count);
}

void TintByIntensity(RgbImage& Image, uint32_t Colour) {
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
  ForEachPixelBand(Image, [&](size_t Begin, size_t End) {
    uint8_t* P = Image.Bits() + Begin * 3;
    for (size_t I = Begin; I < End; ++I, P += 3) {
      const int S = P[0] + P[1] + P[2];
      P[0] = TB[S];
      P[1] = TG[S];
      P[2] = TR[S];
    }
  });
}

void QuantizeLevels(const RgbImage& Source, RgbImage& Dest, int32_t Level) {
  if (Level < 1)
    Level = 1;
  Dest.SetSize(Source.Width(), Source.Height());
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
  const size_t Count = Source.ByteCount();
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    const uint8_t* S = Source.Bits();
    uint8_t* D = Dest.Bits();
    for (size_t I = Begin; I < End; ++I)
      D[I] = Table[S[I]];
  });
}
