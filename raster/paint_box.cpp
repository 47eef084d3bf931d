#include "paint_box.h"

#include <algorithm>

TCustomPaintBox32::TCustomPaintBox32(TViewHost* Host) : FHost(Host) {
  // The buffer's own notifications are never wanted: the control decides when to repaint.
  FBuffer.BeginUpdate();
}

TCustomPaintBox32::~TCustomPaintBox32() = default;

void TCustomPaintBox32::SetBounds(int32_t Width, int32_t Height) {
  if (Width == FWidth && Height == FHeight)
    return;
  FWidth = Width;
  FHeight = Height;
  FBufferValid = false;
}

void TCustomPaintBox32::Invalidate() {
  FBufferValid = false;
  RequestRepaint();
}

void TCustomPaintBox32::RequestRepaint() {
  if (FHost != nullptr)
    FHost->RequestRepaint();
}

TRect TCustomPaintBox32::GetViewportRect() const {
  return {0, 0, FWidth, FHeight};
}

void TCustomPaintBox32::ResizeBuffer() {
  const TRect V = GetViewportRect();
  const int32_t W = std::max(0, V.Width());
  const int32_t H = std::max(0, V.Height());
  if (W == FBuffer.Width() && H == FBuffer.Height())
    return;
  int32_t NewW = W, NewH = H;
  if (BufferOversize >= 0) {
    const auto Size = [this](int32_t View, int32_t Current) {
      if (View > Current)
        return View + BufferOversize;
      if (View < Current - BufferOversize)
        return View;
      return Current;
    };
    NewW = Size(W, FBuffer.Width());
    NewH = Size(H, FBuffer.Height());
  }
  if (NewW != FBuffer.Width() || NewH != FBuffer.Height()) {
    FBuffer.SetSize(NewW, NewH);
    FBufferValid = false;
  }
}

TBitmap32& TCustomPaintBox32::BeginPaint() {
  ResizeBuffer();
  if (!FBufferValid) {
    try {
      DoPaintBuffer();
    } catch (...) {
      FBufferValid = true;
      throw;
    }
    FBufferValid = true;
  }
  FBuffer.Lock();
  return FBuffer;
}

void TCustomPaintBox32::EndPaint() {
  FBuffer.Unlock();
  if (OnGDIOverlay)
    OnGDIOverlay(this);
}

void TCustomPaintBox32::DoPaintBuffer() {}
