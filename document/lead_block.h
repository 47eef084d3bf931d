#pragma once
// The header the blocks in front of a project's layers share (the caption block, the frame
// block): a 16-byte signature, then u32 version, u32 whole length, u32 number of entries.
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr size_t LeadBlockHeaderSize = 16 + 12;

// The number of entries of a block of exactly Size bytes whose header has the 16-byte Magic,
// Version and Size as its length; nothing for any other bytes.
std::optional<uint32_t> LeadBlockCount(const uint8_t* Data, size_t Size, const char* Magic,
                                       uint32_t Version);
