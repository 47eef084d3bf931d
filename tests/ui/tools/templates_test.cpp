// The dialog "Новый проект" driven through its controls: formats, units, the 50 ms timer,
// orientation, the preview and "Создать проект" taking an edit the timer has not seen yet.
#include "templates.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "ui_driving.h"

namespace {

struct TTemplatesTest : ::testing::Test {
  TTemplates Dialog;

  void SetUp() override { Dialog.show(); }
  void Choose(QComboBox* Box, int Index) {
    Box->setCurrentIndex(Index);
    emit Box->activated(Index);
  }
  // Lets the recompute timer fire.
  void WaitForTick() {
    ASSERT_TRUE(RunEventsUntil([this] { return !Dialog.Timer1->isActive(); }, 5000));
  }
  void Type(QSpinBox* Spin, const QString& Text) { TypeInto(Spin, Text); }
  QRect Page() const { return Dialog.SP->geometry().translated(344, 8); }
  QSize Result() const { return {Dialog.ResultWidth(), Dialog.ResultHeight()}; }
};

}  // namespace

TEST_F(TTemplatesTest, StartsAt800By600PointsLandscape) {
  EXPECT_EQ(Dialog.windowTitle(), "Новый проект");
  EXPECT_EQ(Dialog.Shabl->count(), 14);
  EXPECT_EQ(Dialog.Shabl->itemText(12), "Лист A5 (148 x 210 мм)");
  EXPECT_EQ(Dialog.Shabl->itemText(13), "Лист A6 (105 x 148 мм)");
  EXPECT_EQ(Dialog.Shabl->currentText(), "Вариант пользователя");
  EXPECT_EQ(Dialog.WI->value(), 800);
  EXPECT_EQ(Dialog.HE->value(), 600);
  EXPECT_EQ(Dialog.WI->maximum(), 32000);
  EXPECT_EQ(Dialog.Resol->value(), 72);
  EXPECT_EQ(Dialog.Resol->maximum(), 1600);
  EXPECT_EQ(Dialog.CEP->currentText(), "Точек");
  EXPECT_EQ(Dialog.Label3->text(), "Точек");
  EXPECT_TRUE(Dialog.Alba->isChecked());
  EXPECT_FALSE(Dialog.Book->isChecked());
  EXPECT_EQ(Dialog.Label7->text(), "1875");
  EXPECT_EQ(Page(), QRect(360, 64, 257, 193));
  EXPECT_EQ(Dialog.Shape1->geometry(), QRect(344, 8, 289, 305));
  EXPECT_EQ(Dialog.Button1->text(), "Создать проект");
  EXPECT_EQ(Dialog.Button2->text(), "Отмена");
  EXPECT_FALSE(Dialog.Timer1->isActive());
}

TEST_F(TTemplatesTest, A4ShowsMillimetresAndIsMadeAt300Dpi) {
  Choose(Dialog.Shabl, 1);
  EXPECT_EQ(Dialog.WI->value(), 297);
  EXPECT_EQ(Dialog.HE->value(), 210);
  EXPECT_EQ(Dialog.Resol->value(), 300);
  EXPECT_EQ(Dialog.CEP->currentText(), "Миллиметров");
  EXPECT_EQ(Dialog.Label3->text(), "Миллиметров");
  EXPECT_EQ(Dialog.Label7->text(), QString::number((3508 * 2480 * 4 + 512) / 1024));
  WaitForTick();
  EXPECT_EQ(Result(), QSize(3508, 2480));
  EXPECT_TRUE(Dialog.Alba->isChecked());
  // A new resolution recomputes at once, and the next paper entry keeps it.
  Type(Dialog.Resol, "72");
  EXPECT_EQ(Result(), QSize(842, 595));
  EXPECT_EQ(Dialog.Label7->text(), "1957");
  Choose(Dialog.Shabl, 12);  // "Лист A5 (148 x 210 мм)"
  EXPECT_EQ(Dialog.Resol->value(), 72);
  WaitForTick();
  EXPECT_EQ(Result(), QSize(420, 595));
  EXPECT_TRUE(Dialog.Book->isChecked());
}

