#pragma once
// "Поворот" (TPovor): the free angle of "Произвольный угол", typed or set with the gauge, and
// the choice of bilinear sampling. The command that shows it turns the layer.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <functional>

class TPovor : public QDialog {
  Q_OBJECT
 public:
  explicit TPovor(QWidget* Parent = nullptr);

  // The whole number in Edit1 when it lies within -180 .. 180. Otherwise the message of what is
  // wrong is shown (ShowMessage) and the result is false.
  bool ReadAngle(int& Angle);

  // Called by "Просмотр" with a valid angle in Edit1; the command sets it while the dialog runs.
  std::function<void()> OnPreview;
  // Shows a message box (replaceable in tests).
  std::function<void(const QString& Text)> ShowMessage;

  QLineEdit* Edit1;  // "Угол (в градусах)"
  QSlider* Angle;
  QCheckBox* Inter;  // "Билинейная интерполяция"
  QPushButton* OkButton;
  QPushButton* CancelButton;
  QPushButton* PreviewButton;

 private:
  void Edit1Change(const QString& Text);
};

// The message for an angle typed outside -180 .. 180.
extern const char* const AngleRangeMessage;
