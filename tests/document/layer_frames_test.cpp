// A photo's frame as a layer of its own: it follows the photo's moves, resizes, turns, mirror
// images, deletion and place in the stack, the undo history and the project file keep the link,
// and a reader that knows only the layers sees two plain layers.
#include "layer_frames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "card_document.h"
#include "frame_block.h"
#include "geometry.h"
#include "layer_commands.h"
#include "pixel_grid.h"
#include "project_file.h"
#include "recovery.h"
#include "undo.h"

namespace {

struct TFramedFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Cmd{Doc, Undo};
  TBitmapLayer* Photo = nullptr;
  TBitmapLayer* Frame = nullptr;

  void SetUp() override {
    View.SetBounds(1000, 700);
    Doc.NewCanvas(400, 300, 0xFFFFFFFF);
    Photo = AddFramedPhoto({20, 30, 120, 80}, {0, 0, 1, 1}, &Frame);
    Undo.Reset();
  }

  // A 4 x 2 photo with a frame over the given part of it, the photo selected.
  TBitmapLayer* AddFramedPhoto(const TSingleRect& Location, const TSingleRect& Box,
                               TBitmapLayer** FrameOut) {
    TBitmap32 P;
    Fill(P, 4, 2,
         {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006, 0xFF000007,
          0xFF000008});
    TBitmapLayer* L = Doc.AddPictureLayer(P, 255);
    L->SetLocation(Location);
    TBitmap32 F;
    Fill(F, 2, 2, {0xFFAA0000, 0x00000000, 0xFFBB0000, 0xFFCC0000});
    TBitmapLayer* FL = Doc.AddPictureLayer(F, 255);
    FL->SetLocation(FrameLocation(Location, Box));
    Doc.LinkFrame(*FL, *L);
    Doc.SetSelection(L);
    *FrameOut = FL;
    return L;
  }
  int32_t Index(const TCustomLayer* L) const { return L->Index(); }
};

}  // namespace

TEST(LayerFrames, BoxesMapBetweenThePhotoAndItsFrame) {
  const TSingleRect Photo = {10, 20, 110, 70};
  const TSingleRect Box = {0.25f, 0.5f, 0.75f, 1};
  EXPECT_EQ(FrameLocation(Photo, Box), (TSingleRect{35, 45, 85, 70}));
  EXPECT_EQ(FrameBox(Photo, TSingleRect{35, 45, 85, 70}), Box);
  EXPECT_EQ(FrameBox(TSingleRect{5, 5, 5, 9}, Photo), (TSingleRect{0, 0, 1, 1}));
  // The point (0.25, 0.5) of a photo turned right lies at (0.5, 0.25); turned left at
  // (0.5, 0.75); mirrored left to right at (0.75, 0.5), top to bottom at (0.25, 0.5).
  EXPECT_EQ(TurnedBox(Box, true), (TSingleRect{0, 0.25f, 0.5f, 0.75f}));
  EXPECT_EQ(TurnedBox(Box, false), (TSingleRect{0.5f, 0.25f, 1, 0.75f}));
  EXPECT_EQ(FlippedBox(Box, false), (TSingleRect{0.25f, 0.5f, 0.75f, 1}));
  EXPECT_EQ(FlippedBox(Box, true), (TSingleRect{0.25f, 0, 0.75f, 0.5f}));
  EXPECT_EQ(TurnedBox(TurnedBox(Box, true), false), Box);
}

TEST_F(TFramedFixture, DraggingOrResizingThePhotoTakesItsFrameInTheSameUndoStep) {
  // A frame over the right half of a second photo.
  TBitmapLayer* Half = nullptr;
  TBitmapLayer* Second = AddFramedPhoto({200, 100, 300, 150}, {0.5f, 0, 1, 1}, &Half);
  Undo.Reset();
  struct TCase {
    const char* Name;
    float FromX, FromY, ToX, ToY;  // in canvas pixels, relative to the photo's top-left corner
    TSingleRect Want;
  };
  const TCase Cases[] = {
      {"move", 40, 20, 70, 45, {230, 125, 330, 175}},
      {"right edge", 100, 25, 150, 25, {230, 125, 380, 175}},
  };
  for (const TCase& C : Cases) {
    Undo.Record(usMoveLayer);
    const TSingleRect Was = Second->Location();
    const auto At = [&](float X, float Y) {
      const TSingleRect A = Doc.RBLayer()->GetAdjustedLocation();
      const float S = View.Scale();
      return TPoint{Round(A.Left + X * S), Round(A.Top + Y * S)};
    };
    const TPoint From = At(C.FromX, C.FromY), To = At(C.ToX, C.ToY);
    View.MouseDown(mbLeft, 0, From.X, From.Y);
    View.MouseMove(0, To.X, To.Y);
    View.MouseUp(mbLeft, 0, To.X, To.Y);
    EXPECT_EQ(Second->Location(), C.Want) << C.Name;
    EXPECT_EQ(Half->Location(), FrameLocation(C.Want, {0.5f, 0, 1, 1})) << C.Name;
    EXPECT_EQ(Frame->Location(), Photo->Location()) << "another photo's frame stays";
    ASSERT_TRUE(Undo.Undo());
    EXPECT_EQ(Second->Location(), Was) << C.Name;
    EXPECT_EQ(Half->Location(), FrameLocation(Was, {0.5f, 0, 1, 1})) << C.Name;
    ASSERT_TRUE(Undo.Redo());
    EXPECT_EQ(Half->Location(), FrameLocation(C.Want, {0.5f, 0, 1, 1})) << C.Name;
  }
}

