#pragma once
// The frame dialog "Добавить рамки" (TFrama): a frame tile from the folder "SFrames", the
// frame's thickness as a percentage of the picture's width, and whether to fit the card in the
// window while previewing. It works on the card itself; closing it in any way other than "ОК"
// puts the card back as it was when the dialog opened.
#include <QDialog>
#include <QString>
#include <functional>

#include "card_runner.h"
#include "frame_session.h"

class QCheckBox;
class QPushButton;
class QSpinBox;
class TTHumbview;

class TFrama : public QDialog {
  Q_OBJECT
 public:
  // Doc and Undo are the main window's; DataDir is the folder that holds "SFrames".
  TFrama(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent = nullptr);

  // The main window's "Уместить в окне".
  std::function<void()> OnFit;
  // Shows an error (the general error report); the dialog goes on.
  std::function<void(const QString&)> OnError;

  TFrameSession& Session() { return FSession; }
  // The selected tile's full path; empty when none is selected.
  QString SelectedTile() const;

  // The controls, named as the program refers to them.
  TTHumbview* FView;
  QSpinBox* Dal;  // "Размер рамки (в %)", its edit is Edit2
  QCheckBox* FITA;
  QPushButton* Button3;  // "Просмотр"
  QPushButton* Button4;  // "ОК"
  QPushButton* Button2;  // "Отмена"

  // Handlers (public so that tests can drive them as the controls do).
  void Button3Click();
  void Button4Click();
  void Button2Click();

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  // Runs one handler; an error goes to OnError and the dialog goes on. True without an error.
  bool Run(const std::function<void()>& Handler);
  void Fit();

  TFrameSession FSession;
  TCardRunner FRunner;
  QString FDataDir;
};
