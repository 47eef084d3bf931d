#include "mask_session.h"

#include "layer_mask.h"

void TMaskSession::Begin() {
  FSnapshot.Take(FDoc);
}

void TMaskSession::Restore() {
  FSnapshot.PutBack(FDoc);
}

void TMaskSession::End() {
  FSnapshot.Drop();
}

void TMaskSession::Preview(const std::string& MaskFile, bool Invert) {
  if (MaskFile.empty())
    return;
  AppplyMask(FDoc, MaskFile, Invert);
}

void TMaskSession::Ok(const std::string& MaskFile, bool Invert, const TChangeStart& Start) {
  Restore();
  End();
  // The mask is read before anything is recorded: a file that cannot be read leaves no undo
  // step behind.
  TBitmap32 Mask;
  if (!MaskFile.empty())
    LoadMask(MaskFile, Invert, Mask);
  StartChange(Start);
  if (TBitmapLayer* L = FDoc.SelectedBitmapLayer(); L != nullptr && !Mask.IsEmpty())
    ApplyMaskAlpha(*L->Bitmap(), Mask);
}

void TMaskSession::Cancel() {
  Restore();
  End();
}
