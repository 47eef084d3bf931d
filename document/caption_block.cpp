#include "caption_block.h"

#include <cstring>
#include <unordered_set>

#include "lead_block.h"
#include "little_endian.h"

namespace {

constexpr size_t HeaderSize = LeadBlockHeaderSize;
static_assert(CaptionBlockMagicSize == 16);
constexpr size_t EntryHeaderSize = 16;

void PutLE64(uint8_t* P, uint64_t V) {
  PutLE32(P, static_cast<uint32_t>(V));
  PutLE32(P + 4, static_cast<uint32_t>(V >> 32));
}

uint64_t GetLE64(const uint8_t* P) {
  return uint64_t{GetLE32(P)} | (uint64_t{GetLE32(P + 4)} << 32);
}

}  // namespace

std::vector<uint8_t> BuildCaptionBlock(const std::vector<TStoredCaption>& Captions) {
  size_t Size = HeaderSize;
  for (const TStoredCaption& C : Captions) Size += EntryHeaderSize + C.Caption.Settings.size();
  std::vector<uint8_t> Out(Size);
  uint8_t* P = Out.data();
  std::memcpy(P, CaptionBlockMagic, CaptionBlockMagicSize);
  PutLE32(P + CaptionBlockMagicSize, CaptionBlockVersion);
  PutLE32(P + CaptionBlockMagicSize + 4, static_cast<uint32_t>(Size));
  PutLE32(P + CaptionBlockMagicSize + 8, static_cast<uint32_t>(Captions.size()));
  P += HeaderSize;
  for (const TStoredCaption& C : Captions) {
    PutLE32(P, C.Entry);
    PutLE64(P + 4, C.Caption.Fingerprint);
    PutLE32(P + 12, static_cast<uint32_t>(C.Caption.Settings.size()));
    P += EntryHeaderSize;
    if (!C.Caption.Settings.empty())
      std::memcpy(P, C.Caption.Settings.data(), C.Caption.Settings.size());
    P += C.Caption.Settings.size();
  }
  return Out;
}

bool StartsWithCaptionBlock(const uint8_t* Data, size_t Size) {
  return Size >= CaptionBlockMagicSize &&
         std::memcmp(Data, CaptionBlockMagic, CaptionBlockMagicSize) == 0;
}

std::vector<TStoredCaption> ParseCaptionBlock(const uint8_t* Data, size_t Size) {
  const std::optional<uint32_t> Entries =
      LeadBlockCount(Data, Size, CaptionBlockMagic, CaptionBlockVersion);
  if (!Entries)
    return {};
  const uint32_t Count = *Entries;
  if (Count > (Size - HeaderSize) / EntryHeaderSize)
    return {};
  std::vector<TStoredCaption> Out;
  Out.reserve(Count);
  std::unordered_set<uint32_t> Seen;
  size_t Pos = HeaderSize;
  for (uint32_t I = 0; I < Count; ++I) {
    if (Size - Pos < EntryHeaderSize)
      return {};
    TStoredCaption C;
    C.Entry = GetLE32(Data + Pos);
    C.Caption.Fingerprint = GetLE64(Data + Pos + 4);
    const uint32_t Length = GetLE32(Data + Pos + 12);
    Pos += EntryHeaderSize;
    if (Length > Size - Pos || !Seen.insert(C.Entry).second)
      return {};
    C.Caption.Settings.assign(Data + Pos, Data + Pos + Length);
    Pos += Length;
    Out.push_back(std::move(C));
  }
  if (Pos != Size)
    return {};
  return Out;
}
