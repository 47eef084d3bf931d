#include "parallel_bands.h"

#include <exception>
#include <thread>

namespace {

int CoreCount() {
  static const int Cores = [] {
    const unsigned N = std::thread::hardware_concurrency();
    return N >= 2 ? 2 : 1;
  }();
  return Cores;
}

}  // namespace

int BandCount(size_t Count, size_t MinItems) {
  if (Count < 2 * (MinItems == 0 ? 1 : MinItems))
    return 1;
  return CoreCount();
}

void ForEachBand(size_t Count, const std::function<void(size_t, size_t)>& Body, size_t MinItems) {
  if (Count == 0)
    return;
  if (BandCount(Count, MinItems) < 2) {
    Body(0, Count);
    return;
  }
  const size_t Half = Count / 2;
  std::exception_ptr Failure;
  std::thread Worker([&] {
    try {
      Body(0, Half);
    } catch (...) {
      Failure = std::current_exception();
    }
  });
  std::exception_ptr Own;
  try {
    Body(Half, Count);
  } catch (...) {
    Own = std::current_exception();
  }
  Worker.join();
  if (Failure)
    std::rethrow_exception(Failure);
  if (Own)
    std::rethrow_exception(Own);
}
