// "Размер изображения" on an 8.7-megapixel card (3608 x 2412) to half and to double with each
// method, and "Произвольный угол" of a 6000 x 4000 layer by 30 degrees, as the editor runs
// them (undo record included). bench/geometry_vs_magick.sh times ImageMagick on the same
// sizes. Restoring the card between runs is not timed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "free_rotation.h"
#include "image_geometry.h"

namespace {

// A photo-like picture: smooth gradients with fine detail.
void FillPhoto(TBitmap32& B, int32_t W, int32_t H) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int32_t X = 0; X < W; ++X) {
      const uint32_t R = (X * 255 / W + ((X * 7 + Y * 3) & 15)) & 255;
      const uint32_t G = (Y * 255 / H + ((X ^ Y) & 7)) & 255;
      const uint32_t Bl = ((X + Y) * 255 / (W + H)) & 255;
      Row[X] = 0xFF000000 | R << 16 | G << 8 | Bl;
    }
  }
}

struct TCard {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TBitmap32 Photo;

  TCard() { View.SetBounds(1200, 800); }
};

void BM_ImageSize(benchmark::State& State) {
  const auto Method = static_cast<TResampleMethod>(State.range(0));
  const int32_t Percent = static_cast<int32_t>(State.range(1));
  static TCard Card;
  if (Card.Photo.IsEmpty())
    FillPhoto(Card.Photo, 3608, 2412);
  const int32_t W = 3608 * Percent / 100, H = 2412 * Percent / 100;
  for (auto _ : State) {
    State.PauseTiming();
    Card.Doc.NewCanvas(3608, 2412, 0xFFFFFFFF);
    std::memcpy(Card.Doc.Canvas().Bits(), Card.Photo.Bits(), size_t(3608) * 2412 * 4);
    State.ResumeTiming();
    ResizeImage(Card.Doc, &Card.Undo, W, H, Method);
    benchmark::DoNotOptimize(Card.Doc.Canvas().Bits());
  }
  State.counters["Mpx/s"] =
      benchmark::Counter(3608.0 * 2412 * State.iterations() / 1e6, benchmark::Counter::kIsRate);
  State.SetLabel((Method == rmNearest    ? std::string("nearest ")
                  : Method == rmBilinear ? std::string("bilinear ")
                                         : std::string("spline ")) +
                 std::to_string(Percent) + "%");
}
BENCHMARK(BM_ImageSize)
    ->ArgsProduct({{rmNearest, rmBilinear, rmSpline}, {50, 200}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole command: the dialog's copy, the undo record, the turn and the layer's new bitmap.
void BM_FreeRotationCommand(benchmark::State& State) {
  static TCard Card;
  if (Card.Photo.IsEmpty())
    FillPhoto(Card.Photo, 6000, 4000);
  const bool Bilinear = State.range(0) != 0;
  Card.Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  for (auto _ : State) {
    State.PauseTiming();
    Card.Doc.ClearLayers();
    TBitmapLayer* L = Card.Doc.AddPictureLayer(Card.Photo, 255);
    L->SetLocation({0, 0, 6000, 4000});
    Card.Doc.SetSelection(L);
    State.ResumeTiming();
    RotateSelectedLayer(Card.Doc, &Card.Undo, 30, Bilinear);
    benchmark::DoNotOptimize(L->Bitmap()->Bits());
  }
  State.SetLabel(Bilinear ? "6000x4000 by 30, bilinear" : "6000x4000 by 30, nearest");
}
BENCHMARK(BM_FreeRotationCommand)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The turn alone.
void BM_RotatePicture(benchmark::State& State) {
  static TBitmap32 Photo;
  if (Photo.IsEmpty()) {
    FillPhoto(Photo, 6000, 4000);
    Photo.SetDrawMode(dmBlend);
  }
  for (auto _ : State) {
    TBitmap32 Out;
    RotatePicture(Photo, Out, 30, true);
    benchmark::DoNotOptimize(Out.Bits());
  }
  State.SetLabel("6000x4000 by 30, bilinear");
}
BENCHMARK(BM_RotatePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
