#pragma once
// Little-endian integers in byte buffers: the byte order of every file header we read or write.
#include <cstdint>

inline uint16_t GetLE16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | (P[1] << 8));
}

inline uint32_t GetLE32(const uint8_t* P) {
  return uint32_t{P[0]} | (uint32_t{P[1]} << 8) | (uint32_t{P[2]} << 16) | (uint32_t{P[3]} << 24);
}

// The low 16 bits of V.
inline void PutLE16(uint8_t* P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
}

inline void PutLE32(uint8_t* P, uint32_t V) {
  PutLE16(P, V);
  PutLE16(P + 2, V >> 16);
}
