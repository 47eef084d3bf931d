#include "ico_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec_support.h"
#include "exceptions.h"
#include "png_codec.h"

using namespace codec_detail;

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TEntry {
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  int64_t Pixels = 0;  // as the image itself says, or the directory when it cannot be read
  int Depth = 0;
};

bool IsPng(const uint8_t* Data, size_t Size) {
  return Size >= 8 && std::memcmp(Data, PngSignature, 8) == 0;
}

// Fills in the size and depth of an entry from its own header where it has one.
void MeasureEntry(TEntry& E) {
  if (IsPng(E.Data, E.Size)) {
    if (E.Size < 26)
      return;
    const uint8_t* Ihdr = E.Data + 16;
    // PNG sides are below 2^31, so the product of two checked ones fits.
    const auto Side = [](const uint8_t* P) {
      const int64_t V = (int64_t(P[0]) << 24) | (P[1] << 16) | (P[2] << 8) | P[3];
      return std::min<int64_t>(V, int64_t{1} << 31);
    };
    const int64_t W = Side(Ihdr), H = Side(Ihdr + 4);
    const int Channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int Type = Ihdr[9];
    E.Pixels = W * H;
    E.Depth = Ihdr[8] * (Type <= 6 ? Channels[Type] : 0);
    return;
  }
  if (E.Size < 16 || GetLE32(E.Data) < 40)
    return;
  const int64_t W = int32_t(GetLE32(E.Data + 4)), H = int32_t(GetLE32(E.Data + 8)) / 2;
  E.Pixels = W * H;
  E.Depth = GetLE16(E.Data + 14);
}

