// Reader of Windows and OS/2 BMP file images.
//
// Accepted: the 12-byte OS/2 1.x header (3-byte palette entries), the 16- and 64-byte OS/2 2.x
// headers, and the 40-, 52-, 56-, 108- and 124-byte Windows headers; 1, 2, 4, 8, 16, 24 and 32
// bits per pixel; uncompressed rows (bottom-up, or top-down for a negative height), RLE8, RLE4,
// and bit-field masks for 16 and 32 bits.
//
// Decisions where readers differ:
// - A 32-bit uncompressed pixel is blue, green, red, alpha: the fourth byte is alpha, because
//   that is what our own files store. With bit fields, alpha comes from the alpha mask only;
//   without one the pixel is opaque. Pictures of other depths are opaque.
// - An n-bit bit-field channel becomes round(v * 255 / (2^n - 1)), ties rounding up; a channel
//   whose mask is zero reads as 0.
// - Pixels that run-length data leaves undefined (skipped by a delta, an early end of line or
//   an early end of bitmap) get palette colour 0, as if their index were 0.
// - Refused with a message: Huffman 1D, RLE24, embedded JPEG or PNG, 64 bits per pixel, CMYK.
// - Also refused, though some readers let them pass: a palette index past the stored palette,
//   file size or image size fields larger than the data, a pixel aspect beyond 1000:1, and
//   run-length data far too short for its picture (see MaxPixelsPerRunLengthByte).
//
// Every size, offset and count is checked against the data before the pixel buffer is
// allocated; run-length codes that would leave the picture are errors, not clipped.
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>

#include "bmp_format.h"
#include "exceptions.h"
#include "little_endian.h"

namespace {

constexpr size_t FileHeaderSize = 14;

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_JPEG = 4;
constexpr uint32_t BI_PNG = 5;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// Non-square pixels are fine; a pixel more than this many times wider than high (or the other
// way round) marks a damaged header.
constexpr int64_t MaxDensityRatio = 1000;

// Encoders write runs of at most 255 pixels per two bytes and end rows with two-byte codes, so
// run-length data tens of thousands of times smaller than its picture can only be a file that
// leaves almost every pixel undefined. Refusing it keeps a few bytes from claiming a gigabyte.
constexpr int64_t MaxPixelsPerRunLengthByte = 65536;
constexpr int64_t RunLengthPixelAllowance = int64_t{1} << 20;

[[noreturn]] void Fail(const std::string& Fault) {
  throw EInvalidGraphic("Bitmap image is not valid: " + Fault);
}

// One channel of a bit-field pixel, scaled to 8 bits.
class TChannel {
 public:
  TChannel() = default;
  TChannel(uint32_t Mask, int BitsPerPixel, const char* Name) : FMask(Mask) {
    if (BitsPerPixel < 32 && (Mask >> BitsPerPixel) != 0)
      Fail(std::string("the ") + Name + " mask lies outside the pixel");
    if (Mask == 0)
      return;
    FShift = std::countr_zero(Mask);
    FMax = Mask >> FShift;
    if ((FMax & (FMax + 1)) != 0)
      Fail(std::string("the ") + Name + " mask is not contiguous");
  }

  bool Present() const { return FMask != 0; }

  uint32_t Get(uint32_t Pixel) const {
    if (FMax == 0)
      return 0;
    const uint64_t V = (Pixel & FMask) >> FShift;
    if (FMax == 255)
      return static_cast<uint32_t>(V);
    return static_cast<uint32_t>((V * 510 + FMax) / (uint64_t{FMax} * 2));
  }

 private:
  uint32_t FMask = 0;
  int FShift = 0;
  uint32_t FMax = 0;
};

// The four channels of a 16- or 32-bit pixel.
struct TBitFields {
  TChannel R, G, B, A;

