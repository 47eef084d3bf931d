// "Размер изображения" and "Произвольный угол" reached from the main window: the items, their
// enabling, the dialogs driven as a user would, and undo.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include "bitmap_layer.h"
#include "image_size_dialog.h"
#include "main_form_fixture.h"
#include "rotation_dialog.h"

namespace {

// The menu or submenu of Menu that holds the item Caption.
QMenu* MenuHolding(QMenu* Menu, const QString& Caption) {
  for (QAction* A : Menu->actions()) {
    if (A->text() == Caption)
      return Menu;
    if (A->menu())
      if (QMenu* Inner = MenuHolding(A->menu(), Caption))
        return Inner;
  }
  return nullptr;
}

struct TGeometryMenuFixture : TMainFormFixture {
  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
  }
  TRasm* Rasm() const { return Form->findChild<TRasm*>(); }
  TPovor* Povor() const { return Form->findChild<TPovor*>(); }

  TBitmapLayer* AddPhoto(int32_t W, int32_t H) {
    TBitmap32 Photo;
    Photo.SetSize(W, H);
    Photo.Clear(0xFF4080C0);
    TBitmapLayer* L = nullptr;
    Form->Run([&] {
      L = Form->Document().AddPictureLayer(Photo, 255);
      L->SetLocation({100, 50, 100.0f + W, 50.0f + H});
      Form->Document().SetSelection(nullptr);
      Form->Document().SetSelection(L);
    });
    return L;
  }
};

TEST_F(TGeometryMenuFixture, ItemsStandInTheirMenusAndFollowTheCard) {
  QStringList Image;
  for (const QAction* A : Form->Menu(TMainAction::ImageMenu)->actions())
    if (!A->isSeparator())
      Image << A->text();
  const qsizetype Photo = Image.indexOf("Добавить фотографию");
  ASSERT_GE(Photo, 0);
  EXPECT_EQ(Image.value(Photo + 1), "Размер изображения");
  for (QMenu* M : {Form->Menu(TMainAction::ArrangeMenu), Form->Menu(TMainAction::LayerPopup)}) {
    QMenu* Turn = MenuHolding(M, "На 90° влево");
    ASSERT_NE(Turn, nullptr);
    QStringList Items;
    for (const QAction* A : Turn->actions()) Items << A->text();
    EXPECT_EQ(Items, (QStringList{"На 90° вправо", "На 90° влево", "Произвольный угол"}));
  }

  Form->UpdateActions();
  EXPECT_FALSE(Form->Action(TMainAction::ImageSize)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeFreeRotation)->isEnabled());
  Form->Run([&] { Form->Document().NewCanvas(80, 60, 0xFFFFFFFF); });
  EXPECT_TRUE(Form->Action(TMainAction::ImageSize)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeFreeRotation)->isEnabled());
  AddPhoto(20, 10);
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeFreeRotation)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::PopupFreeRotation)->isEnabled());
  Form->Run([&] { Form->Document().SetSelection(nullptr); });
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeFreeRotation)->isEnabled());
}

TEST_F(TGeometryMenuFixture, ImageSizeDialogResizesTheCardAndUndoBringsItBack) {
  Form->Run([&] { Form->Document().NewCanvas(800, 600, 0xFF336699); });
  TBitmapLayer* L = AddPhoto(200, 200);
  L->SetLocation({100, 50, 300, 250});
  TImageSizeFields Opened;
  QTimer::singleShot(0, [&] {
    Opened = Rasm()->Model().Fields();
    Rasm()->Edit1->setValue(400);  // the height follows with the proportions
    Rasm()->Resample->setCurrentIndex(2);
    Rasm()->accept();
  });
  Form->Action(TMainAction::ImageSize)->trigger();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(Opened, (TImageSizeFields{800, 600, 1875}));
  EXPECT_EQ(Form->Document().Canvas().Width(), 400);
  EXPECT_EQ(Form->Document().Canvas().Height(), 300);
  EXPECT_EQ(Form->Document().Canvas().StretchFilter(), sfSpline);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "400x300");
  EXPECT_FLOAT_EQ(L->Location().Left, 50);
  EXPECT_FLOAT_EQ(L->Location().Bottom, 125);
  EXPECT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());

  // Opened again: the canvas's own size, the method back at "Сплайн"; Cancel changes nothing.
  QTimer::singleShot(0, [&] {
    Opened = Rasm()->Model().Fields();
    EXPECT_EQ(Rasm()->Resample->currentIndex(), 2);
    Rasm()->Edit3->setValue(100);
    Rasm()->reject();
  });
  Form->Action(TMainAction::ImageSize)->trigger();
  EXPECT_EQ(Opened, (TImageSizeFields{400, 300, 469}));
  EXPECT_EQ(Form->Document().Canvas().Width(), 400);

  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_EQ(Form->Document().Canvas().Width(), 800);
  EXPECT_FLOAT_EQ(L->Location().Right, 300);
}

