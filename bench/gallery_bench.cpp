// Filling the composition panel's two galleries as the start-up timer does: the pickers of the
// folders "Decor" (cells of 82 x 82) and "Captions" (200 x 82) in the data folder, both started
// at once, their pictures decoded by the loaders' threads. Reports listing_ms (what the start-up
// timer's handler itself takes on the window's thread: listing the folders and making the
// cells), total_ms (until the last picture of both is in), decor_ms and captions_ms (each gallery
// alone, one after the other) and the number of files. The data folder is the one generated next to
// the benchmark (PELMORA_DATA_DIR names another).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "picture_codecs.h"
#include "thumbview_model.h"

namespace {

using TClock = std::chrono::steady_clock;

std::filesystem::path DataDir() {
  if (const char* E = std::getenv("PELMORA_DATA_DIR"))
    return E;
  return PELMORA_DATA_DIR;
}

void SetUp(TThumbviewModel& M, int32_t Width) {
  M.SetBounds(310, 240);  // a gallery on its tab
  M.SetMaxWidth(Width);
  M.SetMaxHeight(82);
  M.SetSize(100);
  M.SetScrollMode(SMVertical);
  M.SetMinMemory(true);
  M.SetTitlePlacement(T_Down);
  M.Painting();
}

double Since(TClock::time_point T) {
  return std::chrono::duration<double, std::milli>(TClock::now() - T).count();
}

void GalleriesFill(benchmark::State& State) {
  RegisterPictureCodecs();
  const std::string Decor = (DataDir() / "Decor").string();
  const std::string Captions = (DataDir() / "Captions").string();
  double Total = 0, Listing = 0, DecorMs = 0, CaptionsMs = 0;
  int32_t Files = 0;
  for (auto _ : State) {
    {
      TThumbviewModel D, C;
      SetUp(D, 82);
      SetUp(C, 200);
      const auto Start = TClock::now();
      D.SetDirectory(Decor);
      C.SetDirectory(Captions);
      Listing = Since(Start);
      bool More = true;
      while (More) {
        const bool MoreD = D.DeliverPictures(true);
        const bool MoreC = C.DeliverPictures(!MoreD);
        More = MoreD || MoreC;
      }
      Total = Since(Start);
      Files = D.Count() + C.Count();
    }
    for (auto [Folder, Width, Ms] :
         {std::tuple{Decor, 82, &DecorMs}, {Captions, 200, &CaptionsMs}}) {
      TThumbviewModel M;
      SetUp(M, Width);
      const auto Start = TClock::now();
      M.SetDirectory(Folder);
      while (M.DeliverPictures(true)) {
      }
      *Ms = Since(Start);
    }
  }
  if (Files == 0)
    State.SkipWithError("no gallery pictures in the data folder");
  State.counters["files"] = Files;
  State.counters["total_ms"] = Total;
  State.counters["listing_ms"] = Listing;
  State.counters["decor_ms"] = DecorMs;
  State.counters["captions_ms"] = CaptionsMs;
}

}  // namespace

BENCHMARK(GalleriesFill)->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
