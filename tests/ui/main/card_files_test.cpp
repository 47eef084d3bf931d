// The card's files seen from the main window: exports that write a copy, reopening, a card
// named on the command line, where the file dialogs start and the JPEG quality dialog.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

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
  Form->AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = QDir(Dir.path()).filePath("card").toStdString();
    Format = TSaveFormat::Project;
    return true;
  };
  Form->Run([this] { Form->N3Click(); });
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();

  // A fresh window with its start panel: the first opening and every reopening keep its size.
  Make();
  QApplication::processEvents();
  const QSize Size = Form->size();
  Form->AskSaveQuestion = [] { return QMessageBox::No; };
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
