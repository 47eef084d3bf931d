// PNG writer: 8-bit RGB or RGBA, rows filtered here and deflated with zlib in parts on as many
// threads as there are cores.
//
// The zlib stream is cut into parts of whole rows. Every part but the last is a raw deflate
// stream ended with a sync flush (byte-aligned, no final block), the last one ends the stream;
// one after another they form a single valid deflate stream, as pigz builds it. Each part
// starts with the 32 KiB of filtered bytes before it as its dictionary, so matches reach back
// over the cut just as in one stream, and the parts' Adler-32 sums are combined. The number of
// parts follows from the picture's size alone, so a picture gives the same file on any machine.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "bitmap32.h"
#include "exceptions.h"
#include "file_io.h"
#include "png_codec.h"

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t WindowSize = 32768;
constexpr int32_t MaxParts = 64;
// Largest IDAT chunk written; decoders read the stream across chunks.
constexpr size_t MaxChunkData = size_t{1} << 20;

void PutBE32(uint8_t* P, uint32_t V) {
  P[0] = uint8_t(V >> 24);
  P[1] = uint8_t(V >> 16);
  P[2] = uint8_t(V >> 8);
  P[3] = uint8_t(V);
}

// One picture row as PNG samples: R, G, B (and A) from the blue, green, red, alpha bytes.
void ToSamples(const TColor32* Src, int32_t Width, bool Alpha, uint8_t* Dst) {
  if (Alpha) {
    for (int32_t X = 0; X < Width; ++X, Dst += 4) {
      const TColor32 C = Src[X];
      Dst[0] = uint8_t(C >> 16);
      Dst[1] = uint8_t(C >> 8);
      Dst[2] = uint8_t(C);
      Dst[3] = uint8_t(C >> 24);
    }
  } else {
    for (int32_t X = 0; X < Width; ++X, Dst += 3) {
      const TColor32 C = Src[X];
      Dst[0] = uint8_t(C >> 16);
      Dst[1] = uint8_t(C >> 8);
      Dst[2] = uint8_t(C);
    }
  }
}

uint8_t PaethPredictor(int A, int B, int C) {
  const int P = A + B - C;
  const int PA = P > A ? P - A : A - P;
  const int PB = P > B ? P - B : B - P;
  const int PC = P > C ? P - C : C - P;
  if (PA <= PB && PA <= PC)
    return uint8_t(A);
  return uint8_t(PB <= PC ? B : C);
}

// Filters one row of N sample bytes (Bpp bytes per pixel) against the previous row Prev
// (zeros above the first row) into Out; returns the sum of the filtered bytes taken as signed,
// the measure by which the adaptive choice picks a filter.
uint64_t FilterRow(TPngFilter Type, const uint8_t* Cur, const uint8_t* Prev, size_t N, size_t Bpp,
                   uint8_t* Out) {
  switch (Type) {
    case pngNone:
      std::memcpy(Out, Cur, N);
      break;
    case pngSub:
      std::memcpy(Out, Cur, Bpp);
      for (size_t I = Bpp; I < N; ++I) Out[I] = uint8_t(Cur[I] - Cur[I - Bpp]);
      break;
    case pngUp:
      for (size_t I = 0; I < N; ++I) Out[I] = uint8_t(Cur[I] - Prev[I]);
      break;
    case pngAverage:
      for (size_t I = 0; I < Bpp; ++I) Out[I] = uint8_t(Cur[I] - (Prev[I] >> 1));
      for (size_t I = Bpp; I < N; ++I)
        Out[I] = uint8_t(Cur[I] - ((unsigned(Cur[I - Bpp]) + Prev[I]) >> 1));
      break;
    case pngPaeth:
      for (size_t I = 0; I < Bpp; ++I) Out[I] = uint8_t(Cur[I] - Prev[I]);
      for (size_t I = Bpp; I < N; ++I)
        Out[I] = uint8_t(Cur[I] - PaethPredictor(Cur[I - Bpp], Prev[I], Prev[I - Bpp]));
      break;
    case pngAdaptive:
      break;
  }
  uint64_t Sum = 0;
  for (size_t I = 0; I < N; ++I) Sum += Out[I] < 128 ? Out[I] : 256 - Out[I];
  return Sum;
}

// Rows of the picture as filtered PNG scan lines (filter byte first).
class TRowFilter {
 public:
  TRowFilter(const TColor32* Pixels, int32_t Width, bool Alpha, TPngFilter Filter)
      : FPixels(Pixels),
        FWidth(Width),
        FAlpha(Alpha),
        FFilter(Filter),
        FBpp(Alpha ? 4 : 3),
        FBytes(size_t(Width) * FBpp),
        FRows(2 * FBytes),
        FTrial(Filter == pngAdaptive ? 2 * FBytes : 0) {}

