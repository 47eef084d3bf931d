#pragma once
// Big-endian integers in byte buffers: the byte order of PNG chunks, JPEG markers and ICC
// profiles.
#include <cstdint>

inline uint32_t GetBE16(const uint8_t* P) {
  return uint32_t{P[0]} << 8 | P[1];
}

inline uint32_t GetBE32(const uint8_t* P) {
  return uint32_t{P[0]} << 24 | uint32_t{P[1]} << 16 | uint32_t{P[2]} << 8 | P[3];
}
