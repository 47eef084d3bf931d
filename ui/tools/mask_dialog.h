#pragma once
// The mask dialog "Выбрать маску" (TMaski): a grey mask from the folder "Masks", optionally
// inverted, becomes the selected layer's transparency. Previews change the layer itself;
// closing the dialog in any way other than "ОК" puts it back as it was when the dialog opened.
#include <QDialog>
#include <QString>
#include <functional>

#include "card_runner.h"
#include "mask_session.h"

class QCheckBox;
class QPushButton;
class TTHumbview;

class TMaski : public QDialog {
  Q_OBJECT
 public:
  // Doc and Undo are the main window's; DataDir is the folder that holds "Masks".
  TMaski(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent = nullptr);

  // Shows an error (the general error report); the dialog goes on.
  std::function<void(const QString&)> OnError;

  TMaskSession& Session() { return FSession; }
  // The selected mask's full path; empty when none is selected.
  QString SelectedMask() const;

  // The controls, named as the program refers to them.
  TTHumbview* View;
  QCheckBox* Obrat;      // "Обратить маску"
  QPushButton* Button3;  // "Просмотр"
  QPushButton* Button2;  // "ОК"
  QPushButton* Button4;  // "Отмена"

  // Handlers (public so that tests can drive them as the controls do).
  void Button3Click();  // also a double-click on a mask
  void Button2Click();
  void Button4Click();

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  void Run(const std::function<void()>& Handler);

  TMaskSession FSession;
  TCardRunner FRunner;
  QString FDataDir;
};
