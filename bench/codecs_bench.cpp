// Throughput of the picture codecs on an 8.7-megapixel photo-like picture (3600 x 2420, smooth
// gradients plus noise), each next to the same library called directly ("Ref..."), with the
// same settings and the same pixel layout, so that the difference is what our wrapper adds.
// Every benchmark reports bytes/s of decoded pixels at 4 bytes per pixel.
//
// JPEG: quality 90 and 100 (4:4:4, optimised Huffman tables), decoded to B, G, R, A rows.
// PNG: 8-bit RGB; decoding a file of zlib's default level and libpng's default filters; encoding
// A4 cards at 300 dpi with the export's settings and with libpng's defaults, each reporting the
// file size ("bytes") and its ratio to libpng's ("vsLibpng").
// TIFF: 8-bit RGB, LZW with the horizontal predictor, strips of libtiff's default size; decoded
// through TIFFReadRGBAImageOriented.
// Decoders allocate their output picture in every iteration, as a real caller does.
// JpegLoad decodes into the bitmap a document keeps, as opening a photo does (JpegReadAssign: the
// decoded picture assigned to it); they and RefJpegDecode report "peakBytesPerPixel", the peak
// resident memory above the start of the benchmark per decoded pixel (the pixels alone are 4).
#include <benchmark/benchmark.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "jpeg_codec.h"
#include "png_codec.h"
#include "tiff_codec.h"

namespace {

constexpr int32_t Width = 3600;
constexpr int32_t Height = 2420;

const TBitmap32& Photo() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(Width, Height);
    std::mt19937 Gen(7);
    std::normal_distribution<double> Noise(0.0, 6.0);
    const auto Clamp = [](double V) { return uint32_t(std::min(255.0, std::max(0.0, V))); };
    for (int32_t Y = 0; Y < Height; ++Y)
      for (int32_t X = 0; X < Width; ++X) {
        const double U = double(X) / Width, V = double(Y) / Height;
        const uint32_t R = Clamp(60 + 150 * U + 30 * V + Noise(Gen));
        const uint32_t G = Clamp(200 - 120 * V + 20 * U * V + Noise(Gen));
        const uint32_t B = Clamp(90 + 100 * (U - V) * (U - V) + Noise(Gen));
        P->SetPixel(X, Y, 0xFF000000u | (R << 16) | (G << 8) | B);
      }
    return P;
  }();
  return B;
}

void SetPixelsProcessed(benchmark::State& State) {
  State.SetBytesProcessed(int64_t(State.iterations()) * Width * Height * 4);
}

// A field of /proc/self/status in bytes (0 when absent).
int64_t StatusBytes(const char* Field) {
  std::ifstream F("/proc/self/status");
  std::string Line;
  const size_t N = std::strlen(Field);
  while (std::getline(F, Line))
    if (Line.compare(0, N, Field) == 0)
      return std::stoll(Line.substr(N)) * 1024;
  return 0;
}

// Starts a new peak of resident memory and returns the memory now resident.
int64_t StartPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusBytes("VmRSS:");
}

void SetPeakPerPixel(benchmark::State& State, int64_t Start) {
  State.counters["peakBytesPerPixel"] =
      double(StatusBytes("VmHWM:") - Start) / (double(Width) * Height);
}

// --- JPEG -------------------------------------------------------------------------------------

std::vector<uint8_t> RefJpegEncodeOnce(int Quality) {
  jpeg_compress_struct Info;
  jpeg_error_mgr Err;
  Info.err = jpeg_std_error(&Err);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = Width;
  Info.image_height = Height;
  Info.input_components = 4;
  Info.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  if (Quality >= 90)
    Info.comp_info[0].h_samp_factor = Info.comp_info[0].v_samp_factor = 1;
  jpeg_start_compress(&Info, TRUE);
  const auto* Bits = reinterpret_cast<const uint8_t*>(Photo().Bits());
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = const_cast<JSAMPROW>(Bits + size_t(Info.next_scanline) * Width * 4);
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  std::vector<uint8_t> Out(Buffer, Buffer + Size);
  std::free(Buffer);
  return Out;
}

