// The view commands of the main window: the zoom list, the wheel, "Масштаб 100%",
// "Уместить в окне", the full-screen preview and the editor background.
#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <algorithm>
#include <cmath>
#include <memory>

#include "checkerboard.h"
#include "full_preview.h"
#include "main_form.h"
#include "qt_colours.h"

void TMainForm::SetZoom(float Zoom) {
  {
    const TKeepModified Keep(*FDoc);
    FImgView->View().SetScale(Zoom);
  }
  ShowZoom();
}

void TMainForm::ShowZoom() {
  FScaleCombo->setCurrentText(
      QStringLiteral("%1%").arg(static_cast<int>(std::nearbyint(FImgView->View().Scale() * 100))));
}

void TMainForm::ActualSizeClick() {
  SetZoom(1);
}

void TMainForm::FullPreviewClick() {
  if (FDoc->IsEmpty())
    return;
  std::unique_ptr<TBitmap32> Flat = FDoc->RenderFlatImage();
  FFull->Execute(*Flat);
  FImgView->View().Invalidate();
}

void TMainForm::FitInWindowClick() {
  if (FDoc->IsEmpty())
    return;
  const double W = FDoc->Canvas().Width(), H = FDoc->Canvas().Height();
  const double CW = FImgView->width(), CH = FImgView->height();
  double Zoom = (W / H >= CW / CH) ? CW / W : CH / H;
  SetZoom(static_cast<float>(Zoom / 1.1));
}

void TMainForm::ScaleComboChange() {
  QString Text = FScaleCombo->currentText();
  Text.remove('%').remove(' ');
  if (Text.isEmpty())
    return;
  bool Ok = false;
  int N = Text.toInt(&Ok);
  if (!Ok)
    N = -1;
  if (N >= 1 && N <= 2000)
    SetZoom(static_cast<float>(N / 100.0));
  else
    ShowZoom();
}

bool TMainForm::ImgViewMouseWheel(int Delta) {
  float Zoom = FImgView->View().Scale();
  if (Delta > 0)
    Zoom = std::max(Zoom / 1.1f, 0.2f);
  else
    Zoom = std::min(Zoom * 1.1f, 20.0f);
  SetZoom(Zoom);
  return true;
}

void TMainForm::BackgroundColourClick() {
  const QColor C = QColorDialog::getColor(PlatformToQColor(uint32_t(FBufColor)), this);
  if (!C.isValid())
    return;
  FBufColor = PlatformFromQColor(C);
  Action(TMainAction::Checkerboard)->setChecked(false);
  FImgView->View().Invalidate();
}

void TMainForm::CheckerboardClick() {
  FImgView->View().Invalidate();
}

void TMainForm::ImgViewPaintStage(TBitmap32* Buffer) {
  // The editor background belongs to the view's own buffer; the flat image (PaintTo into
  // another bitmap) never carries it.
  if (Buffer != &FImgView->View().Buffer())
    return;
  if (Action(TMainAction::Checkerboard)->isChecked())
    FillCheckerboard(*Buffer, 8, 0x1FB0B0B0, 0xFFFFFFFF);
  else
    Buffer->Clear(ColorFromSystem(FBufColor));
}
