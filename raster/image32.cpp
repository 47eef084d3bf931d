#include "image32.h"

#include <algorithm>
#include <exception>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "geometry.h"

TPaintStage& TPaintStages::Add() {
  FItems.push_back(TPaintStage{});
  return FItems.back();
}

TCustomImage32::TCustomImage32(TViewHost* Host)
    : TCustomPaintBox32(Host),
      FBitmap(std::make_unique<TBitmap32>()),
      FLayers(std::make_unique<TLayerCollection>(static_cast<TLayerOwner*>(this))) {
  FBitmap->OnChange = [this](TObject*) { BitmapChanged(); };
  FBitmap->OnResize = [this](TObject*) { BitmapResized(); };
  FLayers->SetCoordXForm(&FCachedXForm);
  FLayers->OnChange = [this](TObject*) { Changed(); };
  FLayers->OnOverlayUpdate = [this](TObject*) {
    if (FHost != nullptr)
      FHost->RepaintNow();
  };
  InitDefaultStages();
}

TCustomImage32::~TCustomImage32() {
  FPaintStages.Clear();
  FLayers->OnChange = nullptr;
  FLayers->OnOverlayUpdate = nullptr;
  FLayers.reset();
  FBitmap->OnChange = nullptr;
  FBitmap->OnResize = nullptr;
}

void TCustomImage32::InitDefaultStages() {
  const TPaintStage Defaults[] = {{true, true, PST_CLEAR_BACKGND, 0},
                                  {true, false, PST_CONTROL_FRAME, 0},
                                  {true, true, PST_DRAW_BITMAP, 0},
                                  {true, false, PST_BITMAP_FRAME, 0},
                                  {true, true, PST_DRAW_LAYERS, LayerVisible}};
  for (const TPaintStage& S : Defaults) FPaintStages.Add() = S;
}

void TCustomImage32::InitStages() {
  if (OnInitStages)
    OnInitStages(this);
}

void TCustomImage32::SetBitmap(const TBitmap32* Value) {
  InvalidateCache();
  FBitmap->Assign(Value);
}

template <class TValue>
void TCustomImage32::SetViewSetting(TValue& Setting, TValue V) {
  const TViewOnlyScope ViewOnly(*this);
  if (V == Setting)
    return;
  InvalidateCache();
  Setting = V;
  Changed();
}

void TCustomImage32::SetBitmapAlign(TBitmapAlign V) {
  const TViewOnlyScope ViewOnly(*this);
  InvalidateCache();
  FBitmapAlign = V;
  Changed();
}

void TCustomImage32::SetOffsetHorz(float V) {
  SetViewSetting(FOffsetHorz, V);
}

void TCustomImage32::SetOffsetVert(float V) {
  SetViewSetting(FOffsetVert, V);
}

void TCustomImage32::SetScale(float V) {
  const TViewOnlyScope ViewOnly(*this);
  if (V < 0.001f)
    V = 0.001f;
  if (V == FScale)
    return;
  InvalidateCache();
  FScale = V;
  ScaleChanged();
  Changed();
}

void TCustomImage32::SetScaleMode(TScaleMode V) {
  SetViewSetting(FScaleMode, V);
}

void TCustomImage32::BeginUpdate() {
  ++FUpdateCount;
}

void TCustomImage32::EndUpdate() {
  if (FUpdateCount <= 0)
    throw EListError("Unpaired EndUpdate call");
  --FUpdateCount;
}

void TCustomImage32::Changed() {
  if (FUpdateCount != 0)
    return;
  Invalidate();
  if (OnChange)
    OnChange(this);
}

void TCustomImage32::Invalidate() {
  InvalidateCache();
  TCustomPaintBox32::Invalidate();
}

void TCustomImage32::SetBounds(int32_t Width, int32_t Height) {
  if (Width == FWidth && Height == FHeight)
    return;
  TCustomPaintBox32::SetBounds(Width, Height);
  InvalidateCache();
}

void TCustomImage32::BitmapChanged() {
  Changed();
}

void TCustomImage32::BitmapResized() {
  if (AutoSize && FHost != nullptr) {
    int32_t W = FBitmap->Width(), H = FBitmap->Height();
    if (FScaleMode == smScale) {
      W = Round(W * FScale);
      H = Round(H * FScale);
    }
    if (W > 0 && H > 0)
      FHost->RequestSize(W, H);
  }
  if (FUpdateCount == 0 && OnBitmapResize)
    OnBitmapResize(this);
  InvalidateCache();
  Invalidate();
}

