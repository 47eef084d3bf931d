// Repaint of the editing area: a card canvas of A4 at 300 dpi (3508 x 2480, bilinear) with ten
// photo layers of 2000 x 1500 (scaled layers, dmBlend, bilinear, master alpha 200) spread over
// the card and partly overlapping, painted into a 1600 x 1000 viewport. "Fit" zooms so that the
// whole canvas fits the viewport (about 0.4); "100" shows the middle of the card at 100%. One
// iteration is a full repaint: Invalidate, BeginPaint (which runs the paint stages), EndPaint.
//
// The pixman references compose the same scene into a 1600 x 1000 buffer at the same places:
// the canvas with SRC, then every layer OVER through a constant mask of alpha 200, all with the
// bilinear filter. pixman expects premultiplied colours; the pictures are opaque, so that does
// not change its work. Times are wall-clock times: the layer stage may use a second thread
// ("/1thread" keeps it on one);
// on a shared machine compare figures of one run, e.g. --benchmark_repetitions=9
// --benchmark_enable_random_interleaving=true, using the medians.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "bitmap32.h"
#include "bitmap_layer.h"
#include "geometry.h"
#include "img_view32.h"

namespace {

constexpr int32_t CanvasWidth = 3508;
constexpr int32_t CanvasHeight = 2480;
constexpr int32_t PhotoWidth = 2000;
constexpr int32_t PhotoHeight = 1500;
constexpr int32_t ViewportWidth = 1600;
constexpr int32_t ViewportHeight = 1000;
constexpr int32_t LayerCount = 10;
constexpr uint32_t LayerMaster = 200;

uint8_t ClampByte(double V) {
  return static_cast<uint8_t>(std::clamp(V, 0.0, 255.0));
}

// Smooth opaque colour gradients with a little noise.
void FillPhoto(TBitmap32& Bmp, uint32_t Seed) {
  std::mt19937 Gen(Seed);
  const int32_t W = Bmp.Width(), H = Bmp.Height();
  std::vector<double> SinX(W), CosY(H);
  for (int32_t X = 0; X < W; ++X) SinX[X] = std::sin(X * 0.0031 + Seed);
  for (int32_t Y = 0; Y < H; ++Y) CosY[Y] = std::cos(Y * 0.0047 + Seed);
  for (int32_t Y = 0; Y < H; ++Y) {
    TColor32* Row = Bmp.RowAddress(Y);
    for (int32_t X = 0; X < W; ++X) {
      const auto Noise = [&] { return static_cast<double>(Gen() % 25) - 12.0; };
      const uint8_t R = ClampByte(128 + 100 * SinX[X] * CosY[Y] + Noise());
      const uint8_t G = ClampByte(40 + X * 0.05 + Y * 0.02 + Noise());
      const uint8_t B = ClampByte(200 - Y * 0.06 + 30 * SinX[X] + Noise());
      Row[X] = 0xFF000000u | TColor32{R} << 16 | TColor32{G} << 8 | B;
    }
  }
}

// The photos are shown at 60% of their size, four to a row with overlaps.
TSingleRect LayerLocation(int32_t I) {
  const float X = 60.0f + float(I % 4) * 740.0f;
  const float Y = 60.0f + float(I / 4) * 760.0f;
  return {X, Y, X + PhotoWidth * 0.6f, Y + PhotoHeight * 0.6f};
}

// The card in a view; built once and shared by the benchmarks.
struct TScene {
  TImgView32 View;
  TScene() {
    View.SetBounds(ViewportWidth + View.ScrollBarThickness(),
                   ViewportHeight + View.ScrollBarThickness());
    View.Bitmap().SetSize(CanvasWidth, CanvasHeight);
    FillPhoto(View.Bitmap(), 1);
    View.Bitmap().SetStretchFilter(sfLinear);
    for (int32_t I = 0; I < LayerCount; ++I) {
      auto* L = View.Layers().Add<TBitmapLayer>();
      L->Bitmap()->SetSize(PhotoWidth, PhotoHeight);
      FillPhoto(*L->Bitmap(), 10 + I);
      L->Bitmap()->SetDrawMode(dmBlend);
      L->Bitmap()->SetStretchFilter(sfLinear);
      L->Bitmap()->SetMasterAlpha(LayerMaster);
      L->SetScaled(true);
      L->SetLocation(LayerLocation(I));
    }
  }

