#include "noise.h"

#include <cmath>

#include "prng.h"

TPeriodicNoise::TPeriodicNoise(int Period, uint64_t Seed)
    : FPeriod(Period), FValues(Period * Period) {
  TRandom R(Seed);
  for (float& V : FValues) V = R.Unit();
}

namespace {
inline float Smooth(float T) {
  return T * T * T * (T * (T * 6 - 15) + 10);
}
inline int Wrap(int I, int P) {
  I %= P;
  return I < 0 ? I + P : I;
}
}  // namespace

float TPeriodicNoise::At(float U, float V) const {
  const float FU = std::floor(U), FV = std::floor(V);
  const int X0 = Wrap(static_cast<int>(FU), FPeriod), Y0 = Wrap(static_cast<int>(FV), FPeriod);
  const int X1 = (X0 + 1) % FPeriod, Y1 = (Y0 + 1) % FPeriod;
  const float TX = Smooth(U - FU), TY = Smooth(V - FV);
  const float A = FValues[Y0 * FPeriod + X0], B = FValues[Y0 * FPeriod + X1];
  const float C = FValues[Y1 * FPeriod + X0], D = FValues[Y1 * FPeriod + X1];
  const float Top = A + (B - A) * TX, Bottom = C + (D - C) * TX;
  return Top + (Bottom - Top) * TY;
}

TTileNoise::TTileNoise(int BasePeriod, int Octaves, float Gain, uint64_t Seed) {
  float W = 1, Sum = 0;
  for (int I = 0; I < Octaves; ++I) {
    FOctaves.emplace_back(BasePeriod << I, Seed + 7919u * static_cast<uint64_t>(I));
    FWeights.push_back(W);
    Sum += W;
    W *= Gain;
  }
  for (float& Wt : FWeights) Wt /= Sum;
}

float TTileNoise::At(float X, float Y) const {
  float S = 0;
  for (size_t I = 0; I < FOctaves.size(); ++I) {
    const float P = static_cast<float>(FOctaves[I].Period());
    S += FWeights[I] * FOctaves[I].At(X * P, Y * P);
  }
  return S;
}
