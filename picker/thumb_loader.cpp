#include "thumb_loader.h"

#include <algorithm>
#include <exception>

#include "user_error_text.h"

TThumbLoader::TThumbLoader(int32_t Workers) : FWorkerCount(std::max(1, Workers)) {}

TThumbLoader::~TThumbLoader() {
  {
    const std::lock_guard<std::mutex> G(FMutex);
    FStop = true;
    FJobs.clear();
  }
  FWork.notify_all();
  for (std::thread& T : FWorkers) T.join();
}

int32_t TThumbLoader::DefaultWorkers() {
  const unsigned N = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp(N, 1u, 4u));
}

uint64_t TThumbLoader::Start(std::vector<TThumbJob> Jobs, int32_t MaxWidth, int32_t MaxHeight,
                             bool MinMemory) {
  uint64_t Ticket;
  {
    const std::lock_guard<std::mutex> G(FMutex);
    Ticket = ++FTicket;
    FJobs = std::move(Jobs);
    FNext = 0;
    FMaxWidth = MaxWidth;
    FMaxHeight = MaxHeight;
    FMinMemory = MinMemory;
    FResults.clear();
    while (int32_t(FWorkers.size()) < FWorkerCount) FWorkers.emplace_back([this] { Run(); });
  }
  FWork.notify_all();
  return Ticket;
}

void TThumbLoader::Cancel() {
  {
    const std::lock_guard<std::mutex> G(FMutex);
    ++FTicket;
    FJobs.clear();
    FNext = 0;
    FResults.clear();
  }
  FDone.notify_all();
}

std::vector<TThumbResult> TThumbLoader::TakeResults(bool Wait) {
  std::unique_lock<std::mutex> L(FMutex);
  if (Wait)
    FDone.wait(L, [this] { return !FResults.empty() || (FNext >= FJobs.size() && FRunning == 0); });
  std::vector<TThumbResult> R;
  R.swap(FResults);
  return R;
}

bool TThumbLoader::Busy() const {
  const std::lock_guard<std::mutex> G(FMutex);
  return FNext < FJobs.size() || FRunning > 0;
}

void TThumbLoader::Run() {
  std::unique_lock<std::mutex> L(FMutex);
  for (;;) {
    FWork.wait(L, [this] { return FStop || FNext < FJobs.size(); });
    if (FStop)
      return;
    const TThumbJob Job = FJobs[FNext++];
    const uint64_t Ticket = FTicket;
    const int32_t W = FMaxWidth, H = FMaxHeight;
    const bool MinMemory = FMinMemory;
    ++FRunning;
    L.unlock();

    TThumbResult R;
    R.Ticket = Ticket;
    R.Index = Job.Index;
    try {
      R.Picture = LoadThumbPicture(Job.Path, W, H, MinMemory);
      R.Ok = true;
    } catch (const std::exception& E) {
      R.Error = UserErrorText(E);
    } catch (...) {
      R.Error = "Картинку не удалось прочитать";
    }

    L.lock();
    // Running counts jobs of whatever batch is current; a job of an old batch still finishes
    // its count here and its result is dropped.
    --FRunning;
    bool Tell = false;
    if (Ticket == FTicket) {
      Tell = FResults.empty();
      FResults.push_back(std::move(R));
    }
    FDone.notify_all();
    if (Tell && OnResults) {
      L.unlock();
      OnResults();
      L.lock();
    }
  }
}
