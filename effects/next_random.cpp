#include "next_random.h"

namespace {

uint32_t GState = 0;

}  // namespace

uint32_t NextRandom(uint32_t N) {
  return DrawFrom(GState, N);
}

uint32_t RandomState() {
  return GState;
}

void SkipRandom(uint64_t Count) {
  GState = RandomStateAfter(GState, Count);
}

uint32_t RandomStateAfter(uint32_t State, uint64_t Count) {
  // The step x -> M x + 1 composed with itself: (M, C) o (M, C) = (M M, M C + C).
  uint32_t Mul = RandomMultiplier, Add = 1u;
  uint32_t AccMul = 1u, AccAdd = 0u;
  while (Count > 0) {
    if (Count & 1u) {
      AccMul = AccMul * Mul;
      AccAdd = AccAdd * Mul + Add;
    }
    Add = Add * Mul + Add;
    Mul = Mul * Mul;
    Count >>= 1;
  }
  return State * AccMul + AccAdd;
}