  TColor32 Convert(uint32_t Pixel) const {
    const uint32_t Alpha = A.Present() ? A.Get(Pixel) : 255;
    return (Alpha << 24) | (R.Get(Pixel) << 16) | (G.Get(Pixel) << 8) | B.Get(Pixel);
  }
};

TBitFields MakeBitFields(const uint32_t (&Masks)[4], int BitsPerPixel) {
  TBitFields F{TChannel(Masks[0], BitsPerPixel, "red"), TChannel(Masks[1], BitsPerPixel, "green"),
               TChannel(Masks[2], BitsPerPixel, "blue"), TChannel(Masks[3], BitsPerPixel, "alpha")};
  const uint32_t R = Masks[0], G = Masks[1], B = Masks[2], A = Masks[3];
  if ((R & G) | (R & B) | (G & B) | (A & (R | G | B)))
    Fail("the bit-field masks overlap");
  if (BitsPerPixel != 32)
    F.A = TChannel();  // only 32-bit pictures carry alpha
  return F;
}

// Colours of a paletted picture; an index past the stored entries is a fault of the file.
class TPalette {
 public:
  void Load(const uint8_t* P, size_t Count, size_t EntrySize) {
    FColors.resize(Count);
    for (size_t I = 0; I < Count; ++I, P += EntrySize)
      FColors[I] = 0xFF000000 | (uint32_t{P[2]} << 16) | (uint32_t{P[1]} << 8) | P[0];
  }

  TColor32 operator[](uint32_t Index) const {
    if (Index >= FColors.size())
      Fail("a pixel refers to a colour missing from the palette");
    return FColors[Index];
  }

  // What undefined pixels of a run-length picture show.
  TColor32 Background() const { return FColors.empty() ? 0xFF000000 : FColors[0]; }

 private:
  std::vector<TColor32> FColors;
};

// Run-length data (RLE8, or RLE4 with two pixels per byte, high nibble first). Rows run
// bottom-up; Pixels holds the picture top-down and is already filled with the background.
void DecodeRunLength(const uint8_t* P, size_t Length, bool Rle4, int64_t Width, int64_t Height,
                     const TPalette& Palette, TColor32* Pixels) {
  const uint8_t* const End = P + Length;
  int64_t X = 0, Y = 0;
  auto Row = [&]() { return Pixels + (Height - 1 - Y) * Width; };
  auto StartWrite = [&](int64_t Count) {
    if (Y >= Height)
      Fail("run-length data continues past the last row");
    if (X + Count > Width)
      Fail("a run-length code runs past the end of a row");
  };
  for (;;) {
    if (End - P < 2) {
      // Running out of data is accepted only once every row has been ended.
      if (Y >= Height)
        return;
      Fail("truncated run-length data");
    }
    const uint8_t Count = P[0], Value = P[1];
    P += 2;
    if (Count > 0) {
      StartWrite(Count);
      TColor32* D = Row() + X;
      if (Rle4) {
        // A one-pixel run leaves the low nibble unused, so it is not looked up.
        const TColor32 Colors[2] = {Palette[Value >> 4], Count > 1 ? Palette[Value & 15] : 0};
        for (int I = 0; I < Count; ++I) D[I] = Colors[I & 1];
      } else {
        std::fill(D, D + Count, Palette[Value]);
      }
      X += Count;
      continue;
    }
    switch (Value) {
      case 0:  // end of line
        if (Y >= Height)
          Fail("an end-of-line code moves past the last row");
        X = 0;
        ++Y;
        break;
      case 1:  // end of bitmap
        return;
      case 2:  // delta: move right and up
        if (End - P < 2)
          Fail("truncated run-length data");
        X += P[0];
        Y += P[1];
        P += 2;
        if (X > Width || Y >= Height)
          Fail("a run-length delta moves outside the image");
        break;
      default: {  // absolute run of Value pixels, padded to a 16-bit boundary
        const size_t Bytes = Rle4 ? (Value + 1u) / 2 : Value;
        if (size_t(End - P) < Bytes)
          Fail("truncated run-length data");
        StartWrite(Value);
        TColor32* D = Row() + X;
        for (int I = 0; I < Value; ++I)
          D[I] = Palette[Rle4 ? (I & 1 ? P[I / 2] & 15 : P[I / 2] >> 4) : P[I]];
        X += Value;
        P += std::min(size_t(End - P), (Bytes + 1) & ~size_t{1});
        break;
      }
    }
  }
}

}  // namespace

