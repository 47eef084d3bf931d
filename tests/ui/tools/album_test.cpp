// The card catalogue driven through its controls over a small "Cards" folder: "Выбрать" with
// and without fitting to the card, "Закрыть", and a card that went missing.
#include "album.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <memory>

#include "card_document.h"
#include "picture_codecs.h"
#include "thumbview.h"
#include "ui_driving.h"
#include "undo.h"
#include "undo_probe.h"

namespace fs = std::filesystem;

namespace {

struct TAlbumTest : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  fs::path Dir;
  std::unique_ptr<TAlbum> Dialog;
  QStringList Errors;
  int Placed = 0;

  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(80, 60, 0xFFFFFFFF);
    Dir = fs::temp_directory_path() /
          ("pelmora-album-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "Cards");
    RegisterPictureCodecs();
    Card("b_tall.png", 30, 50, 0xFF3060C0);
    Card("a_wide.bmp", 50, 30, 0xFFC03060);
    Dialog = std::make_unique<TAlbum>(Doc, Undo, QString::fromStdString(Dir.string()));
    Dialog->OnError = [this](const QString& T) { Errors << T; };
    Dialog->OnCardPlaced = [this] { ++Placed; };
    Dialog->show();
    // The folder is read at the first paint; wait for the cells and their pictures.
    RunEventsUntil(
        [this] { return Dialog->ALView->Count() == 2 && !Dialog->ALView->Model().Scanning(); });
  }
  void TearDown() override {
    Dialog.reset();
    std::error_code Ec;
    fs::remove_all(Dir, Ec);
  }
  void Card(const std::string& Name, int32_t W, int32_t H, TColor32 C) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(C);
    SavePictureByExtension(B, (Dir / "Cards" / Name).string());
  }
  QSize CanvasSize() const { return {Doc.Canvas().Width(), Doc.Canvas().Height()}; }
};

}  // namespace

TEST_F(TAlbumTest, ShowsTheCardsFolderSortedWithTheFirstSelected) {
  EXPECT_EQ(Dialog->windowTitle(), "Каталог открыток");
  ASSERT_EQ(Dialog->ALView->Count(), 2);
  EXPECT_EQ(Dialog->ALView->Title(0), "a_wide.bmp");
  EXPECT_EQ(Dialog->ALView->Selected(), 0);
  EXPECT_EQ(Dialog->ALView->Model().Size(), 100);
  EXPECT_EQ(Dialog->SetProp->text(), "Подстроить пропорции открытки к пропорциям проекта");
  EXPECT_FALSE(Dialog->SetProp->isChecked());
  EXPECT_EQ(Dialog->Button1->text(), "Выбрать");
  EXPECT_EQ(Dialog->Button2->text(), "Закрыть");
}

TEST_F(TAlbumTest, ChosenCardBecomesTheCanvasAtItsOwnSize) {
  Dialog->ALView->SetSelected(1);
  Dialog->Button1->click();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Placed, 1);
  EXPECT_EQ(CanvasSize(), QSize(30, 50));
  EXPECT_EQ(Doc.Canvas().GetPixel(10, 10), 0xFF3060C0u);
  EXPECT_EQ(Undo.UndoName(), "Готовая открытка");
  EXPECT_EQ(RecordedCanvas(Undo).Width(), 80);
}

TEST_F(TAlbumTest, FittedCardKeepsTheProjectsSize) {
  Dialog->SetProp->click();
  ASSERT_TRUE(Dialog->SetProp->isChecked());
  for (int Cell : {0, 1}) {
    Dialog->show();
    Dialog->ALView->SetSelected(Cell);
    Dialog->Button1->click();
    EXPECT_EQ(CanvasSize(), QSize(80, 60)) << Cell;
  }
  EXPECT_EQ(Doc.Canvas().GetPixel(40, 30), 0xFF3060C0u);
  EXPECT_EQ(Placed, 2);
  // The check box keeps its state for the next opening.
  EXPECT_TRUE(Dialog->SetProp->isChecked());
}

TEST_F(TAlbumTest, CloseChangesNothing) {
  Dialog->Button2->click();
  EXPECT_EQ(Dialog->result(), QDialog::Rejected);
  EXPECT_EQ(CanvasSize(), QSize(80, 60));
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_EQ(Placed, 0);
}

TEST_F(TAlbumTest, MissingCardIsReportedAndTheDialogStays) {
  fs::remove(Dir / "Cards" / "a_wide.bmp");
  Dialog->Button1->click();
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Errors[0].startsWith("Не удалось открыть файл")) << Errors[0].toStdString();
  EXPECT_TRUE(Dialog->isVisible());
  EXPECT_EQ(CanvasSize(), QSize(80, 60));
  EXPECT_FALSE(Undo.CanUndo());
  // Nothing selected: the same, with its own message.
  Dialog->ALView->SetSelected(-1);
  Dialog->Button1->click();
  ASSERT_EQ(Errors.size(), 2);
  EXPECT_EQ(Errors[1], "Открытка не выбрана.");
  EXPECT_EQ(Placed, 0);
}

TEST_F(TAlbumTest, ALineSaysWhichSizeTheCardWillHave) {
  // The first card is selected once the folder is read, and the line follows.
  ASSERT_TRUE(RunEventsUntil([this] { return Dialog->SizeNote->text().contains("50 × 30"); }));
  EXPECT_EQ(Dialog->SizeNote->text(),
            "Открытка 50 × 30 точек: проект примет её размер вместо 80 × 60 точек.");
  Dialog->ALView->SetSelected(1);
  ASSERT_TRUE(RunEventsUntil([this] { return Dialog->SizeNote->text().contains("30 × 50"); }));
  Dialog->SetProp->click();
  EXPECT_EQ(Dialog->SizeNote->text(),
            "Открытка 30 × 50 точек будет растянута до размера проекта: 80 × 60 точек.");
  EXPECT_TRUE(Dialog->SizeNote->isVisible());
}
