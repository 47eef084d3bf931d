#include "img_view32.h"

#include <algorithm>

#include "geometry.h"

// ---------------------------------------------------------------------------------------------
// Scroll bar model

float TScrollBarModel::MaxPosition() const {
  return std::max(0.0f, FRange - static_cast<float>(FWindow));
}

void TScrollBarModel::SetRange(float V) {
  if (V == FRange)
    return;
  const float Old = FRange;
  const auto W = static_cast<float>(FWindow);
  FRange = V;
  if (Centered && V > W) {
    if (Old > W)
      FPosition = V * ((W / 2 + FPosition) / Old) - W / 2;
    else
      FPosition = V / 2 - W / 2;
  }
  FPosition = std::clamp(FPosition, 0.0f, MaxPosition());
}

void TScrollBarModel::SetWindow(int32_t V) {
  if (V == FWindow)
    return;
  const auto W0 = static_cast<float>(FWindow);
  const auto W1 = static_cast<float>(V);
  FWindow = V;
  if (Centered && FRange > W1) {
    if (FRange > W0)
      FPosition = FPosition + W0 / 2 - W1 / 2;
    else
      FPosition = FRange / 2 - W1 / 2;
  }
  FPosition = std::clamp(FPosition, 0.0f, MaxPosition());
}

void TScrollBarModel::SetPosition(float V) {
  FPosition = std::clamp(V, 0.0f, MaxPosition());
}

void TScrollBarModel::UserSetPosition(float V) {
  const float Old = FPosition;
  SetPosition(V);
  if (FPosition != Old && OnUserChange)
    OnUserChange(this);
}

void TScrollBarModel::Wheel(int32_t Delta, float Increment) {
  UserSetPosition(FPosition + static_cast<float>(Delta) * Increment / 120.0f);
}

// ---------------------------------------------------------------------------------------------
// View

TCustomImgView32::TCustomImgView32(TViewHost* Host) : TCustomImage32(Host) {
  FScaleMode = smScale;
  FBitmapAlign = baCustom;
  FHorScroll.Centered = true;
  FVerScroll.Centered = true;
  FHorScroll.OnUserChange = [this](TScrollBarModel* S) { ScrollHandler(S); };
  FVerScroll.OnUserChange = [this](TScrollBarModel* S) { ScrollHandler(S); };
  AlignAll();
}

int32_t TCustomImgView32::ScrollBarThickness() const {
  if (FScrollBarSize > 0)
    return FScrollBarSize;
  return FHost != nullptr ? FHost->SystemScrollBarSize() : 16;
}

TCustomImgView32::TBarsShown TCustomImgView32::BarsShown() const {
  if (!FAutoHideBars)
    return {true, true};
  // The bitmap size of a scaled view does not depend on the viewport, so one bar's need decides
  // the other's at most once.
  const TPoint Size = GetBitmapSize();
  const int32_t T = ScrollBarThickness();
  bool Hor = Size.X > FWidth, Ver = Size.Y > FHeight;
  if (Hor && !Ver)
    Ver = Size.Y > FHeight - T;
  else if (Ver && !Hor)
    Hor = Size.X > FWidth - T;
  return {Hor, Ver};
}

TRect TCustomImgView32::GetViewportRect() const {
  const int32_t T = ScrollBarThickness();
  const TBarsShown Shown = BarsShown();
  return {0, 0, FWidth - (Shown.Ver ? T : 0), FHeight - (Shown.Hor ? T : 0)};
}

TRect TCustomImgView32::HorScrollRect() const {
  const TRect V = GetViewportRect();
  return {V.Left, V.Bottom, V.Right, FHeight};
}

TRect TCustomImgView32::VerScrollRect() const {
  const TRect V = GetViewportRect();
  return {V.Right, V.Top, FWidth, V.Bottom};
}

TRect TCustomImgView32::GripRect() const {
  const int32_t T = ScrollBarThickness();
  return {FWidth - T, FHeight - T, FWidth, FHeight};
}

bool TCustomImgView32::GripVisible() const {
  switch (FSizeGrip) {
    case sgAlways:
      return true;
    case sgNone:
      return false;
    case sgAuto:
      return FHost != nullptr && FHost->FillsWindow();
  }
  return false;
}

int32_t TCustomImgView32::ScrollIncrement() const {
  return Round(FIncrement);
}

void TCustomImgView32::SetScrollIncrement(float V) {
  FIncrement = std::max(V, 0.001f);
}

void TCustomImgView32::SetScrollBarSize(int32_t V) {
  if (V == FScrollBarSize)
    return;
  FScrollBarSize = V;
  LayOutBars();
}

void TCustomImgView32::SetAutoHideScrollBars(bool V) {
  if (V == FAutoHideBars)
    return;
  FAutoHideBars = V;
  LayOutBars();
}

void TCustomImgView32::LayOutBars() {
  const TViewOnlyScope ViewOnly(*this);
  AlignAll();
  InvalidateCache();
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
}

