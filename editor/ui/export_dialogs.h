#pragma once
// The JPEG quality dialog and the GIF colour dialog of "Сохранить как..." and export. They keep
// their settings for the run and write the flat image they are given.
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <string>

#include "bitmap32.h"

class TCompress : public QDialog {
  Q_OBJECT
 public:
  explicit TCompress(QWidget* Parent = nullptr);
  // Shows the dialog; "Сохранить" writes Flat as JPEG to FileName. True when written.
  bool Execute(const TBitmap32& Flat, const std::string& FileName);
  int Quality() const { return UpDown1->value(); }

  QSpinBox* UpDown1;   // the number field with its up-down, 1 to 100
  QSlider* TrackBar1;  // the gauge, moving together with the number
};

class TGifType : public QDialog {
  Q_OBJECT
 public:
  explicit TGifType(QWidget* Parent = nullptr);
  // Shows the dialog with the number of colours of Flat; "Cохранить" writes it as GIF.
  bool Execute(const TBitmap32& Flat, const std::string& FileName);

  QLabel* Panel1;
  QRadioButton* RadioButton1;  // "2"
  QRadioButton* RadioButton3;  // "16"
  QRadioButton* RadioButton2;  // "256"
  QRadioButton* RadioButton4;  // "Авто"
};
