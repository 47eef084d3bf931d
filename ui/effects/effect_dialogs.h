#pragma once
// The effect dialogs with "Просмотр": each holds its gauges and reports their positions.
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

#include "effect_dialog.h"

// "Резкость": the strength 2 .. 5.
class TEffect : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TEffect(QWidget* Parent = nullptr);
  QSlider* Value;
};

// "Размытие": the distance 1 .. 100 and "Расфокусировка" (one pass at the distance; unticked,
// gauge + 1 passes at distance 3).
class TDeFoc : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TDeFoc(QWidget* Parent = nullptr);
  QSlider* Value;
  QCheckBox* Ras;
};

// "Разбрызгивание": the amount 1 .. 100.
class TSprayWin : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TSprayWin(QWidget* Parent = nullptr);
  QSlider* Value;
};

// "Постеризация": the level 1 .. 100.
class TPosta : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TPosta(QWidget* Parent = nullptr);
  QSlider* Value;
};

// "Эффект волны": amplitude, interference and the frequency list, which goes back to "Низкая"
// at every activation.
class TWaves : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TWaves(QWidget* Parent = nullptr);
  QSlider* Value;
  QSlider* Interf;
  QComboBox* Nu;

 protected:
  void showEvent(QShowEvent* E) override;
};

// "Капли дождя": the scale ("Увеличение") and the turbulence ("Сила ветра").
class TMarb : public TEffectDialog {
  Q_OBJECT
 public:
  explicit TMarb(QWidget* Parent = nullptr);
  QSlider* Scal;
  QSlider* Freq;
};
