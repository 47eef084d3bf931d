#include "live_dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "card_commands.h"
#include "effect_dialog.h"
#include "user_error_text.h"
#include "window_fit.h"

void TLiveDialog::showEvent(QShowEvent* E) {
  for (QSlider* G : FGauges) G->setValue(0);
  if (OnActivate)
    OnActivate();
  QDialog::showEvent(E);
}

QWidget* TLiveDialog::MakeButtons() {
  auto* Box = new QWidget(this);
  auto* Row = new QHBoxLayout(Box);
  Row->setContentsMargins(0, 0, 0, 0);
  auto* Reset = new QPushButton(QStringLiteral("Сброс"), Box);
  auto* Ok = new QPushButton(QStringLiteral("ОК"), Box);
  auto* Cancel = new QPushButton(QStringLiteral("Отмена"), Box);
  Ok->setDefault(true);
  Row->addWidget(Reset);
  Row->addStretch();
  Row->addWidget(Ok);
  Row->addWidget(Cancel);
  connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(Reset, &QPushButton::clicked, this, [this] {
    for (QSlider* G : FGauges) G->setValue(0);
    if (OnReset)
      OnReset();
  });
  for (QSlider* G : FGauges) G->installEventFilter(this);
  return Box;
}

bool TLiveDialog::eventFilter(QObject* Watched, QEvent* E) {
  if (E->type() == QEvent::MouseButtonRelease) {
    const int I = FGauges.indexOf(qobject_cast<QSlider*>(Watched));
    if (I >= 0 && OnApply) {
      // The slider takes the release first, so the value is final when the gauge applies.
      FGauges[I]->event(E);
      try {
        OnApply(I + 1);
      } catch (const std::exception& Error) {
        QMessageBox::critical(this, QStringLiteral("Pelmora"),
                              QString::fromStdString(UserErrorText(Error)));
      }
      return true;
    }
  }
  return QDialog::eventFilter(Watched, E);
}

TBrid::TBrid(QWidget* Parent) : TLiveDialog(Parent) {
  setWindowTitle(QStringLiteral("Яркость/контраст"));
  KeepTitleWhole(*this);
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Настройка яркости и контраста"), this);
  auto* Grid = new QGridLayout(Group);
  GaugeBar1 = MakeGauge(Group, CardKeyOf("BrightnessScale", "amount"), 0);
  GaugeBar2 = MakeGauge(Group, CardKeyOf("ContrastStretch", "amount"), 0);
  GaugeBar1->setObjectName(QStringLiteral("GaugeBar1"));
  GaugeBar2->setObjectName(QStringLiteral("GaugeBar2"));
  Grid->addWidget(new QLabel(QStringLiteral("Яркость"), Group), 0, 0);
  Grid->addWidget(GaugeBar1, 0, 1);
  Grid->addWidget(new QLabel(QStringLiteral("Контраст"), Group), 1, 0);
  Grid->addWidget(GaugeBar2, 1, 1);
  Outer->addWidget(Group);
  FGauges = {GaugeBar1, GaugeBar2};
  Outer->addWidget(MakeButtons());
}

TGamma::TGamma(QWidget* Parent) : TLiveDialog(Parent) {
  setWindowTitle(QStringLiteral("Цветовой баланс"));
  KeepTitleWhole(*this);
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Настройка цветового баланса"), this);
  auto* Grid = new QGridLayout(Group);
  const QString Names[3][2] = {{QStringLiteral("Голубой"), QStringLiteral("Красный")},
                               {QStringLiteral("Пурпурный"), QStringLiteral("Зелёный")},
                               {QStringLiteral("Жёлтый"), QStringLiteral("Синий")}};
  const char* const Keys[3] = {"red", "green", "blue"};
  QSlider* Gauges[3];
  for (int I = 0; I < 3; ++I) {
    Gauges[I] = MakeGauge(Group, CardKeyOf("BalanceScale", Keys[I]), 0);
    Gauges[I]->setObjectName(QStringLiteral("GaugeBar%1").arg(I + 1));
    Grid->addWidget(new QLabel(Names[I][0], Group), I, 0);
    Grid->addWidget(Gauges[I], I, 1);
    Grid->addWidget(new QLabel(Names[I][1], Group), I, 2);
  }
  GaugeBar1 = Gauges[0];
  GaugeBar2 = Gauges[1];
  GaugeBar3 = Gauges[2];
  Outer->addWidget(Group);
  auto* Options = new QGroupBox(QStringLiteral("Параметры"), this);
  auto* Col = new QVBoxLayout(Options);
  Speed = new QRadioButton(QStringLiteral("Наибольшая скорость"), Options);
  Qval = new QRadioButton(QStringLiteral("Наилучшее качество"), Options);
  Speed->setObjectName(QStringLiteral("Speed"));
  Qval->setObjectName(QStringLiteral("Qval"));
  Speed->setChecked(true);
  Col->addWidget(Speed);
  Col->addWidget(Qval);
  Outer->addWidget(Options);
  for (QRadioButton* R : {Speed, Qval})
    connect(R, &QRadioButton::clicked, this, [this] {
      if (OnApply)
        OnApply(0);
    });
  FGauges = {GaugeBar1, GaugeBar2, GaugeBar3};
  Outer->addWidget(MakeButtons());
}