TEST_F(TGeometryMenuFixture, RotationPreviewsFromTheOriginalAndUndoesInOneStep) {
  Form->Run([&] { Form->Document().NewCanvas(800, 600, 0xFFFFFFFF); });
  TBitmapLayer* L = AddPhoto(200, 100);
  QStringList Messages;
  Povor()->ShowMessage = [&](const QString& T) { Messages << T; };
  QTimer::singleShot(0, [&] {
    Povor()->Angle->setValue(30);
    EXPECT_EQ(Povor()->Edit1->text(), "30");
    Povor()->PreviewButton->click();
    Povor()->PreviewButton->click();
    Povor()->OkButton->click();
  });
  Form->Action(TMainAction::ArrangeFreeRotation)->trigger();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_TRUE(Messages.isEmpty());
  EXPECT_EQ(L->Bitmap()->Width(), 223);   // 200 cos 30 + 100 sin 30 = 223.2
  EXPECT_EQ(L->Bitmap()->Height(), 187);  // 200 sin 30 + 100 cos 30 = 186.6
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0u);
  EXPECT_EQ(Form->Document().Selected(), L);

  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_EQ(L->Bitmap()->Height(), 100);
  EXPECT_FLOAT_EQ(L->Location().Right, 300);
}

TEST_F(TGeometryMenuFixture, TypedAnglesAreCheckedAndCancelPutsTheLayerBack) {
  Form->Run([&] { Form->Document().NewCanvas(800, 600, 0xFFFFFFFF); });
  TBitmapLayer* L = AddPhoto(60, 40);
  QStringList Messages;
  Povor()->ShowMessage = [&](const QString& T) { Messages << T; };
  QTimer::singleShot(0, [&] {
    Povor()->Edit1->setText("-45");
    emit Povor()->Edit1->textEdited("-45");
    EXPECT_EQ(Povor()->Angle->value(), -45);
    Povor()->PreviewButton->click();
    Povor()->Edit1->setText("200");
    emit Povor()->Edit1->textEdited("200");
    EXPECT_EQ(Povor()->Angle->value(), -45);
    Povor()->Edit1->setText("-");
    emit Povor()->Edit1->textEdited("-");
    Povor()->Edit1->setText("4x");
    emit Povor()->Edit1->textEdited("4x");
    Povor()->OkButton->click();  // refused: the dialog stays
    EXPECT_TRUE(Povor()->isVisible());
    Povor()->CancelButton->click();
  });
  Form->Action(TMainAction::ArrangeFreeRotation)->trigger();
  ASSERT_EQ(Messages.size(), 3);
  EXPECT_EQ(Messages[0], "Значения могут лежать в диапазоне от -180 до 180 градусов.");
  EXPECT_NE(Messages[1].indexOf("4x"), -1);
  EXPECT_EQ(L->Bitmap()->Width(), 60);
  EXPECT_EQ(L->Bitmap()->Height(), 40);
  EXPECT_FLOAT_EQ(L->Location().Right, 160);
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_EQ(Povor()->Angle->value(), -45);  // kept for the next opening
}

}  // namespace
