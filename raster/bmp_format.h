#pragma once
// The Windows BMP file format: our 32-bit writer and a reader for what platform BMP readers
// accept (1, 2, 4, 8, 16, 24 and 32 bits per pixel, palettes, RLE4 and RLE8, the old 12-byte
// header, bit-field masks, top-down rows).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture.h"

// Size of the headers of our own 32-bit form: the 14-byte file header and the 40-byte info header.
constexpr size_t Bmp32HeaderSize = 54;

// The Bmp32HeaderSize header bytes of our 32-bit form of a Width x Height picture (Width and
// Height at least 1); the pixel rows follow, bottom row first, with no padding.
void WriteBmpHeader(uint8_t* Header, int32_t Width, int32_t Height);

// A complete BMP file image of Width x Height 32-bit pixels (rows bottom-up, bytes B, G, R, A).
// Pixels are top-down. Nothing is written for an empty picture.
std::vector<uint8_t> WriteBmpImage(const TColor32* Pixels, int32_t Width, int32_t Height);

// Decodes one BMP file image. Raises EInvalidGraphic with a message naming the fault for a
// damaged, truncated or oversized file. The result is a pkBitmap whose BitsPerPixel tells
// whether its alpha byte is meaningful (32) or not.
TPicture ReadBmpImage(const uint8_t* Data, size_t Size);
