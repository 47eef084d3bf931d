#pragma once
// "Добавить границы" (TSbor): the border width and colour or an ornament from the "Patterns"
// folder, the inner contour's width and colour, and "Просмотр", "ОК", "Отмена". The dialog holds
// the controls; the command that shows it does the work.
#include <QDialog>
#include <functional>
#include <string>

#include "outline_effects.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;
class TBitmap32;
class TColourPanel;

class TSbor : public QDialog {
  Q_OBJECT
 public:
  // The 38 ornament icons are read from DataDir's "Patterns" folder now; a file that is missing
  // or cannot be read leaves its item without a picture.
  TSbor(const std::string& DataDir, QWidget* Parent = nullptr);

  // On every activation, after the contour's limit was set (the command takes its copy).
  std::function<void()> OnActivate;
  // "Просмотр".
  std::function<void()> OnPreview;

  // The ornament number the border uses: the selected item's index + 1, 1 with none selected.
  int32_t PatternNumber() const;
  // The values of the controls; Pattern is left for the caller to fill.
  TBorderParams Params() const;

  QSpinBox* Wd;          // "Ширина" of the border, its range the batch tool's Border width
  TColourPanel* Panel3;  // the border colour
  QToolButton* SpeedButton4;
  QCheckBox* CheckBox1;    // "Использовать орнамент:"
  QListWidget* ListView1;  // the ornaments "1" .. "38"
  QSpinBox* Cont;          // "Ширина" of the inner contour, 0 .. Wd - 1
  TColourPanel* Panel1;    // the contour colour
  QToolButton* SpeedButton1;
  QPushButton* PreviewButton;
  QPushButton* OkButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* E) override;
};

// The 16 x 16 list icon of an ornament: its top-left corner at twice its size.
QImage PatternIcon(const TBitmap32& Pattern);
