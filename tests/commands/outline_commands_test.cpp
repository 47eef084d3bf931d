#include "outline_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "card_document.h"
#include "layer_commands.h"
#include "undo.h"
#include "undo_probe.h"

namespace fs = std::filesystem;

namespace {

constexpr TColor32 Photo = 0xFF336699;

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * size_t(A.Height()) * 4) == 0;
}

struct TOutlineFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TOutlineSession Session{Doc, Undo};
  int Releases = 0;

  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(100, 80, 0xFFFFFFFF);
    Session.OnReleaseCapture = [this] { ++Releases; };
  }

  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TSingleRect& Location) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(Photo);
    TBitmapLayer* L = Doc.AddPictureLayer(B, 255);
    L->SetLocation(Location);
    return L;
  }
};

TEST_F(TOutlineFixture, BorderOnALayerGrowsItsLocationAndKeepsItSelected) {
  TBitmapLayer* L = AddLayer(100, 80, {10, 10, 110, 90});
  TBorderParams P;
  P.Width = 20;
  P.Contour = 3;
  BorderStep(Doc, P, [this] { ++Releases; });
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 150, 130}));
  EXPECT_EQ(L->Bitmap()->Width(), 140);
  EXPECT_EQ(L->Bitmap()->Height(), 120);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location()) << "the frame follows the new shape";
  EXPECT_EQ(Releases, 1);
}

TEST_F(TOutlineFixture, BorderOnTheCanvasWithNothingSelected) {
  TBorderParams P;
  BorderStep(Doc, P);
  EXPECT_EQ(Doc.Canvas().Width(), 140);
  EXPECT_EQ(Doc.Canvas().Height(), 120);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), P.BorderColour);
  EXPECT_EQ(Doc.Canvas().GetPixel(20, 20), 0xFFFFFFFFu);
}

TEST_F(TOutlineFixture, PreviewsDoNotAccumulateAndCancelPutsTheLayerBack) {
  TBitmapLayer* L = AddLayer(30, 20, {5, 5, 65, 45});
  TBitmap32 Before;
  Before.Assign(L->Bitmap());
  Session.Activate();
  TBorderParams P;
  P.Width = 4;
  P.Contour = 1;
  const auto Step = [&] { BorderStep(Doc, P, Session.OnReleaseCapture); };
  Session.Preview(Step);
  Session.Preview(Step);
  EXPECT_EQ(L->Bitmap()->Width(), 38) << "each preview starts from the copy";
  EXPECT_EQ(L->Location(), (TSingleRect{5, 5, 73, 53}));
  Session.Cancel();
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Before));
  EXPECT_EQ(L->Location(), (TSingleRect{5, 5, 65, 45}));
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_FALSE(Undo.CanUndo()) << "no step without OK";
  Session.Close();
  EXPECT_FALSE(Session.Copy().Taken());
}

TEST_F(TOutlineFixture, OkOnALayerIsOneGeometryStep) {
  TBitmapLayer* L = AddLayer(30, 20, {5, 5, 65, 45});
  TBitmap32 Before;
  Before.Assign(L->Bitmap());
  Session.Activate();
  TBorderParams P;
  P.Width = 4;
  const auto Step = [&] { BorderStep(Doc, P, Session.OnReleaseCapture); };
  Session.Preview(Step);
  Session.Ok(Step);
  EXPECT_EQ(L->Bitmap()->Width(), 38);
  ASSERT_EQ(Undo.UndoName(), "Контур");
  EXPECT_TRUE(SamePixels(*RecordedLayer(Undo, L)->Pixels, Before)) << "recorded after the restore";
  EXPECT_EQ(RecordedLayer(Undo, L)->Location, (TSingleRect{5, 5, 65, 45}));
  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Before));
  EXPECT_EQ(L->Location(), (TSingleRect{5, 5, 65, 45}));
}

TEST_F(TOutlineFixture, ButtonOkOnTheCanvasUndoesInOneStep) {
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());
  Session.Activate();
  const TButtonParams P{2, ButtonDepthFor(Doc.Canvas().Width()), true};
  const auto Step = [&] { ButtonStep(Doc, P); };
  Session.Preview(Step);
  Session.Ok(Step);
  EXPECT_FALSE(SamePixels(Doc.Canvas(), Before));
  EXPECT_EQ(Undo.UndoName(), "Контур");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
}

TEST_F(TOutlineFixture, ReliefWithAnOuterFrameKeepsTheLocationUntilCancel) {
  TBitmapLayer* L = AddLayer(200, 100, {0, 0, 200, 100});
  Session.Activate();
  const TReliefParams P{3, true, 0, 0xFFC0C0C0};
  const auto Step = [&] {
    Session.Cancel();  // the relief step starts by putting the copy back
    ReliefStep(Doc, P);
  };
  Session.Preview(Step);
  EXPECT_EQ(L->Bitmap()->Width(), 212);
  EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 200, 100}));
  Session.Cancel();
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Photo);
}

TEST_F(TOutlineFixture, PickModeTakesTheColourUnderTheLayerPixelOnly) {
  TLayerCommands Commands(Doc, Undo);
  TBitmapLayer* L = AddLayer(2, 2, {10, 10, 14, 14});  // shown at twice its size
  L->Bitmap()->SetPixel(1, 0, 0xFF00FF00);
  TColor32 Shown = 0;
  EXPECT_TRUE(PickModeHover(Doc, L, {12, 10}, Shown));
  EXPECT_EQ(Shown, 0xFF00FF00u);
  EXPECT_FALSE(PickModeHover(Doc, nullptr, {12, 10}, Shown)) << "not over a layer";

  EXPECT_FALSE(PickModePress(Doc, Commands, {30, 30})) << "outside the layer";
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_TRUE(PickModePress(Doc, Commands, {12, 10}));
  EXPECT_EQ(L->Bitmap()->GetPixel(1, 0), 0x0000FF00u);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Photo);
  EXPECT_EQ(Undo.UndoName(), "Прозрачный цвет");

  Doc.SetSelection(nullptr);
  EXPECT_FALSE(PickModePress(Doc, Commands, {10, 10})) << "no bitmap layer selected";
}

TEST(OutlinePatterns, FileNamesAndAMissingFile) {
  EXPECT_EQ(PatternFileName("/opt/p", 7), "/opt/p/Patterns/pat7.bmp");
  const fs::path Dir = fs::temp_directory_path() / ("pelmora_pat_" + std::to_string(getpid()));
  fs::create_directories(Dir);
  TBitmap32 Pattern;
  Pattern.SetSize(3, 3);
  EXPECT_FALSE(LoadPattern((Dir / "pat1.bmp").string(), Pattern));
  EXPECT_TRUE(Pattern.IsEmpty());

  TBitmap32 Tile;
  Tile.SetSize(4, 2);
  Tile.Clear(0xFF112233);
  Tile.SaveToFile((Dir / "pat2.bmp").string());
  EXPECT_TRUE(LoadPattern((Dir / "pat2.bmp").string(), Pattern));
  EXPECT_TRUE(SamePixels(Pattern, Tile));

  std::ofstream((Dir / "pat3.bmp").string()) << "not a picture";
  EXPECT_THROW(LoadPattern((Dir / "pat3.bmp").string(), Pattern), std::exception);
  fs::remove_all(Dir);
}

}  // namespace
