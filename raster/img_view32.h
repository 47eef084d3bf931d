#pragma once
// An image control with two scroll bars, centring of a small bitmap and an optional size grip.
#include <functional>

#include "image32.h"

// The state of one scroll bar: a float range and position over a window (the bar's length).
// The window system draws the bar and feeds the user's changes back through UserSetPosition.
class TScrollBarModel {
 public:
  float Range() const { return FRange; }
  float Position() const { return FPosition; }
  int32_t Window() const { return FWindow; }
  // max(0, Range - Window).
  float MaxPosition() const;

  // A centred bar keeps its relative centre when the range or the window changes.
  bool Centered = true;
  void SetRange(float V);
  void SetWindow(int32_t V);
  // Clamped; a change made by the program does not call OnUserChange.
  void SetPosition(float V);
  // A change made by the user: clamped, then OnUserChange when the position moved.
  void UserSetPosition(float V);
  // A wheel notch over the bar: Delta x Increment / 120.
  void Wheel(int32_t Delta, float Increment);

  std::function<void(TScrollBarModel* Sender)> OnUserChange;

 private:
  float FRange = 0;
  float FPosition = 0;
  int32_t FWindow = 0;
};

enum TSizeGripStyle { sgAuto = 0, sgNone = 1, sgAlways = 2 };

class TCustomImgView32 : public TCustomImage32 {
 public:
  explicit TCustomImgView32(TViewHost* Host = nullptr);

  TRect GetViewportRect() const override;
  void SetBounds(int32_t Width, int32_t Height) override;

  bool Centered() const { return FCentered; }
  void SetCentered(bool V);
  TSizeGripStyle SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(TSizeGripStyle V);
  // Pixels scrolled per wheel notch over a bar; at least 0.001, read back rounded.
  int32_t ScrollIncrement() const;
  void SetScrollIncrement(float V);
  // The bars' thickness; 0 uses the system's scroll bar size.
  int32_t ScrollBarSize() const { return FScrollBarSize; }
  void SetScrollBarSize(int32_t V);
  int32_t ScrollBarThickness() const;
  // Off by default: both bars always take their room. On: a bar with nothing to scroll is
  // hidden and its room belongs to the viewport.
  bool AutoHideScrollBars() const { return FAutoHideBars; }
  void SetAutoHideScrollBars(bool V);
  // Whether each bar takes its room now.
  bool HorBarShown() const { return BarsShown().Hor; }
  bool VerBarShown() const { return BarsShown().Ver; }

  TScrollBarModel& HorScroll() { return FHorScroll; }
  TScrollBarModel& VerScroll() { return FVerScroll; }
  // Where the bars and the grip lie in the control.
  TRect HorScrollRect() const;
  TRect VerScrollRect() const;
  TRect GripRect() const;
  bool GripVisible() const;

  void ScrollToCenter(int32_t X, int32_t Y);
  void Scroll(int32_t Dx, int32_t Dy);
  void UpdateScrollBars();
  void UpdateImage();
  // After the control's creation: lays out, centres and initialises the stages.
  void Loaded();

  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;

  TNotifyEvent OnScroll;

 protected:
  void BitmapResized() override;
  void ScaleChanged() override;
  virtual void DoScroll();
  virtual void ScrollHandler(TScrollBarModel* Sender);
  void AlignAll();
  void NotifyBars();
  // The bars' room changed: windows, ranges, the image's place and the buffer follow.
  void LayOutBars();
  struct TBarsShown {
    bool Hor, Ver;
  };
  TBarsShown BarsShown() const;

  TScrollBarModel FHorScroll;
  TScrollBarModel FVerScroll;
  bool FCentered = true;
  TSizeGripStyle FSizeGrip = sgAuto;
  float FIncrement = 8;
  int32_t FScrollBarSize = 0;
  bool FScrollLock = false;
  bool FAutoHideBars = false;
};

using TImgView32 = TCustomImgView32;
