#include "composition.h"

#include <gtest/gtest.h>

#include <fstream>

#include "exceptions.h"
#include "picker/thumb_test_support.h"
#include "texture_fill.h"
#include "undo_probe.h"

namespace {

struct TCompositionFixture : ::testing::Test {
  static void SetUpTestSuite() { RegisterPictureCodecs(); }
  TThumbTempDir Dir;
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Cmd{Doc, Undo};
  TComposition Comp{Doc, Undo, Cmd};

  void SetUp() override {
    View.SetBounds(1000, 700);
    Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  }
  // A picture on a white key colour with a red block in the middle.
  std::string Decoration(const std::string& Name, int W, int H) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(0xFFFFFFFF);
    B.FillRect(W / 4, H / 4, W * 3 / 4, H * 3 / 4, 0xFFFF0000);
    const std::string P = Dir.File(Name);
    SavePictureByExtension(B, P);
    return P;
  }
  std::string Broken() {
    const std::string P = Dir.File("broken.png");
    std::ofstream(P, std::ios::binary) << "\x89PNG broken";
    return P;
  }
};

void ExpectRect(const TSingleRect& R, float L, float T, float Rt, float B) {
  EXPECT_FLOAT_EQ(R.Left, L);
  EXPECT_FLOAT_EQ(R.Top, T);
  EXPECT_FLOAT_EQ(R.Right, Rt);
  EXPECT_FLOAT_EQ(R.Bottom, B);
}

}  // namespace

TEST(Underlay, SizeAndPlace) {
  const TSize S = UnderlaySize(800, 600);
  EXPECT_EQ(S.cx, 720);
  EXPECT_EQ(S.cy, 540);
  ExpectRect(UnderlayLocation(720, 800, 600), 24, 24, 776, 576);
  const TSize Tiny = UnderlaySize(5, 15);  // 0.5 and 1.5 round to even: 0 and 2
  EXPECT_EQ(Tiny.cx, 5);
  EXPECT_EQ(Tiny.cy, 13);
}

TEST_F(TCompositionFixture, UnderlayGoesToTheBottomSelected) {
  Comp.AddGalleryItem(Decoration("d.png", 20, 20), false);
  TUnderlaySettings S;
  S.Mode = umGradient;
  S.Panel7 = 0x0000FF;  // red at the left
  S.Panel8 = 0xFF0000;
  const int32_t Steps = Undo.Position();
  TBitmapLayer* L = Comp.AddUnderlay(S);
  EXPECT_EQ(L->Index(), 0);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(L->Bitmap()->Width(), 720);
  EXPECT_EQ(L->Bitmap()->Height(), 540);
  ExpectRect(L->Location(), 24, 24, 776, 576);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 300), 0xFFFF0000u);
  EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(Undo.UndoName(), "Подложка");  // one step, the move to the bottom included
  EXPECT_EQ(Undo.Position(), Steps + 1);

  S.Mode = umSolid;
  S.Panel4 = 0x00FF00;
  EXPECT_EQ(Comp.AddUnderlay(S)->Bitmap()->GetPixel(719, 539), 0xFF00FF00u);
  S.Mode = umGradient;
  S.Down = true;  // Panel7 at the top in both directions
  EXPECT_EQ(Comp.AddUnderlay(S)->Bitmap()->GetPixel(500, 0), 0xFFFF0000u);
}

TEST_F(TCompositionFixture, DecorationLosesItsKeyColour) {
  TBitmapLayer* L = Comp.AddGalleryItem(Decoration("d.bmp", 120, 80), true);
  ExpectRect(L->Location(), 8, 8, 128, 88);
  EXPECT_EQ(Doc.Selected(), L);
  const TBitmap32& B = *L->Bitmap();
  EXPECT_EQ(B.GetPixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(B.GetPixel(60, 40), 0xFFFF0000u);
  EXPECT_EQ(B.StretchFilter(), sfLinear);
  EXPECT_EQ(Undo.UndoName(), "Украшение");
  EXPECT_EQ(Undo.Count(), 1) << "the decoration and its key colour are one step";
  ASSERT_TRUE(Undo.Undo());  // no decoration any more
  EXPECT_EQ(Doc.SelectedBitmapLayer(), nullptr);
  ASSERT_TRUE(Undo.Redo());
  L = Doc.SelectedBitmapLayer();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0x00FFFFFFu);

  // A ready greeting keeps every pixel.
  TBitmapLayer* G = Comp.AddGalleryItem(Decoration("g.png", 50, 30), false);
  EXPECT_EQ(G->Bitmap()->GetPixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(TCompositionFixture, GreetingLosesOnlyAPlainBackground) {
  // Lettering on a plain key colour lands as bare lettering.
  auto Pictures = [this] {
    int32_t N = 0;
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      N += dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)) != nullptr;
    return N;
  };
  const int32_t Before = Pictures();
  TBitmapLayer* G = Comp.AddGalleryItem(Decoration("g.png", 50, 30), false, true);
  EXPECT_EQ(G->Bitmap()->GetPixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(G->Bitmap()->GetPixel(49, 29), 0x00FFFFFFu);
  EXPECT_EQ(G->Bitmap()->GetPixel(25, 15), 0xFFFF0000u);
  // Adding it and taking the key away are one step.
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Pictures(), Before);
  ASSERT_TRUE(Undo.Redo());
  G = Doc.SelectedBitmapLayer();
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Bitmap()->GetPixel(0, 0), 0x00FFFFFFu);

  // A picture whose border is not one colour (a photo of a greeting) stays as it is.
  TBitmap32 B;
  B.SetSize(40, 20);
  B.Clear(0xFFFFFFFF);
  B.SetPixel(39, 0, 0xFF000000);
  const std::string Photo = Dir.File("photo.png");
  SavePictureByExtension(B, Photo);
  TBitmapLayer* P = Comp.AddGalleryItem(Photo, false, true);
  EXPECT_EQ(P->Bitmap()->GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(P->Bitmap()->GetPixel(39, 0), 0xFF000000u);
}

