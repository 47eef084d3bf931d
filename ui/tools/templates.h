#pragma once
// The new-project dialog "Новый проект" (TTemplates): the size of a new card typed in points or
// millimetres at a resolution, or taken from a list of paper and screen formats, with the
// page's orientation and a preview of its proportions. The settings live in a TPageSetup;
// the controls show it and feed it their edits. The values stay from one opening to the next.
#include <QDialog>
#include <cstdint>

#include "page_setup.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

class TTemplates : public QDialog {
  Q_OBJECT
 public:
  explicit TTemplates(QWidget* Parent = nullptr);

  // The size "Создать проект" confirmed, in pixels.
  int32_t ResultWidth() const { return FSetup.ResultWidth(); }
  int32_t ResultHeight() const { return FSetup.ResultHeight(); }
  const TPageSetup& Setup() const { return FSetup; }

  // The controls, named as the program refers to them.
  QComboBox* Shabl;
  QSpinBox* WI;  // its text field is Edit1
  QSpinBox* HE;  // its text field is Edit2
  QComboBox* CEP;
  QLabel* Label3;
  QRadioButton* Book;
  QRadioButton* Alba;
  QSpinBox* Resol;  // its text field is Edit3
  QLabel* Label7;
  QFrame* Shape1;
  QFrame* SP;
  QTimer* Timer1;
  QPushButton* Button1;  // "Создать проект"
  QPushButton* Button2;  // "Отмена"

  // Handlers (public so that tests can drive them exactly as the controls do).
  void ShablChange();
  void CEPChange();
  void Edit1Change();
  void Edit2Change();
  void Edit3Change();
  void Timer1Timer();
  void BookClick();
  void AlbaClick();
  void ViewPage();
  // "Создать проект": an edit still waiting for the timer is taken first.
  void Button1Click();

 private:
  // The shown numbers into the spins (their change signals restart the timer).
  void ShowNumbers();
  void ShowUnit();
  void ShowOrientation();
  void ShowKilobytes();

  TPageSetup FSetup;
};