TEST_F(TFramedFixture, TurnsAndMirrorImagesTakeTheFrameAlong) {
  struct TCase {
    const char* Name;
    void (TLayerCommands::*Command)();
    TPixels Frame;
    TSingleRect Location;
  };
  // The frame A . / B C: turned right B A / C ., left . C / A B; mirrored . A / C B and
  // B C / A . .
  const TCase Cases[] = {
      {"right",
       &TLayerCommands::RotateRight,
       {0xFFBB0000, 0xFFAA0000, 0xFFCC0000, 0},
       {20, 30, 70, 130}},
      {"left",
       &TLayerCommands::RotateLeft,
       {0, 0xFFCC0000, 0xFFAA0000, 0xFFBB0000},
       {20, 30, 70, 130}},
      {"mirror",
       &TLayerCommands::FlipLeftToRight,
       {0, 0xFFAA0000, 0xFFCC0000, 0xFFBB0000},
       {20, 30, 120, 80}},
      {"upside down",
       &TLayerCommands::FlipTopToBottom,
       {0xFFBB0000, 0xFFCC0000, 0xFFAA0000, 0},
       {20, 30, 120, 80}},
  };
  for (const TCase& C : Cases) {
    Doc.SetSelection(Photo);
    (Cmd.*C.Command)();
    EXPECT_EQ(PixelsOf(*Frame->Bitmap()), C.Frame) << C.Name;
    EXPECT_EQ(Photo->Location(), C.Location) << C.Name;
    EXPECT_EQ(Frame->Location(), C.Location) << C.Name;
    EXPECT_EQ(Index(Frame), Index(Photo) + 1) << C.Name;
    ASSERT_TRUE(Undo.Undo());
    EXPECT_EQ(PixelsOf(*Frame->Bitmap()),
              (TPixels{0xFFAA0000, 0x00000000, 0xFFBB0000, 0xFFCC0000}));
    EXPECT_EQ(Frame->Location(), (TSingleRect{20, 30, 120, 80}));
  }
}

TEST_F(TFramedFixture, DeletingThePhotoDeletesItsFrameAndUndoBringsBothBack) {
  const int32_t Count = Doc.Layers().Count();
  const uint64_t PhotoId = Photo->Id(), FrameId = Frame->Id();
  Cmd.DeleteSelected();
  EXPECT_EQ(Doc.Layers().Count(), Count - 2);
  EXPECT_EQ(Doc.FindLayer(FrameId), nullptr);
  EXPECT_TRUE(Doc.Frames.Empty());
  ASSERT_TRUE(Undo.Undo());
  TBitmapLayer* P = Doc.FindLayer(PhotoId);
  TBitmapLayer* F = Doc.FindLayer(FrameId);
  ASSERT_NE(P, nullptr);
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(Doc.FrameOf(*P), F);
  // The frame alone may go; the photo stays.
  Doc.SetSelection(F);
  Cmd.DeleteSelected();
  EXPECT_EQ(Doc.FindLayer(PhotoId), P);
  EXPECT_EQ(Doc.FrameOf(*P), nullptr);
}

TEST_F(TFramedFixture, APhotoAndItsFrameChangePlacesInTheStackAsOne) {
  TBitmapLayer* Other = nullptr;
  TBitmapLayer* Second = AddFramedPhoto({200, 100, 300, 150}, {0, 0, 1, 1}, &Other);
  TBitmap32 Plain;
  Fill(Plain, 1, 1, {0xFF123456});
  TBitmapLayer* Loose = Doc.AddPictureLayer(Plain, 255);
  // Bottom up: Photo Frame Second Other Loose, the selection frame on top.
  const auto Order = [&] {
    std::vector<const TCustomLayer*> O;
    for (int32_t I = 0; I < Doc.Layers().Count() - 1; ++I) O.push_back(Doc.Layers().Items(I));
    return O;
  };
  using V = std::vector<const TCustomLayer*>;
  struct TCase {
    TBitmapLayer* Selected;
    int32_t Tag;
    V Want;
  };
  const TCase Cases[] = {
      {Photo, 3, {Second, Other, Photo, Frame, Loose}},
      {Frame, 3, {Second, Other, Loose, Photo, Frame}},
      {Photo, 4, {Second, Other, Photo, Frame, Loose}},
      {Photo, 4, {Photo, Frame, Second, Other, Loose}},
      {Photo, 1, {Second, Other, Loose, Photo, Frame}},
      {Photo, 2, {Photo, Frame, Second, Other, Loose}},
  };
  for (const TCase& C : Cases) {
    Doc.SetSelection(C.Selected);
    Cmd.Reorder(C.Tag);
    EXPECT_EQ(Order(), C.Want) << C.Tag;
  }
}

