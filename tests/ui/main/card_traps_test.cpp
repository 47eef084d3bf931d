// Traps a new user met in the main window: a photo that was opened is never written over by
// "Сохранить", the quit question names the project it writes, export offers the card's name and
// is off without a card, the recent list lets go of a file that is gone, the help opens inside
// the program, the side panel fits a small screen, and the composition panel follows undo.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "composition_panel.h"
#include "export_dialogs.h"
#include "help_window.h"
#include "main_form_fixture.h"
#include "picture_codecs.h"
#include "save_flat_image.h"
#include "side_panel.h"

namespace {

QByteArray FileBytes(const QString& Path) {
  QFile F(Path);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

// A photo file as a phone leaves it: a JPEG with a Russian name.
QString WritePhoto(const QString& Folder) {
  TBitmap32 Pic;
  Pic.SetSize(40, 30);
  Pic.Clear(0xFF3080C0);
  const QString Path = QDir(Folder).filePath(QStringLiteral("Цветок с телефона.jpg"));
  TSaveOptions Options;
  SaveFlatImage(TSaveFormat::Jpeg, Options, Pic, Path.toStdString());
  return Path;
}

}  // namespace

TEST_F(TMainFormFixture, SavingAnOpenedPhotoAsksForAProjectBesideIt) {
  RegisterPictureCodecs();
  const QString Photo = WritePhoto(Dir.path());
  const QByteArray PhotoBytes = FileBytes(Photo);
  Make();
  Form->Run([&] { Form->OpenFromCommandLine({Photo}); });
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  TCardDocument& Doc = Form->Document();
  TBitmap32 Pic;
  Pic.SetSize(8, 8);
  Pic.Clear(0xFFFF0000);
  Form->Run([&] { Doc.AddPictureLayer(Pic, 255); });
  ASSERT_TRUE(Doc.Modified);
  // "Сохранить" is on for a photo: it saves a project, never the photo.
  EXPECT_TRUE(Form->Action(TMainAction::ToolSave)->isEnabled());
  EXPECT_EQ(Form->SaveQuestionText(),
            QStringLiteral("Сохранить изменения в проекте «Цветок с телефона.kvt»?"));

  // Quitting with "Да": the save dialog offers the project's name beside the photo; cancelled,
  // nothing is written and the card stays open.
  std::string Offered;
  TSaveFormat OfferedFormat = TSaveFormat::Jpeg;
  bool Accept = false;
  Form->Dialogs.AskSaveName = [&](std::string& Typed, TSaveFormat& Format) {
    Offered = Typed;
    OfferedFormat = Format;
    return Accept;
  };
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::Yes; };
  EXPECT_FALSE(Form->close());
  const std::string Beside = QDir(Dir.path()).filePath("Цветок с телефона").toStdString();
  EXPECT_EQ(Offered, Beside);
  EXPECT_EQ(OfferedFormat, TSaveFormat::Project);
  EXPECT_EQ(FileBytes(Photo), PhotoBytes);
  EXPECT_TRUE(Doc.Modified);

  // Accepted: the project is written and the photo is as it was.
  Accept = true;
  Form->Run([&] { Form->SaveClick(); });
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_FALSE(Doc.Modified);
  EXPECT_EQ(FileBytes(Photo), PhotoBytes) << "the photo is never written over";
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Beside + ".kvt")));
  EXPECT_EQ(Form->CurrentFileName(), Beside + ".kvt");
  EXPECT_EQ(Form->windowTitle(), "Цветок с телефона.kvt — Pelmora");

  // From now on "Сохранить" writes the project in place, without a dialog.
  Offered.clear();
  Form->Run([&] { Doc.Canvas().Clear(0xFF00FF00); });
  Form->Run([&] { Form->SaveClick(); });
  EXPECT_TRUE(Offered.empty());
  EXPECT_FALSE(Doc.Modified);
  EXPECT_EQ(FileBytes(Photo), PhotoBytes);
}