  size_t LineBytes() const { return FBytes + 1; }

  // Writes scan line Y into Out (LineBytes() bytes). Rows go in order; the first one asked for
  // may be any row.
  void Line(int32_t Y, uint8_t* Out) {
    uint8_t* Cur = FRows.data() + (Y & 1) * FBytes;
    uint8_t* Prev = FRows.data() + ((Y + 1) & 1) * FBytes;
    if (Y != FLastY + 1 || FLastY < 0) {
      // Starting out: the previous row is zeros above the first row.
      if (Y == 0)
        std::memset(Prev, 0, FBytes);
      else
        ToSamples(FPixels + size_t(Y - 1) * size_t(FWidth), FWidth, FAlpha, Prev);
    }
    ToSamples(FPixels + size_t(Y) * size_t(FWidth), FWidth, FAlpha, Cur);
    FLastY = Y;
    if (FFilter != pngAdaptive) {
      Out[0] = uint8_t(FFilter);
      FilterRow(FFilter, Cur, Prev, FBytes, FBpp, Out + 1);
      return;
    }
    // Least sum of signed filtered bytes over the five filters, ties to the lower type.
    uint8_t* Best = Out + 1;
    uint8_t* Try = FTrial.data();
    uint64_t BestSum = FilterRow(pngNone, Cur, Prev, FBytes, FBpp, Best);
    TPngFilter BestType = pngNone;
    for (const TPngFilter T : {pngSub, pngUp, pngAverage, pngPaeth}) {
      const uint64_t Sum = FilterRow(T, Cur, Prev, FBytes, FBpp, Try);
      if (Sum < BestSum) {
        BestSum = Sum;
        BestType = T;
        std::swap(Best, Try);
      }
    }
    if (Best != Out + 1)
      std::memcpy(Out + 1, Best, FBytes);
    Out[0] = uint8_t(BestType);
  }

 private:
  const TColor32* FPixels;
  int32_t FWidth;
  bool FAlpha;
  TPngFilter FFilter;
  size_t FBpp;
  size_t FBytes;
  std::vector<uint8_t> FRows;
  std::vector<uint8_t> FTrial;
  int32_t FLastY = -1;
};

// One part of the zlib stream: rows First..Last-1 deflated raw.
struct TPart {
  int32_t First = 0, Last = 0;
  bool Final = false;
  std::vector<uint8_t> Out;
  uLong Adler = 1;
  size_t InBytes = 0;
  std::exception_ptr Error;
};