TPoint TCustomImage32::GetBitmapSize() const {
  if (FBitmap->IsEmpty() || FWidth == 0 || FHeight == 0)
    return {0, 0};
  const int32_t BW = FBitmap->Width(), BH = FBitmap->Height();
  switch (FScaleMode) {
    case smNormal:
      return {BW, BH};
    case smStretch:
      return {FWidth, FHeight};
    case smScale:
      return {Round(BW * FScale), Round(BH * FScale)};
    case smResize: {
      const float Sx = static_cast<float>(FWidth) / static_cast<float>(BW);
      const float Sy = static_cast<float>(FHeight) / static_cast<float>(BH);
      if (Sx >= Sy)
        return {Round(BW * Sy), FHeight};
      return {FWidth, Round(Sx * BH)};
    }
  }
  return {0, 0};
}

TRect TCustomImage32::GetBitmapRect() const {
  if (FBitmap->IsEmpty())
    return {};
  const TPoint Size = GetBitmapSize();
  TRect R{0, 0, Size.X, Size.Y};
  switch (FBitmapAlign) {
    case baCenter:
      OffsetRect(R, (FWidth - Size.X) / 2, (FHeight - Size.Y) / 2);
      break;
    case baCustom:
      OffsetRect(R, Round(FOffsetHorz), Round(FOffsetVert));
      break;
    case baTopLeft:
    case baTile:
      break;
  }
  return R;
}

namespace {
TFix16 MulDiv(int32_t A, int32_t B, int32_t C) {
  return MulDivRound(A, B, C);
}
}  // namespace

void TCustomImage32::UpdateCache() {
  if (FCacheValid)
    return;
  FCachedBitmapRect = GetBitmapRect();
  const TRect& R = FCachedBitmapRect;
  if (FBitmap->IsEmpty() || R.Width() < 1 || R.Height() < 1) {
    FCachedXForm = TCoordXForm{};
    FInvScaleX = FInvScaleY = 0x10000;
  } else {
    const int32_t BW = FBitmap->Width(), BH = FBitmap->Height();
    FCachedXForm.ShiftX = R.Left;
    FCachedXForm.ShiftY = R.Top;
    FCachedXForm.ScaleX = MulDiv(R.Width(), 65536, BW);
    FCachedXForm.ScaleY = MulDiv(R.Height(), 65536, BH);
    FInvScaleX = MulDiv(BW, 65536, R.Width());
    FInvScaleY = MulDiv(BH, 65536, R.Height());
  }
  FCacheValid = true;
}

const TCoordXForm& TCustomImage32::CachedXForm() {
  UpdateCache();
  return FCachedXForm;
}

TRect TCustomImage32::CachedBitmapRect() {
  UpdateCache();
  return FCachedBitmapRect;
}

TPoint TCustomImage32::ControlToBitmap(const TPoint& P) {
  UpdateCache();
  return {static_cast<int32_t>(int64_t{P.X - FCachedXForm.ShiftX} * FInvScaleX / 65536),
          static_cast<int32_t>(int64_t{P.Y - FCachedXForm.ShiftY} * FInvScaleY / 65536)};
}

TPoint TCustomImage32::BitmapToControl(const TPoint& P) {
  UpdateCache();
  return {static_cast<int32_t>(int64_t{P.X} * FCachedXForm.ScaleX / 65536 + FCachedXForm.ShiftX),
          static_cast<int32_t>(int64_t{P.Y} * FCachedXForm.ScaleY / 65536 + FCachedXForm.ShiftY)};
}

void TCustomImage32::DoPaintBuffer() {
  UpdateCache();
  RunStages(FBuffer, true);
}

void TCustomImage32::RunStages(TBitmap32& Dest, bool CheckDesign) {
  for (int32_t I = 0; I < FPaintStages.Count(); ++I) {
    const TPaintStage& S = FPaintStages.Items(I);
    const bool Runs = CheckDesign ? (Designing ? S.DsgnVisible : S.RTVisible) : S.RTVisible;
    if (!Runs)
      continue;
    const auto Num = static_cast<uint32_t>(I);
    switch (S.Stage) {
      case PST_CUSTOM:
        ExecCustom(Dest, Num);
        break;
      case PST_CLEAR_BUFFER:
        ExecClearBuffer(Dest, Num);
        break;
      case PST_CLEAR_BACKGND:
        ExecClearBackgnd(Dest, Num);
        break;
      case PST_DRAW_BITMAP:
        ExecDrawBitmap(Dest, Num);
        break;
      case PST_DRAW_LAYERS:
        ExecDrawLayers(Dest, Num);
        break;
      case PST_CONTROL_FRAME:
        ExecControlFrame(Dest, Num);
        break;
      case PST_BITMAP_FRAME:
        ExecBitmapFrame(Dest, Num);
        break;
      default:
        break;
    }
  }
}

