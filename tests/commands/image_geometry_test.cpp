#include "image_geometry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "card_commands.h"
#include "free_rotation.h"
#include "transfers.h"

namespace {

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), sizeof(TColor32) * size_t(A.Width()) * A.Height()) == 0;
}

void ExpectLocation(const TSingleRect& R, float L, float T, float Ri, float B) {
  EXPECT_FLOAT_EQ(R.Left, L);
  EXPECT_FLOAT_EQ(R.Top, T);
  EXPECT_FLOAT_EQ(R.Right, Ri);
  EXPECT_FLOAT_EQ(R.Bottom, B);
}

struct TGeometryFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};

  void SetUp() override {
    View.SetBounds(1000, 700);
    Doc.NewCanvas(800, 600, 0xFFFFFFFF);
    for (int32_t Y = 0; Y < 600; ++Y)
      for (int32_t X = 0; X < 800; ++X)
        Doc.Canvas().SetPixel(X, Y, 0xFF000000 | TColor32(X & 255) << 8 | TColor32(Y & 255));
  }

  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TSingleRect& Location, TColor32 C) {
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    L->Bitmap()->SetSize(W, H);
    L->Bitmap()->Clear(C);
    Doc.AdoptContentLayer(L);
    L->SetLocation(Location);
    return L;
  }
};

TEST_F(TGeometryFixture, ResizeMovesEveryLayerAndUndoScalesThemBack) {
  TBitmapLayer* L = AddLayer(200, 200, {100, 50, 300, 250}, 0xFF102030);
  TBitmapLayer* Tiny = AddLayer(4, 4, {12, 12, 13, 13}, 0xFF405060);
  Doc.SetSelection(L);
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());

  ResizeImage(Doc, &Undo, 400, 300, rmBilinear);
  EXPECT_EQ(Doc.Canvas().Width(), 400);
  EXPECT_EQ(Doc.Canvas().Height(), 300);
  EXPECT_EQ(Doc.Canvas().StretchFilter(), sfLinear2);
  ExpectLocation(L->Location(), 50, 25, 150, 125);
  ExpectLocation(Doc.RBLayer()->Location(), 50, 25, 150, 125);
  ExpectLocation(Tiny->Location(), 6, 6, 7, 7);  // 6.5 -> 6 would leave nothing: one pixel
  EXPECT_EQ(Undo.UndoName(), "Размер изображения");
  EXPECT_TRUE(Doc.Modified);

  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
  ExpectLocation(L->Location(), 100, 50, 300, 250);
  ASSERT_TRUE(Undo.Redo());
  EXPECT_EQ(Doc.Canvas().Width(), 400);
  ExpectLocation(L->Location(), 50, 25, 150, 125);
}

TEST_F(TGeometryFixture, MethodsDrawTheCanvasWithTheirFilters) {
  for (const TResampleMethod M : {rmNearest, rmBilinear, rmSpline}) {
    Doc.NewCanvas(80, 60, 0xFF000000);
    for (int32_t Y = 0; Y < 60; ++Y)
      for (int32_t X = 0; X < 80; ++X) Doc.Canvas().SetPixel(X, Y, 0xFF000000 | TColor32(X * 3));
    TBitmap32 Expected;
    Expected.SetSize(200, 90);
    StretchTransfer(&Expected, Expected.BoundsRect(), &Doc.Canvas(), Doc.Canvas().BoundsRect(),
                    ResampleFilter(M), Doc.Canvas().DrawMode());
    ResizeImage(Doc, &Undo, 200, 90, M);
    EXPECT_TRUE(SamePixels(Doc.Canvas(), Expected)) << int(M);
  }
}

// The size the card has already is no change of it, and no step to undo.
TEST_F(TGeometryFixture, UnchangedSizeRecordsNoUndoStep) {
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());
  ResizeImage(Doc, &Undo, 800, 600, rmSpline);
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
  EXPECT_EQ(Doc.Canvas().StretchFilter(), sfNearest);  // no resampling, no filter change
}

