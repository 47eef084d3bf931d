// The frame dialog's work on the card: previews, "Cancel", "OK" with undo and redo, on the
// canvas and on a layer.
#include "frame_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "frame_builder.h"
#include "img_view32.h"
#include "picture_codecs.h"

namespace fs = std::filesystem;

namespace {

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

void FillNoise(TBitmap32& B, uint32_t Seed) {
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      B.SetPixel(X, Y, Seed | 0xFF000000u);
    }
}

struct TFrameFixture : ::testing::Test {
  fs::path Dir;
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  // The start of the step, as the card runner records it.
  const TChangeStart Start = [this] { Undo.Record(usFrame); };
  TFrameSession Session{Doc};
  std::string TileFile;

  void SetUp() override {
    RegisterPictureCodecs();
    Dir = fs::temp_directory_path() /
          ("pelmora_frames_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    TBitmap32 Tile;
    Tile.SetSize(10, 10);
    FillNoise(Tile, 3);
    TileFile = (Dir / "gold.bmp").string();
    Tile.SaveToFile(TileFile);
    View.SetBounds(800, 600);
  }
  void TearDown() override { fs::remove_all(Dir); }

  void NewCard(int32_t W, int32_t H) {
    Doc.NewCanvas(W, H, 0xFFFFFFFF);
    FillNoise(Doc.Canvas(), 17);
  }
  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TSingleRect& Location) {
    TBitmap32 B;
    B.SetSize(W, H);
    FillNoise(B, 23);
    TBitmapLayer* L = Doc.AddPictureLayer(B, 200);
    L->SetLocation(Location);
    Doc.SetSelection(L);
    return L;
  }
};

}  // namespace

TEST_F(TFrameFixture, FramingTheCardGrowsItAndKeepsThePictureInside) {
  NewCard(800, 600);
  TBitmap32 Old;
  Old.Assign(&Doc.Canvas());
  Session.Begin();
  Session.Ok(TileFile, 10, Start);
  ASSERT_EQ(Doc.Canvas().Width(), 960);
  ASSERT_EQ(Doc.Canvas().Height(), 760);
  for (int32_t Y = 0; Y < 600; Y += 37)
    ASSERT_EQ(std::memcmp(Doc.Canvas().PixelAddress(80, 80 + Y), Old.RowAddress(Y), 800 * 4), 0);
  EXPECT_EQ(Undo.UndoName(), "Рамка");
  EXPECT_EQ(Undo.Count(), 1);
  EXPECT_FALSE(Session.Active());

  TBitmap32 Framed;
  Framed.Assign(&Doc.Canvas());
  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Old)) << "one undo step gives back the card";
  ASSERT_TRUE(Undo.Redo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Framed));
}

TEST_F(TFrameFixture, PreviewsNeverPileUpAndCancelGivesTheCardBack) {
  NewCard(200, 100);
  TBitmap32 Old;
  Old.Assign(&Doc.Canvas());
  Session.Begin();
  Session.Preview(TileFile, 10);
  TBitmap32 Once;
  Once.Assign(&Doc.Canvas());
  Session.Preview(TileFile, 10);
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Once)) << "one frame, not a frame around a frame";
  EXPECT_EQ(Doc.Canvas().Width(), 240);
  Session.Preview(TileFile, 35);
  EXPECT_EQ(Doc.Canvas().Width(), 340);
  Session.Cancel();
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Old));
  EXPECT_FALSE(Undo.CanUndo()) << "previews and Cancel record nothing";
}

TEST_F(TFrameFixture, APhotosFrameIsALayerOfItsOwnOverThePhotosEdges) {
  NewCard(400, 300);
  // Shown at twice its pixel size.
  TBitmapLayer* L = AddLayer(100, 50, {30, 40, 230, 140});
  TBitmap32 Old;
  Old.Assign(L->Bitmap());
  TBitmap32 Canvas;
  Canvas.Assign(&Doc.Canvas());
  const int32_t Count = Doc.Layers().Count();
  Session.Begin();
  Session.Ok(TileFile, 10, Start);
  // The photo keeps its pixels, place and master alpha; the frame lies right above it.
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_EQ(L->Location(), (TSingleRect{30, 40, 230, 140}));
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 200u);
  ASSERT_EQ(Doc.Layers().Count(), Count + 1);
  auto* Frame = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(L->Index() + 1));
  ASSERT_NE(Frame, nullptr);
  EXPECT_EQ(Doc.FrameOf(*L), Frame);
  EXPECT_EQ(Doc.PhotoOf(*Frame), L);
  EXPECT_EQ(Frame->Location(), L->Location()) << "not outward past the photo";
  TBitmap32 Tile, Want;
  LoadFrameTile(TileFile, Tile);
  BuildFrameAlone(100, 50, Tile, 10, Want);
  EXPECT_TRUE(SamePixels(*Frame->Bitmap(), Want));
  EXPECT_EQ(Frame->Bitmap()->GetPixel(50, 25) >> 24, 0u) << "transparent inside";
  EXPECT_EQ(Frame->Bitmap()->GetPixel(2, 25) >> 24, 255u);
  EXPECT_TRUE(Frame->AlphaHit) << "a click inside reaches the photo";
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location()) << "the selection frame stays";
  EXPECT_EQ(Doc.Layers().Items(Doc.Layers().Count() - 1), Doc.RBLayer());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Canvas)) << "the card is not touched";
  EXPECT_EQ(Undo.UndoName(), "Рамка");

  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_EQ(Doc.FrameOf(*L), nullptr);
  ASSERT_TRUE(Undo.Redo());
  ASSERT_NE(Doc.FrameOf(*L), nullptr);
  EXPECT_TRUE(SamePixels(*Doc.FrameOf(*L)->Bitmap(), Want));
}

