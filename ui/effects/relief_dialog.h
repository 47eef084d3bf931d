#pragma once
// "Рельефный контур" (TRaiser): the ring thickness in per cent of the layer's width, inner or
// outer framing with the outer frame's extra width and colour, and "Просмотр", "ОК", "Отмена".
#include <QDialog>
#include <functional>

#include "outline_effects.h"

class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;
class TColourPanel;

class TRaiser : public QDialog {
  Q_OBJECT
 public:
  explicit TRaiser(QWidget* Parent = nullptr);

  // On every activation (the command takes its copy of the layer).
  std::function<void()> OnActivate;
  // "Просмотр".
  std::function<void()> OnPreview;

  TReliefParams Params() const;
  // Sb2, Gran and the frame colour are usable only with "Внешнее обрамление".
  void UpdateFrameControls();

  QSpinBox* UpDown1;        // "Толщина (в %)", 1 .. 39
  QRadioButton* CheckBox1;  // "Внутреннее обрамление"
  QRadioButton* OutBor;     // "Внешнее обрамление"
  QSpinBox* Gran;           // "Граница (в %)", 0 .. 100
  TColourPanel* Panel2;     // "Цвет рамки"
  QToolButton* Sb2;
  QPushButton* PreviewButton;
  QPushButton* OkButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* E) override;
};
