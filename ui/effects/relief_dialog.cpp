#include "relief_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "colour_panel.h"
#include "preview_buttons.h"
#include "window_fit.h"

namespace {

constexpr TPlatformColor Silver = 0xC0C0C0;

}  // namespace

TRaiser::TRaiser(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Рельефный контур"));
  KeepTitleWhole(*this);
  setModal(true);
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Параметры"), this);
  auto* Form = new QFormLayout(Group);
  UpDown1 = new QSpinBox(Group);
  UpDown1->setObjectName(QStringLiteral("UpDown1"));
  UpDown1->setRange(1, 39);
  UpDown1->setValue(3);
  Form->addRow(QStringLiteral("Толщина (в %)"), UpDown1);
  CheckBox1 = new QRadioButton(QStringLiteral("Внутреннее обрамление"), Group);
  CheckBox1->setChecked(true);
  OutBor = new QRadioButton(QStringLiteral("Внешнее обрамление"), Group);
  Form->addRow(CheckBox1);
  Form->addRow(OutBor);
  Gran = new QSpinBox(Group);
  Gran->setObjectName(QStringLiteral("Gran"));
  Gran->setRange(0, 100);
  Gran->setValue(0);
  Form->addRow(QStringLiteral("Граница (в %)"), Gran);
  Panel2 = new TColourPanel(Silver, Group);
  Sb2 = MakeColourButton(Panel2, this);
  auto* Row = new QHBoxLayout;
  Row->addWidget(Panel2);
  Row->addWidget(Sb2);
  Row->addStretch();
  Form->addRow(QStringLiteral("Цвет рамки"), Row);
  Outer->addWidget(Group);
  connect(CheckBox1, &QRadioButton::clicked, this, [this] { UpdateFrameControls(); });
  connect(OutBor, &QRadioButton::clicked, this, [this] { UpdateFrameControls(); });

  const TPreviewButtons Buttons =
      AddPreviewButtons(this, Outer, QStringLiteral("Просмотр"), &OnPreview);
  PreviewButton = Buttons.Preview;
  OkButton = Buttons.Ok;
  CancelButton = Buttons.Cancel;
  UpdateFrameControls();
}

void TRaiser::UpdateFrameControls() {
  const bool On = OutBor->isChecked();
  Sb2->setEnabled(On);
  Gran->setEnabled(On);
}

void TRaiser::showEvent(QShowEvent* E) {
  UpdateFrameControls();
  QDialog::showEvent(E);
  if (OnActivate)
    OnActivate();
}

TReliefParams TRaiser::Params() const {
  TReliefParams P;
  P.Percent = UpDown1->value();
  P.Outer = OutBor->isChecked();
  P.BorderPercent = Gran->value();
  P.FrameColour = Panel2->Colour32();
  return P;
}
