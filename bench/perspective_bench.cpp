// The perspective window on a 2000 x 1500 layer: making the reduced preview when it opens, the
// redraw that follows every mouse move while a corner is dragged (checkerboard, the mapped
// preview, the dashed outline), and "OK" on the full picture; the layer crop for comparison.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "bitmap32.h"
#include "layer_crop.h"
#include "perspective.h"
#include "transformation.h"

namespace {

constexpr int32_t PicW = 2000, PicH = 1500;
constexpr int32_t ViewW = 528, ViewH = 313;

const TBitmap32& Photo() {
  static const TBitmap32* B = [] {
    auto* P = new TBitmap32;
    P->SetSize(PicW, PicH);
    for (int32_t Y = 0; Y < PicH; ++Y)
      for (int32_t X = 0; X < PicW; ++X) {
        const double Fx = X / double(PicW), Fy = Y / double(PicH);
        const auto R = uint32_t(128 + 110 * std::sin(Fx * Fy * 20));
        const auto G = uint32_t(110 + 90 * std::cos(Fx * 5 - Fy * 7));
        const auto Bl = uint32_t(120 + 100 * std::sin(Fx * 9 + Fy * 3));
        P->SetPixel(X, Y, 0xFF000000u | R << 16 | G << 8 | Bl);
      }
    P->SetDrawMode(dmBlend);
    P->SetStretchFilter(sfLinear);
    return P;
  }();
  return *B;
}

// The reduced preview the window makes when it opens.
void MakePreview(TBitmap32& P) {
  const TPoint S = PerspectivePreviewSize(PicW, PicH, ViewW, ViewH);
  P.SetSize(S.X, S.Y);
  Photo().DrawOnto(P, P.BoundsRect());
  P.SetDrawMode(dmBlend);
}

// A convex shape with every corner away from its start, as in the middle of a drag.
TPerspectiveCorners Dragged(const TBitmap32& Preview) {
  TPerspectiveCorners C = ResetCorners(Preview.Width(), Preview.Height());
  MoveCorners(C, 0, 30, 12);
  MoveCorners(C, 1, 40, 25);
  MoveCorners(C, 2, -20, 30);
  MoveCorners(C, 3, 10, -15);
  return C;
}

void BM_PerspectiveOpenPreview(benchmark::State& State) {
  Photo();
  for (auto _ : State) {
    TBitmap32 P;
    MakePreview(P);
    benchmark::DoNotOptimize(P.Bits());
  }
}
BENCHMARK(BM_PerspectiveOpenPreview)->Unit(benchmark::kMillisecond);

// Arg 1: bilinear, 0: nearest.
void BM_PerspectiveDragRedraw(benchmark::State& State) {
  TBitmap32 Preview;
  MakePreview(Preview);
  TBitmap32 View;
  View.SetSize(ViewW, ViewH);
  TBitmap32 Screen;
  Screen.SetSize(ViewW, ViewH);
  TProjectiveTransformation T;
  TPerspectiveCorners C = Dragged(Preview);
  int32_t Step = 0;
  for (auto _ : State) {
    MoveCorners(C, 1, (Step & 1) != 0 ? 1 : -1, 0);
    ++Step;
    DrawPerspectivePreview(View, Preview, C, State.range(0) != 0, T);
    // What the view then puts on the screen: its picture and the outline over it.
    View.DrawOnto(Screen);
    DrawPerspectiveOutline(Screen, C, -0.05f * float(Step));
    benchmark::DoNotOptimize(Screen.Bits());
  }
}
BENCHMARK(BM_PerspectiveDragRedraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_PerspectiveApplyFull(benchmark::State& State) {
  TBitmap32 Preview;
  MakePreview(Preview);
  const TPerspectiveCorners C = Dragged(Preview);
  const double K = double(PicW) / Preview.Width();
  TPerspectiveOptions O;
  O.Bilinear = State.range(0) != 0;
  for (auto _ : State) {
    TBitmap32 Source;
    Source.Assign(&Photo());
    TBitmap32 Result;
    MapPerspective(Source, C, K, O, 0x00FFFFFF, Result);
    benchmark::DoNotOptimize(Result.Bits());
  }
}
BENCHMARK(BM_PerspectiveApplyFull)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_LayerCrop(benchmark::State& State) {
  Photo();
  for (auto _ : State) {
    TBitmap32 Out;
    CropBitmap(Photo(), {100.4f, 80.6f, 1800.2f, 1400.7f}, Out);
    benchmark::DoNotOptimize(Out.Bits());
  }
}
BENCHMARK(BM_LayerCrop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
