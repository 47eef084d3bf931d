#pragma once
// The full-screen preview: the flat card on black, fitted into the screen.
#include <QDialog>

#include "img_view_widget.h"

class TFull : public QDialog {
  Q_OBJECT
 public:
  explicit TFull(QWidget* Parent = nullptr);
  // Shows Flat until Escape or a click on the picture.
  void Execute(const TBitmap32& Flat);
  TImage32& Image321() { return Picture->Image(); }

 protected:
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  Image32Widget* Picture;
};
