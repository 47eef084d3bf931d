#pragma once
// Building, splitting and converting TColor32 values, and small integer helpers.
#include <cstdint>

#include "types.h"

// A platform colour: 0x00BBGGRR (red in the low byte), or a system-colour identifier
// (0x80000000 or'ed with the system colour's index), resolved from a fixed table of defaults.
using TPlatformColor = int32_t;
constexpr TPlatformColor SystemColorFlag = static_cast<TPlatformColor>(0x80000000u);

inline TColor32 ColorFromRGBA(int32_t R, int32_t G, int32_t B, int32_t A = 255) {
  return (static_cast<uint32_t>(A & 0xFF) << 24) | (static_cast<uint32_t>(R & 0xFF) << 16) |
         (static_cast<uint32_t>(G & 0xFF) << 8) | static_cast<uint32_t>(B & 0xFF);
}
inline TColor32 GrayColor(int32_t I, int32_t A = 255) {
  return (static_cast<uint32_t>(A & 0xFF) << 24) + static_cast<uint32_t>(I & 0xFF) * 0x010101u;
}
inline int32_t RedOf(TColor32 C) {
  return (C >> 16) & 0xFF;
}
inline int32_t GreenOf(TColor32 C) {
  return (C >> 8) & 0xFF;
}
inline int32_t BlueOf(TColor32 C) {
  return C & 0xFF;
}
inline int32_t AlphaOf(TColor32 C) {
  return C >> 24;
}
// (R * 61 + G * 174 + B * 21) >> 8; the weights sum to 256, so white gives 255.
inline int32_t Intensity(TColor32 C) {
  return (RedOf(C) * 61 + GreenOf(C) * 174 + BlueOf(C) * 21) >> 8;
}
inline int32_t Clamp255(int32_t V) {
  return V < 0 ? 0 : (V > 255 ? 255 : V);
}
inline TColor32 WithAlpha(TColor32 C, int32_t A) {
  return (C & 0x00FFFFFF) | (static_cast<uint32_t>(Clamp255(A)) << 24);
}
// Lo is tested first, so Lo wins when Lo > Hi.
inline int32_t Constrain(int32_t V, int32_t Lo, int32_t Hi) {
  return V < Lo ? Lo : (V > Hi ? Hi : V);
}

// Resolves a system-colour identifier to 0x00BBGGRR; plain colours pass through.
uint32_t ColorToRGB(TPlatformColor C);
// Opaque TColor32 from a platform colour (red and blue exchanged).
TColor32 ColorFromSystem(TPlatformColor C);
// 0x00BBGGRR from a TColor32; alpha is dropped.
TPlatformColor ToSystemColor(TColor32 C);

// A * B / C rounded half away from zero with a 64-bit product; -1 when the quotient would not
// fit in 32 bits (in particular when C = 0).
int32_t MulDivRound(int32_t A, int32_t B, int32_t C);
void FillWords32(TColor32* P, int32_t Count, TColor32 V);
// Orders A and B, clamps them into 0..Size-1 and tells whether the range is non-empty.
bool ClipRange(int32_t& A, int32_t& B, int32_t Size);

// Gamma table used to weight the four pixels of a sub-pixel plot; built for gamma 0.7 at start.
extern uint8_t GAMMA_TABLE[256];
void SetGammaTable(float Gamma);
