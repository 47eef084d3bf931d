#pragma once
// The shape shared by the effect dialogs with "Просмотр": a heading, gauges, and the buttons
// "Просмотр", "ОК" and "Отмена" (Esc and the close box act as "Отмена"). The dialogs hold
// controls only; the command that shows one does the pixel work.
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QPushButton;
class QSlider;
struct TEffectKey;

class TEffectDialog : public QDialog {
  Q_OBJECT
 public:
  // A heading in a group box (InGroup) or as a label above the gauges.
  TEffectDialog(const QString& Caption, const QString& Heading, bool InGroup, QWidget* Parent);

  // Called by "Просмотр"; the command sets it while the dialog is shown.
  std::function<void()> OnPreview;

  QPushButton* PreviewButton() const { return FPreview; }
  QPushButton* OkButton() const { return FOk; }
  QPushButton* CancelButton() const { return FCancel; }

 protected:
  // A horizontal gauge named Name (the control's object name) with its label, over the range
  // of the effect key it sets.
  QSlider* AddGauge(const char* Name, const QString& Label, const TEffectKey& Range, int Position);
  QCheckBox* AddCheck(const char* Name, const QString& Caption);
  QComboBox* AddList(const char* Name, const QString& Label, const QStringList& Items);

 private:
  QFormLayout* FForm = nullptr;
  QPushButton* FPreview = nullptr;
  QPushButton* FOk = nullptr;
  QPushButton* FCancel = nullptr;
};

// A gauge over the range of the effect key it sets.
QSlider* MakeGauge(QWidget* Parent, const TEffectKey& Range, int Position);
