// Throughput of the raster core's hot paths on an A4 page at 300 dpi (3508 x 2480), side by side
// with pixman and memcpy as references. Every benchmark reports "Mpx/s": millions of destination
// pixels written per second of CPU time. On a shared machine compare figures of one run only,
// e.g. --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true, using the medians.
//
// Blends: uniformly random colours and alpha, source and destination of the full page, one
// BlendRow call per row as the block transfer makes them. RefMemcpy copies the same bytes with
// one memcpy per row; RefMemcpy/whole with one call for the page.
//
// Transfers: photo-like colours (smooth gradients plus noise) with alpha that is 0, 255 and in
// between over large areas, drawn with dmBlend at master alpha 255 onto an opaque photo.
// "/down" draws the full page into half its size (1754 x 1240 destination pixels); "/up" draws
// a half-size picture onto the full page (3508 x 2480 destination pixels). The pixman
// references composite OVER through a bilinear filter with the same sizes; pixman expects
// premultiplied colours, which does not change its speed.
//
// Transformations: an opaque photo of 3600 x 2420 (8.7 megapixels) rotated by 30 degrees about
// its centre into a destination of its bounds, blended (dmBlend, master alpha 255) onto an
// opaque photo; "Mpx/s" counts the source's pixels. TransformProjective draws the same picture
// onto a quadrilateral of about the same area. The pixman references composite OVER through the
// same affine matrix with the nearest and the bilinear filter, outside the picture transparent.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "blend.h"
#include "transfers.h"
#include "transformation.h"

namespace {

constexpr int32_t PageWidth = 3508;
constexpr int32_t PageHeight = 2480;

uint8_t ClampByte(double V) {
  return static_cast<uint8_t>(std::clamp(V, 0.0, 255.0));
}

void FillRandom(TBitmap32& Bmp, uint32_t Seed, bool Opaque) {
  std::mt19937 Gen(Seed);
  TColor32* P = Bmp.Bits();
  const int64_t N = int64_t{Bmp.Width()} * Bmp.Height();
  for (int64_t I = 0; I < N; ++I) P[I] = Opaque ? (Gen() | 0xFF000000u) : Gen();
}

// Smooth colour gradients with a little noise; with Alpha, large areas of alpha 0 and 255
// joined by ramps, else opaque.
void FillPhoto(TBitmap32& Bmp, uint32_t Seed, bool Alpha) {
  std::mt19937 Gen(Seed);
  const int32_t W = Bmp.Width(), H = Bmp.Height();
  const double Scale = double{PageWidth} / W;  // the same picture at any size
  std::vector<double> SinX(W), CosY(H);
  for (int32_t X = 0; X < W; ++X) SinX[X] = std::sin(X * Scale * 0.0031 + Seed);
  for (int32_t Y = 0; Y < H; ++Y) CosY[Y] = std::cos(Y * Scale * 0.0047 + Seed);
  for (int32_t Y = 0; Y < H; ++Y) {
    TColor32* Row = Bmp.RowAddress(Y);
    for (int32_t X = 0; X < W; ++X) {
      const double U = X * Scale, V = Y * Scale;
      const auto Noise = [&] { return static_cast<double>(Gen() % 25) - 12.0; };
      const uint8_t R = ClampByte(128 + 100 * SinX[X] * CosY[Y] + Noise());
      const uint8_t G = ClampByte(40 + U * 0.05 + V * 0.02 + Noise());
      const uint8_t B = ClampByte(200 - V * 0.06 + 30 * SinX[X] + Noise());
      const uint8_t A = Alpha ? ClampByte(128 + 600 * SinX[X] * CosY[Y]) : 255;
      Row[X] = TColor32{A} << 24 | TColor32{R} << 16 | TColor32{G} << 8 | B;
    }
  }
}

// Pictures are made once and shared; every benchmark draws onto its own copy of a destination.
struct TPictures {
  TBitmap32 RandomSrc, RandomDst;
  TBitmap32 PhotoSrc, PhotoSrcHalf, PhotoDst, PhotoDstHalf;

