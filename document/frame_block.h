#pragma once
// The frame block of a project file: which stored layer is the frame of which photo. It stands
// in front of the first layer stream like the caption block (caption_block.h), after it when
// both are there, so a reader that knows only the layers sees a photo and its frame as the two
// layers they are.
//
// Layout, little-endian:
//   16 bytes  "PELMORA-PHFRAMES"
//   u32       version (1)
//   u32       the block's whole length, these header bytes included
//   u32       the number of entries
//   per entry:
//     u32     the frame's stored entry (the number of its 108-byte record, from 0)
//     u32     the photo's stored entry
// The frame's place in its photo follows from the two layers' locations. The block is written
// only when the card has frames on photos.
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr char FrameBlockMagic[] = "PELMORA-PHFRAMES";
constexpr size_t FrameBlockMagicSize = sizeof(FrameBlockMagic) - 1;
constexpr uint32_t FrameBlockVersion = 1;

struct TStoredFrame {
  uint32_t Frame = 0, Photo = 0;
  bool operator==(const TStoredFrame&) const = default;
};

std::vector<uint8_t> BuildFrameBlock(const std::vector<TStoredFrame>& Frames);
// Whether the bytes begin with the block's signature.
bool StartsWithFrameBlock(const uint8_t* Data, size_t Size);
// The entries of a block of exactly Size bytes. A damaged block (another version, lengths that
// do not add up, a layer named twice or a frame of itself) gives none: the frames are then
// layers of their own.
std::vector<TStoredFrame> ParseFrameBlock(const uint8_t* Data, size_t Size);

// The length a block at the start of Data (a caption or a frame block) says it has, 0 when the
// bytes do not begin with a block's header.
size_t LeadBlockLength(const uint8_t* Data, size_t Size);
