#pragma once
// Asks for the size of a new card in pixels.
#include <QDialog>
#include <QSpinBox>

class TNewCanvasDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TNewCanvasDialog(QWidget* Parent = nullptr);
  int ResultWidth() const { return FWidth->value(); }
  int ResultHeight() const { return FHeight->value(); }

 private:
  QSpinBox* FWidth;
  QSpinBox* FHeight;
};
