#include "effect_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "effect_commands.h"
#include "preview_buttons.h"
#include "window_fit.h"

QSlider* MakeGauge(QWidget* Parent, const TEffectKey& Range, int Position) {
  auto* G = new QSlider(Qt::Horizontal, Parent);
  G->setRange(Range.Min, Range.Max);
  G->setValue(Position);
  G->setMinimumWidth(220);
  return G;
}

TEffectDialog::TEffectDialog(const QString& Caption, const QString& Heading, bool InGroup,
                             QWidget* Parent)
    : QDialog(Parent) {
  setWindowTitle(Caption);
  KeepTitleWhole(*this);
  setModal(true);
  auto* Outer = new QVBoxLayout(this);
  FForm = new QFormLayout;
  if (InGroup) {
    auto* Group = new QGroupBox(Heading, this);
    Group->setLayout(FForm);
    Outer->addWidget(Group);
  } else {
    Outer->addWidget(new QLabel(Heading, this));
    Outer->addLayout(FForm);
  }
  const TPreviewButtons Buttons =
      AddPreviewButtons(this, Outer, QStringLiteral("Просмотр"), &OnPreview);
  FPreview = Buttons.Preview;
  FOk = Buttons.Ok;
  FCancel = Buttons.Cancel;
}

QSlider* TEffectDialog::AddGauge(const char* Name, const QString& Label, const TEffectKey& Range,
                                 int Position) {
  QSlider* G = MakeGauge(this, Range, Position);
  G->setObjectName(QString::fromLatin1(Name));
  auto* Row = new QHBoxLayout;
  auto* Shown = new QLabel(QString::number(Position), this);
  Shown->setMinimumWidth(32);
  connect(G, &QSlider::valueChanged, Shown, [Shown](int V) { Shown->setNum(V); });
  Row->addWidget(G);
  Row->addWidget(Shown);
  FForm->addRow(Label, Row);
  return G;
}

QCheckBox* TEffectDialog::AddCheck(const char* Name, const QString& Caption) {
  auto* C = new QCheckBox(Caption, this);
  C->setObjectName(QString::fromLatin1(Name));
  FForm->addRow(C);
  return C;
}

QComboBox* TEffectDialog::AddList(const char* Name, const QString& Label,
                                  const QStringList& Items) {
  auto* L = new QComboBox(this);
  L->setObjectName(QString::fromLatin1(Name));
  L->addItems(Items);
  FForm->addRow(Label, L);
  return L;
}