TEST_F(TMainFormFixture, ExportOffersTheCardsNameAndIsOffWithoutACard) {
  RegisterPictureCodecs();
  Make();
  QAction* Bmp = FindMenuItem(Form->Menu(TMainAction::FileMenu), QStringLiteral("В формат BMP"));
  ASSERT_NE(Bmp, nullptr);
  Form->UpdateActions();
  EXPECT_FALSE(Bmp->isEnabled()) << "nothing to export";

  const QString Photo = WritePhoto(Dir.path());
  Form->Run([&] { Form->OpenFromCommandLine({Photo}); });
  Form->UpdateActions();
  ASSERT_TRUE(Bmp->isEnabled());
  std::string Offered;
  Form->Dialogs.AskSaveName = [&](std::string& Typed, TSaveFormat&) {
    Offered = Typed;
    return true;
  };
  Bmp->trigger();
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  const QString Written = QDir(Dir.path()).filePath("Цветок с телефона.bmp");
  EXPECT_EQ(Offered, QDir(Dir.path()).filePath("Цветок с телефона").toStdString());
  EXPECT_TRUE(QFile::exists(Written));
  EXPECT_TRUE(FormChild<QLabel>(*Form, "StatusText")
                  ->text()
                  .contains(QStringLiteral("Открытка сохранена")));
  // The status names the export only until the card changes.
  Form->Run([&] { Form->Document().Canvas().Clear(0xFF000000); });
  EXPECT_FALSE(
      FormChild<QLabel>(*Form, "StatusText")->text().contains(QStringLiteral("Открытка сохранена")))
      << FormChild<QLabel>(*Form, "StatusText")->text().toStdString();
}

TEST_F(TMainFormFixture, ARecentFileThatIsGoneLeavesTheList) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(30, 20, 0xFF204060);
  const std::string Typed = QDir(Dir.path()).filePath("card").toStdString();
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = Typed;
    Format = TSaveFormat::Project;
    return true;
  };
  Form->Run([this] { Form->SaveAsClick(); });
  ASSERT_TRUE(Form->Recent().IsRecent(Typed + ".kvt"));
  ASSERT_TRUE(QFile::remove(QString::fromStdString(Typed + ".kvt")));
  Form->Run([this] { Form->OpenRecent(0); });
  EXPECT_EQ(Errors.size(), 1) << "the error says the file is gone";
  EXPECT_FALSE(Form->Recent().IsRecent(Typed + ".kvt"));
  EXPECT_EQ(Doc.Canvas().Width(), 30) << "the open card stays";
}