TEST_F(TGeometryFixture, PreviewsStartFromTheLayerBeforeTheDialog) {
  TBitmapLayer* L = AddLayer(200, 100, {20.5f, 30, 220.5f, 130}, 0xFF8090A0);
  Doc.SetSelection(L);
  TBitmap32 Original;
  Original.Assign(L->Bitmap());

  TFreeRotation Session(Doc, Undo);
  ASSERT_TRUE(Session.Begin());
  Session.Preview(30, true);
  Session.Preview(30, true);
  const TFreeRotationSize S = FreeRotationSize(200, 100, 30);
  EXPECT_EQ(L->Bitmap()->Width(), S.Width);
  EXPECT_EQ(L->Bitmap()->Height(), S.Height);
  EXPECT_FALSE(Undo.CanUndo());  // previews record nothing
  Session.Ok(30, true);
  Session.End();
  EXPECT_EQ(L->Bitmap()->Width(), S.Width);
  ExpectLocation(L->Location(), 20.5f, 30, 20.5f + S.Wn, 30 + S.Hn);
  EXPECT_EQ(Doc.Selected(), L);
  ExpectLocation(Doc.RBLayer()->Location(), 20.5f, 30, 20.5f + S.Wn, 30 + S.Hn);
  EXPECT_EQ(L->Bitmap()->StretchFilter(), sfLinear);
  TBitmap32 Expected;
  RotatePicture(Original, Expected, 30, true);
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Expected));

  // One undo brings back the bitmap and location of before the dialog.
  ASSERT_EQ(Undo.UndoName(), "Поворот");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Original));
  ExpectLocation(L->Location(), 20.5f, 30, 220.5f, 130);
}

TEST_F(TGeometryFixture, CancelPutsTheLayerBack) {
  TBitmapLayer* L = AddLayer(50, 40, {0, 0, 50, 40}, 0xFF112233);
  Doc.SetSelection(L);
  TFreeRotation Session(Doc, Undo);
  ASSERT_TRUE(Session.Begin());
  Session.Preview(-45, false);
  EXPECT_NE(L->Bitmap()->Width(), 50);
  Session.Cancel();
  Session.End();
  EXPECT_EQ(L->Bitmap()->Width(), 50);
  EXPECT_EQ(L->Bitmap()->Height(), 40);
  EXPECT_EQ(L->Bitmap()->GetPixel(10, 10), 0xFF112233u);
  ExpectLocation(L->Location(), 0, 0, 50, 40);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(TGeometryFixture, ScaledLayerIsResampledToItsShownSizeFirst) {
  // Shown at twice its size: the turn works on the 100 x 100 pixels the card shows.
  TBitmapLayer* L = AddLayer(50, 50, {10, 10, 110, 110}, 0xFF0000FF);
  Doc.SetSelection(L);
  RotateSelectedLayer(Doc, &Undo, 45, true);
  EXPECT_EQ(L->Bitmap()->Width(), 141);
  EXPECT_EQ(L->Bitmap()->Height(), 141);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0u);
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(L->Bitmap()->Width(), 50);
  ExpectLocation(L->Location(), 10, 10, 110, 110);
}

TEST_F(TGeometryFixture, AWholeTurnLeavesTheLayerAndTakesNoStep) {
  // Shown at twice its size: a turn would resample it; a whole turn must not.
  TBitmapLayer* L = AddLayer(50, 50, {10, 10, 110, 110}, 0xFF0000FF);
  Doc.SetSelection(L);
  for (const int32_t Angle : {0, 360, -360}) {
    RotateSelectedLayer(Doc, &Undo, Angle, true);
    EXPECT_EQ(L->Bitmap()->Width(), 50) << Angle;
    ExpectLocation(L->Location(), 10, 10, 110, 110);
    EXPECT_FALSE(Undo.CanUndo()) << Angle;
  }
}

TEST_F(TGeometryFixture, LayerShownWithoutWidthKeepsItsPixels) {
  TBitmapLayer* L = AddLayer(30, 20, {40, 40, 40.2f, 60}, 0xFF0000FF);
  Doc.SetSelection(L);
  RotateSelectedLayer(Doc, &Undo, 30, true);
  EXPECT_EQ(L->Bitmap()->Width(), 30);
  EXPECT_EQ(L->Bitmap()->Height(), 20);
  EXPECT_EQ(L->Bitmap()->GetPixel(5, 5), 0xFF0000FFu);
}

TEST_F(TGeometryFixture, NoSelectedBitmapLayerNoSession) {
  TFreeRotation Session(Doc, Undo);
  EXPECT_FALSE(Session.Begin());
  EXPECT_FALSE(Session.Active());
  RotateSelectedLayer(Doc, &Undo, 30, true);
  EXPECT_FALSE(Undo.CanUndo());
}

TEST(ImageGeometryCommands, BatchVerbsAreListed) {
  const std::string List = EffectListText(CardCommands());
  EXPECT_NE(List.find("ImageSize width=1..10000 height=1..10000 [method=nearest|bilinear|spline]"),
            std::string::npos)
      << List;
  EXPECT_NE(List.find("FreeRotation angle=-180..180 [bilinear=0..1]"), std::string::npos) << List;
}

}  // namespace
