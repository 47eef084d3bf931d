// The view commands, the export items and the status bar of the main window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QWheelEvent>

#include "main_form_fixture.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "status_progress.h"

namespace {

void Wheel(QWidget* W, int Delta) {
  const QPointF At(W->width() / 2.0, W->height() / 2.0);
  QWheelEvent E(At, W->mapToGlobal(At), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(W, &E);
}

}  // namespace

TEST_F(TMainFormFixture, WheelZoomStopsAtOneFifthAndTwentyWithoutModifying) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(300, 200, 0xFFFFFFFF);
  Doc.Modified = false;
  Form->ActualSizeClick();
  for (int Step = 1; Step <= 17; ++Step) Wheel(Form->ImgView(), 120);
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 0.2f);
  Wheel(Form->ImgView(), 120);
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 0.2f);
  EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->currentText(), "20%");

  Form->ActualSizeClick();
  for (int Step = 1; Step <= 31; ++Step) Wheel(Form->ImgView(), -120);
  EXPECT_LT(Form->ImgView()->View().Scale(), 20.0f);
  Wheel(Form->ImgView(), -120);
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 20.0f);
  EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->currentText(), "2000%");
  EXPECT_FALSE(Doc.Modified);
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TMainFormFixture, TypedZoomTextIsReadOrReplaced) {
  Make();
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  Form->ActualSizeClick();
  struct TCase {
    const char* Typed;
    float Zoom;
    const char* Shown;
  };
  for (const TCase& C :
       {TCase{"250 %", 2.5f, "250%"}, TCase{"3000", 2.5f, "250%"}, TCase{"abc", 2.5f, "250%"},
        TCase{"1", 0.01f, "1%"}, TCase{"", 0.01f, ""}}) {
    FormChild<QComboBox>(*Form, "ScaleCombo")->setCurrentText(QString::fromUtf8(C.Typed));
    Form->ScaleComboChange();
    EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), C.Zoom) << C.Typed;
    EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->currentText(), QString::fromUtf8(C.Shown))
        << C.Typed;
  }
}

TEST_F(TMainFormFixture, TypedZoomTextDoesNotPileUpInTheList) {
  Make();
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  const int Items = FormChild<QComboBox>(*Form, "ScaleCombo")->count();
  for (const char* Typed : {"250", "abc", "3000"}) {
    QLineEdit* Edit = FormChild<QComboBox>(*Form, "ScaleCombo")->lineEdit();
    ASSERT_NE(Edit, nullptr);
    Edit->selectAll();
    Edit->insert(QString::fromUtf8(Typed));
    // Enter in the combo's own editor, as the user presses it.
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Edit, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Edit, &Release);
    EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->count(), Items) << Typed;
    // Enter still zooms: "250" is read, the other two are refused and 250 % stays.
    EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 2.5f) << Typed;
  }
}

TEST_F(TMainFormFixture, ExportItemsPreselectTheirFormatAndWriteItsExtension) {
  RegisterPictureCodecs();
  Make();
  Form->Document().NewCanvas(30, 20, 0xFF336699);
  const QString Base = QDir(Dir.path()).filePath("card");
  TSaveFormat Offered = TSaveFormat::Project;
  Form->Dialogs.AskSaveName = [&](std::string& Typed, TSaveFormat& Format) {
    Offered = Format;
    Typed = Base.toStdString();
    return true;
  };
  struct TCase {
    const char* Caption;
    TSaveFormat Format;
    const char* Extension;
  };
  // JPEG and GIF ask their own dialogs, tested with those dialogs.
  for (const TCase& C : {TCase{"В формат BMP", TSaveFormat::Bmp, ".bmp"},
                         TCase{"В формат PNG", TSaveFormat::Png, ".png"},
                         TCase{"В формат TIFF", TSaveFormat::Tiff, ".tif"}}) {
    QAction* Item = FindMenuItem(Form->Menu(TMainAction::FileMenu), QString::fromUtf8(C.Caption));
    ASSERT_NE(Item, nullptr) << C.Caption;
    Item->trigger();
    EXPECT_EQ(Offered, C.Format) << C.Caption;
    const QString Written = Base + C.Extension;
    ASSERT_TRUE(QFile::exists(Written)) << Written.toStdString();
    TBitmap32 Picture;
    LoadPictureFile(Written.toStdString(), Picture);
    EXPECT_EQ(Picture.Width(), 30);
    EXPECT_EQ(Picture.GetPixel(5, 5), 0xFF336699u) << C.Caption;
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  // Each export wrote through a temporary file that is gone now.
  EXPECT_EQ(QDir(Dir.path()).entryList({"card.*.*"}, QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(TMainFormFixture, StatusBarShowsLongWorkWhileItRuns) {
  Make();
  EXPECT_FALSE(FormChild<QProgressBar>(*Form, "ProgressBar")->isVisible());
  int Work = 0;
  TStatusProgress::Instance().Report(&Work, "Печать открытки", 1, 3);
  EXPECT_TRUE(FormChild<QProgressBar>(*Form, "ProgressBar")->isVisible());
  EXPECT_EQ(FormChild<QProgressBar>(*Form, "ProgressBar")->value(), 1);
  EXPECT_EQ(FormChild<QProgressBar>(*Form, "ProgressBar")->maximum(), 3);
  EXPECT_EQ(FormChild<QLabel>(*Form, "ProgressText")->text(), "Печать открытки");
  TStatusProgress::Instance().End(&Work);
  EXPECT_FALSE(FormChild<QProgressBar>(*Form, "ProgressBar")->isVisible());
  EXPECT_FALSE(FormChild<QLabel>(*Form, "ProgressText")->isVisible());
}

TEST_F(TMainFormFixture, ImageMenuHoldsItsCommandsInOrder) {
  Make();
  QStringList Items;
  for (const QAction* A : Form->Menu(TMainAction::ImageMenu)->actions())
    if (!A->isSeparator())
      Items << A->text();
  EXPECT_EQ(Items, (QStringList{"Добавить надпись", "Яркость/ контраст ...", "Цветовой баланс",
                                "Добавить фотографию", "Размер изображения", "Обрезать холст",
                                "Добавить рамку", "Эффект кнопки", "Границы"}));
}
