// The main window's files: opening a card or a picture (the dialog, the recent list, the start
// panel's links, the command line), adding a photo from a file, saving, saving as and exporting.
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <exception>
#include <filesystem>

#include "busy_cursor.h"
#include "card_runner.h"
#include "dialog_folder.h"
#include "exceptions.h"
#include "export_dialogs.h"
#include "file_filters.h"
#include "main_form.h"
#include "open_document.h"
#include "project_file.h"
#include "user_error_text.h"

namespace {

// Runs a read of FileName; a failure is reported with the file's name in front of the reader's
// own explanation.
template <class F>
void ReadingFile(const std::string& FileName, F&& Read) {
  try {
    Read();
  } catch (const std::exception& E) {
    throw Exception(OpenFileErrorText(FileName, E));
  }
}

}  // namespace

void TMainForm::AddPhotoFromFile(const QString& FileName) {
  const std::string Name = FileName.toStdString();
  const TBusyCursor Busy;
  TCardRunner(*FDoc, FUndo.get()).Run(usAddPhoto, [&] {
    ReadingFile(Name, [&] { FDoc->AddPhoto(Name); });
  });
}

bool TMainForm::AskToSave() {
  if (!FDoc->Modified)
    return true;
  switch (Dialogs.AskSaveQuestion()) {
    case QMessageBox::Yes:
      SaveClick();
      // A save that did not happen (cancelled dialog, failed write) keeps the card open.
      return !FDoc->Modified;
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

void TMainForm::OpenFile(const std::string& FileName) {
  OpenFileAs(FileName, true);
}

void TMainForm::OpenFileAs(const std::string& FileName, bool Remember) {
  {
    const TBusyCursor Busy;
    ReadingFile(FileName, [&] { OpenDocument(FileName, *FDoc); });
  }
  FSaveName.clear();
  FImageSection->setVisible(!FDoc->IsEmpty());
  if (Remember && !FRecent.IsRecent(FileName))
    FRecent.AddRecent(FileName);
  FStatusText->setText(QString::fromStdString(FileName));
  ShowCanvasSize();
  FStartSection->hide();
  FUndo->Reset();
  ShowZoom();
  UpdatePanels();
}

void TMainForm::FitIfLarge() {
  if (FDoc->Canvas().Width() > FImgView->width() - 20 ||
      FDoc->Canvas().Height() > FImgView->height() - 20)
    FitInWindowClick();
}

void TMainForm::mnFileOpenClick() {
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  const QString Name = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть"), DialogFolder(),
                                                    OpenDocumentFilter());
  if (Name.isEmpty())
    return;
  RememberFolder(Name);
  OpenAsCard(Name.toStdString());
}

QString TMainForm::DialogFolder() const {
  const std::string& Card = !FOpenName.empty() ? FOpenName : FSaveName;
  return DialogStartFolder(QString::fromStdString(Card), FLastFolder);
}

void TMainForm::RememberFolder(const QString& FileName) {
  FLastFolder = QFileInfo(FileName).absolutePath();
  WriteLastFolder(SettingsFile("Folder.kvp"), FLastFolder);
}

void TMainForm::OpenAsCard(const std::string& FileName) {
  try {
    OpenFile(FileName);
  } catch (...) {
    // A file of the recent list that is gone leaves the list with the error that says so.
    std::error_code Ec;
    if (FRecent.IsRecent(FileName) && !std::filesystem::exists(FileName, Ec) && !Ec) {
      FRecent.Remove(FileName);
      UpdateLinks();
    }
    throw;
  }
  FOpenName = FileName;
  FitIfLarge();
  FImgView->View().Invalidate();
}

void TMainForm::OpenRecent(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FRecent.Paths().size()))
    return;
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  // A copy: the list may lose the entry while it opens.
  const std::string Path = FRecent.Paths()[static_cast<size_t>(Index)];
  OpenAsCard(Path);
  FRecent.Mark(Index);
}

void TMainForm::OpenLink(int Index) {
  const std::string Path = FRecent.LinkPath(Index);
  if (Path.empty())
    return;
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  OpenAsCard(Path);
}

void TMainForm::OpenFromCommandLine(const QStringList& Arguments) {
  if (Arguments.isEmpty())
    return;
  // Opened as "Открыть" opens a card: fitted and not modified. The window may still be
  // resized by the window system once it is shown, so the fit is made again when it has settled.
  OpenAsCard(Arguments.join(' ').toStdString());
  QTimer::singleShot(0, this, [this] { Run([this] { FitIfLarge(); }); });
}