TEST_F(TFrameFixture, AFrameAgainReplacesThePhotosFrameAndAFrameSelectedStandsForItsPhoto) {
  NewCard(400, 300);
  TBitmapLayer* L = AddLayer(100, 50, {30, 40, 130, 90});
  const int32_t Count = Doc.Layers().Count();
  TBitmap32 Tile, Want;
  LoadFrameTile(TileFile, Tile);
  BuildFrameAlone(100, 50, Tile, 20, Want);
  for (const bool FrameSelected : {false, true}) {
    Session.Begin();
    Session.Ok(TileFile, FrameSelected ? 20 : 10, Start);
    ASSERT_EQ(Doc.Layers().Count(), Count + 1) << FrameSelected;
    if (!FrameSelected)
      Doc.SetSelection(Doc.FrameOf(*L));
  }
  EXPECT_TRUE(SamePixels(*Doc.FrameOf(*L)->Bitmap(), Want));
  EXPECT_EQ(Doc.Selected(), L);
}

TEST_F(TFrameFixture, AMaskedPhotosFrameFollowsTheMasksBounds) {
  NewCard(400, 300);
  TBitmapLayer* L = AddLayer(100, 80, {0, 0, 200, 160});
  // Visible only in columns 20..69 and rows 10..49.
  TBitmap32& B = *L->Bitmap();
  for (int32_t Y = 0; Y < 80; ++Y)
    for (int32_t X = 0; X < 100; ++X)
      if (X < 20 || X >= 70 || Y < 10 || Y >= 50)
        B.SetPixel(X, Y, B.GetPixel(X, Y) & 0x00FFFFFF);
  EXPECT_EQ(VisibleBounds(B), (TRect{20, 10, 70, 50}));
  Session.Begin();
  Session.Ok(TileFile, 10, Start);
  const TBitmapLayer* Frame = Doc.FrameOf(*L);
  ASSERT_NE(Frame, nullptr);
  EXPECT_EQ(Frame->Bitmap()->Width(), 50);
  EXPECT_EQ(Frame->Bitmap()->Height(), 40);
  EXPECT_EQ(Frame->Location(), (TSingleRect{40, 20, 140, 100}));
  // An empty bitmap's bounds are the whole of it.
  TBitmap32 Clear;
  Clear.SetSize(7, 5);
  Clear.Clear(0);
  EXPECT_EQ(VisibleBounds(Clear), (TRect{0, 0, 7, 5}));
}

TEST_F(TFrameFixture, CancelAfterPreviewTakesThePreviewedFrameAway) {
  NewCard(400, 300);
  TBitmapLayer* L = AddLayer(60, 40, {10, 20, 70, 60});
  TBitmap32 Old;
  Old.Assign(L->Bitmap());
  const int32_t Count = Doc.Layers().Count();
  Session.Begin();
  Session.Preview(TileFile, 20);
  Session.Preview(TileFile, 10);
  EXPECT_EQ(Doc.Layers().Count(), Count + 1) << "one previewed frame, not two";
  Session.Cancel();
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_EQ(L->Bitmap()->DrawMode(), Old.DrawMode());
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 70, 60}));
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_TRUE(Doc.Frames.Empty());
  EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(TFrameFixture, FailuresLeaveTheCardAsRestored) {
  NewCard(300, 200);
  TBitmap32 Old;
  Old.Assign(&Doc.Canvas());
  Session.Begin();
  Session.Preview(TileFile, 10);
  const std::string Missing = (Dir / "none.png").string();
  const std::string Broken = (Dir / "broken.png").string();
  {
    std::FILE* F = std::fopen(Broken.c_str(), "wb");
    std::fputs("not a picture", F);
    std::fclose(F);
  }
  for (const std::string& File : {std::string(), Missing, Broken}) {
    EXPECT_ANY_THROW(Session.Preview(File, 10)) << File;
    EXPECT_TRUE(SamePixels(Doc.Canvas(), Old)) << File;
    EXPECT_ANY_THROW(Session.Ok(File, 10, Start)) << File;
    EXPECT_TRUE(SamePixels(Doc.Canvas(), Old)) << File;
    EXPECT_FALSE(Undo.CanUndo()) << File;
    EXPECT_TRUE(Session.Active()) << "the dialog may go on: " << File;
  }
  // A picture in another format, not square: its top-left square.
  TBitmap32 Wide;
  Wide.SetSize(14, 10);
  FillNoise(Wide, 3);
  const std::string Png = (Dir / "wide.png").string();
  SavePictureByExtension(Wide, Png);
  TBitmap32 Tile;
  LoadFrameTile(Png, Tile);
  EXPECT_EQ(Tile.Width(), 10);
  EXPECT_EQ(Tile.Height(), 10);
  EXPECT_EQ(Tile.GetPixel(9, 9), Wide.GetPixel(9, 9));
  // A card narrower than 50 pixels has no 1 % frame.
  NewCard(40, 30);
  Session.Begin();
  EXPECT_THROW(Session.Ok(TileFile, 1, Start), EFrameError);
  EXPECT_EQ(Doc.Canvas().Width(), 40);
  EXPECT_FALSE(Undo.CanUndo());
}
