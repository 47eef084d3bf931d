#pragma once
// "Размер изображения" (TRasm): width, height and weight of the canvas, linked by
// TImageSizeModel, and the resampling method. The command that shows it resizes the card.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSpinBox>

#include "image_size.h"

class TRasm : public QDialog {
  Q_OBJECT
 public:
  explicit TRasm(QWidget* Parent = nullptr);

  // Activation: the fields show the canvas's own size and weight, the method goes back to
  // "Сплайн"; "Соблюдать пропорции" keeps its state.
  void Open(int32_t CanvasWidth, int32_t CanvasHeight);

  int32_t ChosenWidth() const { return FModel.Fields().Width; }
  int32_t ChosenHeight() const { return FModel.Fields().Height; }
  TResampleMethod Method() const { return static_cast<TResampleMethod>(Resample->currentIndex()); }
  const TImageSizeModel& Model() const { return FModel; }

  QSpinBox* Edit1;  // "Ширина:"
  QSpinBox* Edit2;  // "Высота:"
  QSpinBox* Edit3;  // "Размер:" in kilobytes
  QCheckBox* Prop;  // "Соблюдать пропорции"
  QComboBox* Resample;

 private:
  // Shows the model's fields, except the one being typed in, without running the fields' own
  // change reactions.
  void ShowFields(const QSpinBox* Typed = nullptr);

  TImageSizeModel FModel;
};
