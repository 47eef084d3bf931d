#pragma once
// The card catalogue "Каталог открыток" (TAlbum): the ready cards of the folder "Cards" in a
// thumbnail picker; "Выбрать" puts the selected one on the canvas, at its own size or
// stretched to the card's (PutReadyCard). A line under the cards says which size the card will
// have: the ready card's own, or the project's when the card is fitted to it.
#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class TCardDocument;
class TTHumbview;
class TUndoStack;

class TAlbum : public QDialog {
  Q_OBJECT
 public:
  // Doc is the card whose canvas a chosen card replaces, Undo its undo records; DataDir is
  // the folder that holds "Cards" (read once, when the dialog is first shown).
  TAlbum(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent = nullptr);

  // After "Выбрать" changed the canvas, before the dialog closes (the window shows the new
  // size and fits the card into the view).
  std::function<void()> OnCardPlaced;
  // Shows an error of "Выбрать" (the dialog stays open); by default a message box.
  std::function<void(const QString&)> OnError;

  // The controls, named as the program refers to them.
  TTHumbview* ALView;
  QCheckBox* SetProp;
  QLabel* SizeNote;      // what "Выбрать" does to the card's size (ReadyCardSizeNote)
  QPushButton* Button1;  // "Выбрать"
  QPushButton* Button2;  // "Закрыть"

  // "Выбрать" (public so that tests can drive it exactly as the button does).
  void Button1Click();
  // The size line for the selected card, the canvas and the check box as they are now.
  void ShowSizeNote();

 protected:
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  TCardDocument& FDoc;
  TUndoStack& FUndo;
  // The picker selects its first card once its folder is read, and the keys and the mouse move
  // the selection: while the dialog is shown the line follows it.
  QTimer* FNoteTimer;
  int FNoteCell = -2;  // the cell the line was made for
};
