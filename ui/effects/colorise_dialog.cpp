#include "colorise_dialog.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "colour_panel.h"
#include "qt_colours.h"

TColorise::TColorise(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Оттенки одного цвета"));
  setMinimumWidth(340);
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Цвет оттенков"), this);
  auto* Row = new QHBoxLayout(Group);
  FPanel = new TColourPanel(0, Group);
  FPanel->setMinimumSize(64, 26);
  FPick = new QPushButton(QStringLiteral("Выбрать цвет..."), Group);
  FPick->setObjectName(QStringLiteral("ColourButton"));
  Row->addWidget(FPanel, 1);
  Row->addWidget(FPick);
  Outer->addWidget(Group);

  auto* Buttons = new QHBoxLayout();
  FOk = new QPushButton(QStringLiteral("ОК"), this);
  FCancel = new QPushButton(QStringLiteral("Отмена"), this);
  FOk->setDefault(true);
  Buttons->addStretch();
  Buttons->addWidget(FOk);
  Buttons->addWidget(FCancel);
  Outer->addLayout(Buttons);
  connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(FPick, &QPushButton::clicked, this, [this] {
    const QColor C =
        QColorDialog::getColor(PlatformToQColor(Colour()), this, QStringLiteral("Цвет оттенков"));
    if (C.isValid())
      ChooseColour(static_cast<uint32_t>(PlatformFromQColor(C)));
  });
}

uint32_t TColorise::Colour() const {
  return static_cast<uint32_t>(FPanel->Colour());
}

void TColorise::SetColour(uint32_t Colour) {
  FPanel->SetColour(static_cast<TPlatformColor>(Colour & 0xFFFFFF));
}

void TColorise::ChooseColour(uint32_t Colour) {
  SetColour(Colour);
  if (OnChange)
    OnChange();
}

void TColorise::showEvent(QShowEvent* E) {
  QDialog::showEvent(E);
  if (OnActivate)
    OnActivate();
}