struct TBmpDecoder::TState {
  int64_t Width = 0, Height = 0;
  bool TopDown = false;
  int Bpp = 0;
  uint32_t Compression = BI_RGB;
  size_t OffBits = 0;
  int64_t Stride = 0;
  size_t RunLengthBytes = 0;
  TBitFields Fields;
  TPalette Palette;
};

TBmpDecoder::TBmpDecoder(const uint8_t* Data, size_t HeadSize, size_t Size)
    : F(std::make_unique<TState>()) {
  if (Data == nullptr || Size < FileHeaderSize + 4)
    Fail("the file is too short for a header");
  if (HeadSize < std::min(Size, BmpHeadBytes))
    throw Exception("Bitmap image: too little of the file was read for its header");
  if (Data[0] != 'B' || Data[1] != 'M')
    Fail("the BM signature is missing");
  if (GetLE32(Data + 2) > Size)
    Fail("the file is shorter than its header says");
  const uint32_t OffBits = GetLE32(Data + 10);
  const uint32_t HeaderSize = GetLE32(Data + 14);
  switch (HeaderSize) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
      break;
    default:
      Fail("unknown header size " + std::to_string(HeaderSize));
  }
  if (Size < FileHeaderSize + HeaderSize)
    Fail("truncated header");
  const uint8_t* H = Data + FileHeaderSize;
  const bool Os2 = HeaderSize == 12;
  const bool Os2V2 = HeaderSize == 16 || HeaderSize == 64;

  int64_t Width, Height;
  uint32_t Planes, BitCount, Compression = BI_RGB, SizeImage = 0, ClrUsed = 0;
  if (Os2) {
    Width = GetLE16(H + 4);
    Height = GetLE16(H + 6);
    Planes = GetLE16(H + 8);
    BitCount = GetLE16(H + 10);
  } else {
    Width = static_cast<int32_t>(GetLE32(H + 4));
    Height = static_cast<int32_t>(GetLE32(H + 8));
    Planes = GetLE16(H + 12);
    BitCount = GetLE16(H + 14);
    if (HeaderSize >= 40) {
      Compression = GetLE32(H + 16);
      SizeImage = GetLE32(H + 20);
      ClrUsed = GetLE32(H + 32);
      const int64_t XDensity = static_cast<int32_t>(GetLE32(H + 24));
      const int64_t YDensity = static_cast<int32_t>(GetLE32(H + 28));
      if (XDensity > 0 && YDensity > 0 &&
          (XDensity > YDensity * MaxDensityRatio || YDensity > XDensity * MaxDensityRatio))
        Fail("the horizontal and vertical resolutions are implausible");
    }
  }

  if (Os2V2 && Compression == 3)
    Fail("Huffman 1D compression is not supported");
  if (Os2V2 && Compression == 4)
    Fail("RLE24 compression is not supported");
  switch (Compression) {
    case BI_RGB:
      if (BitCount == 64)
        Fail("64 bits per pixel are not supported");
      if (BitCount != 1 && BitCount != 2 && BitCount != 4 && BitCount != 8 && BitCount != 16 &&
          BitCount != 24 && BitCount != 32)
        Fail("bit count " + std::to_string(BitCount) + " is not valid");
      break;
    case BI_RLE8:
    case BI_RLE4:
      if (BitCount != (Compression == BI_RLE8 ? 8u : 4u))
        Fail("bit count " + std::to_string(BitCount) + " does not match the RLE compression");
      break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (BitCount != 16 && BitCount != 32)
        Fail("bit fields need 16 or 32 bits per pixel, not " + std::to_string(BitCount));
      break;
    case BI_JPEG:
      Fail("embedded JPEG data is not supported");
    case BI_PNG:
      Fail("embedded PNG data is not supported");
    default:
      Fail("compression method " + std::to_string(Compression) + " is not supported");
  }
  if (Planes != 1)
    Fail("the plane count must be 1");

  if (Width < 0)
    Fail("the width is negative");
  if (Width == 0 || Height == 0)
    Fail("the image has no pixels");
  const bool TopDown = Height < 0;
  Height = TopDown ? -Height : Height;
  if (!PictureWithinLimits(Width, Height))
    Fail(Width > MaxPictureSide || Height > MaxPictureSide
             ? "the image is larger than " + std::to_string(MaxPictureSide) + " pixels on a side"
             : std::string("the image has too many pixels"));
  const bool RunLength = Compression == BI_RLE8 || Compression == BI_RLE4;
  if (TopDown && RunLength)
    Fail("a run-length compressed image cannot be stored top-down");

  // Bit-field masks: inside the larger headers, or right after a 40-byte one.
  const int Bpp = static_cast<int>(BitCount);
  size_t MaskBytes = 0;
  uint32_t Masks[4] = {};
  if (Compression == BI_BITFIELDS || Compression == BI_ALPHABITFIELDS) {
    const uint8_t* M = H + 40;
    if (HeaderSize == 40) {
      MaskBytes = Compression == BI_ALPHABITFIELDS ? 16 : 12;
      if (Size < FileHeaderSize + HeaderSize + MaskBytes)
        Fail("truncated bit-field masks");
    }
    const size_t MaskCount = HeaderSize == 40 ? MaskBytes / 4 : HeaderSize >= 56 ? 4 : 3;
    for (size_t I = 0; I < MaskCount; ++I) Masks[I] = GetLE32(M + 4 * I);
  } else if (Bpp == 16) {
    Masks[0] = 0x7C00, Masks[1] = 0x03E0, Masks[2] = 0x001F;
  }
  if (Bpp == 16 || (Bpp == 32 && Compression != BI_RGB))
    F->Fields = MakeBitFields(Masks, Bpp);

  const size_t PaletteStart = FileHeaderSize + HeaderSize + MaskBytes;
  if (OffBits > Size)
    Fail("the pixel data offset points past the end of the file");
  if (OffBits < PaletteStart)
    Fail("the pixel data offset points into the header");
  // Everything before the pixel data is needed from here on.
  if (HeadSize < OffBits)
    throw Exception("Bitmap image: too little of the file was read for its palette");

  // The palette: biClrUsed entries, or 2^n when it is zero; entries past 2^n are never used.
  // A palette cut short by the pixel data offset (as in many OS/2 files) holds what fits.
  if (Bpp <= 8) {
    const size_t EntrySize = Os2 ? 3 : 4;
    if (ClrUsed != 0 && uint64_t{ClrUsed} * EntrySize > Size - PaletteStart)
      Fail("the palette runs past the end of the file");
    size_t Count = ClrUsed != 0 ? std::min<size_t>(ClrUsed, size_t{1} << Bpp) : size_t{1} << Bpp;
    Count = std::min(Count, (OffBits - PaletteStart) / EntrySize);
    F->Palette.Load(Data + PaletteStart, Count, EntrySize);
  }

  const size_t Available = Size - OffBits;
  if (SizeImage > Available)
    Fail("the image size field exceeds the file");
  const int64_t Stride = (Width * Bpp + 31) / 32 * 4;
  if (!RunLength && Stride * (Height - 1) + (Width * Bpp + 7) / 8 > int64_t(Available))
    Fail("truncated pixel data");
  const size_t RunLengthBytes = SizeImage != 0 ? SizeImage : Available;
  if (RunLength && Width * Height > std::max(RunLengthPixelAllowance,
                                             int64_t(RunLengthBytes) * MaxPixelsPerRunLengthByte))
    Fail("the run-length data is too short for the image size");

  F->Width = Width;
  F->Height = Height;
  F->TopDown = TopDown;
  F->Bpp = Bpp;
  F->Compression = Compression;
  F->OffBits = OffBits;
  F->Stride = Stride;
  F->RunLengthBytes = RunLength ? RunLengthBytes : 0;
}

