#pragma once
// Decoding the pictures of thumbnail cells on worker threads, so the picker's window stays
// responsive while a large folder loads.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "thumb_picture.h"

struct TThumbJob {
  int32_t Index = 0;  // the cell, handed back with its result
  std::string Path;
};

struct TThumbResult {
  uint64_t Ticket = 0;  // the batch it belongs to
  int32_t Index = 0;
  bool Ok = false;
  std::string Error;  // the reader's message when the picture could not be read
  TThumbPicture Picture;
};

// Worker threads, started with the first batch, take the jobs of the current batch in order.
// Starting a new batch or cancelling drops the jobs not yet taken and every result of the old
// batch. Results are collected with TakeResults on the owner's thread.
class TThumbLoader {
 public:
  explicit TThumbLoader(int32_t Workers = DefaultWorkers());
  ~TThumbLoader();
  TThumbLoader(const TThumbLoader&) = delete;
  TThumbLoader& operator=(const TThumbLoader&) = delete;

  // Called on a worker thread when a result arrives and the previous ones have been taken.
  // Set it before the first batch.
  std::function<void()> OnResults;

  // One worker per core, at most 4.
  static int32_t DefaultWorkers();

  // Starts decoding the jobs; returns the ticket that the results carry.
  uint64_t Start(std::vector<TThumbJob> Jobs, int32_t MaxWidth, int32_t MaxHeight, bool MinMemory);
  void Cancel();
  // The results of the current batch that have arrived, in arrival order; with Wait, blocks
  // until there is at least one or nothing is left to decode.
  std::vector<TThumbResult> TakeResults(bool Wait = false);
  // True while jobs of the current batch are waiting or being decoded.
  bool Busy() const;

 private:
  void Run();

  const int32_t FWorkerCount;
  std::vector<std::thread> FWorkers;
  mutable std::mutex FMutex;
  std::condition_variable FWork;
  std::condition_variable FDone;
  bool FStop = false;
  uint64_t FTicket = 0;
  std::vector<TThumbJob> FJobs;
  size_t FNext = 0;
  int32_t FRunning = 0;  // jobs of the current batch being decoded
  int32_t FMaxWidth = 0, FMaxHeight = 0;
  bool FMinMemory = true;
  std::vector<TThumbResult> FResults;
};
