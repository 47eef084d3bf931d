#pragma once
// A control that paints from a private back buffer, repainting the buffer only when invalid.
#include <cstdint>
#include <exception>

#include "bitmap32.h"
#include "color32.h"
#include "thread_persistent.h"
#include "types.h"
#include "view_host.h"

class TCustomPaintBox32 : public TObject {
 public:
  explicit TCustomPaintBox32(TViewHost* Host = nullptr);
  ~TCustomPaintBox32() override;
  TCustomPaintBox32(const TCustomPaintBox32&) = delete;
  TCustomPaintBox32& operator=(const TCustomPaintBox32&) = delete;

  TViewHost* Host() const { return FHost; }
  void SetHost(TViewHost* Host) { FHost = Host; }

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // The window system resized the control.
  virtual void SetBounds(int32_t Width, int32_t Height);

  TBitmap32& Buffer() { return FBuffer; }
  bool BufferValid() const { return FBufferValid; }
  // Pixels the buffer grows beyond the viewport; -1 keeps it exactly the viewport's size.
  int32_t BufferOversize = 40;

  // Marks the buffer invalid and asks for a repaint.
  virtual void Invalidate();
  virtual TRect GetViewportRect() const;

  // A paint request: sizes the buffer, runs the stages when it is invalid and returns the
  // buffer locked; the host copies the viewport-sized top-left part and calls EndPaint. A stage
  // that fails leaves the buffer as far as it got and marked valid, so the failure is raised
  // once, not on every repaint; the next invalidation paints again.
  TBitmap32& BeginPaint();
  // Unlocks the buffer, then OnGDIOverlay.
  void EndPaint();

  // The control's colour (a platform colour), used by the clearing stages.
  TPlatformColor Color = SystemColorFlag | 15;  // button face
  TNotifyEvent OnGDIOverlay;

 protected:
  // Brings the buffer to the viewport's size, keeping a margin of BufferOversize.
  void ResizeBuffer();
  virtual void DoPaintBuffer();
  void RequestRepaint();

  TViewHost* FHost;
  TBitmap32 FBuffer;
  bool FBufferValid = false;
  int32_t FWidth = 192;
  int32_t FHeight = 192;
};

// Pairs BeginPaint with EndPaint over a scope. Left by an exception, the buffer is only
// unlocked (the overlay hook does not run while an error is on its way out).
class TPaintScope {
 public:
  explicit TPaintScope(TCustomPaintBox32& Box)
      : FBox(Box), FBuffer(Box.BeginPaint()), FUncaught(std::uncaught_exceptions()) {}
  ~TPaintScope() noexcept(false) {
    if (std::uncaught_exceptions() > FUncaught)
      FBuffer.Unlock();
    else
      FBox.EndPaint();
  }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;

  TBitmap32& Buffer() { return FBuffer; }

 private:
  TCustomPaintBox32& FBox;
  TBitmap32& FBuffer;
  int FUncaught;
};
