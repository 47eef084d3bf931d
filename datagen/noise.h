#pragma once
// Periodic value noise: the lattice wraps at its period, so a tile made from it joins itself
// seamlessly at every edge.
#include <cstdint>
#include <vector>

class TPeriodicNoise {
 public:
  // A lattice of Period x Period random values in [0, 1].
  TPeriodicNoise(int Period, uint64_t Seed);
  // Smooth noise at (U, V) in lattice units; wraps at the period in both directions.
  float At(float U, float V) const;
  int Period() const { return FPeriod; }

 private:
  int FPeriod;
  std::vector<float> FValues;
};

// Fractal sum of periodic noise over a tile: (X, Y) in [0, 1) tile units, BasePeriod cells on
// the first octave, each next octave twice as fine and Gain times as strong. Result in [0, 1].
class TTileNoise {
 public:
  TTileNoise(int BasePeriod, int Octaves, float Gain, uint64_t Seed);
  float At(float X, float Y) const;

 private:
  std::vector<TPeriodicNoise> FOctaves;
  std::vector<float> FWeights;
};