TEST_F(TCompositionFixture, UnreadablePicturesChangeNothing) {
  const int32_t Count = Doc.Layers().Count();
  EXPECT_THROW(Comp.AddGalleryItem(Broken(), true), Exception);
  EXPECT_THROW(Comp.AddGalleryItem(Dir.File("missing.png"), false), Exception);
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_THROW(Comp.LoadBackground(Broken()), Exception);
  EXPECT_THROW(Comp.ApplyTexture(Broken(), 2, false, {}), Exception);
  EXPECT_EQ(Doc.Canvas().Width(), 800);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFFFFFFFFu);
  // Nothing changed, so nothing is left to undo.
  EXPECT_FALSE(Undo.CanUndo()) << Undo.UndoName();
}

TEST_F(TCompositionFixture, SolidColourUndoesOneStep) {
  Comp.FillSolid(0xFFFFFF);
  Comp.FillSolid(0x0000FF);
  EXPECT_EQ(Doc.Canvas().GetPixel(400, 300), 0xFFFF0000u);
  EXPECT_EQ(Undo.UndoName(), "Фон");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().GetPixel(400, 300), 0xFFFFFFFFu);
  EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(TCompositionFixture, GradientDirectionsStartFromOppositeSwatches) {
  TBackgroundGradient G;
  G.GC2 = 0x0000FF;  // left swatch red
  G.GC1 = 0xFF0000;  // right swatch blue
  Comp.FillGradient(G);
  EXPECT_EQ(Doc.Canvas().Width(), 800);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 599), 0xFFFF0000u);
  EXPECT_EQ(Doc.Canvas().GetPixel(400, 0), 0xFF7F0080u);  // 127.5 rounds to the even 128
  G.Down = true;
  Comp.FillGradient(G);
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 0), 0xFF0000FFu);  // blue at the top
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 599), 0xFFFF0000u);
}

TEST_F(TCompositionFixture, BackgroundFileTakesThePictureSize) {
  TBitmapLayer* L = Comp.AddGalleryItem(Decoration("d.png", 20, 20), false);
  const TSingleRect Before = L->Location();
  Comp.LoadBackground(Dir.Picture("bg.png", 1024, 768, 0xFF102030));
  EXPECT_EQ(Doc.Canvas().Width(), 1024);
  EXPECT_EQ(Doc.Canvas().Height(), 768);
  ExpectRect(L->Location(), Before.Left, Before.Top, Before.Right, Before.Bottom);
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().Width(), 800);
}

TEST_F(TCompositionFixture, TextureOnTheUnderlayPageKeepsTheCanvasInTheUndoStep) {
  Comp.FillSolid(0x00FFFF);
  const std::string Texture = Dir.Picture("t.png", 64, 32, 0xFF20A040);
  const int32_t Count = Doc.Layers().Count();
  Comp.ApplyTexture(Texture, 2, true, {});
  EXPECT_EQ(Doc.Layers().Count(), Count + 2);  // the underlay and the selection frame
  TBitmapLayer* U = Doc.SelectedBitmapLayer();
  ASSERT_NE(U, nullptr);
  EXPECT_EQ(U->Index(), 0);
  const TColor32 P = U->Bitmap()->GetPixel(700, 500);  // scaled: within the resampler's rounding
  EXPECT_EQ(P >> 24, 255u);
  EXPECT_NEAR(int(P >> 16 & 0xFF), 0x20, 3);
  EXPECT_NEAR(int(P >> 8 & 0xFF), 0xA0, 3);
  EXPECT_NEAR(int(P & 0xFF), 0x40, 3);
  EXPECT_EQ(Doc.Canvas().GetPixel(10, 10), 0xFFFFFF00u);
  EXPECT_EQ(Undo.UndoName(), "Текстура");
  EXPECT_EQ(RecordedCanvas(Undo).GetPixel(10, 10), 0xFFFFFF00u);

  Comp.ApplyTexture(Texture, 0, false, {});
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 599), 0xFF20A040u);
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 599), 0xFFFFFF00u);
}
