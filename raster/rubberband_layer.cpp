#include "rubberband_layer.h"

#include <cstdlib>

#include "bitmap32.h"
#include "geometry.h"

namespace {

constexpr TCursor DragCursors[10] = {crDefault, crDefault,  crSizeWE,   crSizeNS,   crSizeWE,
                                     crSizeNS,  crSizeNWSE, crSizeNESW, crSizeNESW, crSizeNWSE};

// The moved edge Lo follows the pointer, keeping at least Min and (when Max > Min) at most Max.
void LimitLowEdge(float& Lo, float Hi, float Max, float Min, float Delta) {
  Lo += Delta;
  if (!(Hi - Lo >= Min))
    Lo = Hi - Min;
  if (Min < Max && Max < Hi - Lo)
    Lo = Hi - Max;
}

void LimitHighEdge(float Lo, float& Hi, float Max, float Min, float Delta) {
  Hi += Delta;
  if (!(Hi - Lo >= Min))
    Hi = Lo + Min;
  if (Min < Max && Max < Hi - Lo)
    Hi = Lo + Max;
}

}  // namespace

TRubberbandLayer::TRubberbandLayer(TLayerCollection* Collection) : TPositionedLayer(Collection) {
  FLayerOptions = LayerVisible | LayerMouseEvents;
}

TRubberbandLayer::~TRubberbandLayer() {
  if (FChildLayer != nullptr)
    FChildLayer->RemoveNotification(this);
}

TCustomLayer* TRubberbandLayer::Clone(TLayerCollection* Collection) const {
  auto* L = new TRubberbandLayer(Collection);
  L->Assign(*this);
  L->Handles = Handles;
  L->HandleSize = HandleSize;
  L->MinWidth = MinWidth;
  L->MaxHeight = MaxHeight;
  L->MinHeight = MinHeight;
  L->MaxWidth = MaxWidth;
  return L;
}

void TRubberbandLayer::UpdateNoUpdateFlag() {
  if (FChildLayer != nullptr)
    FLayerOptions |= LayerNoUpdate;
  else
    FLayerOptions &= ~LayerNoUpdate;
}

void TRubberbandLayer::SetChildLayer(TPositionedLayer* L) {
  if (FChildLayer != nullptr)
    FChildLayer->RemoveNotification(this);
  FChildLayer = L;
  if (L != nullptr) {
    SetLocation(L->Location());
    SetScaled(L->Scaled());
    L->AddNotification(this);
  }
  UpdateNoUpdateFlag();
}

void TRubberbandLayer::DoSetLocation(const TSingleRect& Value) {
  TPositionedLayer::DoSetLocation(Value);
  UpdateChildLayer();
}

void TRubberbandLayer::UpdateChildLayer() {
  if (FChildLayer != nullptr)
    FChildLayer->SetLocation(FLocation);
}

void TRubberbandLayer::Notification(TCustomLayer* L) {
  if (L == FChildLayer)
    FChildLayer = nullptr;
  UpdateNoUpdateFlag();
}

TDragState TRubberbandLayer::GetDragState(int32_t X, int32_t Y) {
  TRect R = RectFromSingle(GetAdjustedLocation(), rrClosest);
  --R.Right;
  --R.Bottom;
  const int32_t T = HandleSize + 1;
  const int32_t Cx = (R.Left + R.Right) / 2;
  const int32_t Cy = (R.Top + R.Bottom) / 2;
  const bool NL = std::abs(R.Left - X) <= T, NR = std::abs(R.Right - X) <= T;
  const bool NCX = std::abs(Cx - X) <= T;
  const bool NT = std::abs(R.Top - Y) <= T, NB = std::abs(R.Bottom - Y) <= T;
  const bool NCY = std::abs(Cy - Y) <= T;
  if (Handles & rhCorners) {
    if (NR && NB)
      return DragBottomRight;
    if (NL && NB)
      return DragBottomLeft;
    if (NR && NT)
      return DragTopRight;
    if (NL && NT)
      return DragTopLeft;
  }
  if (Handles & rhSides) {
    if (NR && NCY)
      return DragRight;
    if (NCX && NB)
      return DragBottom;
    if (NL && NCY)
      return DragLeft;
    if (NT && NCX)
      return DragTop;
  }
  if ((Handles & rhCenter) && R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom)
    return DragMove;
  return DragNone;
}

bool TRubberbandLayer::HitTest(int32_t X, int32_t Y) {
  return GetDragState(X, Y) != DragNone;
}

