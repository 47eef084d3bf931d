#include "button_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "preview_buttons.h"
#include "window_fit.h"

TEButos::TEButos(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Эффект кнопки"));
  KeepTitleWhole(*this);
  setModal(true);
  auto* Outer = new QVBoxLayout(this);
  auto* Form = new QFormLayout;
  PDM = new QSpinBox(this);
  PDM->setObjectName(QStringLiteral("PDM"));
  PDM->setRange(1, 9);
  PDM->setValue(2);
  Form->addRow(QStringLiteral("Ширина подъёма"), PDM);
  Glub = new QSpinBox(this);
  Glub->setObjectName(QStringLiteral("Glub"));
  Glub->setRange(1, 16);
  Glub->setValue(16);
  Form->addRow(QStringLiteral("Глубина подъёма"), Glub);
  RCNT = new QCheckBox(QStringLiteral("Рельефный контур внутри"), this);
  Form->addRow(RCNT);
  Outer->addLayout(Form);

  const TPreviewButtons Buttons =
      AddPreviewButtons(this, Outer, QStringLiteral("Просмотр"), &OnPreview);
  PreviewButton = Buttons.Preview;
  OkButton = Buttons.Ok;
  CancelButton = Buttons.Cancel;
}

void TEButos::showEvent(QShowEvent* E) {
  QDialog::showEvent(E);
  if (OnActivate)
    OnActivate();
}

TButtonParams TEButos::Params() const {
  return {PDM->value(), Glub->value(), RCNT->isChecked()};
}
