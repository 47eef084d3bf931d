#pragma once
// The generator's one pseudo-random source: SplitMix64 from a fixed seed per picture, so every
// picture comes out the same on every run and on any number of threads.
#include <cstdint>

class TRandom {
 public:
  explicit TRandom(uint64_t Seed) : FState(Seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
  uint64_t Next() {
    uint64_t Z = (FState += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    return Z ^ (Z >> 31);
  }
  // Uniform in [0, 1).
  float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
  float Range(float Lo, float Hi) { return Lo + (Hi - Lo) * Unit(); }
  int Int(int Lo, int Hi) {
    return Lo + static_cast<int>(Next() % static_cast<uint64_t>(Hi - Lo + 1));
  }

 private:
  uint64_t FState;
};

// A seed from a picture's name, so each picture has its own stream.
inline uint64_t SeedFromName(const char* Name) {
  uint64_t H = 1469598103934665603ull;
  for (; *Name; ++Name) H = (H ^ static_cast<unsigned char>(*Name)) * 1099511628211ull;
  return H;
}
