// The thumbnail picker over a folder of 1000 photo-like JPEGs of 3000 x 2000 (4:2:0, quality 85,
// about a camera's file size), next to libjpeg-turbo alone decoding the same files at the same
// reduced DCT scale ("RefLibjpegReducedScale": one thread, BGRA rows, nothing kept).
//
// "ThumbviewFolder" scans the folder with the picker's model as a window does: cells first,
// then the pictures from the loader's threads. It reports first20_ms (until the first 20 cells
// have their pictures) with first20_cpu_ms (the CPU time spent by then), total_ms (until the last
// one), ratio (total against the reference) and cpu_ms and cpu_ratio (the process's CPU time, every
// thread, against the reference's: the fairer comparison on a busy machine), peak_rss_mb (getrusage
// of this process; the folder is made in a child process so that does not count) and kept_mb (the
// pictures the cells keep). The argument is the number of loader threads (0: the picker's default).
//
// The folder is made once and kept in $TMPDIR/pelmora-thumbs-bench (or the folder named by
// PELMORA_THUMBS_BENCH_DIR); PELMORA_THUMBS_BENCH_FILES sets another number of files.
#include <benchmark/benchmark.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bitmap32.h"
#include "file_io.h"
#include "jpeg_codec.h"
#include "jpeg_thumbnail.h"
#include "thumb_files.h"
#include "thumbview_model.h"

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

constexpr int32_t PhotoWidth = 3000;
constexpr int32_t PhotoHeight = 2000;
constexpr int32_t Box = 200;  // the picker's MaxWidth and MaxHeight

int FileCount() {
  const char* E = std::getenv("PELMORA_THUMBS_BENCH_FILES");
  return E ? std::max(1, std::atoi(E)) : 1000;
}

fs::path Folder() {
  if (const char* E = std::getenv("PELMORA_THUMBS_BENCH_DIR"))
    return E;
  return fs::temp_directory_path() / "pelmora-thumbs-bench";
}

uint32_t Hash(uint32_t X) {
  X ^= X >> 16;
  X *= 0x7feb352dU;
  X ^= X >> 15;
  X *= 0x846ca68bU;
  X ^= X >> 16;
  return X;
}

// A landscape: sky with a sun, hills with a textured meadow, and sensor noise everywhere.
void DrawPhoto(TBitmap32& B, uint32_t Seed) {
  const double Phase = (Seed % 97) / 15.0, Phase2 = (Seed % 31) / 5.0;
  const double SunX = 400 + (Seed * 37) % 2200, SunY = 300 + (Seed * 13) % 500;
  std::vector<int32_t> Ridge(PhotoWidth);
  for (int32_t X = 0; X < PhotoWidth; ++X)
    Ridge[size_t(X)] = int32_t(1150 + 180 * std::sin(X / 410.0 + Phase) +
                               70 * std::sin(X / 93.0 + Phase2) + 20 * std::sin(X / 17.0));
  const auto C = [](int V) { return uint32_t(std::clamp(V, 0, 255)); };
  uint32_t Rng = Seed * 2654435761u + 1;
  for (int32_t Y = 0; Y < PhotoHeight; ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int32_t X = 0; X < PhotoWidth; ++X) {
      Rng = Rng * 1664525u + 1013904223u;
      const int N = int(Rng >> 29) - 4;  // sensor noise, -4..3
      int R, G, Bl;
      if (Y < Ridge[size_t(X)]) {
        const int T = Y * 256 / 1400;
        const double D = std::hypot(X - SunX, (Y - SunY) * 1.0);
        const int Glow = D < 90 ? 255 : int(120 * std::exp(-D / 260));
        R = 80 + T / 2 + Glow;
        G = 140 + T / 3 + Glow * 3 / 4;
        Bl = 235 - T / 4 + Glow / 4;
      } else {
        // Meadow: grass blades as hashed mid-frequency texture, darker with distance.
        const uint32_t H = Hash(uint32_t(X / 3) * 7919u + uint32_t(Y / 2) * 104729u + Seed);
        const int Blade = int(H & 63) - 32;
        const int Depth = (Y - Ridge[size_t(X)]) / 12;
        R = 50 + Depth / 3 + Blade / 2;
        G = 95 + Depth / 2 + Blade;
        Bl = 35 + Blade / 3;
      }
      Row[X] = 0xFF000000u | C(R + N) << 16 | C(G + N) << 8 | C(Bl + N);
    }
  }
}

std::string PhotoName(int I) {
  char N[32];
  std::snprintf(N, sizeof(N), "photo%04d.jpg", I);
  return N;
}

// Makes the folder in a child process (two threads) unless a complete one is there.
void EnsureFolder() {
  const fs::path Dir = Folder();
  const int Count = FileCount();
  const fs::path Marker = Dir / (".complete-" + std::to_string(Count));
  if (fs::exists(Marker))
    return;
  std::fprintf(stderr, "making %d photos of %d x %d in %s (once)...\n", Count, PhotoWidth,
               PhotoHeight, Dir.c_str());
  const pid_t Child = fork();
  if (Child == 0) {
    fs::create_directories(Dir);
    std::atomic<int> Next{0};
    const auto Work = [&] {
      TBitmap32 B;
      B.SetSize(PhotoWidth, PhotoHeight);
      for (int I; (I = Next++) < Count;) {
        const fs::path P = Dir / PhotoName(I);
        if (fs::exists(P))
          continue;
        DrawPhoto(B, uint32_t(I) + 1);
        SaveJpeg(B, P.string(), 85);
      }
    };
    std::thread T(Work);
    Work();
    T.join();
    std::ofstream(Marker).put('\n');
    std::_Exit(0);
  }
  int Status = 0;
  waitpid(Child, &Status, 0);
  if (!fs::exists(Marker)) {
    std::fprintf(stderr, "could not make the photos\n");
    std::exit(1);
  }
}

