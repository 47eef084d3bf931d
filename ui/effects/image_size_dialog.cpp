#include "image_size_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "window_fit.h"

namespace {

QSpinBox* MakeField(QWidget* Parent, const char* Name, int Max) {
  auto* S = new QSpinBox(Parent);
  S->setObjectName(QString::fromLatin1(Name));
  S->setRange(1, Max);
  S->setMinimumWidth(90);
  return S;
}

// A value the dialog computes may lie beyond what the field accepts as typed (the weight of a
// large canvas, a canvas wider than the field's range): the field then widens its range so that
// it shows the value as it is.
void ShowValue(QSpinBox* Field, int32_t Value, int32_t Max) {
  const QSignalBlocker Quiet(Field);
  Field->setMinimum(std::min(1, Value));
  Field->setMaximum(std::max(Max, Value));
  Field->setValue(Value);
}

}  // namespace

TRasm::TRasm(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Размер изображения"));
  KeepTitleWhole(*this);
  setModal(true);
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Размеры"), this);
  auto* Grid = new QGridLayout(Group);
  Edit1 = MakeField(Group, "Edit1", ImageSideMax);
  Edit2 = MakeField(Group, "Edit2", ImageSideMax);
  Edit3 = MakeField(Group, "Edit3", ImageKilobytesMax);
  Grid->addWidget(new QLabel(QStringLiteral("Ширина:"), Group), 0, 0);
  Grid->addWidget(Edit1, 0, 1);
  Grid->addWidget(new QLabel(QStringLiteral("точек"), Group), 0, 2);
  Grid->addWidget(new QLabel(QStringLiteral("Высота:"), Group), 1, 0);
  Grid->addWidget(Edit2, 1, 1);
  Grid->addWidget(new QLabel(QStringLiteral("точек"), Group), 1, 2);
  Grid->addWidget(new QLabel(QStringLiteral("Размер:"), Group), 2, 0);
  Grid->addWidget(Edit3, 2, 1);
  Grid->addWidget(new QLabel(QStringLiteral("Кбайт"), Group), 2, 2);
  Prop = new QCheckBox(QStringLiteral("Соблюдать пропорции"), Group);
  Prop->setObjectName(QStringLiteral("Prop"));
  Prop->setChecked(true);
  Grid->addWidget(Prop, 3, 0, 1, 3);
  Outer->addWidget(Group);

  auto* MethodRow = new QHBoxLayout;
  MethodRow->addWidget(new QLabel(QStringLiteral("Метод ресэмплинга:"), this));
  Resample = new QComboBox(this);
  Resample->setObjectName(QStringLiteral("Resample"));
  Resample->addItems(
      {QStringLiteral("Ближайший сосед"), QStringLiteral("Билинейная"), QStringLiteral("Сплайн")});
  MethodRow->addWidget(Resample);
  Outer->addLayout(MethodRow);

  auto* Buttons = new QHBoxLayout;
  auto* Ok = new QPushButton(QStringLiteral("ОК"), this);
  auto* Cancel = new QPushButton(QStringLiteral("Отмена"), this);
  Ok->setDefault(true);
  Buttons->addStretch();
  Buttons->addWidget(Ok);
  Buttons->addWidget(Cancel);
  Outer->addLayout(Buttons);
  connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

  connect(Edit1, &QSpinBox::valueChanged, this, [this](int V) {
    FModel.WidthChanged(V, Prop->isChecked());
    ShowFields(Edit1);
  });
  connect(Edit2, &QSpinBox::valueChanged, this, [this](int V) {
    FModel.HeightChanged(V, Prop->isChecked());
    ShowFields(Edit2);
  });
  connect(Edit3, &QSpinBox::valueChanged, this, [this](int V) {
    FModel.KilobytesChanged(V);
    ShowFields(Edit3);
  });
}

void TRasm::Open(int32_t CanvasWidth, int32_t CanvasHeight) {
  FModel.Open(CanvasWidth, CanvasHeight);
  // A photograph keeps its detail best with the smoothest of the methods.
  Resample->setCurrentIndex(rmSpline);
  ShowFields();
}

void TRasm::ShowFields(const QSpinBox* Typed) {
  const TImageSizeFields& F = FModel.Fields();
  if (Typed != Edit1)
    ShowValue(Edit1, F.Width, ImageSideMax);
  if (Typed != Edit2)
    ShowValue(Edit2, F.Height, ImageSideMax);
  if (Typed != Edit3)
    ShowValue(Edit3, F.Kilobytes, ImageKilobytesMax);
}
