// The main window's settings files: the editor background ("View.kvp"), the window's place and
// the side panel's side ("CForm.kvp") and the recent list, read at start and written at close.
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>

#include "dialog_folder.h"
#include "exceptions.h"
#include "main_form.h"

void TMainForm::ReadSettings() {
  FRecent.LoadFromFile(TRecentFiles::ListFileName(FPaths.SettingsDir));
  FLastFolder = ReadLastFolder(SettingsFile("Folder.kvp"));
  UpdateLinks();
  const TViewSettings V = ReadViewSettings(SettingsFile("View.kvp").toStdString());
  FBufColor = V.Color;
  Action(TMainAction::Checkerboard)->setChecked(V.Chess);
  FUndo->SetBudget(ReadUndoBudget(SettingsFile("Undo.kvp").toStdString()));
  if (const auto F = ReadFormSettings(SettingsFile("CForm.kvp").toStdString())) {
    const QRect Stored(F->Left, F->Top, F->Width, F->Height);
    const QScreen* Screen = QGuiApplication::screenAt(Stored.center());
    // A placement on no screen (a monitor since removed) keeps the centred default.
    if (F->WindowState == 0 && F->Width > 0 && F->Height > 0 && Screen != nullptr)
      setGeometry(Stored.intersected(Screen->availableGeometry()));
    else
      PlaceOnFirstStart();
    if (F->WindowState == 2)
      setWindowState(Qt::WindowMaximized);
    else if (F->WindowState == 1)
      setWindowState(Qt::WindowMinimized);
    if (F->PanelSide == 1) {
      FPanelOnLeft = true;
      auto* Row = static_cast<QHBoxLayout*>(centralWidget()->layout());
      Row->removeWidget(FSideScroll);
      Row->insertWidget(0, FSideScroll);
    }
  } else {
    PlaceOnFirstStart();
  }
}

void TMainForm::PlaceOnFirstStart() {
  const QScreen* S = QGuiApplication::primaryScreen();
  if (S == nullptr) {
    resize(894, 626);
    return;
  }
  // Most of the screen, centred: a card is seen at a useful size from the first start.
  const QRect A = S->availableGeometry();
  const QSize Size(A.width() * 85 / 100, A.height() * 85 / 100);
  resize(Size);
  move(A.center() - QPoint(Size.width() / 2, Size.height() / 2));
}

void TMainForm::FormClose() {
  if (FClosed)
    return;
  FClosed = true;
  SaveRecentList();
  TViewSettings V;
  V.Chess = Action(TMainAction::Checkerboard)->isChecked();
  V.Color = FBufColor;
  WriteViewSettings(SettingsFile("View.kvp").toStdString(), V);
  TFormSettings F;
  F.WindowState = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
  const QRect G = geometry();
  F.Left = G.left();
  F.Top = G.top();
  F.Width = G.width();
  F.Height = G.height();
  F.PanelSide = FPanelOnLeft ? 1 : 2;
  WriteFormSettings(SettingsFile("CForm.kvp").toStdString(), F);
  // A clean end: the card was saved or the user chose to let it go.
  FAutosave->Discard();
  FDoc->ClearLayers();
  FDoc->Canvas().SetSize(0, 0);
}

void TMainForm::SaveRecentList() {
  try {
    FRecent.SaveToFile(TRecentFiles::ListFileName(FPaths.SettingsDir));
  } catch (const Exception&) {
    // A read-only program folder keeps the list of this run only.
  }
}
