// Frames and layer masks on large pictures, one core: framing an 8.7-megapixel card (the whole
// build: the frame stretched over the output and the card copied into it) and a mask applied
// to a 6000 x 4000 layer (the mask read from a file or already in memory).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "bitmap32.h"
#include "frame_builder.h"
#include "layer_mask.h"
#include "picture_codecs.h"

namespace {

void FillNoise(TBitmap32& B, uint32_t Seed) {
  for (int32_t Y = 0; Y < B.Height(); ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      Row[X] = Seed | 0xFF000000u;
    }
  }
}

// 3612 x 2412 = 8.71 megapixels; the data folder's tiles are 96 pixels square.
void BM_FrameCard(benchmark::State& State) {
  TBitmap32 Card, Tile, Out;
  Card.SetSize(3612, 2412);
  FillNoise(Card, 1);
  Card.SetDrawMode(State.range(1) != 0 ? dmBlend : dmOpaque);
  Tile.SetSize(96, 96);
  FillNoise(Tile, 2);
  const auto Percent = static_cast<int32_t>(State.range(0));
  for (auto _ : State) {
    BuildFrame(Card, Tile, Percent, Out);
    benchmark::DoNotOptimize(Out.Bits());
  }
  State.counters["out_mpix"] = double(Out.Width()) * Out.Height() / 1e6;
}
BENCHMARK(BM_FrameCard)
    ->ArgNames({"percent", "layer"})
    ->Args({10, 0})
    ->Args({1, 0})
    ->Args({35, 0})
    ->Args({10, 1})
    ->Unit(benchmark::kMillisecond);

void BM_MaskLayer(benchmark::State& State) {
  TBitmap32 Layer, Mask;
  Layer.SetSize(6000, 4000);
  FillNoise(Layer, 3);
  Mask.SetSize(400, 400);
  FillNoise(Mask, 4);
  const bool FromFile = State.range(0) != 0;
  RegisterPictureCodecs();
  const std::string File =
      (std::filesystem::temp_directory_path() / "pelmora_bench_mask.png").string();
  if (FromFile)
    SavePictureByExtension(Mask, File);
  for (auto _ : State) {
    if (FromFile) {
      TBitmap32 M;
      LoadMask(File, true, M);
      ApplyMaskAlpha(Layer, M);
    } else {
      ApplyMaskAlpha(Layer, Mask);
    }
    benchmark::DoNotOptimize(Layer.Bits());
  }
  if (FromFile)
    std::filesystem::remove(File);
}
BENCHMARK(BM_MaskLayer)->ArgName("png_file")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
