#include "tga_reader.h"

#include <vector>

#include "codec_support.h"
#include "exceptions.h"

using namespace codec_detail;

namespace {

constexpr size_t HeaderSize = 18;

enum TTgaKind { tkMapped, tkTrueColor, tkGrey };

inline uint8_t Expand5(uint32_t V) {
  return uint8_t((V * 255 + 15) / 31);
}

// A 15/16/24/32-bit little-endian B, G, R(, A) value as TColor32. 15 and 16-bit values are
// opaque: writers disagree on what the top bit means, and many leave garbage in it.
inline TColor32 DecodeColor(const uint8_t* P, int Bytes) {
  switch (Bytes) {
    case 2: {
      const uint32_t V = GetLE16(P);
      return MakeColor(Expand5((V >> 10) & 31), Expand5((V >> 5) & 31), Expand5(V & 31));
    }
    case 3:
      return MakeColor(P[2], P[1], P[0]);
    default:
      return MakeColor(P[2], P[1], P[0], P[3]);
  }
}

// Pixel values one after another as the file stores them, RLE packets running on across
// scan lines where a writer made them so.
class TTgaStream {
 public:
  TTgaStream(const uint8_t* Data, size_t Size, int Bytes, bool Rle)
      : FData(Data), FSize(Size), FBytes(size_t(Bytes)), FRle(Rle) {}

  // The next pixel's bytes, or nullptr when the data ends early.
  const uint8_t* Next() {
    if (!FRle) {
      if (FSize - FPos < FBytes)
        return nullptr;
      const uint8_t* P = FData + FPos;
      FPos += FBytes;
      return P;
    }
    if (FLeft == 0) {
      if (FPos >= FSize)
        return nullptr;
      const uint8_t Header = FData[FPos++];
      FLeft = (Header & 0x7Fu) + 1;
      FRepeat = (Header & 0x80) != 0;
      if (FRepeat) {
        if (FSize - FPos < FBytes)
          return nullptr;
        FValue = FData + FPos;
        FPos += FBytes;
      }
    }
    --FLeft;
    if (FRepeat)
      return FValue;
    if (FSize - FPos < FBytes)
      return nullptr;
    const uint8_t* P = FData + FPos;
    FPos += FBytes;
    return P;
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FBytes;
  bool FRle;
  size_t FPos = 0;
  uint32_t FLeft = 0;
  bool FRepeat = false;
  const uint8_t* FValue = nullptr;
};

// 32-bit colours whose alpha bytes are all 0 come from writers that leave the byte unused.
void OpaqueWhenAlphaUnused(TColor32* Colors, size_t Count) {
  for (size_t I = 0; I < Count; ++I)
    if (Colors[I] >> 24)
      return;
  for (size_t I = 0; I < Count; ++I) Colors[I] |= 0xFF000000u;
}

}  // namespace

TPicture ReadTgaImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size < HeaderSize)
    FailPicture("TGA", "the TGA header is truncated");
  const uint8_t IdLength = Data[0], MapType = Data[1], ImageType = Data[2];
  const uint32_t MapFirst = GetLE16(Data + 3), MapLength = GetLE16(Data + 5);
  const uint8_t MapEntryBits = Data[7];
  const int64_t W = GetLE16(Data + 12), H = GetLE16(Data + 14);
  const uint8_t Depth = Data[16], Descriptor = Data[17];
  const bool RightToLeft = (Descriptor & 0x10) != 0, TopDown = (Descriptor & 0x20) != 0;

  TTgaKind Kind;
  switch (ImageType & ~8) {
    case 1:
      Kind = tkMapped;
      break;
    case 2:
      Kind = tkTrueColor;
      break;
    case 3:
      Kind = tkGrey;
      break;
    default:
      FailPicture("TGA", "unsupported image type " + std::to_string(ImageType));
  }
  const bool Rle = (ImageType & 8) != 0;
  if (MapType > 1)
    FailPicture("TGA", "unknown colour map type");
  const bool DepthOk = Kind == tkMapped ? (Depth == 8 || Depth == 16)
                       : Kind == tkGrey
                           ? (Depth == 8 || Depth == 16)
                           : (Depth == 15 || Depth == 16 || Depth == 24 || Depth == 32);
  if (!DepthOk)
    FailPicture("TGA", "unsupported pixel depth " + std::to_string(Depth));
  if (Kind == tkMapped && MapType != 1)
    FailPicture("TGA", "the colour map is missing");
  CheckPictureSize("TGA", W, H, MaxPixels);

  size_t Pos = HeaderSize + IdLength;
  std::vector<TColor32> Map;
  if (MapType == 1) {
    const int EntryBytes = (MapEntryBits + 7) / 8;
    if (MapEntryBits != 15 && MapEntryBits != 16 && MapEntryBits != 24 && MapEntryBits != 32)
      FailPicture("TGA", "unsupported colour map entry size " + std::to_string(MapEntryBits));
    const size_t MapBytes = size_t(MapLength) * size_t(EntryBytes);
    if (Pos > Size || Size - Pos < MapBytes)
      FailPicture("TGA", "the colour map is truncated");
    if (Kind == tkMapped) {
      Map.resize(MapLength);
      for (uint32_t I = 0; I < MapLength; ++I)
        Map[I] = DecodeColor(Data + Pos + size_t(I) * size_t(EntryBytes), EntryBytes);
      if (EntryBytes == 4)
        OpaqueWhenAlphaUnused(Map.data(), Map.size());
    }
    Pos += MapBytes;  // a map in a true-colour or grey file is not needed
  }
  if (Pos > Size)
    FailPicture("TGA", "the picture data is truncated");

  const int Bytes = (Depth + 7) / 8;
  const uint64_t Pixels = uint64_t(W) * uint64_t(H), Available = Size - Pos;
  // Each RLE packet (1 byte and at least one pixel value) yields at most 128 pixels.
  if ((Rle ? (Available / uint64_t(1 + Bytes) + 1) * 128 : Available / uint64_t(Bytes)) < Pixels)
    FailPicture("TGA", "the picture data is truncated");

  TPicture P = MakeGraphic(int32_t(W), int32_t(H));
  TTgaStream Stream(Data + Pos, Size - Pos, Bytes, Rle);
  for (int64_t Row = 0; Row < H; ++Row) {
    const int64_t Y = TopDown ? Row : H - 1 - Row;
    TColor32* Dst = P.Pixels.data() + size_t(Y) * size_t(W);
    for (int64_t Col = 0; Col < W; ++Col) {
      const uint8_t* V = Stream.Next();
      if (!V)
        FailPicture("TGA", "the picture data is truncated");
      TColor32 C;
      if (Kind == tkMapped) {
        const uint32_t Index = Bytes == 1 ? V[0] : GetLE16(V);
        C = Index >= MapFirst && Index - MapFirst < Map.size() ? Map[Index - MapFirst]
                                                               : 0xFF000000u;
      } else if (Kind == tkGrey) {
        C = MakeColor(V[0], V[0], V[0], Bytes == 2 ? V[1] : 255);
      } else {
        C = DecodeColor(V, Bytes);
      }
      Dst[RightToLeft ? W - 1 - Col : Col] = C;
    }
  }
  if (Kind == tkTrueColor && Bytes == 4)
    OpaqueWhenAlphaUnused(P.Pixels.data(), P.Pixels.size());
  return P;
}
