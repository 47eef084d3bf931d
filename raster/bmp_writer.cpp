#include <cstring>

#include "bmp_format.h"

namespace {
void Put16(uint8_t* P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
}
void Put32(uint8_t* P, uint32_t V) {
  Put16(P, V);
  Put16(P + 2, V >> 16);
}
}  // namespace

std::vector<uint8_t> WriteBmpImage(const TColor32* Pixels, int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0 || Pixels == nullptr) return {};
  const size_t RowBytes = size_t(Width) * 4;
  const size_t ImageBytes = RowBytes * size_t(Height);
  std::vector<uint8_t> Out(54 + ImageBytes);
  uint8_t* H = Out.data();
  H[0] = 'B';
  H[1] = 'M';
  Put32(H + 2, static_cast<uint32_t>(54 + ImageBytes));
  Put32(H + 10, 54);
  Put32(H + 14, 40);
  Put32(H + 18, static_cast<uint32_t>(Width));
  Put32(H + 22, static_cast<uint32_t>(Height));
  Put16(H + 26, 1);
  Put16(H + 28, 32);
  Put32(H + 34, static_cast<uint32_t>(ImageBytes));
  // Rows bottom-up; a TColor32 in memory already is blue, green, red, alpha.
  for (int32_t Y = 0; Y < Height; ++Y)
    std::memcpy(H + 54 + RowBytes * size_t(Height - 1 - Y), Pixels + size_t(Y) * size_t(Width),
                RowBytes);
  return Out;
}
