#include "frame_block.h"

#include <cstring>
#include <unordered_set>

#include "caption_block.h"
#include "lead_block.h"
#include "little_endian.h"

namespace {

constexpr size_t HeaderSize = LeadBlockHeaderSize;
static_assert(FrameBlockMagicSize == 16);
constexpr size_t EntrySize = 8;

}  // namespace

std::vector<uint8_t> BuildFrameBlock(const std::vector<TStoredFrame>& Frames) {
  const size_t Size = HeaderSize + EntrySize * Frames.size();
  std::vector<uint8_t> Out(Size);
  uint8_t* P = Out.data();
  std::memcpy(P, FrameBlockMagic, FrameBlockMagicSize);
  PutLE32(P + FrameBlockMagicSize, FrameBlockVersion);
  PutLE32(P + FrameBlockMagicSize + 4, static_cast<uint32_t>(Size));
  PutLE32(P + FrameBlockMagicSize + 8, static_cast<uint32_t>(Frames.size()));
  P += HeaderSize;
  for (const TStoredFrame& F : Frames) {
    PutLE32(P, F.Frame);
    PutLE32(P + 4, F.Photo);
    P += EntrySize;
  }
  return Out;
}

bool StartsWithFrameBlock(const uint8_t* Data, size_t Size) {
  return Size >= FrameBlockMagicSize &&
         std::memcmp(Data, FrameBlockMagic, FrameBlockMagicSize) == 0;
}

std::vector<TStoredFrame> ParseFrameBlock(const uint8_t* Data, size_t Size) {
  const std::optional<uint32_t> Entries =
      LeadBlockCount(Data, Size, FrameBlockMagic, FrameBlockVersion);
  if (!Entries)
    return {};
  const uint32_t Count = *Entries;
  if (Size - HeaderSize != size_t{Count} * EntrySize)
    return {};
  std::vector<TStoredFrame> Out;
  std::unordered_set<uint32_t> Seen;
  for (uint32_t I = 0; I < Count; ++I) {
    const uint8_t* P = Data + HeaderSize + size_t{I} * EntrySize;
    const TStoredFrame F{GetLE32(P), GetLE32(P + 4)};
    if (F.Frame == F.Photo || !Seen.insert(F.Frame).second || !Seen.insert(F.Photo).second)
      return {};
    Out.push_back(F);
  }
  return Out;
}

size_t LeadBlockLength(const uint8_t* Data, size_t Size) {
  // Both blocks have a 16-byte signature, the version and then their length.
  if (Size < 24 || !(StartsWithFrameBlock(Data, Size) || StartsWithCaptionBlock(Data, Size)))
    return 0;
  return GetLE32(Data + 20);
}