void TRubberbandLayer::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (FIsDragging)
    return;
  FDragState = GetDragState(X, Y);
  FIsDragging = FDragState != DragNone;
  if (FIsDragging) {
    FOldLocation = FLocation;
    if (FDragState == DragMove) {
      const TSingleRect A = GetAdjustedLocation();
      FMouseShift = {X - A.Left, Y - A.Top};
    } else {
      FMouseShift = {0, 0};
    }
  }
  TPositionedLayer::MouseDown(Button, Shift, X, Y);
}

void TRubberbandLayer::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (!FIsDragging) {
    FDragState = GetDragState(X, Y);
    SetScreenCursor(FDragState == DragMove ? Cursor : DragCursors[FDragState]);
    return;
  }
  float Mx = X - FMouseShift.X;
  float My = Y - FMouseShift.Y;
  if (FScaled) {
    const TSingleRect A = GetAdjustedLocation();
    if (!(A.Left < A.Right && A.Top < A.Bottom))
      return;
    Mx = FLocation.Left + (Mx - A.Left) / (A.Right - A.Left) * (FLocation.Right - FLocation.Left);
    My = FLocation.Top + (My - A.Top) / (A.Bottom - A.Top) * (FLocation.Bottom - FLocation.Top);
  }
  float L = FOldLocation.Left, T = FOldLocation.Top;
  float R = FOldLocation.Right, B = FOldLocation.Bottom;
  if (FDragState == DragMove) {
    const float W = R - L, H = B - T;
    L = Mx;
    T = My;
    R = Mx + W;
    B = My + H;
  } else {
    switch (FDragState) {
      case DragLeft:
      case DragTopLeft:
      case DragBottomLeft:
        LimitLowEdge(L, R, MaxWidth, MinWidth, Mx - L);
        break;
      case DragRight:
      case DragTopRight:
      case DragBottomRight:
        LimitHighEdge(L, R, MaxWidth, MinWidth, Mx - R);
        break;
      default:
        break;
    }
    switch (FDragState) {
      case DragTop:
      case DragTopLeft:
      case DragTopRight:
        LimitLowEdge(T, B, MaxHeight, MinHeight, My - T);
        break;
      case DragBottom:
      case DragBottomLeft:
      case DragBottomRight:
        LimitHighEdge(T, B, MaxHeight, MinHeight, My - B);
        break;
      default:
        break;
    }
  }
  TSingleRect New = {L, T, R, B};
  DoResizing(FOldLocation, New, FDragState, Shift);
  if (New == FLocation)
    return;
  SetLocation(New);
  UpdateChildLayer();
  if (OnUserChange)
    OnUserChange(this);
}

void TRubberbandLayer::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  FIsDragging = false;
  TPositionedLayer::MouseUp(Button, Shift, X, Y);
}

void TRubberbandLayer::DoResizing(const TSingleRect& OldLocation, TSingleRect& NewLocation,
                                  TDragState DragState, TShiftState Shift) {
  if (OnResizing)
    OnResizing(this, OldLocation, NewLocation, DragState, Shift);
}

void TRubberbandLayer::Paint(TBitmap32& Buffer) {
  const TRect R = RectFromSingle(GetAdjustedLocation(), rrClosest);
  Buffer.SetStipplePattern({clWhite32, clWhite32, clBlack32, clBlack32});
  Buffer.StippleCounter = 0;
  Buffer.StippleStep = 1.0f;
  Buffer.FrameRectStipple(R.Left, R.Top, R.Right, R.Bottom);
  const int32_t S = HandleSize;
  const auto DrawHandle = [&Buffer, S](int32_t X, int32_t Y) {
    Buffer.FillRectSafe(X - S, Y - S, X + S, Y + S, clWhite32);
    Buffer.FrameRectSafe(X - S, Y - S, X + S, Y + S, clBlack32);
  };
  if (Handles & rhCorners) {
    DrawHandle(R.Left, R.Top);
    DrawHandle(R.Right, R.Top);
    DrawHandle(R.Left, R.Bottom);
    DrawHandle(R.Right, R.Bottom);
  }
  if (Handles & rhSides) {
    const int32_t Cx = (R.Left + R.Right) / 2;
    const int32_t Cy = (R.Top + R.Bottom) / 2;
    DrawHandle(Cx, R.Top);
    DrawHandle(R.Left, Cy);
    DrawHandle(R.Right, Cy);
    DrawHandle(Cx, R.Bottom);
  }
}