const std::vector<uint8_t>& JpegFile(int Quality) {
  static const std::vector<uint8_t> Q90 = EncodeJpeg(Photo(), 90), Q100 = EncodeJpeg(Photo(), 100);
  return Quality == 90 ? Q90 : Q100;
}

void JpegEncode(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(EncodeJpeg(Photo(), int(State.range(0))));
  SetPixelsProcessed(State);
}

void RefJpegEncode(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(RefJpegEncodeOnce(int(State.range(0))));
  SetPixelsProcessed(State);
}

void JpegDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = JpegFile(int(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(ReadJpegImage(File.data(), File.size()));
  SetPixelsProcessed(State);
}

void JpegLoad(benchmark::State& State) {
  const std::vector<uint8_t>& File = JpegFile(int(State.range(0)));
  const int64_t Start = StartPeak();
  for (auto _ : State) {
    TBitmap32 B;
    LoadJpegImage(File.data(), File.size(), B);
    benchmark::DoNotOptimize(B.Bits());
  }
  SetPixelsProcessed(State);
  SetPeakPerPixel(State, Start);
}

// The way a picture reached a bitmap before the loader: the decoded picture, then assigned.
void JpegReadAssign(benchmark::State& State) {
  const std::vector<uint8_t>& File = JpegFile(int(State.range(0)));
  const int64_t Start = StartPeak();
  for (auto _ : State) {
    TBitmap32 B;
    B.Assign(ReadJpegImage(File.data(), File.size()));
    benchmark::DoNotOptimize(B.Bits());
  }
  SetPixelsProcessed(State);
  SetPeakPerPixel(State, Start);
}

void RefJpegDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = JpegFile(int(State.range(0)));
  const int64_t Start = StartPeak();
  for (auto _ : State) {
    jpeg_decompress_struct Info;
    jpeg_error_mgr Err;
    Info.err = jpeg_std_error(&Err);
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, File.data(), File.size());
    jpeg_read_header(&Info, TRUE);
    Info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&Info);
    std::unique_ptr<uint8_t[]> Pixels(
        new uint8_t[size_t(Info.output_width) * Info.output_height * 4]);
    while (Info.output_scanline < Info.output_height) {
      JSAMPROW Row = Pixels.get() + size_t(Info.output_scanline) * Info.output_width * 4;
      jpeg_read_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_decompress(&Info);
    jpeg_destroy_decompress(&Info);
    benchmark::DoNotOptimize(Pixels.get());
  }
  SetPixelsProcessed(State);
  SetPeakPerPixel(State, Start);
}

// --- PNG --------------------------------------------------------------------------------------

void AppendToVector(png_structp Png, png_bytep Data, png_size_t Count) {
  auto* Out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(Png));
  Out->insert(Out->end(), Data, Data + Count);
}

void NoFlush(png_structp) {}

struct TMemory {
  const uint8_t* Data;
  size_t Size, Pos;
};

void ReadFromMemory(png_structp Png, png_bytep Out, png_size_t Count) {
  auto* M = static_cast<TMemory*>(png_get_io_ptr(Png));
  if (Count > M->Size - M->Pos)
    png_error(Png, "truncated");
  std::memcpy(Out, M->Data + M->Pos, Count);
  M->Pos += Count;
}

// Export-sized cards (A4 at 300 dpi, 3508 x 2480): a photo-like one (the picture above, its
// pattern stretched) and a flat-colour one (plain fills, a two-colour gradient band, framed
// boxes and thin stripes, as cards built from backgrounds and captions look).
constexpr int32_t CardWidth = 3508;
constexpr int32_t CardHeight = 2480;