void TCustomImage32::ExecClearBuffer(TBitmap32& Dest, uint32_t) {
  Dest.Clear(ColorFromSystem(Color));
}

void TCustomImage32::ExecClearBackgnd(TBitmap32& Dest, uint32_t) {
  const TColor32 C = ColorFromSystem(Color);
  if (FBitmap->IsEmpty() || FBitmap->DrawMode() != dmOpaque) {
    Dest.Clear(C);
    return;
  }
  const TRect& R = FCachedBitmapRect;
  const int32_t W = FWidth, H = FHeight;
  if (R.Left > 0 || R.Right < W || R.Top > 0 || (R.Bottom < H && FBitmapAlign != baTile)) {
    Dest.FillRectSafe(0, 0, W, R.Top, C);
    Dest.FillRectSafe(0, R.Bottom, W, H, C);
    Dest.FillRectSafe(0, R.Top, R.Left, R.Bottom, C);
    Dest.FillRectSafe(R.Right, R.Top, W, R.Bottom, C);
  }
}

void TCustomImage32::ExecDrawBitmap(TBitmap32& Dest, uint32_t) {
  const TRect R = FCachedBitmapRect;
  if (FBitmap->IsEmpty() || IsRectEmpty(R))
    return;
  FBitmap->Lock();
  struct TUnlock {
    TBitmap32& B;
    ~TUnlock() { B.Unlock(); }
  } Unlock{*FBitmap};
  if (FBitmapAlign == baTile) {
    for (int32_t J = 0; J <= Dest.Height() / R.Bottom; ++J)
      for (int32_t I = 0; I <= Dest.Width() / R.Right; ++I) {
        TRect Tile = R;
        OffsetRect(Tile, I * R.Right, J * R.Bottom);
        FBitmap->DrawOnto(Dest, Tile);
      }
  } else {
    FBitmap->DrawOnto(Dest, R);
  }
}

void TCustomImage32::ExecDrawLayers(TBitmap32& Dest, uint32_t StageNum) {
  const uint32_t Mask = FPaintStages.Items(static_cast<int32_t>(StageNum)).Parameter;
  // Two threads only when nobody hears of Dest's changes (the buffer's own are silenced): a
  // handler must not be called from the helper thread.
  const bool Concurrent =
      GetLayerPaintMode() != TLayerPaintMode::InOrder && (Dest.UpdateCount() > 0 || !Dest.OnChange);
  const bool LastReadyFirst = GetLayerPaintMode() == TLayerPaintMode::LastReadyFirst;
  const TRect Bounds = Dest.BoundsRect();
  int32_t I = 0;
  while (I < FLayers->Count()) {
    TCustomLayer* L = FLayers->Items(I);
    if ((L->LayerOptions() & Mask) == 0) {
      ++I;
      continue;
    }
    if (!Concurrent || !PaintsOnlyItsRect(L)) {
      L->DoPaint(Dest);
      ++I;
      continue;
    }
    // A run of bitmap layers up to the next layer of another kind.
    std::vector<TLayerTask> Tasks;
    int64_t Area = 0;
    for (; I < FLayers->Count(); ++I) {
      L = FLayers->Items(I);
      if ((L->LayerOptions() & Mask) == 0)
        continue;
      if (!PaintsOnlyItsRect(L))
        break;
      // A cropped layer paints a part of this rectangle.
      TRect R;
      IntersectRect(
          R, RectFromSingle(static_cast<TPositionedLayer*>(L)->GetAdjustedLocation(), rrClosest),
          Bounds);
      Area += int64_t{R.Width()} * R.Height();
      Tasks.push_back({L, R, {}});
    }
    if (Tasks.size() >= 2 && (LastReadyFirst || Area >= ConcurrentLayerMinPixels())) {
      PaintConcurrently(Tasks, Dest, LastReadyFirst);
    } else {
      for (const TLayerTask& T : Tasks) T.Layer->DoPaint(Dest);
    }
  }
}

void TCustomImage32::ExecCustom(TBitmap32& Dest, uint32_t StageNum) {
  if (OnPaintStage)
    OnPaintStage(this, &Dest, StageNum);
}

void TCustomImage32::ExecControlFrame(TBitmap32& Dest, uint32_t) {
  DrawFocusRect(Dest, {0, 0, FWidth, FHeight});
}

