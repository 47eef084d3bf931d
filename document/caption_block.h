#pragma once
// The caption block of a project file: the settings of the card's editable captions, kept at
// the very start of the file, before the first layer stream.
//
// A project is read from its end (the tail, the size list, the records, then the streams
// counted back from the records), so bytes in front of the first stream are never looked at by
// a reader that knows only the layers: the file stays a valid project whose captions are the
// pictures they are. Our reader finds the block because the size list's lengths add up to less
// than the data before the list, and takes the captions from it.
//
// Layout, little-endian:
//   16 bytes  "PELMORA-CAPTIONS"
//   u32       version (1)
//   u32       the block's whole length, these header bytes included
//   u32       the number of entries
//   per entry:
//     u32     the stored entry (the number of the layer's 108-byte record, from 0)
//     u64     the fingerprint of the layer's pixels as rendered (PixelFingerprint)
//     u32     the settings' length, then the settings (see caption_settings.h)
// The block is written only when the card has editable captions.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "layer_captions.h"

constexpr char CaptionBlockMagic[] = "PELMORA-CAPTIONS";
constexpr size_t CaptionBlockMagicSize = sizeof(CaptionBlockMagic) - 1;
constexpr uint32_t CaptionBlockVersion = 1;
// A block longer than this is not read (the layers still are): no card has that much text.
constexpr size_t MaxCaptionBlockSize = size_t{16} << 20;

struct TStoredCaption {
  uint32_t Entry = 0;
  TLayerCaption Caption;
};

std::vector<uint8_t> BuildCaptionBlock(const std::vector<TStoredCaption>& Captions);
// Whether the bytes begin with the block's signature.
bool StartsWithCaptionBlock(const uint8_t* Data, size_t Size);
// The entries of a block of exactly Size bytes. A block that is damaged in any way (another
// version, lengths that do not add up, an entry stored twice) gives none: the captions are then
// pictures. Nothing is allocated beyond what the bytes hold.
std::vector<TStoredCaption> ParseCaptionBlock(const uint8_t* Data, size_t Size);