TEST_F(TFramedFixture, ProjectsKeepTheLinkAndAPlainReaderSeesTwoLayers) {
  const std::vector<uint8_t> Bytes = BuildProject(Doc);
  // The plain layers are what they are without the block.
  const std::vector<uint8_t> Plain = BuildProject(Doc.Canvas(), Doc.Layers());
  ASSERT_EQ(Bytes.size(), Plain.size() + LeadBlockLength(Bytes.data(), Bytes.size()));
  EXPECT_TRUE(StartsWithFrameBlock(Bytes.data(), Bytes.size()));
  EXPECT_TRUE(std::equal(Plain.begin(), Plain.end(), Bytes.end() - std::ptrdiff_t(Plain.size())));
  const std::unique_ptr<TProjectContent> Strict =
      ReadProjectBytes(Plain.data(), Plain.size(), "plain.kvt");
  EXPECT_EQ(Strict->Layers.Count(), 2);
  EXPECT_TRUE(Strict->Frames.empty());

  std::unique_ptr<TProjectContent> Read = ReadProjectBytes(Bytes.data(), Bytes.size(), "f.kvt");
  ASSERT_EQ(Read->Frames.size(), 1u);
  InstallProject(*Read, Doc);
  auto* P = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(0));
  auto* F = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(1));
  ASSERT_NE(P, nullptr);
  ASSERT_EQ(Doc.FrameOf(*P), F);
  EXPECT_TRUE(F->AlphaHit);
  EXPECT_EQ(Doc.Selected(), P) << "the photo, not the frame that would cover it";
  EXPECT_EQ(Doc.Frames.Find(F->Id())->Box, (TSingleRect{0, 0, 1, 1}));
  // Without a frame the project is what it always was.
  Doc.SetSelection(F);
  Doc.DeleteSelected();
  EXPECT_EQ(BuildProject(Doc), BuildProject(Doc.Canvas(), Doc.Layers()));
}

TEST_F(TFramedFixture, RecoveryCopiesKeepTheLink) {
  const std::string Name = (std::filesystem::temp_directory_path() /
                            ("pelmora_frames_" + std::to_string(::getpid()) + ".kvt"))
                               .string();
  {
    TAutosaver Saver(Name);
    ASSERT_TRUE(
        Saver.Start(SnapshotProject(Doc.Canvas(), Doc.Layers(), &Doc.Captions, &Doc.Frames)));
    Saver.Wait();
    EXPECT_EQ(Saver.LastError(), "");
  }
  const std::unique_ptr<TProjectContent> Read = ReadProjectFile(Name);
  std::filesystem::remove(Name);
  ASSERT_EQ(Read->Frames.size(), 1u);
  EXPECT_EQ(Read->Frames[0].Frame, 1u);
  EXPECT_EQ(Read->Frames[0].Photo, 0u);
}

TEST(FrameBlock, DamagedBlocksGiveNoFrames) {
  const std::vector<uint8_t> Good = BuildFrameBlock({{1, 0}, {3, 2}});
  EXPECT_EQ(ParseFrameBlock(Good.data(), Good.size()), (std::vector<TStoredFrame>{{1, 0}, {3, 2}}));
  EXPECT_EQ(LeadBlockLength(Good.data(), Good.size()), Good.size());
  struct TCase {
    const char* Name;
    std::vector<TStoredFrame> Entries;
    size_t At;
    uint8_t Byte;
  };
  const TCase Cases[] = {
      {"version", {{1, 0}}, 16, 2},
      {"length", {{1, 0}}, 20, 99},
      {"count", {{1, 0}}, 24, 2},
      {"its own frame", {{1, 1}}, 0, 'P'},
      {"a photo twice", {{1, 0}, {2, 0}}, 0, 'P'},
  };
  for (const TCase& C : Cases) {
    std::vector<uint8_t> B = BuildFrameBlock(C.Entries);
    B[C.At] = C.Byte;
    EXPECT_TRUE(ParseFrameBlock(B.data(), B.size()).empty()) << C.Name;
  }
}
