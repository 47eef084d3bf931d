#pragma once
// "Эффект кнопки" (TEButos): the bevel's width in per cent of the picture's width, its depth,
// the inner relief, and "Просмотр", "ОК", "Отмена".
#include <QDialog>
#include <functional>

#include "outline_effects.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

class TEButos : public QDialog {
  Q_OBJECT
 public:
  explicit TEButos(QWidget* Parent = nullptr);

  // On every activation: the command sets Glub for the target and takes its copy.
  std::function<void()> OnActivate;
  // "Просмотр".
  std::function<void()> OnPreview;

  TButtonParams Params() const;

  QSpinBox* PDM;    // "Ширина подъёма", 1 .. 9
  QSpinBox* Glub;   // "Глубина подъёма", 1 .. 16
  QCheckBox* RCNT;  // "Рельефный контур внутри"
  QPushButton* PreviewButton;
  QPushButton* OkButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* E) override;
};
