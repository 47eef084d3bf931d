// Saving and opening a large project, side by side with copying a file of the same size with
// the standard library (RefCopyFile): the project paths should cost about what moving the
// bytes costs.
//
// The card: a 3508 x 2480 canvas (A4 at 300 dpi) and ten 2000 x 1500 photo layers, about
// 150 MB on disk. Files go to $PELMORA_BENCH_DIR, else the system's temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bitmap_layer.h"
#include "card_document.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

constexpr int CanvasWidth = 3508, CanvasHeight = 2480;
constexpr int LayerCount = 10, LayerWidth = 2000, LayerHeight = 1500;

void Fill(TBitmap32& B, uint32_t Seed) {
  uint32_t X = Seed * 2654435761u + 1;
  TColor32* P = B.Bits();
  for (size_t I = 0, N = size_t(B.Width()) * B.Height(); I < N; ++I) {
    X ^= X << 13;
    X ^= X >> 17;
    X ^= X << 5;
    P[I] = X;
  }
}

struct TBenchCard {
  TImgView32 View;
  TCardDocument Doc{View};
  fs::path Dir;

  TBenchCard() {
    const char* Env = std::getenv("PELMORA_BENCH_DIR");
    Dir = fs::path(Env != nullptr ? Env : fs::temp_directory_path().string()) /
          ("pelmora_project_bench_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Doc.NewCanvas(CanvasWidth, CanvasHeight, 0xFFFFFFFF);
    Fill(Doc.Canvas(), 0);
    TBitmap32 Photo;
    Photo.SetSize(LayerWidth, LayerHeight);
    for (int I = 0; I < LayerCount; ++I) {
      Fill(Photo, uint32_t(I + 1));
      TBitmapLayer* L = Doc.AddPictureLayer(Photo, 255);
      L->SetLocation({float(I * 100), float(I * 50), float(I * 100 + 1000), float(I * 50 + 750)});
    }
    WriteProject(Doc, Saved());
  }
  ~TBenchCard() { fs::remove_all(Dir); }

  std::string Saved() const { return (Dir / "saved.kvt").string(); }
  std::string Target() const { return (Dir / "target.kvt").string(); }
};

TBenchCard& Card() {
  static TBenchCard C;
  return C;
}

void BM_SaveProject(benchmark::State& State) {
  TBenchCard& C = Card();
  for (auto _ : State) WriteProject(C.Doc, C.Target());
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(fs::file_size(C.Target())));
}

void BM_OpenProject(benchmark::State& State) {
  TBenchCard& C = Card();
  TImgView32 View;
  TCardDocument Doc(View);
  for (auto _ : State) ReadProject(C.Saved(), Doc);
  if (Doc.Layers().Count() != LayerCount + 1)
    State.SkipWithError("layers lost");
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(fs::file_size(C.Saved())));
}

// The reference: the same number of bytes read from one file and written to another.
void RefCopyFile(const std::string& From, const std::string& To) {
  std::ifstream In(From, std::ios::binary);
  std::ofstream Out(To, std::ios::binary | std::ios::trunc);
  Out << In.rdbuf();
}

void BM_RefCopyFile(benchmark::State& State) {
  TBenchCard& C = Card();
  for (auto _ : State) RefCopyFile(C.Saved(), C.Target());
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(fs::file_size(C.Saved())));
}

// The same with the copy left to the system (std::filesystem::copy_file), into a fresh file.
void BM_RefCopyFileSystem(benchmark::State& State) {
  TBenchCard& C = Card();
  for (auto _ : State) {
    fs::remove(C.Target());
    fs::copy_file(C.Saved(), C.Target());
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(fs::file_size(C.Saved())));
}

}  // namespace

BENCHMARK(BM_RefCopyFileSystem)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_RefCopyFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

BENCHMARK_MAIN();
