#include "thread_persistent.h"

#include "exceptions.h"

namespace {
// Guards every object's lock count, so that it reads consistently from any thread.
std::mutex& LockCountMutex() {
  static std::mutex M;
  return M;
}
}  // namespace

void TThreadPersistent::EndUpdate() {
  if (FUpdateCount <= 0)
    throw EThreadPersistentError("Unpaired TThreadPersistent.EndUpdate");
  --FUpdateCount;
}

void TThreadPersistent::Changed() {
  if (FUpdateCount == 0 && OnChange)
    OnChange(this);
}

void TThreadPersistent::Lock() {
  {
    const std::lock_guard<std::mutex> G(LockCountMutex());
    ++FLockCount;
  }
  FLock.lock();
}

void TThreadPersistent::Unlock() {
  FLock.unlock();
  const std::lock_guard<std::mutex> G(LockCountMutex());
  --FLockCount;
}

int32_t TThreadPersistent::LockCount() const {
  const std::lock_guard<std::mutex> G(LockCountMutex());
  return FLockCount;
}

void TCustomMap::NotifyResize() {
  if (OnResize)
    OnResize(this);
}

bool TCustomMap::SetSize(int32_t W, int32_t H) {
  if (W == FWidth && H == FHeight)
    return false;
  FWidth = W;
  FHeight = H;
  return true;
}
