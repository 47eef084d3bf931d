#pragma once
// Change notification with update nesting, and a per-object recursive lock.
#include <functional>
#include <mutex>

// Root of the program's object classes, so that callbacks can name their sender.
class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TThreadPersistent : public TObject {
 public:
  TThreadPersistent() = default;
  TThreadPersistent(const TThreadPersistent&) = delete;
  TThreadPersistent& operator=(const TThreadPersistent&) = delete;
  ~TThreadPersistent() override = default;

  void BeginUpdate() { ++FUpdateCount; }
  // Raises "Unpaired TThreadPersistent.EndUpdate" without a matching BeginUpdate. Does not call
  // Changed: callers that nest updates notify once themselves.
  void EndUpdate();
  // Calls OnChange(this) while the update count is 0.
  virtual void Changed();

  void Lock();
  void Unlock();
  int32_t LockCount() const;
  int32_t UpdateCount() const { return FUpdateCount; }

  TNotifyEvent OnChange;

 private:
  std::recursive_mutex FLock;
  int32_t FLockCount = 0;
  int32_t FUpdateCount = 0;
};

// A width and a height; the base of bitmaps.
class TCustomMap : public TThreadPersistent {
 public:
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  void SetWidth(int32_t W) { SetSize(W, FHeight); }
  void SetHeight(int32_t H) { SetSize(FWidth, H); }

  virtual void MakeEmpty() { SetSize(0, 0); }
  virtual bool IsEmpty() const { return FWidth == 0 || FHeight == 0; }
  virtual void NotifyResize();
  // True when the size changed; the base class only stores the values.
  virtual bool SetSize(int32_t W, int32_t H);

  TNotifyEvent OnResize;

 protected:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
};
