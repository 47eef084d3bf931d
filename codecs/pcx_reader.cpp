#include "pcx_reader.h"

#include <algorithm>
#include <vector>

#include "codec_support.h"
#include "exceptions.h"

using namespace codec_detail;

namespace {

constexpr size_t HeaderSize = 128;

// The EGA palette of version 3 files, which carry none of their own.
constexpr uint8_t DefaultEgaPalette[48] = {0,   0,  0,  0,   0,  170, 0,   170, 0,  0,   170, 170,
                                           170, 0,  0,  170, 0,  170, 170, 85,  0,  170, 170, 170,
                                           85,  85, 85, 85,  85, 255, 85,  255, 85, 85,  255, 255,
                                           255, 85, 85, 255, 85, 255, 255, 255, 85, 255, 255, 255};

// The decoded bytes of one scan line after another (every plane of a line in turn). RLE runs
// may run on into the next line, as some writers produce them.
class TPcxStream {
 public:
  TPcxStream(const uint8_t* Data, size_t Size, bool Rle) : FData(Data), FSize(Size), FRle(Rle) {}

  bool ReadLine(uint8_t* Out, size_t Count) {
    size_t Done = 0;
    while (Done < Count) {
      if (FRun > 0) {
        const size_t N = std::min<size_t>(FRun, Count - Done);
        std::fill(Out + Done, Out + Done + N, FRunValue);
        FRun -= uint32_t(N);
        Done += N;
        continue;
      }
      if (FPos >= FSize)
        return false;
      const uint8_t B = FData[FPos++];
      if (FRle && (B & 0xC0) == 0xC0) {
        if (FPos >= FSize)
          return false;
        FRun = B & 0x3F;
        FRunValue = FData[FPos++];
      } else {
        Out[Done++] = B;
      }
    }
    return true;
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  bool FRle;
  size_t FPos = 0;
  uint32_t FRun = 0;
  uint8_t FRunValue = 0;
};

}  // namespace

TPicture ReadPcxImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size < HeaderSize || Data[0] != 0x0A)
    FailPicture("PCX", "the PCX header is missing");
  const uint8_t Version = Data[1], Encoding = Data[2], Bits = Data[3], Planes = Data[65];
  if (Encoding > 1)
    FailPicture("PCX", "unknown encoding " + std::to_string(Encoding));
  const int64_t XMin = GetLE16(Data + 4), YMin = GetLE16(Data + 6);
  const int64_t XMax = GetLE16(Data + 8), YMax = GetLE16(Data + 10);
  const size_t BytesPerLine = GetLE16(Data + 66);
  CheckPictureSize("PCX", XMax - XMin + 1, YMax - YMin + 1, MaxPixels);
  const int32_t W = int32_t(XMax - XMin + 1), H = int32_t(YMax - YMin + 1);

  const bool Mono = Bits == 1 && Planes == 1;
  const bool PlanarIndexed = Bits == 1 && Planes >= 2 && Planes <= 4;
  const bool PackedIndexed = (Bits == 2 || Bits == 4) && Planes == 1;
  const bool Indexed8 = Bits == 8 && Planes == 1;
  const bool TrueColor = Bits == 8 && (Planes == 3 || Planes == 4);
  if (!Mono && !PlanarIndexed && !PackedIndexed && !Indexed8 && !TrueColor)
    FailPicture("PCX", "unsupported layout of " + std::to_string(Bits) + " bits in " +
                           std::to_string(Planes) + " planes");
  if (BytesPerLine * 8 < size_t(W) * Bits)
    FailPicture("PCX", "the scan lines are shorter than the picture is wide");

  // Every run of two bytes yields at most 63 bytes: a file too short for the declared picture is
  // refused before the picture is allocated.
  const uint64_t Needed = uint64_t(BytesPerLine) * Planes * uint64_t(H);
  const uint64_t Available = Size - HeaderSize;
  if ((Encoding == 1 ? (Available / 2 + 1) * 63 : Available) < Needed)
    FailPicture("PCX", "the picture data is truncated");

  TColor32 Palette[256];
  for (int I = 0; I < 256; ++I) Palette[I] = 0xFF000000u;
  if (Mono) {
    Palette[1] = 0xFFFFFFFFu;
  } else if (PlanarIndexed || PackedIndexed) {
    const uint8_t* Pal = Version == 3 ? DefaultEgaPalette : Data + 16;
    for (int I = 0; I < 16; ++I) Palette[I] = MakeColor(Pal[I * 3], Pal[I * 3 + 1], Pal[I * 3 + 2]);
  } else if (Indexed8) {
    if (Size >= HeaderSize + 769 && Data[Size - 769] == 0x0C) {
      const uint8_t* Pal = Data + Size - 768;
      for (int I = 0; I < 256; ++I)
        Palette[I] = MakeColor(Pal[I * 3], Pal[I * 3 + 1], Pal[I * 3 + 2]);
    } else {
      for (int I = 0; I < 256; ++I) Palette[I] = MakeColor(I, I, I);
    }
  }

  TPicture P = MakeGraphic(W, H);
  TPcxStream Stream(Data + HeaderSize, Size - HeaderSize, Encoding == 1);
  std::vector<uint8_t> Line(BytesPerLine * Planes);
  for (int32_t Y = 0; Y < H; ++Y) {
    if (!Stream.ReadLine(Line.data(), Line.size()))
      FailPicture("PCX", "the picture data is truncated");
    TColor32* Dst = P.Pixels.data() + size_t(Y) * size_t(W);
    const uint8_t* L = Line.data();
    for (int32_t X = 0; X < W; ++X) {
      if (TrueColor) {
        const uint8_t A = Planes == 4 ? L[X + 3 * BytesPerLine] : 255;
        Dst[X] = MakeColor(L[X], L[X + BytesPerLine], L[X + 2 * BytesPerLine], A);
      } else if (Indexed8) {
        Dst[X] = Palette[L[X]];
      } else if (PackedIndexed) {
        const int PerByte = 8 / Bits, Shift = 8 - Bits * (X % PerByte + 1);
        Dst[X] = Palette[(L[X / PerByte] >> Shift) & ((1 << Bits) - 1)];
      } else {
        // One bit per plane; plane 0 holds the lowest bit of the index.
        int Index = 0;
        for (int Plane = 0; Plane < Planes; ++Plane)
          Index |= ((L[size_t(Plane) * BytesPerLine + size_t(X / 8)] >> (7 - X % 8)) & 1) << Plane;
        Dst[X] = Palette[Index];
      }
    }
  }
  return P;
}