const TBitmap32& PhotoCard() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(CardWidth, CardHeight);
    for (int32_t Y = 0; Y < CardHeight; ++Y)
      for (int32_t X = 0; X < CardWidth; ++X)
        P->SetPixel(X, Y, Photo().GetPixel(X * Width / CardWidth, Y * Height / CardHeight));
    return P;
  }();
  return B;
}

const TBitmap32& FlatCard() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(CardWidth, CardHeight);
    P->Clear(0xFFF4E8D0);
    for (int32_t Y = 300; Y < 700; ++Y) {
      const uint32_t T = uint32_t((Y - 300) * 255 / 400);
      P->FillRect(0, Y, CardWidth, Y + 1,
                  0xFF000000u | ((200 - T * 150 / 255) << 16) | ((40 + T / 2) << 8) | (90 + T / 3));
    }
    std::mt19937 Gen(3);
    for (int I = 0; I < 60; ++I) {
      const int32_t X = int32_t(Gen() % (CardWidth - 400)), Y = int32_t(Gen() % (CardHeight - 300));
      const int32_t W = 50 + int32_t(Gen() % 350), H = 30 + int32_t(Gen() % 270);
      const TColor32 C = 0xFF000000u | (Gen() & 0xFFFFFF);
      P->FillRect(X, Y, X + W, Y + H, C);
      P->FrameRectSafe(X - 3, Y - 3, X + W + 3, Y + H + 3, 0xFF202020);
    }
    for (int32_t X = 200; X < CardWidth - 200; X += 7)
      P->FillRect(X, 1900, X + 2, 2300, 0xFF806040);
    return P;
  }();
  return B;
}

const TBitmap32& Card(int64_t Which) {
  return Which == 0 ? PhotoCard() : FlatCard();
}

// libpng with its defaults: zlib level 6, every filter tried per row.
std::vector<uint8_t> RefPngEncodeOnce(const TBitmap32& Picture) {
  const int32_t W = Picture.Width(), H = Picture.Height();
  std::vector<png_bytep> Rows(static_cast<size_t>(H));
  for (int32_t Y = 0; Y < H; ++Y)
    Rows[size_t(Y)] = reinterpret_cast<png_bytep>(const_cast<TColor32*>(Picture.RowAddress(Y)));
  std::vector<uint8_t> Out;
  png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop Info = png_create_info_struct(Png);
  png_set_write_fn(Png, &Out, AppendToVector, NoFlush);
  png_set_IHDR(Png, Info, png_uint_32(W), png_uint_32(H), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(Png, Info);
  png_set_bgr(Png);
  png_set_filler(Png, 0, PNG_FILLER_AFTER);
  png_write_image(Png, Rows.data());
  png_write_end(Png, Info);
  png_destroy_write_struct(&Png, &Info);
  return Out;
}

size_t RefPngSize(int64_t Which) {
  static const size_t Sizes[2] = {RefPngEncodeOnce(PhotoCard()).size(),
                                  RefPngEncodeOnce(FlatCard()).size()};
  return Sizes[Which];
}

// The picture as libpng writes it by default, for the decoders.
const std::vector<uint8_t>& PngFile() {
  static const std::vector<uint8_t> File = RefPngEncodeOnce(Photo());
  return File;
}

void ReportSize(benchmark::State& State, size_t Size, int64_t Which) {
  State.counters["bytes"] = double(Size);
  State.counters["vsLibpng"] = double(Size) / double(RefPngSize(Which));
}

// The export's own settings. Argument: 0 photo-like card, 1 flat-colour card.
void PngEncode(benchmark::State& State) {
  size_t Size = RefPngSize(State.range(0));  // makes the card before the clock runs
  for (auto _ : State) Size = EncodePng(Card(State.range(0))).size();
  ReportSize(State, Size, State.range(0));
  SetPixelsProcessed(State);
}

// The choices the export's settings were picked from. Arguments: card (0 photo-like, 1 flat
// colour), zlib level, strategy (TPngStrategy: 0 default, 1 filtered, 3 runs only, 4 automatic),
// filter (TPngFilter: 2 up, 4 Paeth, 5 adaptive), threads.
void PngEncodeWith(benchmark::State& State) {
  TPngOptions Options;
  Options.Level = int(State.range(1));
  Options.Strategy = TPngStrategy(State.range(2));
  Options.Filters = TPngFilter(State.range(3));
  Options.Threads = int(State.range(4));
  size_t Size = RefPngSize(State.range(0));  // makes the card before the clock runs
  for (auto _ : State) Size = EncodePng(Card(State.range(0)), Options).size();
  ReportSize(State, Size, State.range(0));
  SetPixelsProcessed(State);
}

void RefPngEncode(benchmark::State& State) {
  size_t Size = RefPngSize(State.range(0));  // makes the card before the clock runs
  for (auto _ : State) Size = RefPngEncodeOnce(Card(State.range(0))).size();
  ReportSize(State, Size, State.range(0));
  SetPixelsProcessed(State);
}

void PngDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = PngFile();
  for (auto _ : State) benchmark::DoNotOptimize(ReadPngImage(File.data(), File.size()));
  SetPixelsProcessed(State);
}

void RefPngDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = PngFile();
  for (auto _ : State) {
    TMemory M{File.data(), File.size(), 0};
    png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    png_set_read_fn(Png, &M, ReadFromMemory);
    png_read_info(Png, Info);
    png_set_expand(Png);
    png_set_scale_16(Png);
    png_set_gray_to_rgb(Png);
    png_set_add_alpha(Png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(Png);
    png_read_update_info(Png, Info);
    const png_uint_32 W = png_get_image_width(Png, Info), H = png_get_image_height(Png, Info);
    std::unique_ptr<uint8_t[]> Pixels(new uint8_t[size_t(W) * H * 4]);
    std::vector<png_bytep> Rows(H);
    for (png_uint_32 Y = 0; Y < H; ++Y) Rows[Y] = Pixels.get() + size_t(Y) * W * 4;
    png_read_image(Png, Rows.data());
    png_read_end(Png, nullptr);
    png_destroy_read_struct(&Png, &Info, nullptr);
    benchmark::DoNotOptimize(Pixels.get());
  }
  SetPixelsProcessed(State);
}

// --- TIFF -------------------------------------------------------------------------------------

struct TTiffMemory {
  std::vector<uint8_t>* Out;
  const uint8_t* Data;
  size_t Size, Pos;
};

tmsize_t TiffRead(thandle_t H, void* Buf, tmsize_t N) {
  auto* M = static_cast<TTiffMemory*>(H);
  const size_t Count = std::min(size_t(N), M->Size - std::min(M->Size, M->Pos));
  std::memcpy(Buf, M->Data + M->Pos, Count);
  M->Pos += Count;
  return tmsize_t(Count);
}

tmsize_t TiffWrite(thandle_t H, void* Buf, tmsize_t N) {
  auto* M = static_cast<TTiffMemory*>(H);
  if (M->Pos + size_t(N) > M->Out->size())
    M->Out->resize(M->Pos + size_t(N));
  std::memcpy(M->Out->data() + M->Pos, Buf, size_t(N));
  M->Pos += size_t(N);
  M->Size = M->Out->size();
  return N;
}

toff_t TiffSeek(thandle_t H, toff_t Off, int Whence) {
  auto* M = static_cast<TTiffMemory*>(H);
  M->Pos = size_t((Whence == SEEK_CUR ? M->Pos : Whence == SEEK_END ? M->Size : 0) + Off);
  return M->Pos;
}