std::vector<std::string> Files() {
  return CollectThumbFiles(Folder().string(), true);
}

double PeakRssMb() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return double(U.ru_maxrss) / 1024.0;
}

// User and system time of the whole process (every thread), in seconds.
double ProcessCpuSeconds() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return double(U.ru_utime.tv_sec + U.ru_stime.tv_sec) +
         double(U.ru_utime.tv_usec + U.ru_stime.tv_usec) / 1e6;
}

double Seconds(TClock::time_point From) {
  return std::chrono::duration<double>(TClock::now() - From).count();
}

double GRefSeconds = 0;
double GRefCpuSeconds = 0;

// libjpeg-turbo alone: the file's bytes (as the picker reads them), header, the same scale,
// every row decoded into one reused BGRA row buffer.
void DecodeReduced(const std::vector<uint8_t>& Data, std::vector<uint8_t>& Rows) {
  jpeg_decompress_struct Info;
  jpeg_error_mgr Err;
  Info.err = jpeg_std_error(&Err);
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Data.data(), static_cast<unsigned long>(Data.size()));
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_EXT_BGRA;
  Info.scale_num = 1;
  Info.scale_denom =
      unsigned(JpegThumbnailScale(int32_t(Info.image_width), int32_t(Info.image_height), Box, Box));
  jpeg_start_decompress(&Info);
  Rows.resize(size_t(Info.output_width) * 4 * Info.output_height);
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = Rows.data() + size_t(Info.output_scanline) * Info.output_width * 4;
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
}

void RefLibjpegReducedScale(benchmark::State& State) {
  EnsureFolder();
  const std::vector<std::string> Paths = Files();
  std::vector<uint8_t> Rows;
  for (auto _ : State) {
    const auto Start = TClock::now();
    const double Cpu = ProcessCpuSeconds();
    for (const std::string& P : Paths) {
      const std::vector<uint8_t> Data = ReadFileBytes(P, size_t{1} << 30);
      DecodeReduced(Data, Rows);
      benchmark::DoNotOptimize(Rows.data());
    }
    GRefSeconds = Seconds(Start);
    GRefCpuSeconds = ProcessCpuSeconds() - Cpu;
  }
  State.counters["files"] = double(Paths.size());
  State.counters["total_ms"] = GRefSeconds * 1000;
  State.counters["cpu_ms"] = GRefCpuSeconds * 1000;
}

void ThumbviewFolder(benchmark::State& State) {
  EnsureFolder();
  const int32_t Workers = int32_t(State.range(0));
  double First20 = 0, First20Cpu = 0, Total = 0, Cpu = 0;
  size_t Kept = 0;
  int Broken = 0;
  for (auto _ : State) {
    TThumbviewModel M(nullptr, Workers);
    M.SetBounds(1000, 700);
    M.Painting();
    const auto Start = TClock::now();
    const double Cpu0 = ProcessCpuSeconds();
    M.SetDirectory(Folder().string());
    const int32_t Want = std::min(20, M.Count());
    First20 = -1;
    const auto FirstDone = [&] {
      for (int32_t I = 0; I < Want; ++I)
        if (M.Cell(I).State == TThumbCell::csLoading)
          return false;
      return true;
    };
    while (M.DeliverPictures(true))
      if (First20 < 0 && FirstDone()) {
        First20 = Seconds(Start);
        First20Cpu = ProcessCpuSeconds() - Cpu0;
      }
    Total = Seconds(Start);
    Cpu = ProcessCpuSeconds() - Cpu0;
    if (First20 < 0) {
      First20 = Total;
      First20Cpu = Cpu;
    }
    Kept = 0;
    Broken = 0;
    for (int32_t I = 0; I < M.Count(); ++I) {
      Kept += size_t(M.Cell(I).Picture.Shown.Stride()) * size_t(M.Cell(I).Picture.Shown.Height());
      Broken += M.Cell(I).State == TThumbCell::csBroken;
    }
    if (M.Count() != FileCount() || Broken != 0)
      State.SkipWithError("not every picture was read");
  }
  State.counters["workers"] = Workers > 0 ? Workers : TThumbLoader::DefaultWorkers();
  State.counters["first20_ms"] = First20 * 1000;
  State.counters["first20_cpu_ms"] = First20Cpu * 1000;
  State.counters["total_ms"] = Total * 1000;
  State.counters["cpu_ms"] = Cpu * 1000;
  if (GRefSeconds > 0)
    State.counters["ratio"] = Total / GRefSeconds;
  if (GRefCpuSeconds > 0)
    State.counters["cpu_ratio"] = Cpu / GRefCpuSeconds;
  State.counters["kept_mb"] = double(Kept) / (1 << 20);
  State.counters["peak_rss_mb"] = PeakRssMb();
}

}  // namespace

BENCHMARK(RefLibjpegReducedScale)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ThumbviewFolder)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
