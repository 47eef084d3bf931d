#include "target_snapshot.h"

#include "bitmap_layer.h"

void TTargetSnapshot::Take(TCardDocument& Doc) {
  FTaken = false;
  if (TBitmapLayer* L = Doc.SelectedBitmapLayer()) {
    FSaved.Assign(L->Bitmap());
    FSavedLocation = L->Location();
    FLayerIndex = L->Index();
  } else {
    FSaved.Assign(&Doc.Canvas());
    FLayerIndex = -1;
  }
  FTaken = true;
}

TBitmapLayer* TTargetSnapshot::PutBack(TCardDocument& Doc) const {
  if (!FTaken)
    return nullptr;
  if (FLayerIndex < 0) {
    Doc.Canvas().Assign(&FSaved);
    return nullptr;
  }
  TLayerCollection& Layers = Doc.Layers();
  if (FLayerIndex >= Layers.Count())
    return nullptr;
  auto* L = dynamic_cast<TBitmapLayer*>(Layers.Items(FLayerIndex));
  if (L == nullptr)
    return nullptr;
  L->Bitmap()->Assign(&FSaved);
  L->SetLocation(FSavedLocation);
  return L;
}

void TTargetSnapshot::Drop() {
  FTaken = false;
  FSaved.SetSize(0, 0);
}
