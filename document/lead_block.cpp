#include "lead_block.h"

#include <cstring>

#include "little_endian.h"

std::optional<uint32_t> LeadBlockCount(const uint8_t* Data, size_t Size, const char* Magic,
                                       uint32_t Version) {
  if (Size < LeadBlockHeaderSize || std::memcmp(Data, Magic, 16) != 0 ||
      GetLE32(Data + 16) != Version || GetLE32(Data + 20) != Size)
    return std::nullopt;
  return GetLE32(Data + 24);
}