class TDeflater {
 public:
  TDeflater(int Level, int Strategy) {
    if (deflateInit2(&FZ, Level, Z_DEFLATED, -15, 9, Strategy) != Z_OK)
      throw Exception("Не удалось записать картинку PNG: недостаточно памяти");
  }
  ~TDeflater() { deflateEnd(&FZ); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  void SetDictionary(const uint8_t* Data, size_t Size) {
    if (deflateSetDictionary(&FZ, Data, uInt(Size)) != Z_OK)
      throw Exception("Не удалось записать картинку PNG: ошибка сжатия");
  }

  // Compresses Size bytes onto Out, growing it as needed; Out ends at the compressed data once
  // a flush is asked for.
  void Put(const uint8_t* Data, size_t Size, int Flush, std::vector<uint8_t>& Out) {
    FZ.next_in = const_cast<Bytef*>(Data);
    FZ.avail_in = uInt(Size);
    for (;;) {
      if (Out.size() - FUsed < 64 * 1024)
        Out.resize(std::max(Out.size() * 2, FUsed + 256 * 1024));
      FZ.next_out = Out.data() + FUsed;
      FZ.avail_out = uInt(std::min<size_t>(Out.size() - FUsed, 1u << 30));
      const int R = deflate(&FZ, Flush);
      FUsed = size_t(FZ.next_out - Out.data());
      if (R == Z_STREAM_END)
        break;
      if (R != Z_OK && R != Z_BUF_ERROR)
        throw Exception("Не удалось записать картинку PNG: ошибка сжатия");
      // Done when all input is taken and zlib had room to spare for what the flush asks.
      if (FZ.avail_in == 0 && FZ.avail_out != 0 && Flush != Z_FINISH)
        break;
    }
    if (Flush != Z_NO_FLUSH)
      Out.resize(FUsed);
  }

 private:
  z_stream FZ{};
  size_t FUsed = 0;
};

// The part's filtered rows compressed with a fresh raw stream that starts from History.
std::vector<uint8_t> Compress(const std::vector<uint8_t>& History,
                              const std::vector<uint8_t>& Filtered, bool Final, int Level,
                              int Strategy) {
  TDeflater Z(Level, Strategy);
  if (!History.empty())
    Z.SetDictionary(History.data(), History.size());
  std::vector<uint8_t> Out;
  Out.reserve(Filtered.size() / 2 + 1024);
  // In slices, so that the sizes zlib counts in stay small.
  constexpr size_t Slice = size_t{1} << 30;
  for (size_t At = 0; At < Filtered.size(); At += Slice) {
    const size_t N = std::min(Slice, Filtered.size() - At);
    const bool Last = At + N == Filtered.size();
    Z.Put(Filtered.data() + At, N, !Last ? Z_NO_FLUSH : Final ? Z_FINISH : Z_SYNC_FLUSH, Out);
  }
  return Out;
}

int ZlibStrategy(TPngStrategy S) {
  switch (S) {
    case pzFiltered:
      return Z_FILTERED;
    case pzHuffman:
      return Z_HUFFMAN_ONLY;
    case pzRle:
    case pzAuto:
      return Z_RLE;
    case pzDefault:
      break;
  }
  return Z_DEFAULT_STRATEGY;
}

void DeflatePart(const TColor32* Pixels, int32_t Width, bool Alpha, const TPngOptions& Options,
                 TPart& Part) {
  TRowFilter Filter(Pixels, Width, Alpha, Options.Filters);
  const size_t Line = Filter.LineBytes();
  std::vector<uint8_t> History;
  if (Part.First > 0) {
    // The filtered bytes just before the part, as the history its matches may reach into.
    const int32_t Back =
        int32_t(std::min<size_t>((WindowSize + Line - 1) / Line, size_t(Part.First)));
    History.resize(size_t(Back) * Line);
    for (int32_t I = 0; I < Back; ++I)
      Filter.Line(Part.First - Back + I, History.data() + size_t(I) * Line);
    if (History.size() > WindowSize)
      History.erase(History.begin(), History.end() - ptrdiff_t(WindowSize));
  }
  std::vector<uint8_t> Filtered(size_t(Part.Last - Part.First) * Line);
  for (int32_t Y = Part.First; Y < Part.Last; ++Y)
    Filter.Line(Y, Filtered.data() + size_t(Y - Part.First) * Line);
  Part.Adler = adler32_z(1, Filtered.data(), Filtered.size());
  Part.InBytes = Filtered.size();
  Part.Out = Compress(History, Filtered, Part.Final, Options.Level, ZlibStrategy(Options.Strategy));
  // Runs alone suit photographs; what they shrink four times or more is flat colour, which
  // string matching compresses far better, and fast.
  if (Options.Strategy == pzAuto && Options.Level > 0 && Part.Out.size() * 4 <= Filtered.size()) {
    std::vector<uint8_t> Matched =
        Compress(History, Filtered, Part.Final, Options.Level, Z_FILTERED);
    if (Matched.size() < Part.Out.size())
      Part.Out = std::move(Matched);
  }
}

void AppendChunk(std::vector<uint8_t>& File, const char* Type, const uint8_t* Data, size_t Size) {
  uint8_t Head[8];
  PutBE32(Head, uint32_t(Size));
  std::memcpy(Head + 4, Type, 4);
  File.insert(File.end(), Head, Head + 8);
  File.insert(File.end(), Data, Data + Size);
  uLong Crc = crc32(0, Head + 4, 4);
  if (Size > 0)
    Crc = crc32_z(Crc, Data, Size);  // a null Data would restart the sum
  uint8_t Tail[4];
  PutBE32(Tail, uint32_t(Crc));
  File.insert(File.end(), Tail, Tail + 4);
}

// The zlib header's FLEVEL bits, as zlib itself sets them for the level.
uint8_t ZlibHeaderFlags(int Level) {
  const int FLevel = Level < 2 ? 0 : Level < 6 ? 1 : Level == 6 ? 2 : 3;
  const unsigned Cmf = 0x78;
  unsigned Flg = unsigned(FLevel) << 6;
  Flg += 31 - (Cmf * 256 + Flg) % 31;
  return uint8_t(Flg);
}

}  // namespace

int32_t PngPartCount(int32_t Width, int32_t Height, int64_t PixelsPerPart) {
  const int64_t Pixels = int64_t(Width) * Height;
  const int64_t Parts = Pixels / std::max<int64_t>(1, PixelsPerPart);
  return int32_t(std::clamp<int64_t>(Parts, 1, std::min<int64_t>(MaxParts, Height)));
}