TEST_F(TMainFormFixture, HelpOpensInsideTheProgramAndTheSiteIsHiddenWithoutAnAddress) {
  Make();
  int Launched = 0;
  Form->Dialogs.OpenUrl = [&](const QUrl&) { ++Launched; };
  // Without the help page: one message, nothing launched.
  Form->Run([this] { Form->HelpClick(); });
  EXPECT_EQ(Errors.size(), 1);
  Errors.clear();

  QFile Page(Form->ProgramFile(QStringLiteral("Help.html")));
  ASSERT_TRUE(Page.open(QIODevice::WriteOnly));
  Page.write("<html><body><h1>Pelmora — справка</h1><p>Новая открытка</p></body></html>");
  Page.close();
  Form->Run([this] { Form->HelpClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  auto* Help = Form->findChild<THelpWindow*>();
  ASSERT_NE(Help, nullptr);
  EXPECT_TRUE(Help->isVisible());
  EXPECT_TRUE(Help->Browser()->toPlainText().contains(QStringLiteral("Новая открытка")));
  EXPECT_EQ(Launched, 0) << "no browser is needed";

  // No address is configured: the items that would open one are hidden.
  QToolButton* Site = FindToolButton(Form.get(), QStringLiteral("Сайт"));
  ASSERT_NE(Site, nullptr);
  EXPECT_FALSE(Site->isVisible());
  for (const char* Caption : {"Сайт программы", "Примеры открыток", "Техническая поддержка"}) {
    QAction* Item = FindMenuItem(Form->Menu(TMainAction::HelpMenu), QString::fromUtf8(Caption));
    ASSERT_NE(Item, nullptr) << Caption;
    EXPECT_FALSE(Item->isVisible()) << Caption;
  }
}

TEST_F(TMainFormFixture, SidePanelSectionsNeverCoverEachOtherOnASmallScreen) {
  Make();
  Form->resize(1024, 560);
  TCardDocument& Doc = Form->Document();
  TBitmap32 Pic;
  Pic.SetSize(20, 20);
  Pic.Clear(0xFFFF0000);
  Form->Run([&] {
    Doc.NewCanvas(200, 100, 0xFFFFFFFF);
    Doc.AddPictureLayer(Pic, 255);
  });
  Form->UpdateActions();
  QApplication::processEvents();
  ASSERT_TRUE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());
  // Every visible section is as tall as its contents need, below the one before it.
  int Bottom = -1;
  for (TSidePanelSection* S : {FormChild<TSidePanelSection>(*Form, "ImageSection"),
                               FormChild<TSidePanelSection>(*Form, "CompositionSection"),
                               FormChild<TSidePanelSection>(*Form, "LayerSection")}) {
    ASSERT_TRUE(S->isVisible());
    EXPECT_GE(S->height(), S->minimumSizeHint().height())
        << S->findChild<QLabel*>()->text().toStdString();
    EXPECT_GT(S->y(), Bottom);
    Bottom = S->geometry().bottom();
  }
  // The panel scrolls to what does not fit: the gallery buttons can be reached.
  auto* Scroll = Form->findChild<QScrollArea*>(QStringLiteral("SideScroll"));
  ASSERT_NE(Scroll, nullptr);
  EXPECT_LE(Scroll->height(), Form->height());
  if (FormChild<QWidget>(*Form, "SidePanel")->height() > Scroll->viewport()->height()) {
    EXPECT_GT(Scroll->verticalScrollBar()->maximum(), 0);
  }
  Form->CompositionPanel()->setCurrentIndex(2);  // "Украшения"
  QApplication::processEvents();
  QWidget* AddDecoration = Form->CompositionPanel()->Button9;
  Scroll->ensureWidgetVisible(AddDecoration);
  QApplication::processEvents();
  const QPoint InViewport = AddDecoration->mapTo(Scroll->viewport(), QPoint(0, 0));
  EXPECT_TRUE(Scroll->viewport()->rect().contains(InViewport)) << InViewport.y();
}

TEST_F(TMainFormFixture, BackgroundTabFollowsUndoAndRedo) {
  Make();
  // A card that is not white, so that the first fill is a step of its own.
  Form->Run([&] { Form->Document().NewCanvas(40, 30, 0xFF336699); });
  TCompositionPanel* Panel = Form->CompositionPanel();
  Panel->AskColour = [](TPlatformColor& C) {
    C = 0x0000FF;  // red
    return true;
  };
  Panel->SK->click();  // "Однотонный": the canvas is filled
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 0), 0xFFFFFFFFu);
  Panel->Col->click();  // the colour: red
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 0), 0xFFFF0000u);
  Panel->GK->click();  // "Градиент"
  ASSERT_TRUE(Panel->GK->isChecked());

  Form->Run([this] { Form->UndoClick(); });
  EXPECT_TRUE(Panel->SK->isChecked()) << "back to the solid red canvas";
  EXPECT_TRUE(Panel->Col->isEnabled());
  EXPECT_FALSE(Panel->GradType->isEnabled());
  while (Form->Undo().CanUndo()) Form->Run([this] { Form->UndoClick(); });
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 0), 0xFF336699u);
  EXPECT_TRUE(Panel->GCard->isChecked()) << "the new card is no fill of the panel's";
  while (Form->Undo().CanRedo()) Form->Run([this] { Form->RedoClick(); });
  EXPECT_TRUE(Panel->GK->isChecked());
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

TEST_F(TMainFormFixture, NothingToSaveIsSaidOnceWithoutTheQualityDialog) {
  Make();
  ASSERT_TRUE(Form->Document().IsEmpty());
  int Shown = 0;
  bool Done = false;
  // Answers the quality dialog "Сохранить" once, then "Отмена", so that a loop ends; the
  // answers stop with the command (and with the window, their context).
  std::function<void()> Answer = [&] {
    if (Done)
      return;
    auto* Dialog = Form->findChild<TCompress*>();
    if (Dialog != nullptr && Dialog->isVisible()) {
      if (++Shown == 1)
        Dialog->accept();
      else
        Dialog->reject();
    }
    QTimer::singleShot(20, Form.get(), Answer);
  };
  QTimer::singleShot(20, Form.get(), Answer);
  Form->Run(
      [&] { Form->SaveAsTo(TSaveFormat::Jpeg, QDir(Dir.path()).filePath("empty").toStdString()); });
  Done = true;
  EXPECT_EQ(Shown, 0) << "the dialog is not offered for a card that is not there";
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Errors.front().startsWith(QStringLiteral("Нечего сохранять")))
      << Errors.front().toStdString();
}
