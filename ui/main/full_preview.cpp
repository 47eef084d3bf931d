#include "full_preview.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

TFull::TFull(QWidget* Parent) : QDialog(Parent), Picture(new Image32Widget(this)) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->addWidget(Picture);
  TImage32& Image = Picture->Image();
  Image.Color = 0;  // black around the picture
  Image.SetScaleMode(smResize);
  Image.SetBitmapAlign(baCenter);
  Image.OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t, TCustomLayer*) {
    accept();
  };
}

void TFull::Execute(const TBitmap32& Flat) {
  TImage32& Image = Picture->Image();
  Image.Bitmap().Assign(&Flat);
  Image.Bitmap().SetStretchFilter(sfLinear);
  // The whole screen the editor is on. The size is given before the window is shown: shown
  // without one, the dialog takes its layout's preferred size, which is empty here, and the
  // window system never maps an empty window.
  const QWidget* Editor = parentWidget();
  if (QScreen* Screen = Editor != nullptr ? Editor->screen() : QGuiApplication::primaryScreen())
    setGeometry(Screen->geometry());
  setWindowState(Qt::WindowFullScreen);
  exec();
  Image.Bitmap().SetSize(0, 0);  // the copy is not kept between showings
}

void TFull::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Escape) {
    accept();
    return;
  }
  QDialog::keyPressEvent(Event);
}
