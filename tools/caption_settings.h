#pragma once
// A caption's settings as bytes: the form in which a caption layer keeps them (the document's
// TLayerCaption) and the project file stores them.
//
// Layout, little-endian, texts in UTF-8 with a u32 length in front:
//   u32 version (1); the font name; i32 size; u32 style; u32 text colour; u32 background
//   colour; u8 transparent background; i32 transparency; u8 outline on, u32 outline colour,
//   i32 outline width; u8 shadow on, u32 shadow colour, i32 shadow offset, i32 shadow
//   softness; u32 number of lines, then per line u8 alignment (0 left, 1 centre, 2 right,
//   3 justified) and its text.
#include <cstdint>
#include <optional>
#include <vector>

#include "caption_render.h"

std::vector<uint8_t> EncodeCaption(const TCaption& Caption);
// The caption the bytes describe, or nothing when they are damaged: a wrong version, lengths
// beyond the bytes, values out of their ranges, a text or font name that is not UTF-8.
std::optional<TCaption> DecodeCaption(const std::vector<uint8_t>& Bytes);
