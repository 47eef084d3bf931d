// Time and memory of the undo records on a large layer: a quarter turn records one copy of the
// bitmap; undo and redo exchange buffers and copy nothing. Memory is reported in "copies", the
// size of one bitmap of the layer (6000 x 4000 x 4 bytes).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "card_document.h"
#include "layer_commands.h"
#include "undo.h"

namespace {

constexpr int32_t LayerW = 6000, LayerH = 4000;
constexpr double CopyBytes = double(LayerW) * LayerH * 4;

// A "Vm..." field of /proc/self/status in bytes; 0 when it cannot be read.
int64_t StatusBytes(const std::string& Field) {
  std::ifstream In("/proc/self/status");
  std::string Line;
  while (std::getline(In, Line))
    if (Line.compare(0, Field.size() + 1, Field + ":") == 0)
      return std::strtoll(Line.c_str() + Field.size() + 1, nullptr, 10) * 1024;
  return 0;
}

// Starts a new peak: the kernel sets VmHWM back to the current resident size.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// A document with one selected 6000 x 4000 layer whose every page is resident.
struct TLargeLayerCard {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Cmd{Doc, Undo};

  TLargeLayerCard() {
    View.SetBounds(800, 600);
    Doc.NewCanvas(800, 600, 0xFFFFFFFF);
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    L->Bitmap()->SetSize(LayerW, LayerH);
    TColor32* P = L->Bitmap()->Bits();
    for (int64_t I = 0, N = int64_t{LayerW} * LayerH; I < N; ++I)
      P[I] = 0xFF000000u | static_cast<TColor32>(I * 2654435761u >> 8);
    Doc.AdoptContentLayer(L);
    L->SetLocation({0, 0, 600, 400});
    Doc.SetSelection(L);
  }
};

void ReportMemory(benchmark::State& State, int64_t Base) {
  const int64_t Peak = StatusBytes("VmHWM"), Now = StatusBytes("VmRSS");
  State.counters["VmHWM_MiB"] = static_cast<double>(Peak) / (1 << 20);
  State.counters["PeakGrowthCopies"] = static_cast<double>(Peak - Base) / CopyBytes;
  State.counters["ResidentGrowthCopies"] = static_cast<double>(Now - Base) / CopyBytes;
}

void BM_RotateUndoRedo(benchmark::State& State) {
  TLargeLayerCard Card;
  ResetPeak();
  const int64_t Base = StatusBytes("VmRSS");
  for (auto _ : State) {
    Card.Cmd.RotateRight();
    Card.Undo.Undo();
    Card.Undo.Redo();
    benchmark::ClobberMemory();
  }
  ReportMemory(State, Base);
}
BENCHMARK(BM_RotateUndoRedo)->Unit(benchmark::kMillisecond)->Iterations(6);

// Undo and redo alone, once the record exists.
void BM_UndoRedo(benchmark::State& State) {
  TLargeLayerCard Card;
  Card.Cmd.RotateRight();
  ResetPeak();
  const int64_t Base = StatusBytes("VmRSS");
  for (auto _ : State) {
    Card.Undo.Undo();
    Card.Undo.Redo();
    benchmark::ClobberMemory();
  }
  ReportMemory(State, Base);
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
