// "Размер изображения" and "Произвольный угол" in the main window: the two dialogs and their
// commands. The work is done by ResizeImage and TFreeRotation.
#include <QLabel>

#include "busy_cursor.h"
#include "image_geometry.h"
#include "image_size_dialog.h"
#include "main_form.h"
#include "rotation_dialog.h"

void TMainForm::BuildGeometryDialogs() {
  FPovor = new TPovor(this);
  FRasm = new TRasm(this);
}

void TMainForm::ImageSizeClick() {
  if (FDoc->IsEmpty())
    return;
  const TBitmap32& Canvas = FDoc->Canvas();
  FRasm->Open(Canvas.Width(), Canvas.Height());
  if (FRasm->exec() != QDialog::Accepted)
    return;
  const int32_t OldW = Canvas.Width(), OldH = Canvas.Height();
  const TBusyCursor Busy;
  ResizeImage(*FDoc, FUndo.get(), FRasm->ChosenWidth(), FRasm->ChosenHeight(), FRasm->Method());
  // A card of a new size is fitted into the window, as after every change of the card's size.
  if (Canvas.Width() != OldW || Canvas.Height() != OldH)
    FitInWindowClick();
  FStatusSize->setText(QStringLiteral("%1x%2").arg(Canvas.Width()).arg(Canvas.Height()));
}

void TMainForm::FreeRotationClick() {
  TFreeRotation Session(*FDoc, *FUndo);
  if (!Session.Begin())
    return;
  const auto Turn = [this](int& Angle, bool& Bilinear) {
    Bilinear = FPovor->Inter->isChecked();
    return FPovor->ReadAngle(Angle);
  };
  FPovor->OnPreview = [&] {
    Run([&] {
      int Angle = 0;
      bool Bilinear = true;
      if (Turn(Angle, Bilinear)) {
        const TBusyCursor Busy;
        Session.Preview(Angle, Bilinear);
      }
    });
  };
  const bool Accepted = FPovor->exec() == QDialog::Accepted;
  FPovor->OnPreview = nullptr;
  int Angle = 0;
  bool Bilinear = true;
  // The close box and Esc act as "Отмена": the layer is put back as it was.
  if (Accepted && Turn(Angle, Bilinear)) {
    const TBusyCursor Busy;
    Session.Ok(Angle, Bilinear);
  } else
    Session.Cancel();
  Session.End();
}