void TCustomImage32::ExecBitmapFrame(TBitmap32& Dest, uint32_t) {
  DrawFocusRect(Dest, FCachedBitmapRect);
}

void TCustomImage32::PaintTo(TBitmap32& Dest, const TRect& DestRect) {
  FCachedBitmapRect = DestRect;
  const TRect& R = DestRect;
  if (FBitmap->IsEmpty() || R.Width() < 1 || R.Height() < 1) {
    FCachedXForm = TCoordXForm{};
    FInvScaleX = FInvScaleY = 0x10000;
  } else {
    const int32_t BW = FBitmap->Width(), BH = FBitmap->Height();
    FCachedXForm.ShiftX = R.Left;
    FCachedXForm.ShiftY = R.Top;
    FCachedXForm.ScaleX = MulDiv(R.Width(), 65536, BW);
    FCachedXForm.ScaleY = MulDiv(R.Height(), 65536, BH);
    FInvScaleX = MulDiv(BW, 65536, R.Width());
    FInvScaleY = MulDiv(BH, 65536, R.Height());
  }
  FCacheValid = true;
  FPaintToMode = true;
  struct TRestore {
    TCustomImage32& C;
    ~TRestore() {
      C.FPaintToMode = false;
      C.FCacheValid = false;
    }
  } Restore{*this};
  RunStages(Dest, false);
}

void TCustomImage32::SetupBitmap(bool DoClear, TColor32 ClearColor) {
  FBitmap->BeginUpdate();
  try {
    FBitmap->SetSize(FWidth, FHeight);
    if (DoClear)
      FBitmap->Clear(ClearColor);
  } catch (...) {
    FBitmap->EndUpdate();
    throw;
  }
  FBitmap->EndUpdate();
  InvalidateCache();
  Changed();
}

void TCustomImage32::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (TabStop && FHost != nullptr && FHost->CanFocus())
    FHost->SetFocus();
  UpdateCache();
  TCustomLayer* Layer = FLayers->MouseEvents ? FLayers->MouseDown(Button, Shift, X, Y) : nullptr;
  if ((Button == mbLeft || FLayers->MouseListener() != nullptr) && FHost != nullptr)
    FHost->SetMouseCapture(true);
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  UpdateCache();
  TCustomLayer* Layer = FLayers->MouseEvents ? FLayers->MouseMove(Shift, X, Y) : nullptr;
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y, Layer);
}

void TCustomImage32::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  UpdateCache();
  TCustomLayer* Layer = FLayers->MouseEvents ? FLayers->MouseUp(Button, Shift, X, Y) : nullptr;
  if (Button == mbLeft && FLayers->MouseListener() == nullptr && FHost != nullptr)
    FHost->SetMouseCapture(false);
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y, Layer);
}

void TCustomImage32::MouseEnter() {
  if (OnMouseEnter)
    OnMouseEnter(this);
}

void TCustomImage32::MouseLeave() {
  if (FLayers->MouseEvents && FLayers->MouseListener() == nullptr && FHost != nullptr)
    FHost->SetScreenCursor(crDefault);
  if (OnMouseLeave)
    OnMouseLeave(this);
}

void TCustomImage32::PaintOverlays(TBitmap32& Surface) {
  for (int32_t I = 0; I < FLayers->Count(); ++I) {
    TCustomLayer* L = FLayers->Items(I);
    if (L->LayerOptions() & LayerOverlay)
      L->PaintOverlay(Surface);
  }
}

void TCustomImage32::SetScreenCursor(TCursor C) {
  if (FHost != nullptr)
    FHost->SetScreenCursor(C);
}

void DrawFocusRect(TBitmap32& Dest, const TRect& R) {
  if (Dest.IsEmpty() || IsRectEmpty(R))
    return;
  const auto Flip = [&Dest](int32_t X, int32_t Y) {
    if (X >= 0 && Y >= 0 && X < Dest.Width() && Y < Dest.Height())
      *Dest.PixelAddress(X, Y) ^= 0x00FFFFFF;
  };
  for (int32_t X = R.Left; X < R.Right; X += 2) {
    Flip(X, R.Top);
    if (R.Bottom - 1 > R.Top)
      Flip(X, R.Bottom - 1);
  }
  for (int32_t Y = R.Top + 2; Y < R.Bottom - 1; Y += 2) {
    Flip(R.Left, Y);
    if (R.Right - 1 > R.Left)
      Flip(R.Right - 1, Y);
  }
}
