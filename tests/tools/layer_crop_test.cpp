#include "layer_crop.h"

#include <gtest/gtest.h>

#include "bitmap_layer.h"
#include "card_document.h"
#include "color_adjust.h"
#include "img_view32.h"
#include "undo.h"

namespace {

// Pixel (x, y) of a test picture: a colour no other pixel has, opaque.
TColor32 Tagged(int32_t X, int32_t Y) {
  return 0xFF000000u | uint32_t(X) << 12 | uint32_t(Y);
}

void FillTagged(TBitmap32& B, int32_t W, int32_t H) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) B.SetPixel(X, Y, Tagged(X, Y));
}

struct TLayerCropTest : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  // The start of the step, as the card runner records it.
  const TChangeStart Start = [this] { Undo.Record(usLayerCrop); };

  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(600, 400, 0xFFFFFFFF);
  }
  // A W x H tagged layer shown at Location, selected.
  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TSingleRect& Location) {
    TBitmap32 B;
    FillTagged(B, W, H);
    TBitmapLayer* L = Doc.AddPictureLayer(B, 255);
    L->SetLocation(Location);
    Doc.SetSelection(nullptr);
    Doc.SetSelection(L);
    return L;
  }
};

TEST(LayerCrop, FitScaleAndStartFrame) {
  // 800 x 400 in 577 x 401: relatively wider, fitted by width.
  EXPECT_DOUBLE_EQ(CropFitScale(800, 400, 577, 401), 577.0 / 800 / 1.1);
  // 300 x 600: fitted by height.
  EXPECT_DOUBLE_EQ(CropFitScale(300, 600, 577, 401), 401.0 / 600 / 1.1);
  EXPECT_DOUBLE_EQ(CropFitScale(0, 600, 577, 401), 1.0);
}

TEST(LayerCrop, TheFrameStartsOnTheMiddleOfTheLayer) {
  struct TCase {
    int32_t W, H;
    TSingleRect Want;
  };
  for (const TCase& C : {TCase{800, 400, {80, 40, 720, 360}}, TCase{1000, 3, {100, 0, 900, 3}},
                         TCase{15, 7, {2, 1, 13, 6}}, TCase{1, 1, {0, 0, 1, 1}}, TCase{0, 5, {}}}) {
    EXPECT_EQ(CropStartFrame(C.W, C.H), C.Want) << C.W << " x " << C.H;
  }
}

TEST(LayerCrop, DarkenedViewAndLighterFrame) {
  // White shows 255 - 130 = 125 in the darkened picture and 125 + 98 = 223 inside the frame.
  TBitmap32 B;
  B.SetSize(4, 3);
  B.Clear(0x80FFFFFF);
  BrightnessScale(B, CropDarken);
  EXPECT_EQ(B.GetPixel(0, 0), 0x807D7D7Du);
  // The frame reaches beyond the bitmap: only the pixels inside change, alpha kept.
  BrightenArea(B, {2, 1, 9, 9}, CropBrighten);
  EXPECT_EQ(B.GetPixel(2, 1), 0x80DFDFDFu);
  EXPECT_EQ(B.GetPixel(3, 2), 0x80DFDFDFu);
  EXPECT_EQ(B.GetPixel(1, 1), 0x807D7D7Du);
  EXPECT_EQ(B.GetPixel(2, 0), 0x807D7D7Du);
  BrightenArea(B, {-5, -5, 0, 9}, CropBrighten);  // empty after clipping
  EXPECT_EQ(B.GetPixel(0, 0), 0x807D7D7Du);
}

