#include "mask_session.h"

#include "layer_mask.h"

void TMaskSession::Begin() {
  FActive = false;
  if (TBitmapLayer* L = FDoc.SelectedBitmapLayer()) {
    FSaved.Assign(L->Bitmap());
    FLayerIndex = L->Index();
  } else {
    FSaved.Assign(&FDoc.Canvas());
    FLayerIndex = -1;
  }
  FActive = true;
}

void TMaskSession::Restore() {
  if (!FActive)
    return;
  if (FLayerIndex < 0) {
    FDoc.Canvas().Assign(&FSaved);
    return;
  }
  TLayerCollection& Layers = FDoc.Layers();
  if (FLayerIndex >= Layers.Count())
    return;
  if (auto* L = dynamic_cast<TBitmapLayer*>(Layers.Items(FLayerIndex)))
    L->Bitmap()->Assign(&FSaved);
}

void TMaskSession::End() {
  FActive = false;
  FSaved.SetSize(0, 0);
}

void TMaskSession::Preview(const std::string& MaskFile, bool Invert) {
  if (MaskFile.empty())
    return;
  AppplyMask(FDoc, MaskFile, Invert);
}

void TMaskSession::Ok(const std::string& MaskFile, bool Invert) {
  Restore();
  End();
  // The mask is read before anything is recorded: a file that cannot be read leaves no undo
  // step behind.
  TBitmap32 Mask;
  if (!MaskFile.empty())
    LoadMask(MaskFile, Invert, Mask);
  FUndo.RecordLayerStep();
  if (TBitmapLayer* L = FDoc.SelectedBitmapLayer(); L != nullptr && !Mask.IsEmpty())
    ApplyMaskAlpha(*L->Bitmap(), Mask);
}

void TMaskSession::Cancel() {
  Restore();
  End();
}
