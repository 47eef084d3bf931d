#pragma once
// The Windows BMP file format: our 32-bit writer and a reader for what platform BMP readers
// accept (1, 2, 4, 8, 16, 24 and 32 bits per pixel, palettes, RLE4 and RLE8, the old 12-byte
// header, bit-field masks, top-down rows).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;

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

// What TBmpDecoder needs of a file's beginning at least (or the whole file when shorter).
constexpr size_t BmpHeadBytes = 256;

// A BMP file image checked up to its pixel data, which can then be decoded in pieces, so that
// a file is read straight into a bitmap with a few large reads. Decodes exactly as
// ReadBmpImage; every pixel of the picture is written.
class TBmpDecoder {
 public:
  // Checks the headers, masks and palette and every size against FileSize, raising
  // EInvalidGraphic as ReadBmpImage does. Head holds the file's first HeadSize bytes: at least
  // BmpHeadBytes of them and everything before the pixel data offset (bytes 10 to 13 of the
  // file), or the whole file.
  TBmpDecoder(const uint8_t* Head, size_t HeadSize, size_t FileSize);
  ~TBmpDecoder();
  TBmpDecoder(const TBmpDecoder&) = delete;
  TBmpDecoder& operator=(const TBmpDecoder&) = delete;

  int32_t Width() const;
  int32_t Height() const;
  int BitsPerPixel() const;
  // Where the pixel data starts in the file.
  size_t PixelOffset() const;

  // Run-length data: RunLengthBytes() bytes from PixelOffset() decode into the top-down
  // Width() x Height() pixels at once.
  bool RunLength() const;
  size_t RunLengthBytes() const;
  void DecodeRunLength(const uint8_t* Bits, TColor32* Pixels) const;

  // Uncompressed rows: Height() rows of Stride() bytes from PixelOffset(), bottom row first
  // unless TopDown(); the last row may end after RowBytes(). Decodes Count stored rows, the
  // first being stored row First, into the top-down Width() x Height() pixels.
  bool TopDown() const;
  size_t Stride() const;
  size_t RowBytes() const;
  void DecodeRows(const uint8_t* Rows, int64_t First, int64_t Count, TColor32* Pixels) const;
  // The stored rows are the pixels' own bytes (32 bits, blue, green, red, alpha).
  bool RawRows() const;

 private:
  struct TState;
  std::unique_ptr<TState> F;
};

// Rows of a BMP file other than our own 32-bit ones are read and decoded in chunks of about
// this many bytes.
constexpr size_t BmpReadChunkBytes = size_t{1} << 18;

// Reads a BMP file into Target as Target.Assign(ReadBmpImage(whole file)) would, without
// holding the file or an intermediate picture in memory. On failure (EFileError,
// EInvalidGraphic) Target is unchanged.
void LoadBmpFile(const std::string& FileName, TBitmap32& Target,
                 size_t ChunkBytes = BmpReadChunkBytes);
