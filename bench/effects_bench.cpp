// Every effect routine on an 8.7-megapixel photo-like picture (3608 x 2412), the 24-bit
// shell's conversions, and "Размытие" at gauge 100 (101 passes). The whole-command comparison
// with ImageMagick (picture read, effect, picture written) is bench/effects_vs_magick.sh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "bitmap32.h"
#include "color_adjust.h"
#include "color_effects.h"
#include "distortions.h"
#include "effect_shell.h"
#include "rgb_image.h"
#include "sharpen_blur.h"

namespace {

constexpr int32_t PicW = 3608, PicH = 2412;

// Smooth shading with edges and a little grain, as in a photograph.
const RgbImage& Photo() {
  static const RgbImage Img = [] {
    RgbImage I(PicW, PicH);
    uint32_t Grain = 1;
    for (int32_t Y = 0; Y < PicH; ++Y)
      for (int32_t X = 0; X < PicW; ++X) {
        Grain = Grain * 1664525u + 1013904223u;
        const int N = int(Grain >> 29) - 4;
        const double Fx = X / double(PicW), Fy = Y / double(PicH);
        const bool Edge = ((X / 300) + (Y / 200)) % 3 == 0;
        uint8_t* P = I.Pixel(X, Y);
        const int B = int(120 + 100 * std::sin(Fx * 9 + Fy * 3)) + N + (Edge ? 30 : 0);
        const int G = int(110 + 90 * std::cos(Fx * 5 - Fy * 7)) + N;
        const int R = int(128 + 110 * std::sin(Fx * Fy * 20)) + N - (Edge ? 40 : 0);
        P[0] = uint8_t(B < 0 ? 0 : B > 255 ? 255 : B);
        P[1] = uint8_t(G < 0 ? 0 : G > 255 ? 255 : G);
        P[2] = uint8_t(R < 0 ? 0 : R > 255 ? 255 : R);
      }
    return I;
  }();
  return Img;
}

const TBitmap32& PhotoBitmap() {
  static const TBitmap32* B = [] {
    auto* Bmp = new TBitmap32;
    RgbToBitmap(Photo(), *Bmp);
    return Bmp;
  }();
  return *B;
}

void SetPixels(benchmark::State& State) {
  State.SetItemsProcessed(int64_t(State.iterations()) * PicW * PicH);
}

// An in-place 24-bit routine; the picture is put back before every run, outside the timing.
template <typename F>
void InPlace24(benchmark::State& State, F Routine) {
  RgbImage Img = Photo();
  for (auto _ : State) {
    State.PauseTiming();
    std::memcpy(Img.Bits(), Photo().Bits(), Img.ByteCount());
    State.ResumeTiming();
    Routine(Img);
    benchmark::ClobberMemory();
  }
  SetPixels(State);
}

template <typename F>
void TwoImages24(benchmark::State& State, F Routine) {
  RgbImage Dst(PicW, PicH);
  for (auto _ : State) {
    Routine(Photo(), Dst);
    benchmark::ClobberMemory();
  }
  SetPixels(State);
}

template <typename F>
void InPlace32(benchmark::State& State, F Routine) {
  TBitmap32 B;
  B.Assign(&PhotoBitmap());
  for (auto _ : State) {
    State.PauseTiming();
    std::memcpy(B.Bits(), PhotoBitmap().Bits(), size_t(PicW) * PicH * 4);
    State.ResumeTiming();
    Routine(B);
    benchmark::ClobberMemory();
  }
  SetPixels(State);
}

void BM_BrightnessScale(benchmark::State& S) {
  InPlace32(S, [](TBitmap32& B) { BrightnessScale(B, 50); });
}
void BM_ContrastStretch(benchmark::State& S) {
  InPlace32(S, [](TBitmap32& B) { ContrastStretch(B, 90); });
}
void BM_BalanceScale(benchmark::State& S) {
  InPlace32(S, [](TBitmap32& B) { BalanceScale(B, 30, -20, 10); });
}
void BM_BalanceShift(benchmark::State& S) {
  InPlace32(S, [](TBitmap32& B) { BalanceShift(B, 30, -20, 10); });
}
void BM_WeightedGrey(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { WeightedGrey(I); });
}
void BM_InvertChannels(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { InvertChannels(I); });
}
void BM_ChannelNoise(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { ChannelNoise(I, 50); });
}
void BM_GreyNoise(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { GreyNoise(I, 60); });
}
void BM_TintByIntensity(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { TintByIntensity(I, 7847880); });
}
void BM_QuantizeLevels(benchmark::State& S) {
  TwoImages24(S, [](const RgbImage& A, RgbImage& B) { QuantizeLevels(A, B, 64); });
}
void BM_SharpenFivePoint(benchmark::State& S) {
  TwoImages24(S, [](const RgbImage& A, RgbImage& B) { SharpenFivePoint(A, B, 5); });
}
void BM_DiagonalAverageBlur(benchmark::State& S) {
  const int32_t D = int32_t(S.range(0));
  InPlace24(S, [D](RgbImage& I) { DiagonalAverageBlur(I, D); });
}
// "Размытие" at gauge 100 without "Расфокусировка": 101 passes at distance 3.
void BM_BlurDialogGauge100(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) {
    for (int P = 0; P < 101; ++P) DiagonalAverageBlur(I, 3);
  });
}
void BM_ScatterPixels(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { ScatterPixels(I, 7); });
}
void BM_DropDisplace(benchmark::State& S) {
  TwoImages24(S, [](const RgbImage& A, RgbImage& B) { DropDisplace(A, B, 210, 10); });
}
void BM_BlockMosaic(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { BlockMosaic(I, 36); });
}
void BM_WaveShift(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { WaveShift(I, 20, 5, int32_t(0)); });
}
void BM_DiagonalEmboss(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { DiagonalEmboss(I); });
}
void BM_SawtoothBlinds(benchmark::State& S) {
  InPlace24(S, [](RgbImage& I) { SawtoothBlinds(I, 515); });
}

// The shell around no routine: conversion to 24 bits and the way back.
void BM_ShellCanvas(benchmark::State& S) {
  TBitmap32 B;
  B.Assign(&PhotoBitmap());
  for (auto _ : S) {
    RunRgbShell({&B, false}, nullptr);
  }
  SetPixels(S);
}
void BM_ShellLayer(benchmark::State& S) {
  TBitmap32 B;
  B.Assign(&PhotoBitmap());
  for (auto _ : S) {
    RunRgbShell({&B, true}, nullptr);
  }
  SetPixels(S);
}
void BM_BitmapToRgb(benchmark::State& S) {
  RgbImage I(PicW, PicH);
  for (auto _ : S) BitmapToRgb(PhotoBitmap(), I);
  SetPixels(S);
}
void BM_RgbToBitmap(benchmark::State& S) {
  TBitmap32 B;
  B.SetSize(PicW, PicH);
  for (auto _ : S) RgbToBitmap(Photo(), B);
  SetPixels(S);
}

}  // namespace

BENCHMARK(BM_BrightnessScale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ContrastStretch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BalanceScale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BalanceShift)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WeightedGrey)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InvertChannels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChannelNoise)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GreyNoise)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TintByIntensity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuantizeLevels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SharpenFivePoint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DiagonalAverageBlur)
    ->Arg(1)
    ->Arg(3)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BlurDialogGauge100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ScatterPixels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DropDisplace)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlockMosaic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaveShift)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DiagonalEmboss)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SawtoothBlinds)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShellCanvas)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShellLayer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BitmapToRgb)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RgbToBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
