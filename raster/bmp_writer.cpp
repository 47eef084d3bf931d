#include <cstring>

#include "bmp_format.h"
#include "little_endian.h"

void WriteBmpHeader(uint8_t* Header, int32_t Width, int32_t Height) {
  const uint32_t ImageBytes = static_cast<uint32_t>(Width) * static_cast<uint32_t>(Height) * 4;
  uint8_t* H = Header;
  std::memset(H, 0, Bmp32HeaderSize);
  H[0] = 'B';
  H[1] = 'M';
  PutLE32(H + 2, static_cast<uint32_t>(Bmp32HeaderSize) + ImageBytes);
  PutLE32(H + 10, static_cast<uint32_t>(Bmp32HeaderSize));
  PutLE32(H + 14, 40);
  PutLE32(H + 18, static_cast<uint32_t>(Width));
  PutLE32(H + 22, static_cast<uint32_t>(Height));
  PutLE16(H + 26, 1);
  PutLE16(H + 28, 32);
  PutLE32(H + 34, ImageBytes);
}

std::vector<uint8_t> WriteBmpImage(const TColor32* Pixels, int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0 || Pixels == nullptr)
    return {};
  const size_t RowBytes = size_t(Width) * 4;
  std::vector<uint8_t> Out;
  Out.reserve(Bmp32HeaderSize + RowBytes * size_t(Height));
  Out.resize(Bmp32HeaderSize);
  WriteBmpHeader(Out.data(), Width, Height);
  // Rows bottom-up, appended so that nothing is cleared first; a TColor32 in memory already is
  // blue, green, red, alpha.
  for (int32_t Y = Height - 1; Y >= 0; --Y) {
    const auto* Row = reinterpret_cast<const uint8_t*>(Pixels + size_t(Y) * size_t(Width));
    Out.insert(Out.end(), Row, Row + RowBytes);
  }
  return Out;
}
