// The layer crop window and the perspective geometry window, opened from the main window.
#include "crop_layer_dialog.h"
#include "main_form.h"
#include "perspective_dialog.h"

void TMainForm::BuildLayerGeometryDialogs() {
  FCropLa = new TCropLa(*FDoc, *FUndo, this);
  FCropLa->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  FProGeomo = new TProGeomo(*FDoc, *FUndo, this);
  FProGeomo->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
}

void TMainForm::mnCropLayerClick() {
  if (FDoc->SelectedBitmapLayer() == nullptr)
    return;
  FCropLa->Execute();
  FImgView->View().Invalidate();
}

void TMainForm::mnGeometryClick() {
  if (FDoc->IsEmpty())
    return;
  FProGeomo->Execute();
  FImgView->View().Invalidate();
}