// A device-independent bitmap (BITMAPINFOHEADER, palette, colour rows and AND mask rows, both
// bottom-up) whose header gives twice the picture's height.
TPicture DecodeDib(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size < 40)
    FailPicture("ICO", "the bitmap header is truncated");
  const uint32_t HeaderSize = GetLE32(Data);
  const int64_t W = int32_t(GetLE32(Data + 4)), FullH = int32_t(GetLE32(Data + 8));
  const int Bits = GetLE16(Data + 14);
  const uint32_t Compression = GetLE32(Data + 16);
  uint32_t ColorsUsed = GetLE32(Data + 32);
  if (HeaderSize < 40 || HeaderSize > Size)
    FailPicture("ICO", "invalid bitmap header");
  if (FullH < 0)
    FailPicture("ICO", "top-down icon bitmaps are not allowed");
  CheckPictureSize("ICO", W, FullH / 2, MaxPixels);
  const int32_t Width = int32_t(W), Height = int32_t(FullH / 2);
  if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 16 && Bits != 24 && Bits != 32)
    FailPicture("ICO", "unsupported bitmap depth " + std::to_string(Bits));
  // Bit-field masks other than the standard ones do not occur in icons; BI_BITFIELDS with
  // 32 bits is read as the usual B, G, R, A.
  if (Compression != 0 && !(Compression == 3 && Bits == 32))
    FailPicture("ICO", "compressed icon bitmaps are not supported");

  size_t Pos = HeaderSize;
  TColor32 Palette[256];
  for (TColor32& C : Palette) C = 0xFF000000u;
  if (Bits <= 8) {
    const uint32_t MaxColors = 1u << Bits;
    if (ColorsUsed == 0 || ColorsUsed > MaxColors)
      ColorsUsed = MaxColors;
    if (Size - Pos < size_t(ColorsUsed) * 4)
      FailPicture("ICO", "the palette is truncated");
    for (uint32_t I = 0; I < ColorsUsed; ++I) {
      const uint8_t* C = Data + Pos + I * 4;
      Palette[I] = MakeColor(C[2], C[1], C[0]);
    }
    Pos += size_t(ColorsUsed) * 4;
  } else if (Compression == 3) {
    Pos = std::min<size_t>(Size, Pos + (HeaderSize == 40 ? 12 : 0));
  }
  const size_t Stride = ((size_t(Width) * size_t(Bits) + 31) / 32) * 4;
  const size_t MaskStride = ((size_t(Width) + 31) / 32) * 4;
  if ((Size - Pos) / Stride < size_t(Height))
    FailPicture("ICO", "the bitmap data is truncated");
  const uint8_t* Colors = Data + Pos;
  Pos += Stride * size_t(Height);
  const bool HasMask = (Size - Pos) / MaskStride >= size_t(Height);
  const uint8_t* Mask = Data + Pos;

  TPicture P = MakeGraphic(Width, Height);
  bool AlphaInUse = false;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const uint8_t* Row = Colors + size_t(Height - 1 - Y) * Stride;
    TColor32* Dst = P.Pixels.data() + size_t(Y) * size_t(Width);
    for (int32_t X = 0; X < Width; ++X) {
      switch (Bits) {
        case 1:
          Dst[X] = Palette[(Row[X / 8] >> (7 - X % 8)) & 1];
          break;
        case 4:
          Dst[X] = Palette[(Row[X / 2] >> (X % 2 ? 0 : 4)) & 15];
          break;
        case 8:
          Dst[X] = Palette[Row[X]];
          break;
        case 16: {
          const uint32_t V = GetLE16(Row + X * 2);
          const auto E = [](uint32_t C) { return (C << 3) | (C >> 2); };
          Dst[X] = MakeColor(E((V >> 10) & 31), E((V >> 5) & 31), E(V & 31));
          break;
        }
        case 24:
          Dst[X] = MakeColor(Row[X * 3 + 2], Row[X * 3 + 1], Row[X * 3]);
          break;
        default:
          Dst[X] = MakeColor(Row[X * 4 + 2], Row[X * 4 + 1], Row[X * 4], Row[X * 4 + 3]);
          AlphaInUse = AlphaInUse || Row[X * 4 + 3] != 0;
          break;
      }
    }
  }
  if (Bits == 32 && AlphaInUse)
    return P;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const uint8_t* Row = Mask + size_t(Height - 1 - Y) * MaskStride;
    TColor32* Dst = P.Pixels.data() + size_t(Y) * size_t(Width);
    for (int32_t X = 0; X < Width; ++X) {
      const bool Transparent = HasMask && ((Row[X / 8] >> (7 - X % 8)) & 1);
      Dst[X] = Transparent ? 0 : (Dst[X] | 0xFF000000u);
    }
  }
  return P;
}

}  // namespace

TPicture ReadIcoImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size < 6 || GetLE16(Data) != 0 || (GetLE16(Data + 2) != 1 && GetLE16(Data + 2) != 2))
    FailPicture("ICO", "the icon header is missing");
  const size_t Count = GetLE16(Data + 4);
  if (Count == 0)
    FailPicture("ICO", "the icon holds no image");
  if ((Size - 6) / 16 < Count)
    FailPicture("ICO", "the icon directory is truncated");
  TEntry Best;
  for (size_t I = 0; I < Count; ++I) {
    const uint8_t* D = Data + 6 + I * 16;
    const uint32_t Bytes = GetLE32(D + 8), Offset = GetLE32(D + 12);
    if (Offset > Size || Bytes > Size - Offset)
      FailPicture("ICO", "an image lies outside the file");
    TEntry E;
    E.Data = Data + Offset;
    E.Size = Bytes;
    E.Pixels = int64_t(D[0] ? D[0] : 256) * (D[1] ? D[1] : 256);
    E.Depth = GetLE16(D + 6);
    MeasureEntry(E);
    if (!Best.Data || E.Pixels > Best.Pixels || (E.Pixels == Best.Pixels && E.Depth > Best.Depth))
      Best = E;
  }
  if (IsPng(Best.Data, Best.Size)) {
    TPicture P = ReadPngImage(Best.Data, Best.Size, MaxPixels);
    return P;
  }
  return DecodeDib(Best.Data, Best.Size, MaxPixels);
}