int TiffClose(thandle_t) {
  return 0;
}
toff_t TiffSize(thandle_t H) {
  return static_cast<TTiffMemory*>(H)->Size;
}
int TiffMap(thandle_t H, void** Base, toff_t* Size) {
  auto* M = static_cast<TTiffMemory*>(H);
  if (!M->Data)
    return 0;
  *Base = const_cast<uint8_t*>(M->Data);
  *Size = M->Size;
  return 1;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

const std::vector<uint8_t>& TiffFile() {
  static const std::vector<uint8_t> File = EncodeTiff(Photo());
  return File;
}

void TiffEncode(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(EncodeTiff(Photo()));
  SetPixelsProcessed(State);
}

void RefTiffEncode(benchmark::State& State) {
  std::vector<uint8_t> Row(size_t(Width) * 3);
  for (auto _ : State) {
    std::vector<uint8_t> Out;
    TTiffMemory M{&Out, nullptr, 0, 0};
    TIFF* T = TIFFClientOpen("bench", "w", &M, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                             TiffMap, TiffUnmap);
    TIFFSetField(T, TIFFTAG_IMAGEWIDTH, uint32_t(Width));
    TIFFSetField(T, TIFFTAG_IMAGELENGTH, uint32_t(Height));
    TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(T, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(T, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(T, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(T, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(T, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(T, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(T, 0));
    for (int32_t Y = 0; Y < Height; ++Y) {
      const TColor32* Src = Photo().RowAddress(Y);
      for (int32_t X = 0; X < Width; ++X) {
        Row[size_t(X) * 3] = uint8_t(Src[X] >> 16);
        Row[size_t(X) * 3 + 1] = uint8_t(Src[X] >> 8);
        Row[size_t(X) * 3 + 2] = uint8_t(Src[X]);
      }
      TIFFWriteScanline(T, Row.data(), uint32_t(Y), 0);
    }
    TIFFWriteDirectory(T);
    TIFFClose(T);
    benchmark::DoNotOptimize(Out.data());
  }
  SetPixelsProcessed(State);
}

void TiffDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = TiffFile();
  for (auto _ : State) benchmark::DoNotOptimize(ReadTiffImage(File.data(), File.size()));
  SetPixelsProcessed(State);
}

void RefTiffDecode(benchmark::State& State) {
  const std::vector<uint8_t>& File = TiffFile();
  for (auto _ : State) {
    TTiffMemory M{nullptr, File.data(), File.size(), 0};
    TIFF* T = TIFFClientOpen("bench", "r", &M, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                             TiffMap, TiffUnmap);
    uint32_t W = 0, H = 0;
    TIFFGetField(T, TIFFTAG_IMAGEWIDTH, &W);
    TIFFGetField(T, TIFFTAG_IMAGELENGTH, &H);
    std::unique_ptr<uint32_t[]> Pixels(new uint32_t[size_t(W) * H]);
    TIFFReadRGBAImageOriented(T, W, H, Pixels.get(), ORIENTATION_TOPLEFT, 1);
    TIFFClose(T);
    benchmark::DoNotOptimize(Pixels.get());
  }
  SetPixelsProcessed(State);
}

}  // namespace

BENCHMARK(JpegDecode)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegLoad)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegReadAssign)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefJpegDecode)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegEncode)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefJpegEncode)->Arg(90)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefPngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
// CPU times of the encoders count every thread of the process.
BENCHMARK(PngEncode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(RefPngEncode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(PngEncodeWith)
    ->ArgsProduct({{0, 1}, {1, 6}, {pzDefault, pzFiltered}, {pngAdaptive}, {2}})
    ->ArgsProduct({{0, 1}, {1}, {pzRle}, {pngAdaptive}, {2}})
    ->ArgsProduct({{0, 1}, {4, 6}, {pzAuto}, {pngAdaptive}, {1, 2}})
    ->ArgsProduct({{0, 1}, {6}, {pzAuto}, {pngUp, pngPaeth}, {2}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(TiffDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefTiffDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TiffEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefTiffEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