TEST_F(TTemplatesTest, ScreenFormatInMillimetresComesBackFromWholeMillimetres) {
  Choose(Dialog.CEP, 1);
  EXPECT_EQ(Dialog.Label3->text(), "Миллиметров");
  WaitForTick();
  Choose(Dialog.Shabl, 7);  // "640 x 480"
  EXPECT_EQ(Dialog.WI->value(), 226);
  EXPECT_EQ(Dialog.HE->value(), 169);
  EXPECT_EQ(Dialog.CEP->currentIndex(), 1);
  WaitForTick();
  EXPECT_EQ(Result(), QSize(641, 479));
  // Back to points: the result is shown as it is.
  Choose(Dialog.CEP, 0);
  EXPECT_EQ(Dialog.WI->value(), 641);
  EXPECT_EQ(Dialog.HE->value(), 479);
  EXPECT_EQ(Dialog.Label3->text(), "Точек");
}

TEST_F(TTemplatesTest, TypedSizeWaitsForTheTimer) {
  Type(Dialog.WI, "300");
  Type(Dialog.HE, "900");
  EXPECT_TRUE(Dialog.Timer1->isActive());
  EXPECT_EQ(Dialog.Timer1->interval(), 50);
  EXPECT_EQ(Result(), QSize(800, 600));
  EXPECT_EQ(Page(), QRect(444, 27, 90, 270));  // the preview follows at once
  WaitForTick();
  EXPECT_EQ(Result(), QSize(300, 900));
  EXPECT_TRUE(Dialog.Book->isChecked());
  EXPECT_EQ(Dialog.Label7->text(), "1055");
}

TEST_F(TTemplatesTest, OrientationButtonsSwapTheSides) {
  Dialog.Book->click();
  EXPECT_EQ(Dialog.WI->value(), 600);
  EXPECT_EQ(Dialog.HE->value(), 800);
  WaitForTick();
  EXPECT_EQ(Result(), QSize(600, 800));
  EXPECT_TRUE(Dialog.Book->isChecked());
  Dialog.Book->click();  // already portrait
  EXPECT_EQ(Dialog.WI->value(), 600);
  EXPECT_FALSE(Dialog.Timer1->isActive());
  Dialog.Alba->click();
  WaitForTick();
  EXPECT_EQ(Result(), QSize(800, 600));
  EXPECT_TRUE(Dialog.Alba->isChecked());
  // A square leaves the check alone and shows a square page.
  Type(Dialog.WI, "500");
  Type(Dialog.HE, "500");
  WaitForTick();
  EXPECT_TRUE(Dialog.Alba->isChecked());
  EXPECT_EQ(Page(), QRect(360, 32, 257, 257));
}

TEST_F(TTemplatesTest, CreateTakesAnEditTheTimerHasNotSeen) {
  Choose(Dialog.CEP, 1);
  WaitForTick();
  Type(Dialog.WI, "120");
  Type(Dialog.HE, "120");
  ASSERT_TRUE(Dialog.Timer1->isActive());
  Dialog.Button1->click();
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Result(), QSize(340, 340));
  EXPECT_FALSE(Dialog.isVisible());
  // The values stay for the next opening; "Отмена" keeps them too.
  Dialog.show();
  Type(Dialog.WI, "200");
  Dialog.Button2->click();
  EXPECT_EQ(Dialog.result(), QDialog::Rejected);
  Dialog.show();
  EXPECT_EQ(Dialog.WI->value(), 200);
  EXPECT_EQ(Dialog.CEP->currentIndex(), 1);
}

TEST_F(TTemplatesTest, SquareEntryIs12CentimetresASide) {
  Choose(Dialog.Shabl, 11);
  EXPECT_EQ(Dialog.WI->value(), 120);
  EXPECT_EQ(Dialog.HE->value(), 120);
  EXPECT_EQ(Dialog.Label3->text(), "Миллиметров");
  WaitForTick();
  EXPECT_EQ(Result(), QSize(1417, 1417));
  EXPECT_EQ(Page(), QRect(360, 32, 257, 257));
}
