#include "export_dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "bitmap24.h"
#include "color_reduction.h"
#include "window_fit.h"

TCompress::TCompress(QWidget* Parent)
    : QDialog(Parent), UpDown1(new QSpinBox(this)), TrackBar1(new QSlider(Qt::Horizontal, this)) {
  setWindowTitle(QStringLiteral("Настройка компрессии JPEG"));
  auto* Layout = new QVBoxLayout(this);
  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Качество изображения"), this));
  UpDown1->setRange(1, 100);
  UpDown1->setValue(70);
  Row->addWidget(UpDown1);
  Layout->addLayout(Row);
  TrackBar1->setRange(1, 100);
  TrackBar1->setValue(70);
  Layout->addWidget(TrackBar1);
  connect(TrackBar1, &QSlider::valueChanged, UpDown1, &QSpinBox::setValue);
  connect(UpDown1, qOverload<int>(&QSpinBox::valueChanged), TrackBar1, &QSlider::setValue);
  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  auto* Button1 = new QPushButton(QStringLiteral("Сохранить"), this);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  Buttons->addWidget(Button1);
  auto* Cancel = new QPushButton(QStringLiteral("Отмена"), this);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  Buttons->addWidget(Cancel);
  Layout->addLayout(Buttons);
  // Wide enough for the whole title beside the window's buttons.
  setMinimumWidth(std::max(sizeHint().width(),
                           fontMetrics().horizontalAdvance(windowTitle() + " — Pelmora") + 160));
}

bool TCompress::Execute(TSaveOptions& Options) {
  if (exec() != QDialog::Accepted)
    return false;
  Options.JpegQuality = Quality();
  return true;
}

TGifType::TGifType(QWidget* Parent)
    : QDialog(Parent),
      Panel1(new QLabel(this)),
      RadioButton1(new QRadioButton(QStringLiteral("2"))),
      RadioButton3(new QRadioButton(QStringLiteral("16"))),
      RadioButton2(new QRadioButton(QStringLiteral("256"))),
      RadioButton4(new QRadioButton(QStringLiteral("Авто"))) {
  setWindowTitle(QStringLiteral("Параметры сохранения GIF-файла"));
  KeepTitleWhole(*this);
  auto* Layout = new QVBoxLayout(this);
  Panel1->setFrameShape(QFrame::StyledPanel);
  Layout->addWidget(Panel1);
  auto* Group =
      new QGroupBox(QStringLiteral("Укажите необходимое количество цветов для сохранения"), this);
  auto* Radios = new QHBoxLayout(Group);
  for (QRadioButton* B : {RadioButton1, RadioButton3, RadioButton2, RadioButton4})
    Radios->addWidget(B);
  RadioButton4->setChecked(true);
  Layout->addWidget(Group);
  // The first letter of the caption is the Latin C.
  auto* Button1 = new QPushButton(QStringLiteral("Cохранить"), this);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  Layout->addWidget(Button1);
}

bool TGifType::Execute(const TBitmap32& Flat, TSaveOptions& Options) {
  Panel1->setText(QStringLiteral("Информация: сохраняемое изображение содержит %1 цветов.")
                      .arg(static_cast<qlonglong>(CountColors(TBitmap24(Flat)))));
  if (exec() != QDialog::Accepted)
    return false;
  Options.GifFormat = Format();
  return true;
}

TPixelFormat TGifType::Format() const {
  if (RadioButton1->isChecked())
    return pf1bit;
  if (RadioButton3->isChecked())
    return pf4bit;
  if (RadioButton2->isChecked())
    return pf8bit;
  return pf24bit;
}
