#include "layer_painting.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <typeinfo>

#include "bitmap_layer.h"

// ---------------------------------------------------------------------------------------------
// Painting layers on two threads.
//
// A bitmap layer writes only the pixels of its destination rectangle, reading them and its own
// bitmap. Two layers whose rectangles do not meet therefore give the same pixels in either order
// or at the same time, and a layer only has to wait for the earlier layers whose rectangles meet
// its own. The layers are taken in paint order by two threads, each taking the first layer whose
// earlier overlapping layers are done; the result equals painting them one after another.

namespace {

TLayerPaintMode PaintMode = TLayerPaintMode::Concurrent;
int64_t ConcurrentMinPixels = 1 << 18;

// One helper thread, started on first use, that runs a share of a paint next to the caller.
class TPaintHelper {
 public:
  static TPaintHelper& Instance() {
    static TPaintHelper Helper;
    return Helper;
  }

  // Runs Job on the calling thread and, when it is free, on the helper thread, and returns when
  // every started Job has returned. A Job the helper has not started by the time the caller's
  // own returned is withdrawn: Job must do all the work on one thread if need be.
  void RunShared(const std::function<void()>& Job) {
    std::unique_lock<std::mutex> Use(FUse, std::try_to_lock);
    if (!Use.owns_lock()) {
      Job();
      return;
    }
    {
      std::lock_guard<std::mutex> Lock(FMutex);
      FJob = &Job;
      FStarted = false;
    }
    FWake.notify_one();
    Job();
    std::unique_lock<std::mutex> Lock(FMutex);
    if (!FStarted) {
      FJob = nullptr;
      return;
    }
    FWake.wait(Lock, [this] { return FJob == nullptr; });
  }

  TPaintHelper(const TPaintHelper&) = delete;
  TPaintHelper& operator=(const TPaintHelper&) = delete;

 private:
  TPaintHelper() : FThread([this] { Loop(); }) {}
  ~TPaintHelper() {
    {
      std::lock_guard<std::mutex> Lock(FMutex);
      FStop = true;
    }
    FWake.notify_all();
    FThread.join();
  }

  void Loop() {
    std::unique_lock<std::mutex> Lock(FMutex);
    for (;;) {
      FWake.wait(Lock, [this] { return FStop || (FJob != nullptr && !FStarted); });
      if (FStop)
        return;
      const std::function<void()>* Job = FJob;
      FStarted = true;
      Lock.unlock();
      (*Job)();
      Lock.lock();
      FJob = nullptr;
      FWake.notify_all();
    }
  }

  std::mutex FUse;  // one caller at a time
  std::mutex FMutex;
  std::condition_variable FWake;
  const std::function<void()>* FJob = nullptr;
  bool FStarted = false;  // the helper took FJob
  bool FStop = false;
  std::thread FThread;  // last, so that the members above exist when it starts
};

}  // namespace

// A layer whose painting is known: a plain bitmap layer without a paint handler or a combine
// handler of its own.
bool PaintsOnlyItsRect(TCustomLayer* L) {
  if (typeid(*L) != typeid(TBitmapLayer) || L->OnPaint)
    return false;
  const TBitmap32* B = static_cast<TBitmapLayer*>(L)->Bitmap();
  return !(B->DrawMode() == dmCustom && B->OnPixelCombine);
}

static bool RectsMeet(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// Paints the tasks on two threads, or with LastReadyFirst on the calling thread alone, taking
// each time the last layer that may be painted.
void PaintConcurrently(std::vector<TLayerTask>& Tasks, TBitmap32& Dest, bool LastReadyFirst) {
  for (size_t I = 0; I < Tasks.size(); ++I)
    for (size_t J = 0; J < I; ++J)
      if (RectsMeet(Tasks[I].Rect, Tasks[J].Rect))
        Tasks[I].After.push_back(J);

  enum : uint8_t { Waiting, Running, Done };
  std::vector<uint8_t> State(Tasks.size(), Waiting);
  std::vector<std::exception_ptr> Errors(Tasks.size());
  bool Failed = false;
  std::mutex Mutex;
  std::condition_variable Progress;
  const std::function<void()> Work = [&] {
    std::unique_lock<std::mutex> Lock(Mutex);
    for (;;) {
      if (Failed)
        return;
      // The first waiting task is the one painting in order would take; a later one may start
      // when everything it overlaps is done.
      bool AnyWaiting = false;
      size_t Pick = Tasks.size();
      for (size_t I = 0; I < Tasks.size() && (LastReadyFirst || Pick == Tasks.size()); ++I) {
        if (State[I] != Waiting)
          continue;
        AnyWaiting = true;
        if (std::all_of(Tasks[I].After.begin(), Tasks[I].After.end(),
                        [&](size_t J) { return State[J] == Done; }))
          Pick = I;
      }
      if (!AnyWaiting)
        return;
      if (Pick == Tasks.size()) {
        Progress.wait(Lock);
        continue;
      }
      State[Pick] = Running;
      Lock.unlock();
      std::exception_ptr Error;
      try {
        Tasks[Pick].Layer->DoPaint(Dest);
      } catch (...) {
        Error = std::current_exception();
      }
      Lock.lock();
      State[Pick] = Done;
      if (Error) {
        Errors[Pick] = Error;
        Failed = true;
      }
      Progress.notify_all();
    }
  };
  if (LastReadyFirst)
    Work();
  else
    TPaintHelper::Instance().RunShared(Work);
  for (const std::exception_ptr& E : Errors)
    if (E)
      std::rethrow_exception(E);
}

void SetLayerPaintMode(TLayerPaintMode Mode, int64_t MinPixels) {
  PaintMode = Mode;
  ConcurrentMinPixels = MinPixels;
}
TLayerPaintMode GetLayerPaintMode() {
  return PaintMode;
}
int64_t ConcurrentLayerMinPixels() {
  return ConcurrentMinPixels;
}