void TCustomImgView32::AlignAll() {
  const TRect V = GetViewportRect();
  FHorScroll.SetWindow(std::max(0, V.Width()));
  FVerScroll.SetWindow(std::max(0, V.Height()));
  NotifyBars();
}

void TCustomImgView32::NotifyBars() {
  if (FHost != nullptr)
    FHost->ScrollBarsChanged();
}

void TCustomImgView32::SetBounds(int32_t Width, int32_t Height) {
  const TViewOnlyScope ViewOnly(*this);
  if (Width == FWidth && Height == FHeight)
    return;
  FWidth = Width;
  FHeight = Height;
  FBufferValid = false;
  AlignAll();
  InvalidateCache();
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
}

void TCustomImgView32::UpdateScrollBars() {
  const TPoint Size = GetBitmapSize();
  FHorScroll.SetRange(static_cast<float>(Size.X));
  FVerScroll.SetRange(static_cast<float>(Size.Y));
  NotifyBars();
}

void TCustomImgView32::UpdateImage() {
  const TViewOnlyScope ViewOnly(*this);
  const TPoint Size = GetBitmapSize();
  const TRect V = GetViewportRect();
  const int32_t VW = V.Width(), VH = V.Height();
  BeginUpdate();
  if (FCentered && Size.X < VW)
    SetOffsetHorz(static_cast<float>(VW - Size.X) / 2);
  else
    SetOffsetHorz(-FHorScroll.Position());
  if (FCentered && Size.Y < VH)
    SetOffsetVert(static_cast<float>(VH - Size.Y) / 2);
  else
    SetOffsetVert(-FVerScroll.Position());
  InvalidateCache();
  EndUpdate();
  Changed();
}

void TCustomImgView32::ScrollToCenter(int32_t X, int32_t Y) {
  FScrollLock = true;
  AlignAll();
  const TRect V = GetViewportRect();
  FHorScroll.SetPosition(X * FScale - static_cast<float>(V.Width()) / 2);
  FVerScroll.SetPosition(Y * FScale - static_cast<float>(V.Height()) / 2);
  FScrollLock = false;
  NotifyBars();
  UpdateImage();
}

void TCustomImgView32::Scroll(int32_t Dx, int32_t Dy) {
  FScrollLock = true;
  FHorScroll.SetPosition(FHorScroll.Position() + Dx);
  FVerScroll.SetPosition(FVerScroll.Position() + Dy);
  FScrollLock = false;
  NotifyBars();
  UpdateImage();
}

void TCustomImgView32::ScrollHandler(TScrollBarModel*) {
  const TViewOnlyScope ViewOnly(*this);
  if (FScrollLock)
    return;
  NotifyBars();
  UpdateImage();
  DoScroll();
  if (FHost != nullptr)
    FHost->RepaintNow();
}

void TCustomImgView32::DoScroll() {
  if (OnScroll)
    OnScroll(this);
}

void TCustomImgView32::SetCentered(bool V) {
  const TViewOnlyScope ViewOnly(*this);
  InvalidateCache();
  FCentered = V;
  FHorScroll.Centered = V;
  FVerScroll.Centered = V;
  UpdateScrollBars();
  UpdateImage();
  if (V)
    ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  else
    ScrollToCenter(0, 0);
}

void TCustomImgView32::SetSizeGrip(TSizeGripStyle V) {
  if (V == FSizeGrip)
    return;
  FSizeGrip = V;
  Invalidate();
}

void TCustomImgView32::BitmapResized() {
  TCustomImage32::BitmapResized();
  UpdateScrollBars();
  if (FCentered) {
    ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  } else {
    if (FAutoHideBars)
      AlignAll();
    FHorScroll.SetPosition(0);
    FVerScroll.SetPosition(0);
    NotifyBars();
    UpdateImage();
  }
}

void TCustomImgView32::ScaleChanged() {
  InvalidateCache();
  // The bars' room follows the scaled size.
  if (FAutoHideBars)
    AlignAll();
  UpdateScrollBars();
  UpdateImage();
  Invalidate();
}

void TCustomImgView32::Loaded() {
  AlignAll();
  Invalidate();
  UpdateScrollBars();
  if (FCentered)
    ScrollToCenter(FBitmap->Width() / 2, FBitmap->Height() / 2);
  InitStages();
}

void TCustomImgView32::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (GripVisible() && PtInRect(GripRect(), TPoint{X, Y})) {
    if (FHost != nullptr) {
      FHost->SetMouseCapture(false);
      FHost->BeginWindowSizing();
    }
    return;
  }
  TCustomImage32::MouseDown(Button, Shift, X, Y);
}

void TCustomImgView32::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (GripVisible() && PtInRect(GripRect(), TPoint{X, Y})) {
    if (FHost != nullptr)
      FHost->SetScreenCursor(crSizeNWSE);
    return;
  }
  TCustomImage32::MouseMove(Shift, X, Y);
}