std::vector<uint8_t> EncodePng(const TColor32* Pixels, int32_t Width, int32_t Height,
                               const TPngOptions& Options) {
  if (Width < 1 || Height < 1 || !Pixels)
    throw Exception("Пустую картинку нельзя сохранить как PNG");
  if (Options.Level < 0 || Options.Level > 9)
    throw Exception("Не удалось записать картинку PNG: неверная степень сжатия");
  const size_t N = size_t(Width) * size_t(Height);
  bool Alpha = false;
  for (size_t I = 0; I < N && !Alpha; ++I) Alpha = (Pixels[I] >> 24) != 0xFF;

  const int32_t PartCount = PngPartCount(Width, Height, Options.PixelsPerPart);
  std::vector<TPart> Parts(static_cast<size_t>(PartCount));
  for (int32_t P = 0; P < PartCount; ++P) {
    Parts[size_t(P)].First = int32_t(int64_t(Height) * P / PartCount);
    Parts[size_t(P)].Last = int32_t(int64_t(Height) * (P + 1) / PartCount);
    Parts[size_t(P)].Final = P == PartCount - 1;
  }
  // Parts are taken in order by the calling thread and the helpers.
  std::atomic<int32_t> Next{0};
  const auto Work = [&] {
    for (int32_t P; (P = Next.fetch_add(1)) < PartCount;) {
      TPart& Part = Parts[size_t(P)];
      try {
        DeflatePart(Pixels, Width, Alpha, Options, Part);
      } catch (...) {
        Part.Error = std::current_exception();
      }
    }
  };
  const unsigned Cores = Options.Threads > 0 ? unsigned(Options.Threads)
                                             : std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> Helpers;
  for (unsigned I = 1; I < std::min<unsigned>(Cores, unsigned(PartCount)); ++I) {
    try {
      Helpers.emplace_back(Work);
    } catch (const std::system_error&) {
      break;  // no more threads: the ones running share the parts
    }
  }
  Work();
  for (std::thread& T : Helpers) T.join();
  for (const TPart& Part : Parts)
    if (Part.Error)
      std::rethrow_exception(Part.Error);

  // The zlib stream: header, the parts in order, the combined Adler-32 of the filtered bytes.
  size_t StreamSize = 2 + 4;
  for (const TPart& Part : Parts) StreamSize += Part.Out.size();
  std::vector<uint8_t> Stream;
  Stream.reserve(StreamSize);
  Stream.push_back(0x78);
  Stream.push_back(ZlibHeaderFlags(Options.Level));
  uLong Adler = 1;
  for (const TPart& Part : Parts) {
    Stream.insert(Stream.end(), Part.Out.begin(), Part.Out.end());
    Adler = adler32_combine(Adler, Part.Adler, z_off_t(Part.InBytes));
  }
  uint8_t Sum[4];
  PutBE32(Sum, uint32_t(Adler));
  Stream.insert(Stream.end(), Sum, Sum + 4);

  std::vector<uint8_t> File;
  File.reserve(8 + 25 + 13 + Stream.size() + (Stream.size() / MaxChunkData + 1) * 12 + 12);
  File.insert(File.end(), PngSignature, PngSignature + 8);
  uint8_t Header[13];
  PutBE32(Header, uint32_t(Width));
  PutBE32(Header + 4, uint32_t(Height));
  Header[8] = 8;                             // bits per sample
  Header[9] = Alpha ? 6 : 2;                 // RGBA or RGB
  Header[10] = Header[11] = Header[12] = 0;  // deflate, adaptive filtering, not interlaced
  AppendChunk(File, "IHDR", Header, sizeof(Header));
  // The card's colours are sRGB; the chunk says so (rendering intent: perceptual).
  const uint8_t Intent = 0;
  AppendChunk(File, "sRGB", &Intent, 1);
  for (size_t At = 0; At < Stream.size(); At += MaxChunkData)
    AppendChunk(File, "IDAT", Stream.data() + At, std::min(MaxChunkData, Stream.size() - At));
  AppendChunk(File, "IEND", nullptr, 0);
  return File;
}

std::vector<uint8_t> EncodePng(const TBitmap32& Bitmap, const TPngOptions& Options) {
  return EncodePng(Bitmap.Bits(), Bitmap.Width(), Bitmap.Height(), Options);
}

void SavePng(const TBitmap32& Bitmap, const std::string& FileName) {
  const std::vector<uint8_t> Data = EncodePng(Bitmap);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}