  TPictures() {
    RandomSrc.SetSize(PageWidth, PageHeight);
    FillRandom(RandomSrc, 1, false);
    RandomDst.SetSize(PageWidth, PageHeight);
    FillRandom(RandomDst, 2, true);
    PhotoSrc.SetSize(PageWidth, PageHeight);
    FillPhoto(PhotoSrc, 3, true);
    PhotoSrcHalf.SetSize(PageWidth / 2, PageHeight / 2);
    FillPhoto(PhotoSrcHalf, 3, true);
    PhotoDst.SetSize(PageWidth, PageHeight);
    FillPhoto(PhotoDst, 4, false);
    PhotoDstHalf.SetSize(PageWidth / 2, PageHeight / 2);
    FillPhoto(PhotoDstHalf, 4, false);
  }
};

const TPictures& Pictures() {
  static const TPictures P;
  return P;
}

void Copy(const TBitmap32& From, TBitmap32& To) {
  To.SetSize(From.Width(), From.Height());
  std::memcpy(To.Bits(), From.Bits(), size_t(From.Width()) * From.Height() * sizeof(TColor32));
}

void ReportPixels(benchmark::State& State, int64_t PixelsPerIteration) {
  State.counters["Mpx/s"] = benchmark::Counter(
      static_cast<double>(PixelsPerIteration) * static_cast<double>(State.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}

// --- Blends --------------------------------------------------------------------------------

void RunBlendRow(benchmark::State& State, const TBlendProcs& Procs) {
  const TBitmap32& Src = Pictures().RandomSrc;
  TBitmap32 Dst;
  Copy(Pictures().RandomDst, Dst);
  for (auto _ : State) {
    for (int32_t Y = 0; Y < PageHeight; ++Y)
      Procs.BlendRow(Src.RowAddress(Y), Dst.RowAddress(Y), PageWidth);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

void RunBlendRowMaster(benchmark::State& State, const TBlendProcs& Procs) {
  const TBitmap32& Src = Pictures().RandomSrc;
  TBitmap32 Dst;
  Copy(Pictures().RandomDst, Dst);
  for (auto _ : State) {
    for (int32_t Y = 0; Y < PageHeight; ++Y)
      Procs.BlendRowMaster(Src.RowAddress(Y), Dst.RowAddress(Y), PageWidth, 200);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

// The forms chosen at start-up.
void ActiveBlendRow(benchmark::State& State) {
  RunBlendRow(State, BlendProcs);
}
void ActiveBlendRowMaster(benchmark::State& State) {
  RunBlendRowMaster(State, BlendProcs);
}

void RefMemcpy(benchmark::State& State) {
  const TBitmap32& Src = Pictures().RandomSrc;
  TBitmap32 Dst;
  Copy(Pictures().RandomDst, Dst);
  for (auto _ : State) {
    for (int32_t Y = 0; Y < PageHeight; ++Y)
      std::memcpy(Dst.RowAddress(Y), Src.RowAddress(Y), PageWidth * sizeof(TColor32));
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

void RefMemcpyWhole(benchmark::State& State) {
  const TBitmap32& Src = Pictures().RandomSrc;
  TBitmap32 Dst;
  Copy(Pictures().RandomDst, Dst);
  for (auto _ : State) {
    std::memcpy(Dst.Bits(), Src.Bits(), size_t{PageWidth} * PageHeight * sizeof(TColor32));
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

pixman_image_t* PixmanImage(TBitmap32& Bmp) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, Bmp.Width(), Bmp.Height(),
                                  reinterpret_cast<uint32_t*>(Bmp.Bits()),
                                  Bmp.Width() * static_cast<int>(sizeof(TColor32)));
}

void RefPixmanOver(benchmark::State& State) {
  TBitmap32 Src, Dst;
  Copy(Pictures().RandomSrc, Src);
  Copy(Pictures().RandomDst, Dst);
  pixman_image_t* S = PixmanImage(Src);
  pixman_image_t* D = PixmanImage(Dst);
  for (auto _ : State) {
    pixman_image_composite32(PIXMAN_OP_OVER, S, nullptr, D, 0, 0, 0, 0, 0, 0, PageWidth,
                             PageHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(S);
  pixman_image_unref(D);
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

// --- Transfers -----------------------------------------------------------------------------

void BlockTransferBlend(benchmark::State& State) {
  TBitmap32 Src, Dst;
  Copy(Pictures().PhotoSrc, Src);
  Copy(Pictures().PhotoDst, Dst);
  Src.SetDrawMode(dmBlend);
  Src.SetMasterAlpha(255);
  for (auto _ : State) {
    BlockTransfer(&Dst, 0, 0, &Src, Src.BoundsRect(), dmBlend);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{PageWidth} * PageHeight);
}

// Down: the full page into half its size; up: the half-size picture onto the full page.
// The same stretches of an opaque photo: the path of every picture without transparency.
void RunStretchOpaque(benchmark::State& State, TStretchFilter Filter, bool Up) {
  TBitmap32 Src, Dst;
  Copy(Up ? Pictures().PhotoDstHalf : Pictures().PhotoDst, Src);
  Copy(Up ? Pictures().PhotoDst : Pictures().PhotoDstHalf, Dst);
  Src.SetDrawMode(dmBlend);
  Src.SetMasterAlpha(255);
  Src.SetStretchFilter(Filter);
  for (auto _ : State) {
    StretchTransfer(&Dst, Dst.BoundsRect(), &Src, Src.BoundsRect(), Filter, dmBlend);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{Dst.Width()} * Dst.Height());
}

void RunStretch(benchmark::State& State, TStretchFilter Filter, bool Up) {
  TBitmap32 Src, Dst;
  Copy(Up ? Pictures().PhotoSrcHalf : Pictures().PhotoSrc, Src);
  Copy(Up ? Pictures().PhotoDst : Pictures().PhotoDstHalf, Dst);
  Src.SetDrawMode(dmBlend);
  Src.SetMasterAlpha(255);
  Src.SetStretchFilter(Filter);
  for (auto _ : State) {
    StretchTransfer(&Dst, Dst.BoundsRect(), &Src, Src.BoundsRect(), Filter, dmBlend);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{Dst.Width()} * Dst.Height());
}

void RunPixmanBilinear(benchmark::State& State, bool Up) {
  TBitmap32 Src, Dst;
  Copy(Up ? Pictures().PhotoSrcHalf : Pictures().PhotoSrc, Src);
  Copy(Up ? Pictures().PhotoDst : Pictures().PhotoDstHalf, Dst);
  pixman_image_t* S = PixmanImage(Src);
  pixman_image_t* D = PixmanImage(Dst);
  // The transform maps destination coordinates to source coordinates.
  pixman_transform_t T;
  pixman_transform_init_scale(&T, pixman_double_to_fixed(double(Src.Width()) / Dst.Width()),
                              pixman_double_to_fixed(double(Src.Height()) / Dst.Height()));
  pixman_image_set_transform(S, &T);
  pixman_image_set_filter(S, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(S, PIXMAN_REPEAT_PAD);
  for (auto _ : State) {
    pixman_image_composite32(PIXMAN_OP_OVER, S, nullptr, D, 0, 0, 0, 0, 0, 0, Dst.Width(),
                             Dst.Height());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(S);
  pixman_image_unref(D);
  ReportPixels(State, int64_t{Dst.Width()} * Dst.Height());
}

// --- Transformations -----------------------------------------------------------------------

constexpr int32_t TurnWidth = 3600;
constexpr int32_t TurnHeight = 2420;

struct TTurnPictures {
  TBitmap32 Src, Dst;
  TTurnPictures() {
    Src.SetSize(TurnWidth, TurnHeight);
    FillPhoto(Src, 5, false);
    // Large enough for the rotated bounds and for the quadrilateral below.
    Dst.SetSize(4400, 3960);
    FillPhoto(Dst, 6, false);
  }
};

const TTurnPictures& TurnPictures() {
  static const TTurnPictures P;
  return P;
}

// 30 degrees about the picture's centre, moved so that the bounds start at (0, 0).
TAffineTransformation Rotation() {
  TAffineTransformation T;
  T.SetSrcRect({0, 0, float(TurnWidth), float(TurnHeight)});
  T.Rotate(TurnWidth / 2.0f, TurnHeight / 2.0f, 30);
  const TRect R = T.TransformedBounds();
  T.Translate(float(-R.Left), float(-R.Top));
  return T;
}

void RunTransform(benchmark::State& State, TTransformation& T, TStretchFilter Filter) {
  TBitmap32 Src, Dst;
  Copy(TurnPictures().Src, Src);
  Copy(TurnPictures().Dst, Dst);
  Src.SetDrawMode(dmBlend);
  Src.SetMasterAlpha(255);
  Src.SetStretchFilter(Filter);
  for (auto _ : State) {
    TransformBitmap(Dst, Src, T);
    benchmark::ClobberMemory();
  }
  ReportPixels(State, int64_t{TurnWidth} * TurnHeight);
}

void TransformRotate(benchmark::State& State, TStretchFilter Filter) {
  TAffineTransformation T = Rotation();
  RunTransform(State, T, Filter);
}

void TransformProjective(benchmark::State& State) {
  TProjectiveTransformation T;
  T.SetSrcRect({0, 0, float(TurnWidth), float(TurnHeight)});
  T.SetCorners({{300, 150}, {3900, 400}, {4300, 3800}, {100, 3100}});
  RunTransform(State, T, sfLinear);
}

void RefPixmanTransform(benchmark::State& State, pixman_filter_t Filter) {
  TBitmap32 Src, Dst;
  Copy(TurnPictures().Src, Src);
  Copy(TurnPictures().Dst, Dst);
  TAffineTransformation T = Rotation();
  const TRect R = T.TransformedBounds();
  // pixman maps destination to source: the inverse of the forward matrix.
  TFloatMatrix M = T.Matrix;
  Invert(M);
  pixman_f_transform_t F;
  for (int Row = 0; Row < 3; ++Row)
    for (int Col = 0; Col < 3; ++Col) F.m[Row][Col] = M.s[Col * 3 + Row];
  pixman_transform_t PT;
  pixman_transform_from_pixman_f_transform(&PT, &F);
  pixman_image_t* S = PixmanImage(Src);
  pixman_image_t* D = PixmanImage(Dst);
  pixman_image_set_transform(S, &PT);
  pixman_image_set_filter(S, Filter, nullptr, 0);
  pixman_image_set_repeat(S, PIXMAN_REPEAT_NONE);
  const int32_t W = std::min(R.Right - R.Left + 1, Dst.Width());
  const int32_t H = std::min(R.Bottom - R.Top + 1, Dst.Height());
  for (auto _ : State) {
    pixman_image_composite32(PIXMAN_OP_OVER, S, nullptr, D, 0, 0, 0, 0, 0, 0, W, H);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(S);
  pixman_image_unref(D);
  ReportPixels(State, int64_t{TurnWidth} * TurnHeight);
}

const char* FormSuffix(TBlendForms Forms) {
  switch (Forms) {
    case TBlendForms::Scalar:
      return "scalar";
    case TBlendForms::SSE2:
      return "sse2";
    case TBlendForms::AVX2:
      return "avx2";
  }
  return "?";
}

// Registered at start-up so that every name is exactly as listed.
const int Registered = [] {
  benchmark::RegisterBenchmark("BlendRow", ActiveBlendRow)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BlendRowMaster", ActiveBlendRowMaster)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("RefMemcpy", RefMemcpy)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("RefMemcpy/whole", RefMemcpyWhole)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("RefPixmanOver", RefPixmanOver)->Unit(benchmark::kMillisecond);
  // Each set of forms, for comparison with the one chosen at start-up.
  for (const TBlendForms Forms : {TBlendForms::Scalar, TBlendForms::SSE2, TBlendForms::AVX2}) {
    if (!BlendFormsSupported(Forms))
      continue;
    const TBlendProcs* Procs = &BlendProcsFor(Forms);
    benchmark::RegisterBenchmark((std::string("BlendRow/") + FormSuffix(Forms)).c_str(),
                                 [Procs](benchmark::State& S) { RunBlendRow(S, *Procs); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BlendRowMaster/") + FormSuffix(Forms)).c_str(),
                                 [Procs](benchmark::State& S) { RunBlendRowMaster(S, *Procs); })
        ->Unit(benchmark::kMillisecond);
  }

  benchmark::RegisterBenchmark("BlockTransferBlend", BlockTransferBlend)
      ->Unit(benchmark::kMillisecond);
  const struct {
    const char* Name;
    TStretchFilter Filter;
  } Filters[] = {{"StretchNearest", sfNearest},
                 {"StretchLinear", sfLinear},
                 {"StretchLinear2", sfLinear2},
                 {"StretchSpline", sfSpline}};
  for (const auto& F : Filters)
    for (const bool Up : {false, true}) {
      const TStretchFilter Filter = F.Filter;
      benchmark::RegisterBenchmark((std::string(F.Name) + (Up ? "/up" : "/down")).c_str(),
                                   [Filter, Up](benchmark::State& S) { RunStretch(S, Filter, Up); })
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(
          (std::string(F.Name) + "/opaque" + (Up ? "/up" : "/down")).c_str(),
          [Filter, Up](benchmark::State& S) { RunStretchOpaque(S, Filter, Up); })
          ->Unit(benchmark::kMillisecond);
    }
  for (const bool Up : {false, true})
    benchmark::RegisterBenchmark(Up ? "RefPixmanBilinear/up" : "RefPixmanBilinear/down",
                                 [Up](benchmark::State& S) { RunPixmanBilinear(S, Up); })
        ->Unit(benchmark::kMillisecond);

  benchmark::RegisterBenchmark("TransformRotateNearest", [](benchmark::State& S) {
    TransformRotate(S, sfNearest);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TransformRotateLinear", [](benchmark::State& S) {
    TransformRotate(S, sfLinear);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TransformProjective", TransformProjective)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("RefPixmanTransformNearest", [](benchmark::State& S) {
    RefPixmanTransform(S, PIXMAN_FILTER_NEAREST);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("RefPixmanTransformBilinear", [](benchmark::State& S) {
    RefPixmanTransform(S, PIXMAN_FILTER_BILINEAR);
  })->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