TBmpDecoder::~TBmpDecoder() = default;

int32_t TBmpDecoder::Width() const {
  return static_cast<int32_t>(F->Width);
}

int32_t TBmpDecoder::Height() const {
  return static_cast<int32_t>(F->Height);
}

int TBmpDecoder::BitsPerPixel() const {
  return F->Bpp;
}

size_t TBmpDecoder::PixelOffset() const {
  return F->OffBits;
}

bool TBmpDecoder::RunLength() const {
  return F->Compression == BI_RLE8 || F->Compression == BI_RLE4;
}

size_t TBmpDecoder::RunLengthBytes() const {
  return F->RunLengthBytes;
}

bool TBmpDecoder::TopDown() const {
  return F->TopDown;
}

size_t TBmpDecoder::Stride() const {
  return static_cast<size_t>(F->Stride);
}

size_t TBmpDecoder::RowBytes() const {
  return static_cast<size_t>((F->Width * F->Bpp + 7) / 8);
}

bool TBmpDecoder::RawRows() const {
  return F->Bpp == 32 && F->Compression == BI_RGB && std::endian::native == std::endian::little;
}

void TBmpDecoder::DecodeRunLength(const uint8_t* Bits, TColor32* Out) const {
  const int64_t Width = F->Width, Height = F->Height;
  // Background first: one row filled, then copied, which stays fast in instrumented builds.
  std::fill(Out, Out + Width, F->Palette.Background());
  for (int64_t Y = 1; Y < Height; ++Y)
    std::memcpy(Out + Y * Width, Out, size_t(Width) * sizeof(TColor32));
  ::DecodeRunLength(Bits, F->RunLengthBytes, F->Compression == BI_RLE4, Width, Height, F->Palette,
                    Out);
}

