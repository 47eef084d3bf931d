#include "new_canvas_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

TNewCanvasDialog::TNewCanvasDialog(QWidget* Parent)
    : QDialog(Parent), FWidth(new QSpinBox(this)), FHeight(new QSpinBox(this)) {
  setWindowTitle(QStringLiteral("Новый проект"));
  auto* Form = new QFormLayout(this);
  for (QSpinBox* S : {FWidth, FHeight}) {
    S->setRange(1, 20000);
    S->setSuffix(QStringLiteral(" точек"));
  }
  FWidth->setValue(800);
  FHeight->setValue(600);
  Form->addRow(QStringLiteral("Ширина:"), FWidth);
  Form->addRow(QStringLiteral("Высота:"), FHeight);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
  Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Form->addRow(Buttons);
}
