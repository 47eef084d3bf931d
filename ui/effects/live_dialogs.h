#pragma once
// The two dialogs that show their result on the card while the gauges move: brightness and
// contrast (TBrid) and colour balance (TGamma). Each reports a released gauge, "Сброс" and its
// activation; the command keeps the working copy of the target and does the pixel work.
#include <QDialog>
#include <QRadioButton>
#include <QSlider>
#include <functional>

class QPushButton;

class TLiveDialog : public QDialog {
  Q_OBJECT
 public:
  using QDialog::QDialog;
  // On every activation, after the gauges went to 0.
  std::function<void()> OnActivate;
  // A gauge was released (its number from 1), or for TGamma a radio button was clicked (0).
  std::function<void(int Gauge)> OnApply;
  // "Сброс", after the gauges went to 0.
  std::function<void()> OnReset;

 protected:
  void showEvent(QShowEvent* E) override;
  // A mouse button released on a gauge applies it, whether the handle was dragged or the
  // track was clicked; moving a gauge by the keyboard or the wheel applies nothing.
  bool eventFilter(QObject* Watched, QEvent* E) override;
  // Buttons "ОК", "Отмена", "Сброс" under the controls.
  QWidget* MakeButtons();
  QList<QSlider*> FGauges;
};

class TBrid : public TLiveDialog {
  Q_OBJECT
 public:
  explicit TBrid(QWidget* Parent = nullptr);
  QSlider* GaugeBar1;  // "Яркость", -200 .. 200
  QSlider* GaugeBar2;  // "Контраст", -200 .. 200
};

class TGamma : public TLiveDialog {
  Q_OBJECT
 public:
  explicit TGamma(QWidget* Parent = nullptr);
  QSlider* GaugeBar1;   // "Голубой" .. "Красный", -50 .. 50
  QSlider* GaugeBar2;   // "Пурпурный" .. "Зелёный"
  QSlider* GaugeBar3;   // "Жёлтый" .. "Синий"
  QRadioButton* Speed;  // "Наибольшая скорость": BalanceShift
  QRadioButton* Qval;   // "Наилучшее качество": BalanceScale
};
