// Frames and layer masks in the main window: the dialogs TMaski and TFrama, "Добавить рамку",
// "Маска слоя" and the layer panel's button "Маска".
#include "frame_dialog.h"
#include "main_form.h"
#include "mask_dialog.h"

void TMainForm::BuildFrameDialogs() {
  const QString DataDir = QString::fromStdString(FPaths.DataDir);
  FMaski = new TMaski(*FDoc, *FUndo, DataDir, this);
  FMaski->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  FFrama = new TFrama(*FDoc, *FUndo, DataDir, this);
  FFrama->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  FFrama->OnFit = [this] { FitInWindowClick(); };
}

void TMainForm::AddFrameClick() {
  if (FDoc->IsEmpty())
    return;
  FFrama->exec();
  FImgView->View().Invalidate();
}

void TMainForm::LayerMaskClick() {
  if (FDoc->SelectedBitmapLayer() == nullptr)
    return;
  FMaski->exec();
  FImgView->View().Invalidate();
}

void TMainForm::MaskButtonClick() {
  LayerMaskClick();
}
