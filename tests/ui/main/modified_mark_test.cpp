// The modified mark follows changes to the card only: a cancelled effect dialog, a preview
// taken back, and a click that selects a layer leave it off; an applied effect and a drag set it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <cstring>

#include "bitmap_layer.h"
#include "card_document.h"
#include "img_view32.h"
#include "main_form_fixture.h"

namespace {

struct TModifiedMarkFixture : TMainFormFixture {
  TBitmapLayer* Photo = nullptr;

  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
    TCardDocument& Doc = Form->Document();
    Form->Run([&] {
      Doc.NewCanvas(300, 200, 0xFFFFFFFF);
      TBitmap32 Pic;
      Pic.SetSize(60, 40);
      for (int32_t Y = 0; Y < 40; ++Y)
        for (int32_t X = 0; X < 60; ++X) Pic.SetPixel(X, Y, 0xFF000000u | uint32_t(X * 4 + Y));
      Photo = Doc.AddPictureLayer(Pic, 255);
      Photo->SetLocation({20, 20, 80, 60});
    });
    Form->ImgView()->View().SetScale(0.37f);
    Doc.SetSelection(nullptr);
    Doc.Modified = false;
    Form->UpdateActions();
  }

  bool TitleMarked() const { return Form->windowTitle().contains(QStringLiteral("*")); }

  // Triggers the menu item Caption and, inside its dialog, clicks "Просмотр" (when there is
  // one) and then the button Answer.
  void RunDialog(const QString& Caption, const QString& Answer) {
    QAction* Item = FindMenuItem(Form->Menu(TMainAction::FilterMenu), Caption);
    if (Item == nullptr)
      Item = FindMenuItem(Form->Menu(TMainAction::ImageMenu), Caption);
    ASSERT_NE(Item, nullptr) << Caption.toStdString();
    bool Answered = false;
    QTimer::singleShot(0, [&] {
      auto* D = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (D == nullptr)
        return;
      for (QPushButton* B : D->findChildren<QPushButton*>())
        if (B->text() == QStringLiteral("Просмотр"))
          B->click();
      for (QPushButton* B : D->findChildren<QPushButton*>())
        if (B->text() == Answer) {
          Answered = true;
          B->click();
          return;
        }
      D->reject();
    });
    Item->trigger();
    EXPECT_TRUE(Answered) << Caption.toStdString();
    Form->UpdateActions();
  }
};

void Mouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButton Button,
           Qt::MouseButtons Buttons) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Button, Buttons, Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

TEST_F(TModifiedMarkFixture, ACancelledEffectDialogLeavesTheCardUnmodified) {
  TBitmap32 Before;
  Before.Assign(Photo->Bitmap());
  for (const char* Caption :
       {"Резкость", "Размытие", "Волны", "Постеризация", "Разбрызгивание", "Капли дождя"}) {
    RunDialog(QString::fromUtf8(Caption), QStringLiteral("Отмена"));
    EXPECT_FALSE(Form->Document().Modified) << Caption;
    EXPECT_FALSE(TitleMarked()) << Caption;
    EXPECT_EQ(0, std::memcmp(Photo->Bitmap()->Bits(), Before.Bits(), 60 * 40 * 4)) << Caption;
  }
  for (const char* Caption : {"Яркость/ контраст ...", "Цветовой баланс"}) {
    RunDialog(QString::fromUtf8(Caption), QStringLiteral("Отмена"));
    EXPECT_FALSE(Form->Document().Modified) << Caption;
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();

  // The same dialog confirmed changes the card.
  RunDialog(QStringLiteral("Постеризация"), QStringLiteral("ОК"));
  EXPECT_TRUE(Form->Document().Modified);
  EXPECT_TRUE(TitleMarked());
}

TEST_F(TModifiedMarkFixture, ClickingALayerSelectsItWithoutMarkingTheCard) {
  TImgView32& View = Form->ImgView()->View();
  QWidget* W = Form->ImgView();
  const TPoint At = View.BitmapToControl({50, 40});
  // A real click often brings a move to the same point between press and release.
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseMove, {At.X, At.Y}, Qt::NoButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::LeftButton, Qt::NoButton);
  Form->UpdateActions();
  EXPECT_EQ(Form->Document().Selected(), Photo);
  EXPECT_FALSE(Form->Document().Modified);
  EXPECT_FALSE(TitleMarked());

  // A second click lands on the selection frame, which takes it as a drag that goes nowhere.
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseMove, {At.X, At.Y}, Qt::NoButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::LeftButton, Qt::NoButton);
  Form->UpdateActions();
  EXPECT_EQ(Form->Document().Selected(), Photo);
  EXPECT_EQ(Photo->Location(), (TSingleRect{20, 20, 80, 60}));
  EXPECT_FALSE(Form->Document().Modified);
  EXPECT_FALSE(TitleMarked());

  // Clicking the empty canvas takes the selection away, still without a change.
  const TPoint Empty = View.BitmapToControl({250, 150});
  Mouse(W, QEvent::MouseButtonPress, {Empty.X, Empty.Y}, Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {Empty.X, Empty.Y}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Form->Document().Selected(), nullptr);
  EXPECT_FALSE(Form->Document().Modified);

  // Dragging the selected layer moves it: that is a change.
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::LeftButton, Qt::NoButton);
  EXPECT_FALSE(Form->Document().Modified);
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseMove, {At.X + 15, At.Y + 10}, Qt::NoButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X + 15, At.Y + 10}, Qt::LeftButton, Qt::NoButton);
  EXPECT_NE(Photo->Location(), (TSingleRect{20, 20, 80, 60}));
  EXPECT_TRUE(Form->Document().Modified);
}

}  // namespace
