#include "color32.h"

#include <cmath>
#include <cstdlib>

namespace {

// Default system colours (0x00BBGGRR) for the classic system-colour indices 0..30.
constexpr uint32_t SystemColors[31] = {
    0xC8D0D4,  // scrollbar
    0xA56E3A,  // background
    0x6A240A,  // active caption
    0x808080,  // inactive caption
    0xC8D0D4,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC8D0D4,  // active border
    0xC8D0D4,  // inactive border
    0x808080,  // app workspace
    0x6A240A,  // highlight
    0xFFFFFF,  // highlight text
    0xC8D0D4,  // button face
    0x808080,  // button shadow
    0x808080,  // gray text
    0x000000,  // button text
    0xC8D0D4,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3D dark shadow
    0xC8D0D4,  // 3D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0xB5B5B5,  // hot light (unused slot)
    0xFF0000,  // hot light
    0xF0CAA6,  // gradient active caption
    0xC0C0C0,  // gradient inactive caption
    0x6A240A,  // menu highlight
    0xC8D0D4,  // menu bar
};

struct TGammaInit {
  TGammaInit() { SetGammaTable(0.7f); }
};

}  // namespace

uint8_t GAMMA_TABLE[256];
static TGammaInit GammaInit;

uint32_t ColorToRGB(TPlatformColor C) {
  if (C < 0) {
    const uint32_t Index = static_cast<uint32_t>(C) & 0xFF;
    return Index < 31 ? SystemColors[Index] : 0;
  }
  return static_cast<uint32_t>(C);
}

TColor32 ColorFromSystem(TPlatformColor C) {
  const uint32_t V = ColorToRGB(C);
  return 0xFF000000u | ((V & 0xFF) << 16) | (V & 0xFF00) | ((V >> 16) & 0xFF);
}

TPlatformColor ToSystemColor(TColor32 C) {
  return static_cast<TPlatformColor>(((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF));
}

int32_t MulDivRound(int32_t A, int32_t B, int32_t C) {
  const uint64_t Mag = static_cast<uint64_t>(std::llabs(A)) * static_cast<uint64_t>(std::llabs(B));
  const uint64_t Div = static_cast<uint64_t>(std::llabs(C));
  // The 64-by-32 division overflows when the quotient needs more than 32 bits.
  if (2 * (Mag >> 32) >= Div)
    return -1;
  uint64_t Q = Mag / Div;
  const uint64_t R = Mag % Div;
  if (2 * R >= Div)
    ++Q;
  const bool Negative = ((A < 0) + (B < 0) + (C < 0)) & 1;
  const auto Result = static_cast<int32_t>(static_cast<uint32_t>(Q));
  return Negative ? -Result : Result;
}

void FillWords32(TColor32* P, int32_t Count, TColor32 V) {
  for (int32_t I = 0; I < Count; ++I) P[I] = V;
}

bool ClipRange(int32_t& A, int32_t& B, int32_t Size) {
  if (B < A) {
    const int32_t T = A;
    A = B;
    B = T;
  }
  if (A < 0)
    A = 0;
  if (B >= Size)
    B = Size - 1;
  return B >= A;
}

void SetGammaTable(float Gamma) {
  for (int I = 0; I < 256; ++I)
    GAMMA_TABLE[I] = static_cast<uint8_t>(std::nearbyint(
        std::pow(static_cast<long double>(I) / 255.0L, static_cast<long double>(Gamma)) * 255.0L));
}
