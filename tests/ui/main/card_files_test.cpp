// The card's files seen from the main window: exports that write a copy, reopening, a card
// named on the command line, where the file dialogs start and the JPEG quality dialog.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include "dialog_folder.h"
#include "export_dialogs.h"
#include "main_form_fixture.h"
#include "picture_codecs.h"

TEST_F(TMainFormFixture, OpeningAndReopeningAProjectKeepsTheWindowSize) {
  // A project with a layer, so that opening it shows the layer panel too.
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(400, 300, 0xFF336699);
  TBitmap32 Pic;
  Pic.SetSize(40, 30);
  Pic.Clear(0xFFFF0000);
  Doc.AddPictureLayer(Pic, 255);
  const std::string Path = QDir(Dir.path()).filePath("card.kvt").toStdString();
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = QDir(Dir.path()).filePath("card").toStdString();
    Format = TSaveFormat::Project;
    return true;
  };
  Form->Run([this] { Form->SaveAsClick(); });
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();

  // A fresh window with its start panel: the first opening and every reopening keep its size.
  Make();
  QApplication::processEvents();
  const QSize Size = Form->size();
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::No; };
  for (int I = 0; I < 3; ++I) {
    if (I == 0)
      Form->Run([&] { Form->OpenFile(Path); });
    else
      Form->Run([this] { Form->OpenRecent(0); });
    QApplication::processEvents();
    ASSERT_NE(Form->Document().SelectedBitmapLayer(), nullptr) << Errors.join("\n").toStdString();
    EXPECT_EQ(Form->size(), Size) << I;
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

namespace {

// Answers the JPEG quality dialog with the button Caption once it shows; Shown counts it.
void AnswerJpegDialog(TMainForm* Form, const QString& Caption, int& Shown) {
  QTimer::singleShot(20, Form, [Form, Caption, &Shown] {
    auto* Dialog = Form->findChild<TCompress*>();
    if (Dialog == nullptr || !Dialog->isVisible()) {
      AnswerJpegDialog(Form, Caption, Shown);
      return;
    }
    ++Shown;
    for (QPushButton* B : Dialog->findChildren<QPushButton*>())
      if (B->text() == Caption) {
        ClickAt(B);
        return;
      }
    ADD_FAILURE() << "no button " << Caption.toStdString();
    Dialog->reject();
  });
}

}  // namespace

TEST_F(TMainFormFixture, ExportWritesACopyAndTheCardKeepsItsProject) {
  RegisterPictureCodecs();
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(60, 40, 0xFF336699);
  TBitmap32 Pic;
  Pic.SetSize(10, 10);
  Pic.Clear(0xFFFF0000);
  TBitmapLayer* const Photo = Doc.AddPictureLayer(Pic, 255);
  const int Layers = Doc.Layers().Count();
  const QString Project = QDir(Dir.path()).filePath("card.kvt");
  const QString Jpeg = QDir(Dir.path()).filePath("otkrytka.jpg");
  QString Typed = QDir(Dir.path()).filePath("card");
  TSaveFormat Offered = TSaveFormat::Project;
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Offered = Format;
    Name = Typed.toStdString();
    return true;
  };
  Form->Run([this] { Form->SaveAsClick(); });
  ASSERT_TRUE(QFile::exists(Project));
  Doc.Canvas().Clear(0xFF00FF00);  // a change after the save
  ASSERT_TRUE(Doc.Modified);
  EXPECT_EQ(Form->windowTitle(), "card.kvt* — Pelmora");

  // "В формат JPEG", answered "Отмена": nothing is written, nothing changes.
  Typed = QDir(Dir.path()).filePath("otkrytka");
  QAction* Item = FindMenuItem(Form->Menu(TMainAction::FileMenu), QStringLiteral("В формат JPEG"));
  ASSERT_NE(Item, nullptr);
  int Shown = 0;
  AnswerJpegDialog(Form.get(), QStringLiteral("Отмена"), Shown);
  Item->trigger();
  EXPECT_EQ(Shown, 1);
  EXPECT_FALSE(QFile::exists(Jpeg));
  EXPECT_TRUE(Doc.Modified);

  // Answered "Сохранить": the picture is written as a copy.
  AnswerJpegDialog(Form.get(), QStringLiteral("Сохранить"), Shown);
  Item->trigger();
  EXPECT_EQ(Shown, 2);
  EXPECT_EQ(Offered, TSaveFormat::Jpeg);
  ASSERT_TRUE(QFile::exists(Jpeg));
  EXPECT_EQ(Form->windowTitle(), "card.kvt* — Pelmora");
  EXPECT_EQ(Form->CurrentSaveName(), Project.toStdString());
  EXPECT_TRUE(Doc.Modified);
  EXPECT_TRUE(FormChild<QLabel>(*Form, "StatusText")->text().contains(Jpeg))
      << FormChild<QLabel>(*Form, "StatusText")->text().toStdString();
  EXPECT_EQ(Doc.Selected(), Photo) << "the exported card keeps its selected layer";

  // Ctrl+S updates the project, layers and all; the exported picture stays as it was.
  QFile JpegFile(Jpeg);
  ASSERT_TRUE(JpegFile.open(QIODevice::ReadOnly));
  const QByteArray JpegBytes = JpegFile.readAll();
  JpegFile.close();
  Form->Action(TMainAction::Save)->trigger();
  EXPECT_FALSE(Doc.Modified);
  EXPECT_EQ(Form->windowTitle(), "card.kvt — Pelmora");
  ASSERT_TRUE(JpegFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(JpegFile.readAll(), JpegBytes);
  Form->Run([&] { Form->OpenFile(Project.toStdString()); });
  EXPECT_EQ(Doc.Layers().Count(), Layers);
  EXPECT_NE(Doc.SelectedBitmapLayer(), nullptr);
  EXPECT_EQ(Doc.Canvas().GetPixel(1, 1), 0xFF00FF00u);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

TEST_F(TMainFormFixture, JpegQualityDialogShowsItsWholeTitleAndCancels) {
  Make();
  auto* Dialog = Form->findChild<TCompress*>();
  ASSERT_NE(Dialog, nullptr);
  Dialog->show();
  const QString Title = QStringLiteral("Настройка компрессии JPEG");
  EXPECT_EQ(Dialog->windowTitle(), Title);
  EXPECT_GT(Dialog->width(), Dialog->fontMetrics().horizontalAdvance(Title + " — Pelmora") + 100);
  QPushButton* Cancel = nullptr;
  for (QPushButton* B : Dialog->findChildren<QPushButton*>())
    if (B->text() == QStringLiteral("Отмена"))
      Cancel = B;
  ASSERT_NE(Cancel, nullptr);
  ClickAt(Cancel);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Dialog->result(), QDialog::Rejected);
}

TEST_F(TMainFormFixture, CardNamedOnTheCommandLineIsFittedOnceTheWindowIsLaidOut) {
  RegisterPictureCodecs();
  TBitmap32 Pic;
  Pic.SetSize(3000, 2000);
  Pic.Clear(0xFF00FF00);
  ASSERT_TRUE(QDir(Dir.path()).mkdir("my cards"));
  Pic.SaveToFile(QDir(Dir.path()).filePath("my cards/big.bmp").toStdString());
  Make();
  // As the program starts: the window is shown, then the file of the command line opens (an
  // unquoted path with a space arrives as two arguments), then the window system sizes it.
  Form->Run([this] {
    Form->OpenFromCommandLine({QDir(Dir.path()).filePath("my"), QStringLiteral("cards/big.bmp")});
  });
  Form->resize(1400, 900);
  QApplication::processEvents();
  QApplication::processEvents();
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  const ImgViewWidget* View = Form->ImgView();
  const float Zoom = Form->ImgView()->View().Scale();
  EXPECT_LE(3000 * Zoom, View->width());
  EXPECT_LE(2000 * Zoom, View->height());
  // Fitted to the window as it is now, not as it was before it was sized.
  EXPECT_GT(3000 * Zoom, View->width() * 0.8);
  EXPECT_FALSE(Form->Document().Modified);
  EXPECT_EQ(Form->windowTitle(), "big.bmp — Pelmora");
}

TEST(DialogFolder, CardFolderThenLastFolderThenPictures) {
  QTemporaryDir Dir;
  const QString Cards = QDir(Dir.path()).filePath("cards");
  const QString Last = QDir(Dir.path()).filePath("last");
  QDir().mkpath(Cards);
  QDir().mkpath(Last);
  const QString Gone = QDir(Dir.path()).filePath("gone");
  QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (Pictures.isEmpty() || !QFileInfo(Pictures).isDir())
    Pictures = QDir::homePath();
  struct TCase {
    QString Card, Last, Start;
  };
  for (const TCase& C : {TCase{Cards + "/card.kvt", Last, Cards},
                         TCase{Cards + "/not yet saved.kvt", QString(), Cards},
                         TCase{QString(), Last, Last}, TCase{Gone + "/card.kvt", Last, Last},
                         TCase{QString(), Gone, Pictures}, TCase{QString(), QString(), Pictures}})
    EXPECT_EQ(DialogStartFolder(C.Card, C.Last), C.Start)
        << C.Card.toStdString() << " | " << C.Last.toStdString();
}

TEST_F(TMainFormFixture, LastDialogFolderIsKeptBetweenRuns) {
  const QString Folder = QDir(Dir.path()).filePath("фото");
  QDir().mkpath(Folder);
  Make();
  Form->RememberFolder(QDir(Folder).filePath("photo.jpg"));
  EXPECT_EQ(Form->DialogFolder(), Folder);
  Make();  // the next run
  EXPECT_EQ(Form->DialogFolder(), Folder);
  // A card with a file of its own starts the dialogs in its folder.
  Form->Document().NewCanvas(20, 10, 0xFFFFFFFF);
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = QDir(Dir.path()).filePath("card").toStdString();
    Format = TSaveFormat::Project;
    return true;
  };
  Form->Run([this] { Form->SaveAsClick(); });
  EXPECT_EQ(Form->DialogFolder(), QFileInfo(Dir.path()).absoluteFilePath());
  // A damaged settings file is an empty one.
  QFile F(QDir(Dir.path()).filePath("Folder.kvp"));
  ASSERT_TRUE(F.open(QIODevice::WriteOnly));
  F.write(QByteArray(100000, '\xFF'));
  F.close();
  EXPECT_TRUE(ReadLastFolder(F.fileName()).size() <= 4096);
}

