#include "layer_collection.h"

#include <algorithm>
#include <string>

#include "custom_layer.h"
#include "exceptions.h"

TLayerCollection::TLayerCollection(TLayerOwner* Owner) : FOwner(Owner) {}

TLayerCollection::~TLayerCollection() {
  FUpdateCount = 1;  // no notification while the layers go
  while (!FItems.empty()) FItems.back()->Free();
}

TCustomLayer* TLayerCollection::Items(int32_t I) const {
  if (I < 0 || I >= Count())
    throw EListError("List index out of bounds (" + std::to_string(I) + ")");
  return FItems[static_cast<size_t>(I)];
}

void TLayerCollection::InsertItem(TCustomLayer* Layer) {
  BeginUpdate();
  try {
    FItems.push_back(Layer);
    Layer->FLayerCollection = this;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TLayerCollection::RemoveItem(TCustomLayer* Layer) {
  BeginUpdate();
  const auto It = std::find(FItems.begin(), FItems.end(), Layer);
  if (It != FItems.end())
    FItems.erase(It);
  Layer->FLayerCollection = nullptr;
  EndUpdate();
}

void TLayerCollection::Clear() {
  BeginUpdate();
  while (!FItems.empty()) FItems.back()->Free();
  EndUpdate();
}

void TLayerCollection::Assign(const TLayerCollection& Source) {
  if (&Source == this)
    return;
  BeginUpdate();
  while (!FItems.empty()) FItems.back()->Free();
  for (const TCustomLayer* L : Source.FItems) L->Clone(this);
  EndUpdate();
}

void TLayerCollection::BeginUpdate() {
  if (FUpdateCount == 0)
    NotifyChanging();
  ++FUpdateCount;
}

void TLayerCollection::EndUpdate() {
  if (FUpdateCount <= 0)
    throw EListError("Unpaired EndUpdate");
  --FUpdateCount;
  if (FUpdateCount == 0)
    NotifyChanged();
}

TCustomLayer* TLayerCollection::FindLayerAt(int32_t X, int32_t Y, TLayerOptions Mask) const {
  for (auto It = FItems.rbegin(); It != FItems.rend(); ++It) {
    TCustomLayer* L = *It;
    if ((L->LayerOptions() & Mask) != 0 && L->HitTest(X, Y))
      return L;
  }
  return nullptr;
}

namespace {
uint32_t ButtonBit(TMouseButton Button) {
  return 1u << static_cast<uint32_t>(Button);
}
}  // namespace

TCustomLayer* TLayerCollection::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X,
                                          int32_t Y) {
  TCustomLayer* L = FMouseListener ? FMouseListener : FindLayerAt(X, Y, LayerMouseEvents);
  if (Button == mbLeft && L != FMouseListener &&
      (L == nullptr || (L->LayerOptions() & LayerNoCapture) == 0))
    SetMouseListener(L);
  if (FMouseListener != nullptr) {
    FMouseListener->FLayerStates |= ButtonBit(Button);
    FMouseListener->MouseDown(Button, Shift, X, Y);
  }
  return L;
}

TCustomLayer* TLayerCollection::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TCustomLayer* L = FMouseListener ? FMouseListener : FindLayerAt(X, Y, LayerMouseEvents);
  if (L != nullptr)
    L->MouseMove(Shift, X, Y);
  else if (FOwner != nullptr)
    FOwner->SetScreenCursor(FOwner->OwnerCursor());
  return L;
}

TCustomLayer* TLayerCollection::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X,
                                        int32_t Y) {
  TCustomLayer* L = FMouseListener ? FMouseListener : FindLayerAt(X, Y, LayerMouseEvents);
  if (L != nullptr) {
    L->FLayerStates &= ~ButtonBit(Button);
    L->MouseUp(Button, Shift, X, Y);
  }
  if (FMouseListener != nullptr && (FMouseListener->FLayerStates & LayerStateButtons) == 0)
    SetMouseListener(nullptr);
  return L;
}

void TLayerCollection::SetMouseListener(TCustomLayer* Layer) {
  if (Layer == FMouseListener)
    return;
  if (FMouseListener != nullptr)
    FMouseListener->FLayerStates &= ~uint32_t{7};
  FMouseListener = Layer;
}

int32_t TLayerCollection::IndexOf(const TCustomLayer* Layer) const {
  const auto It = std::find(FItems.begin(), FItems.end(), Layer);
  return It == FItems.end() ? -1 : static_cast<int32_t>(It - FItems.begin());
}

void TLayerCollection::Move(int32_t From, int32_t To) {
  TCustomLayer* L = FItems[static_cast<size_t>(From)];
  FItems.erase(FItems.begin() + From);
  FItems.insert(FItems.begin() + To, L);
}

void TLayerCollection::NotifyChanging() {
  if (OnChanging)
    OnChanging(this);
}

void TLayerCollection::NotifyChanged() {
  if (OnChange)
    OnChange(this);
}

void TLayerCollection::NotifyOverlayUpdate() {
  if (OnOverlayUpdate)
    OnOverlayUpdate(this);
}