TEST(LayerCrop, FramesAgainstTheBitmap) {
  struct TCase {
    const char* Name;
    TSingleRect Frame;
    bool Kept;
    TPoint Size, From;
  };
  const TCase Cases[] = {
      {"inside", {2, 3, 7, 6}, true, {5, 3}, {2, 3}},
      {"partly outside: only the part inside", {-4, -2, 3, 20}, true, {3, 8}, {0, 0}},
      {"beyond the right edge", {6, 1, 40, 4}, true, {4, 3}, {6, 1}},
      {"fractional edges round to nearest", {1.4f, 0.6f, 4.4f, 3.6f}, true, {3, 3}, {1, 1}},
      {"whole bitmap", {0, 0, 10, 8}, true, {10, 8}, {0, 0}},
      {"wholly beside the bitmap", {12, 0, 20, 5}, false, {}, {}},
      {"wholly above the bitmap", {0, -9, 5, -1}, false, {}, {}},
  };
  TBitmap32 Src;
  FillTagged(Src, 10, 8);
  for (const TCase& C : Cases) {
    TBitmap32 Dst;
    ASSERT_EQ(CropBitmap(Src, C.Frame, Dst), C.Kept) << C.Name;
    if (!C.Kept) {
      EXPECT_TRUE(Dst.IsEmpty()) << C.Name;
      continue;
    }
    ASSERT_EQ(Dst.Width(), C.Size.X) << C.Name;
    ASSERT_EQ(Dst.Height(), C.Size.Y) << C.Name;
    for (int32_t Y = 0; Y < C.Size.Y; ++Y)
      for (int32_t X = 0; X < C.Size.X; ++X)
        ASSERT_EQ(Dst.GetPixel(X, Y), Tagged(C.From.X + X, C.From.Y + Y))
            << C.Name << " at " << X << "," << Y;
  }
}

TEST(LayerCrop, TranslucentPixelsAreKeptAsTheyAre) {
  TBitmap32 Src;
  Src.SetSize(3, 1);
  Src.SetPixel(0, 0, 0x80FF0000);
  Src.SetPixel(1, 0, 0x00123456);
  Src.SetPixel(2, 0, 0x01FFFFFF);
  Src.SetDrawMode(dmBlend);
  TBitmap32 Dst;
  ASSERT_TRUE(CropBitmap(Src, {0, 0, 3, 1}, Dst));
  EXPECT_EQ(Dst.GetPixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(Dst.GetPixel(1, 0), 0x00123456u);
  EXPECT_EQ(Dst.GetPixel(2, 0), 0x01FFFFFFu);
}

TEST_F(TLayerCropTest, HalfSizeLayerKeepsItsScaleAndCorner) {
  // A 400 x 300 layer shown at half size, cropped to (100, 50)-(300, 250).
  TBitmapLayer* L = AddLayer(400, 300, {10, 20, 210, 170});
  ASSERT_TRUE(CropSelectedLayer(Doc, Start, {100, 50, 300, 250}));
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_EQ(L->Bitmap()->Height(), 200);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 110, 120}));
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Tagged(100, 50));
  EXPECT_EQ(L->Bitmap()->GetPixel(199, 199), Tagged(299, 249));
  EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location()) << "the frame follows the new shape";
  EXPECT_TRUE(Doc.Modified);

  // One undo step puts bitmap and location back; redo crops again.
  ASSERT_EQ(Undo.UndoName(), "Обрезка слоя");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(L->Bitmap()->Width(), 400);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 210, 170}));
  EXPECT_EQ(L->Bitmap()->GetPixel(399, 299), Tagged(399, 299));
  EXPECT_FALSE(Undo.CanUndo());
  ASSERT_TRUE(Undo.Redo());
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 110, 120}));
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Tagged(100, 50));
}

TEST_F(TLayerCropTest, NothingChangesWithoutALayerOrWithAFrameBesideIt) {
  TBitmapLayer* L = AddLayer(40, 30, {0, 0, 40, 30});
  EXPECT_FALSE(CropSelectedLayer(Doc, Start, {50, 0, 90, 30}));
  EXPECT_EQ(L->Bitmap()->Width(), 40);
  EXPECT_FALSE(Undo.CanUndo());
  Doc.SetSelection(nullptr);
  EXPECT_FALSE(CropSelectedLayer(Doc, Start, {0, 0, 10, 10}));
  EXPECT_EQ(L->Bitmap()->Width(), 40);
  EXPECT_FALSE(Undo.CanUndo());
}

}  // namespace
