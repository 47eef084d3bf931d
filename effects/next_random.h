#pragma once
// NextRandom: the one pseudo-random generator shared by every effect.
#include <cstddef>
#include <cstdint>

// Advances the process-wide state (0 at program start, never reseeded) to
// state * 134775813 + 1 mod 2^32 and returns (state * N) >> 32, a number in 0 .. N-1 (0 for
// N = 0).
uint32_t NextRandom(uint32_t N);

// The current state, for routines that draw many numbers at once.
uint32_t RandomState();
// Draws Count numbers' worth of state without using them: the state a run of Count draws
// leaves behind. Routines that compute their draws ahead call this once at their end.
void SkipRandom(uint64_t Count);

// The state Count draws after State: jumping ahead, in O(log Count).
uint32_t RandomStateAfter(uint32_t State, uint64_t Count);

constexpr uint32_t RandomMultiplier = 134775813u;

// One draw from a local copy of the state, for routines that split their draws.
inline uint32_t DrawFrom(uint32_t& State, uint32_t N) {
  State = State * RandomMultiplier + 1u;
  return uint32_t((uint64_t(State) * N) >> 32);
}

// Runs Body(K, State) for K = Begin .. End - 1, where pixel K uses draws Draws * K onwards of
// the sequence starting at Start. Four stretches run interleaved, each from its own jumped
// state, so the multiplications of one do not wait for the others.
template <int Draws, typename F>
inline void ForEachDrawLane(size_t Begin, size_t End, uint32_t Start, F Body) {
  constexpr int Lanes = 4;
  const size_t Len = (End - Begin) / Lanes;
  uint32_t State[Lanes];
  for (int J = 0; J < Lanes; ++J)
    State[J] = RandomStateAfter(Start, uint64_t(Begin + J * Len) * Draws);
  for (size_t K = 0; K < Len; ++K)
    for (int J = 0; J < Lanes; ++J) Body(Begin + J * Len + K, State[J]);
  uint32_t Tail = RandomStateAfter(Start, uint64_t(Begin + Lanes * Len) * Draws);
  for (size_t K = Begin + Lanes * Len; K < End; ++K) Body(K, Tail);
}