  void Zoom(bool Fit) {
    if (Fit) {
      View.SetScale(
          std::min(float(ViewportWidth) / CanvasWidth, float(ViewportHeight) / CanvasHeight));
    } else {
      View.SetScale(1.0f);
      View.ScrollToCenter(CanvasWidth / 2, CanvasHeight / 2);
    }
  }
};

TScene& Scene() {
  static TScene S;
  return S;
}

void ReportPixels(benchmark::State& State) {
  State.counters["Mpx/s"] = benchmark::Counter(
      double{ViewportWidth} * ViewportHeight * static_cast<double>(State.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}

void ViewRepaint(benchmark::State& State, bool Fit, bool OneThread = false) {
  TScene& S = Scene();
  S.Zoom(Fit);
  if (OneThread)
    SetLayerPaintMode(TLayerPaintMode::InOrder);
  for (auto _ : State) {
    S.View.Invalidate();
    TBitmap32& Buffer = S.View.BeginPaint();
    benchmark::DoNotOptimize(Buffer.Bits());
    S.View.EndPaint();
    benchmark::ClobberMemory();
  }
  SetLayerPaintMode(TLayerPaintMode::Concurrent);
  State.counters["scale"] = S.View.Scale();
  ReportPixels(State);
}

pixman_image_t* PixmanImage(TBitmap32& Bmp) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, Bmp.Width(), Bmp.Height(),
                                  reinterpret_cast<uint32_t*>(Bmp.Bits()),
                                  Bmp.Width() * static_cast<int>(sizeof(TColor32)));
}

// One picture of the scene: the source, where it lands in the buffer and how.
struct TPixmanPart {
  pixman_image_t* Image;
  TRect Dest;
};

TPixmanPart MakePart(TBitmap32& Bmp, const TRect& Dest) {
  pixman_image_t* Image = PixmanImage(Bmp);
  // Destination to source: the source size over the destination size.
  pixman_transform_t T;
  pixman_transform_init_scale(&T, pixman_double_to_fixed(double(Bmp.Width()) / Dest.Width()),
                              pixman_double_to_fixed(double(Bmp.Height()) / Dest.Height()));
  pixman_image_set_transform(Image, &T);
  pixman_image_set_filter(Image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(Image, PIXMAN_REPEAT_PAD);
  return {Image, Dest};
}

void RefPixmanScene(benchmark::State& State, bool Fit) {
  TScene& S = Scene();
  S.Zoom(Fit);
  // The places the view gives the canvas and the layers.
  std::vector<TPixmanPart> Parts;
  Parts.push_back(MakePart(S.View.Bitmap(), S.View.CachedBitmapRect()));
  for (int32_t I = 0; I < S.View.Layers().Count(); ++I) {
    auto* L = static_cast<TBitmapLayer*>(S.View.Layers().Items(I));
    Parts.push_back(MakePart(*L->Bitmap(), RectFromSingle(L->GetAdjustedLocation(), rrClosest)));
  }
  TBitmap32 Buffer;
  Buffer.SetSize(ViewportWidth, ViewportHeight);
  pixman_image_t* D = PixmanImage(Buffer);
  const pixman_color_t MaskColour = {0, 0, 0, static_cast<uint16_t>(LayerMaster * 257)};
  pixman_image_t* Mask = pixman_image_create_solid_fill(&MaskColour);
  for (auto _ : State) {
    for (size_t I = 0; I < Parts.size(); ++I) {
      const TRect& R = Parts[I].Dest;
      pixman_image_composite32(I == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, Parts[I].Image,
                               I == 0 ? nullptr : Mask, D, 0, 0, 0, 0, R.Left, R.Top, R.Width(),
                               R.Height());
    }
    benchmark::ClobberMemory();
  }
  for (const TPixmanPart& P : Parts) pixman_image_unref(P.Image);
  pixman_image_unref(Mask);
  pixman_image_unref(D);
  ReportPixels(State);
}

const int Registered = [] {
  benchmark::RegisterBenchmark("ViewRepaintFit", [](benchmark::State& S) { ViewRepaint(S, true); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("ViewRepaint100", [](benchmark::State& S) { ViewRepaint(S, false); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  // The layers painted on the calling thread only.
  benchmark::RegisterBenchmark("ViewRepaintFit/1thread",
                               [](benchmark::State& S) { ViewRepaint(S, true, true); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("ViewRepaint100/1thread",
                               [](benchmark::State& S) { ViewRepaint(S, false, true); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("RefPixmanSceneFit",
                               [](benchmark::State& S) { RefPixmanScene(S, true); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("RefPixmanScene100",
                               [](benchmark::State& S) { RefPixmanScene(S, false); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
