// "Обрезать слой" and "Геометрия" in the main window's menus: where they stand, when they are
// enabled, and what they open.
#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "bitmap_layer.h"
#include "crop_layer_dialog.h"
#include "main_form_fixture.h"
#include "perspective_dialog.h"

namespace {

struct TLayerGeometryMenuFixture : TMainFormFixture {
  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
  }
  TBitmapLayer* AddPhoto() {
    TBitmap32 B;
    B.SetSize(1000, 500);
    B.Clear(0xFF3080C0);
    return Form->Document().AddPictureLayer(B, 255);
  }
};

TEST_F(TLayerGeometryMenuFixture, ItemsStandWhereTheMenusPutThem) {
  const QList<QAction*> Filter = Form->Menu(TMainAction::FilterMenu)->actions();
  const qsizetype At = Filter.indexOf(Form->Action(TMainAction::Geometry));
  ASSERT_GT(At, 0);
  EXPECT_EQ(Form->Action(TMainAction::Geometry)->text(), "Геометрия");
  EXPECT_EQ(Filter[At - 1]->text(), "Склеить все слои");
  for (const TMainAction Id : {TMainAction::ArrangeCropLayer, TMainAction::PopupCropLayer}) {
    ASSERT_NE(Form->Action(Id), nullptr);
    EXPECT_EQ(Form->Action(Id)->text(), "Обрезать слой");
  }
}

TEST_F(TLayerGeometryMenuFixture, EnablingFollowsTheCardAndTheSelection) {
  struct TState {
    const char* Name;
    bool Geometry, Crop;
  };
  const auto Check = [&](const TState& S) {
    Form->UpdateActions();
    EXPECT_EQ(Form->Action(TMainAction::Geometry)->isEnabled(), S.Geometry) << S.Name;
    EXPECT_EQ(Form->Action(TMainAction::ArrangeCropLayer)->isEnabled(), S.Crop) << S.Name;
    EXPECT_EQ(Form->Action(TMainAction::PopupCropLayer)->isEnabled(), S.Crop) << S.Name;
  };
  Check({"no card", false, false});
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  Check({"canvas, nothing selected", true, false});
  AddPhoto();
  Check({"photo layer selected", true, true});
  TPositionedLayer* Area = Form->Document().CreatePositionedLayer();
  Area->Tag = 3;
  Form->Document().SetSelection(Area);
  Check({"selection area selected", false, false});
}

TEST_F(TLayerGeometryMenuFixture, CommandsOpenTheirWindowsAndCancelChangesNothing) {
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  // Without a layer "Обрезать слой" does nothing: no window opens.
  Form->mnCropLayerClick();
  EXPECT_FALSE(Form->CropLa()->isVisible());

  TBitmapLayer* L = AddPhoto();
  bool CropShown = false;
  QTimer::singleShot(0, [&] {
    CropShown = Form->CropLa()->isVisible();
    Form->CropLa()->Button4->click();
  });
  Form->mnCropLayerClick();
  EXPECT_TRUE(CropShown);
  EXPECT_EQ(L->Bitmap()->Width(), 1000);
  EXPECT_FALSE(Form->Undo().CanUndo());

  bool GeometryShown = false;
  QTimer::singleShot(0, [&] {
    GeometryShown = Form->ProGeomo()->isVisible();
    Form->ProGeomo()->Button2->click();
  });
  Form->mnGeometryClick();
  EXPECT_TRUE(GeometryShown);
  EXPECT_EQ(L->Bitmap()->Width(), 998) << "OK without moving a corner: slightly smaller";
  EXPECT_EQ(L->Bitmap()->Height(), 498);
  EXPECT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());
  Form->UndoClick();
  EXPECT_EQ(L->Bitmap()->Width(), 1000);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
}

}  // namespace