// The recent list, the command line and a drop all end in the same steps: the card is the file,
// fitted into the window, and not modified.
TEST_F(TMainFormFixture, EveryWayOfOpeningEndsFittedAndUnmodified) {
  TBitmap32 Big;  // larger than the view, so the open fits it
  Big.SetSize(3000, 2000);
  Big.Clear(0xFF808080);
  const QString Path = QDir(Dir.path()).filePath("big.bmp");
  Big.SaveToFile(Path.toStdString());
  const std::pair<const char*, std::function<void()>> Ways[] = {
      {"recent list",
       [&] {
         Form->Recent().AddRecent(Path.toStdString());
         Form->OpenRecent(0);
       }},
      {"command line", [&] { Form->OpenFromCommandLine({Path}); }},
      {"drop", [&] { Form->DropFiles({Path}, QPoint(-1, -1)); }},
  };
  for (const auto& [Way, Open] : Ways) {
    Make();
    Form->Run(Open);
    ASSERT_TRUE(Errors.isEmpty()) << Way << ": " << Errors.join("\n").toStdString();
    EXPECT_FALSE(Form->Document().Modified) << Way;
    EXPECT_EQ(Form->CurrentFileName(), Path.toStdString()) << Way;
    EXPECT_LT(Form->ImgView()->View().Scale(), 1.0f) << Way;
    EXPECT_EQ(Form->windowTitle(), "big.bmp — Pelmora") << Way;
  }
}
