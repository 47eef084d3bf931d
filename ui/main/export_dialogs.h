#pragma once
// The JPEG quality dialog and the GIF colour dialog of "Сохранить как..." and export. They keep
// their settings for the run and hand them back; the window writes the file.
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "bitmap32.h"
#include "picture_codecs.h"

class TCompress : public QDialog {
  Q_OBJECT
 public:
  explicit TCompress(QWidget* Parent = nullptr);
  // Shows the dialog; "Сохранить" sets Options.JpegQuality and returns true.
  bool Execute(TSaveOptions& Options);
  int Quality() const { return UpDown1->value(); }

  QSpinBox* UpDown1;   // the number field with its up-down, 1 to 100
  QSlider* TrackBar1;  // the gauge, moving together with the number
};

class TGifType : public QDialog {
  Q_OBJECT
 public:
  explicit TGifType(QWidget* Parent = nullptr);
  // Shows the dialog with the number of colours of Flat; "Cохранить" sets Options.GifFormat
  // and returns true.
  bool Execute(const TBitmap32& Flat, TSaveOptions& Options);
  // The depth of the checked button: "2" 1 bit, "16" 4 bits, "256" 8 bits, "Авто" 24 bits.
  TPixelFormat Format() const;

  QLabel* Panel1;
  QRadioButton* RadioButton1;  // "2"
  QRadioButton* RadioButton3;  // "16"
  QRadioButton* RadioButton2;  // "256"
  QRadioButton* RadioButton4;  // "Авто"
};
