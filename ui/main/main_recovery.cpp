// The main window's recovery of a card an earlier run left behind, and files dropped on the
// window.
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include "bitmap_layer.h"
#include "main_form.h"
#include "picture_readers.h"

bool TMainForm::OfferRecovery() {
  bool Restored = false;
  Run([&] {
    const std::optional<TRecoveryFile> Orphan = FAutosave->FindOrphan();
    if (!Orphan)
      return;
    const QString When = QDateTime::fromSecsSinceEpoch(Orphan->ModifiedTime)
                             .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const QString Text = QStringLiteral(
                             "Pelmora в прошлый раз закрылась, не сохранив открытку.\n"
                             "Найдена её копия от %1.\n\nВосстановить открытку?")
                             .arg(When);
    if (!Dialogs.AskRestore(Text)) {
      FAutosave->RemoveOrphans();
      return;
    }
    // The copy becomes this run's own recovery file: it stays until the card is saved.
    const std::string Path = FAutosave->Adopt(*Orphan);
    if (Path.empty())
      throw Exception("Не удалось взять копию открытки: " + Orphan->Path);
    OpenFileAs(Path, false);
    FOpenName.clear();
    FSaveName.clear();
    FStatusText->setText(QStringLiteral("Восстановленная открытка"));
    FitIfLarge();
    // Not saved anywhere yet: closing asks to save, and the copy is kept until then.
    FDoc->Modified = true;
    FUndo->ForgetSavedPoint();
    Restored = true;
  });
  return Restored;
}

void TMainForm::DropFiles(const QStringList& Files, QPoint ViewPos) {
  std::vector<std::string> Pictures, Projects;
  for (const QString& F : Files) {
    const std::string Name = F.toStdString();
    (LowerExtension(Name) == ".kvt" ? Projects : Pictures).push_back(Name);
  }
  // A dropped project replaces the card, as "Открыть" would; the pictures go onto it after.
  if (!Projects.empty()) {
    Run([&] {
      if (!FDoc->IsEmpty() && !AskToSave())
        return;
      OpenAsCard(Projects.front());
    });
  }
  if (Pictures.empty())
    return;
  size_t First = 0;
  if (FDoc->IsEmpty()) {
    // With no card, the first picture becomes the card, as "Открыть" would make it.
    Run([&] { OpenAsCard(Pictures.front()); });
    if (FDoc->IsEmpty())
      return;
    First = 1;
  }
  const bool Inside = FImgView->rect().contains(ViewPos);
  const TPoint At = Inside ? FImgView->View().ControlToBitmap(TPoint{ViewPos.x(), ViewPos.y()})
                           : FDoc->ViewCentre();
  int Step = 0;
  for (size_t I = First; I < Pictures.size(); ++I) {
    const std::string& Name = Pictures[I];
    // Each picture is its own command: one that cannot be read is reported and changes nothing.
    Run([&] {
      AddPhotoFromFile(QString::fromStdString(Name));
      TBitmapLayer* L = FDoc->SelectedBitmapLayer();
      if (L == nullptr)
        return;
      const TSingleRect R = L->Location();
      const float W = R.Right - R.Left, H = R.Bottom - R.Top;
      const float Cx = float(At.X + 20 * Step), Cy = float(At.Y + 20 * Step);
      L->SetLocation({Cx - W / 2, Cy - H / 2, Cx + W / 2, Cy + H / 2});
      FDoc->SetSelection(L);
      ++Step;
    });
  }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  if (Event->mimeData()->hasUrls())
    Event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* Event) {
  QStringList Files;
  for (const QUrl& U : Event->mimeData()->urls())
    if (U.isLocalFile())
      Files << U.toLocalFile();
  if (Files.isEmpty())
    return;
  Event->acceptProposedAction();
  DropFiles(Files, FImgView->mapFrom(this, Event->position().toPoint()));
}
