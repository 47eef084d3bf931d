// The undo history on an A4 card at 300 dpi (2480 x 3508) with ten photos: 100 mixed steps
// (drags, masks, effects, a frame, a caption, an image size), then undone all the way and redone
// all the way. Reported: the history's peak memory, and the time of recording, undoing and
// redoing one step (mean and worst).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "card_document.h"
#include "image_geometry.h"
#include "layer_mask.h"
#include "undo.h"

namespace {

constexpr int32_t CardW = 2480, CardH = 3508;
constexpr int32_t PhotoW = 1200, PhotoH = 900;
constexpr int Photos = 10, Steps = 100;

using TClock = std::chrono::steady_clock;

double Ms(TClock::duration D) {
  return std::chrono::duration<double, std::milli>(D).count();
}

void Noise(TBitmap32& B, uint32_t Seed) {
  TColor32* P = B.Bits();
  for (int64_t I = 0, N = int64_t{B.Width()} * B.Height(); I < N; ++I)
    P[I] = 0xFF000000u | static_cast<TColor32>((uint32_t(I) + Seed) * 2654435761u >> 8);
  B.Changed();
}

struct TTimes {
  std::vector<double> Ms;
  double Mean() const {
    double S = 0;
    for (double V : Ms) S += V;
    return Ms.empty() ? 0 : S / double(Ms.size());
  }
  double Worst() const { return Ms.empty() ? 0 : *std::max_element(Ms.begin(), Ms.end()); }
  // The step that took longest, counted from the first one walked.
  double WorstAt() const {
    return Ms.empty() ? 0 : double(std::max_element(Ms.begin(), Ms.end()) - Ms.begin());
  }
};

void BM_HundredMixedSteps(benchmark::State& State) {
  for (auto _ : State) {
    State.PauseTiming();
    TImgView32 View;
    View.SetBounds(1200, 900);
    TCardDocument Doc(View);
    TUndoStack Undo(Doc);
    Doc.NewCanvas(CardW, CardH, 0xFFFFFFFF);
    Noise(Doc.Canvas(), 7);
    std::vector<TBitmapLayer*> Layers;
    TBitmap32 Picture;
    Picture.SetSize(PhotoW, PhotoH);
    for (int I = 0; I < Photos; ++I) {
      Noise(Picture, uint32_t(I));
      TBitmapLayer* L = Doc.AddPictureLayer(Picture, 255);
      L->SetLocation({float(100 + I * 200), float(100 + I * 300), float(100 + I * 200 + PhotoW),
                      float(100 + I * 300 + PhotoH)});
      Layers.push_back(L);
    }
    TBitmap32 Mask;
    Mask.SetSize(PhotoW, PhotoH);
    for (int32_t Y = 0; Y < PhotoH; ++Y)
      for (int32_t X = 0; X < PhotoW; ++X) {
        const int32_t Dx = X - PhotoW / 2, Dy = Y - PhotoH / 2;
        Mask.SetPixel(X, Y, Dx * Dx + Dy * Dy < 400 * 400 ? 0xFFFFFFFFu : 0xFF000000u);
      }
    State.ResumeTiming();

    // As when the card was opened: its pixels are copied for the steps to come.
    const auto Primed = TClock::now();
    Undo.Reset();
    const double PrimeMs = Ms(TClock::now() - Primed);
    TTimes Record, UndoT, RedoT;
    uint64_t Peak = 0;
    for (int S = 0; S < Steps; ++S) {
      TBitmapLayer* L = Layers[size_t(S) % Layers.size()];
      Doc.SetSelection(L);
      TUndoStep Kind = usMoveLayer;
      if (S == 50)
        Kind = usFrame;
      else if (S == 70)
        Kind = usCaption;
      else if (S == 90)
        Kind = usImageSize;
      else if (S % 10 == 3)
        Kind = usMask;
      else if (S % 10 == 7)
        Kind = usEffect;
      auto T0 = TClock::now();
      if (Kind == usImageSize) {
        // The step as ResizeImage records it, timed apart from the resampling.
        Undo.Record(usImageSize);
        Record.Ms.push_back(Ms(TClock::now() - T0));
        ResizeImage(Doc, nullptr, CardW * 9 / 10, CardH * 9 / 10, rmBilinear);
        Peak = std::max(Peak, Undo.MemoryUse());
        continue;
      }
      Undo.Record(Kind);
      Record.Ms.push_back(Ms(TClock::now() - T0));
      switch (Kind) {
        case usMoveLayer: {
          const TSingleRect R = L->Location();
          L->SetLocation({R.Left + 7, R.Top + 5, R.Right + 7, R.Bottom + 5});
          break;
        }
        case usMask:
          ApplyMaskAlpha(*L->Bitmap(), Mask);
          break;
        case usEffect: {
          TBitmap32& B = *L->Bitmap();
          TColor32* P = B.Bits();
          for (int64_t I = 0, N = int64_t{B.Width()} * B.Height(); I < N; ++I)
            P[I] = (P[I] & 0xFF000000u) | (~P[I] & 0x00FFFFFFu);
          B.Changed();
          break;
        }
        case usFrame: {
          TBitmap32& C = Doc.Canvas();
          C.FillRectS({0, 0, C.Width(), 120}, 0xFFC08020);
          C.FillRectS({0, C.Height() - 120, C.Width(), C.Height()}, 0xFFC08020);
          C.Changed();
          break;
        }
        case usCaption: {
          TBitmap32 Text;
          Text.SetSize(1800, 300);
          Noise(Text, 99);
          Doc.AddPictureLayer(Text, 230);
          break;
        }
        default:
          break;
      }
      Peak = std::max(Peak, Undo.MemoryUse());
    }
    while (Undo.CanUndo()) {
      const auto T0 = TClock::now();
      Undo.Undo();
      UndoT.Ms.push_back(Ms(TClock::now() - T0));
    }
    Peak = std::max(Peak, Undo.MemoryUse());
    while (Undo.CanRedo()) {
      const auto T0 = TClock::now();
      Undo.Redo();
      RedoT.Ms.push_back(Ms(TClock::now() - T0));
    }
    Peak = std::max(Peak, Undo.MemoryUse());
    State.counters["Steps"] = double(Undo.Count());
    State.counters["OpenCopyMs"] = PrimeMs;
    State.counters["PeakHistoryMiB"] = double(Peak) / (1 << 20);
    State.counters["CardMiB"] =
        (double(CardW) * CardH + double(Photos) * PhotoW * PhotoH) * 4 / (1 << 20);
    State.counters["RecordMeanMs"] = Record.Mean();
    State.counters["RecordWorstMs"] = Record.Worst();
    State.counters["RecordWorstAt"] = Record.WorstAt();
    State.counters["UndoWorstAt"] = UndoT.WorstAt();
    State.counters["UndoMeanMs"] = UndoT.Mean();
    State.counters["UndoWorstMs"] = UndoT.Worst();
    State.counters["RedoMeanMs"] = RedoT.Mean();
    State.counters["RedoWorstMs"] = RedoT.Worst();
  }
}
BENCHMARK(BM_HundredMixedSteps)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
