#pragma once
// What the image controls need from the window system that shows them.
#include "input.h"

class TViewHost {
 public:
  virtual ~TViewHost() = default;
  // Asks for a paint of the control at the window system's convenience.
  virtual void RequestRepaint() = 0;
  // Paints the control now (an overlay change, a scroll by the user).
  virtual void RepaintNow() = 0;
  virtual void SetScreenCursor(TCursor Cursor) = 0;
  virtual void SetMouseCapture(bool Capture) = 0;
  virtual bool CanFocus() const { return false; }
  virtual void SetFocus() {}
  // The system's horizontal scroll bar height, used when the view sets no thickness of its own.
  virtual int SystemScrollBarSize() const { return 16; }
  // The control was asked to take another size (AutoSize).
  virtual void RequestSize(int /*Width*/, int /*Height*/) {}
  // The scroll bar models changed range, position or layout.
  virtual void ScrollBarsChanged() {}
  // True when the control and its parents fill the window (an automatic size grip shows then).
  virtual bool FillsWindow() const { return false; }
  // A press on the size grip: the window system resizes the window from its bottom-right corner.
  virtual void BeginWindowSizing() {}
};