void TBmpDecoder::DecodeRows(const uint8_t* Rows, int64_t First, int64_t Count,
                             TColor32* Out) const {
  const int64_t Width = F->Width, Height = F->Height, Stride = F->Stride;
  const int Bpp = F->Bpp;
  const TBitFields& Fields = F->Fields;
  const TPalette& Palette = F->Palette;
  for (int64_t I = 0; I < Count; ++I) {
    const int64_t R = First + I;
    const uint8_t* S = Rows + I * Stride;
    TColor32* D = Out + (F->TopDown ? R : Height - 1 - R) * Width;
    switch (Bpp) {
      case 1:
      case 2:
      case 4:
      case 8: {
        const int PerByte = 8 / Bpp;
        const uint32_t IndexMask = (1u << Bpp) - 1;
        for (int64_t X = 0; X < Width; ++X) {
          const int Shift = 8 - Bpp * (1 + int(X % PerByte));
          D[X] = Palette[(S[X / PerByte] >> Shift) & IndexMask];
        }
        break;
      }
      case 16:
        for (int64_t X = 0; X < Width; ++X) D[X] = Fields.Convert(GetLE16(S + 2 * X));
        break;
      case 24:
        for (int64_t X = 0; X < Width; ++X, S += 3)
          D[X] = 0xFF000000 | (uint32_t{S[2]} << 16) | (uint32_t{S[1]} << 8) | S[0];
        break;
      case 32:
        if (F->Compression != BI_RGB) {
          for (int64_t X = 0; X < Width; ++X) D[X] = Fields.Convert(GetLE32(S + 4 * X));
        } else if constexpr (std::endian::native == std::endian::little) {
          std::memcpy(D, S, size_t(Width) * 4);  // blue, green, red, alpha: already a TColor32
        } else {
          for (int64_t X = 0; X < Width; ++X) D[X] = GetLE32(S + 4 * X);
        }
        break;
    }
  }
}

TPicture ReadBmpImage(const uint8_t* Data, size_t Size) {
  const TBmpDecoder Decoder(Data, Size, Size);
  TPicture Picture;
  Picture.Kind = TPicture::pkBitmap;
  Picture.Width = Decoder.Width();
  Picture.Height = Decoder.Height();
  Picture.BitsPerPixel = Decoder.BitsPerPixel();
  Picture.Pixels.resize(size_t(Picture.Width) * size_t(Picture.Height));
  const uint8_t* const Bits = Data + Decoder.PixelOffset();
  if (Decoder.RunLength())
    Decoder.DecodeRunLength(Bits, Picture.Pixels.data());
  else
    Decoder.DecodeRows(Bits, 0, Picture.Height, Picture.Pixels.data());
  return Picture;
}
