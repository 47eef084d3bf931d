#include "custom_layer.h"

#include <algorithm>
#include <atomic>

#include "bitmap32.h"

namespace {
std::atomic<uint64_t> LayerIdCounter{0};
}  // namespace

TCustomLayer::TCustomLayer(TLayerCollection* Collection)
    : FId(LayerIdCounter.fetch_add(1, std::memory_order_relaxed) + 1) {
  SetLayerCollection(Collection);
  FLayerOptions = LayerVisible;
}

TCustomLayer::~TCustomLayer() {
  if (!FDestroying)
    BeforeDestruction();
}

void TCustomLayer::Free() {
  BeforeDestruction();
  delete this;
}

void TCustomLayer::BeforeDestruction() {
  FDestroying = true;
  if (OnDestroy)
    OnDestroy(this);
  // Last to first; a told layer may leave the list (or make others leave) meanwhile.
  for (size_t I = FNotifyList.size(); I > 0;) {
    --I;
    FNotifyList[I]->Notification(this);
    I = std::min(I, FNotifyList.size());
  }
  FNotifyList.clear();
  SetLayerCollection(nullptr);
}

TCustomLayer* TCustomLayer::Clone(TLayerCollection* Collection) const {
  auto* L = new TCustomLayer(Collection);
  L->Assign(*this);
  return L;
}

void TCustomLayer::Assign(const TCustomLayer& Source) {
  Changing();
  Cursor = Source.Cursor;
  Tag = Source.Tag;
  FLayerOptions = Source.FLayerOptions;
  Changed();
}

int32_t TCustomLayer::Index() const {
  return FLayerCollection ? FLayerCollection->IndexOf(this) : -1;
}

void TCustomLayer::SetIndex(int32_t I) {
  if (FLayerCollection == nullptr)
    return;
  const int32_t Current = Index();
  if (I == Current)
    return;
  I = std::clamp(I, 0, FLayerCollection->Count() - 1);
  if (I == Current)
    return;
  const bool Notify = Visible();
  if (Notify)
    FLayerCollection->BeginUpdate();
  FLayerCollection->Move(Current, I);
  if (Notify)
    FLayerCollection->EndUpdate();
}

void TCustomLayer::BringToFront() {
  if (FLayerCollection)
    SetIndex(FLayerCollection->Count());
}

void TCustomLayer::SendToBack() {
  SetIndex(0);
}

void TCustomLayer::SetLayerCollection(TLayerCollection* C) {
  if (C == FLayerCollection)
    return;
  if (FLayerCollection != nullptr) {
    if (FLayerCollection->MouseListener() == this)
      FLayerCollection->SetMouseListener(nullptr);
    FLayerCollection->RemoveItem(this);
  }
  if (C != nullptr)
    C->InsertItem(this);
}

void TCustomLayer::SetLayerOptions(TLayerOptions V) {
  Changing();
  FLayerOptions = V;
  Changed();
}

void TCustomLayer::SetVisible(bool V) {
  SetLayerOptions(V ? (FLayerOptions | LayerVisible) : (FLayerOptions & ~LayerVisible));
}

void TCustomLayer::SetMouseEvents(bool V) {
  SetLayerOptions(V ? (FLayerOptions | LayerMouseEvents) : (FLayerOptions & ~LayerMouseEvents));
}

void TCustomLayer::Changing() {
  if (FLayerCollection != nullptr && Visible() && (FLayerOptions & LayerNoUpdate) == 0)
    FLayerCollection->NotifyChanging();
}

void TCustomLayer::Changed() {
  if (FLayerCollection == nullptr || (FLayerOptions & LayerNoUpdate) != 0)
    return;
  if (Visible())
    FLayerCollection->NotifyChanged();
  else if ((FLayerOptions & LayerOverlay) != 0 && FLayerCollection->UpdateCount() == 0)
    FLayerCollection->NotifyOverlayUpdate();
}

void TCustomLayer::AddNotification(TCustomLayer* L) {
  if (std::find(FNotifyList.begin(), FNotifyList.end(), L) == FNotifyList.end())
    FNotifyList.push_back(L);
}

void TCustomLayer::RemoveNotification(TCustomLayer* L) {
  const auto It = std::find(FNotifyList.begin(), FNotifyList.end(), L);
  if (It != FNotifyList.end())
    FNotifyList.erase(It);
}

bool TCustomLayer::HitTest(int32_t, int32_t) {
  return true;
}

void TCustomLayer::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomLayer::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  SetScreenCursor(Cursor);
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

void TCustomLayer::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  SetScreenCursor(crDefault);
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomLayer::Notification(TCustomLayer*) {}
void TCustomLayer::Paint(TBitmap32&) {}
void TCustomLayer::PaintOverlay(TBitmap32&) {}

void TCustomLayer::DoPaint(TBitmap32& Buffer) {
  Paint(Buffer);
  if (OnPaint)
    OnPaint(this, &Buffer);
}

void TCustomLayer::SetScreenCursor(TCursor C) const {
  if (FLayerCollection != nullptr && FLayerCollection->GetOwner() != nullptr)
    FLayerCollection->GetOwner()->SetScreenCursor(C);
}

// ---------------------------------------------------------------------------------------------

TPositionedLayer::TPositionedLayer(TLayerCollection* Collection) : TCustomLayer(Collection) {
  FLocation = {0, 0, 64, 64};
  FLayerOptions = LayerVisible | LayerMouseEvents;
}

TCustomLayer* TPositionedLayer::Clone(TLayerCollection* Collection) const {
  auto* L = new TPositionedLayer(Collection);
  L->Assign(*this);
  return L;
}

void TPositionedLayer::Assign(const TCustomLayer& Source) {
  TCustomLayer::Assign(Source);
  if (const auto* P = dynamic_cast<const TPositionedLayer*>(&Source)) {
    SetScaled(P->FScaled);
    SetLocation(P->FLocation);
  }
}

void TPositionedLayer::SetLocation(const TSingleRect& Value) {
  Changing();
  DoSetLocation(Value);
  Changed();
}

void TPositionedLayer::DoSetLocation(const TSingleRect& Value) {
  FLocation = Value;
}

void TPositionedLayer::SetScaled(bool Value) {
  if (Value == FScaled)
    return;
  Changing();
  FScaled = Value;
  Changed();
}

TSingleRect TPositionedLayer::GetAdjustedLocation() const {
  const TLayerCollection* C = LayerCollection();
  if (!FScaled || C == nullptr || C->CoordXForm() == nullptr)
    return FLocation;
  const TCoordXForm& M = *C->CoordXForm();
  const double Sx = M.ScaleX / 65536.0, Sy = M.ScaleY / 65536.0;
  return {static_cast<float>(Sx * FLocation.Left + M.ShiftX),
          static_cast<float>(Sy * FLocation.Top + M.ShiftY),
          static_cast<float>(Sx * FLocation.Right + M.ShiftX),
          static_cast<float>(Sy * FLocation.Bottom + M.ShiftY)};
}

bool TPositionedLayer::HitTest(int32_t X, int32_t Y) {
  const TSingleRect R = GetAdjustedLocation();
  const auto FX = static_cast<float>(X), FY = static_cast<float>(Y);
  return R.Left <= FX && FX < R.Right && R.Top <= FY && FY < R.Bottom;
}