void TMainForm::SaveClick() {
  // "Сохранить" writes projects only: a card opened from a picture, or saved as one, asks for a
  // project's name beside it, so the picture is never written over without being named.
  const std::string& Current = CurrentFileName();
  if (Current.empty() || OpenKindFor(Current) != okProject) {
    SaveAs(TSaveFormat::Project);
    return;
  }
  {
    const TBusyCursor Busy;
    SaveDocument(*FDoc, Current);
  }
  FUndo->MarkSaved();
  FImgView->View().Invalidate();
}

QString TMainForm::SaveQuestionText() const {
  const std::string Project = ProjectNameFor(CurrentFileName());
  const QString Name = Project.empty() ? QStringLiteral("Без имени")
                                       : QFileInfo(QString::fromStdString(Project)).fileName();
  return QStringLiteral("Сохранить изменения в проекте «%1»?").arg(Name);
}

void TMainForm::SaveAs(TSaveFormat Format) {
  // Offered: the card's own name, a project beside the picture it was opened from.
  std::string Typed = NameWithoutExtension(
      Format == TSaveFormat::Project ? ProjectNameFor(CurrentFileName()) : CurrentFileName());
  if (!Dialogs.AskSaveName(Typed, Format))
    return;
  if (!SaveAsTo(Format, Typed))
    return;
  FUndo->MarkSaved();
  const std::string Path = SaveAsFileName(Typed, Format);
  FOpenName.clear();
  FSaveName = Path;
  if (Format == TSaveFormat::Project && !FRecent.IsRecent(Path))
    FRecent.AddRecent(Path);
  FStatusText->setText(QString::fromStdString(Path));
  FImgView->View().Invalidate();
}

void TMainForm::ExportCard(TSaveFormat Format) {
  if (FDoc->IsEmpty())
    return;
  // Offered: the card's name, in its folder.
  std::string Typed = NameWithoutExtension(CurrentFileName());
  if (Typed.empty())
    Typed = "Открытка";
  if (!Dialogs.AskSaveName(Typed, Format))
    return;
  // A copy: the card keeps its own file, its title, its modified mark and its selection (the
  // flat render hides the selection frame).
  bool Written = false;
  {
    const TKeepModified Keep(*FDoc);
    TCustomLayer* const Selected = FDoc->Selected();
    Written = SaveAsTo(Format, Typed);
    FDoc->SetSelection(Selected);
  }
  FImgView->View().Invalidate();
  if (Written) {
    FStatusText->setText(QStringLiteral("Открытка сохранена в файл %1")
                             .arg(QString::fromStdString(SaveAsFileName(Typed, Format))));
    FStatusSaysExported = true;
  }
}

bool TMainForm::SaveAsTo(TSaveFormat Format, const std::string& Typed) {
  const std::string Path = SaveAsFileName(Typed, Format);
  if (Format == TSaveFormat::Project) {
    const TBusyCursor Busy;
    WriteProject(*FDoc, Path);
    FDoc->Modified = false;
    return true;
  }
  // The dialogs are modal: the card cannot change while they are open.
  std::unique_ptr<TBitmap32> Holder;
  const TBitmap32& Flat = FDoc->FlatImage(Holder);
  // Nothing to write is said once, not after every try of the quality dialog.
  if (Flat.IsEmpty())
    throw Exception("Нечего сохранять: открытка пустая");
  TSaveOptions Options;
  const bool Asks = Format == TSaveFormat::Jpeg || Format == TSaveFormat::Gif;
  if (Format == TSaveFormat::Jpeg)
    FImgView->View().Invalidate();
  for (;;) {
    if (Format == TSaveFormat::Jpeg && !FCompress->Execute(Options))
      return false;
    if (Format == TSaveFormat::Gif && !FGifType->Execute(Flat, Options))
      return false;
    try {
      const TBusyCursor Busy;
      SaveFlatImage(Format, Options, Flat, Path);
      break;
    } catch (const std::exception& E) {
      // A write that fails is reported, and the JPEG or GIF dialog stays for another try.
      if (!Asks)
        throw;
      Dialogs.ShowError(QString::fromStdString(UserErrorText(E)));
    }
  }
  FDoc->Modified = false;
  return true;
}
