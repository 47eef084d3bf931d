// The batch tool's Frame and Mask commands, run through the shell.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "frame_builder.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

using TRun = TCliRun;

void FillNoise(TBitmap32& B, uint32_t Seed) {
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      B.SetPixel(X, Y, Seed | 0xFF000000u);
    }
}

struct TFrameCliFixture : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};
  TBitmap32 Tile;

  void SetUp() override {
    TCliTest::SetUp();
    Tile.SetSize(12, 12);
    FillNoise(Tile, 5);
    Tile.SaveToFile(Path("tile.bmp"));
    // A card with one photo layer shown at its own size.
    Doc.NewCanvas(200, 100, 0xFFFFFFFF);
    FillNoise(Doc.Canvas(), 7);
    TBitmap32 Photo;
    Photo.SetSize(60, 40);
    FillNoise(Photo, 9);
    TBitmapLayer* L = Doc.AddPictureLayer(Photo, 255);
    L->SetLocation({10, 20, 70, 60});
    WriteProject(Doc, Path("card.kvt"));
  }

  TRun Run(const std::vector<std::string>& Args) const { return RunCli(Args); }
  TBitmapLayer* Layer0() const { return dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(0)); }

  static TBitmapLayer* Layer(TProjectContent& P, int32_t I) {
    return dynamic_cast<TBitmapLayer*>(P.Layers.Items(I));
  }
};

}  // namespace

TEST_F(TFrameCliFixture, ListedWithTheirKeys) {
  const TRun R = Run({"effect", "--list"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("\nFrame file=ТЕКСТ [width=1..35]\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("\nMask file=ТЕКСТ [invert=0..1]\n"), std::string::npos) << R.Out;
}

TEST_F(TFrameCliFixture, FrameAroundTheCardAndAroundALayer) {
  TRun R = Run({"effect", "Frame", Path("card.kvt"), Path("card_framed.kvt"),
                "file=" + Path("tile.bmp"), "width=10"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  std::unique_ptr<TProjectContent> P = ReadProjectFile(Path("card_framed.kvt"));
  TBitmap32 Want;
  BuildFrame(Doc.Canvas(), Tile, 10, Want);
  EXPECT_TRUE(SamePixels(P->Canvas, Want));
  EXPECT_EQ(P->Canvas.Width(), 240);

  R = Run({"effect", "Frame", Path("card.kvt"), Path("layer_framed.kvt"), "layer=0",
           "file=" + Path("tile.bmp")});  // width 10 when not given
  ASSERT_EQ(R.Status, 0) << R.Err;
  P = ReadProjectFile(Path("layer_framed.kvt"));
  EXPECT_TRUE(SamePixels(P->Canvas, Doc.Canvas())) << "the card is not touched";
  // The photo as it was, and its frame as a layer of its own right above it, in its place.
  ASSERT_EQ(P->Layers.Count(), 2);
  TBitmapLayer* Photo = Layer(*P, 0);
  TBitmapLayer* Frame = Layer(*P, 1);
  TBitmapLayer* Was = Layer0();
  EXPECT_TRUE(SamePixels(*Photo->Bitmap(), *Was->Bitmap()));
  EXPECT_EQ(Photo->Location(), (TSingleRect{10, 20, 70, 60}));
  EXPECT_EQ(Frame->Location(), (TSingleRect{10, 20, 70, 60}));
  BuildFrameAlone(60, 40, Tile, 10, Want);
  EXPECT_TRUE(SamePixels(*Frame->Bitmap(), Want));
  ASSERT_EQ(P->Frames.size(), 1u);
  EXPECT_EQ(P->Frames[0].Frame, 1u);
  EXPECT_EQ(P->Frames[0].Photo, 0u);

  // An effect on the framed photo leaves its frame as it is.
  R = Run({"effect", "InvertChannels", Path("layer_framed.kvt"), Path("inverted.kvt"), "layer=0"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  P = ReadProjectFile(Path("inverted.kvt"));
  ASSERT_EQ(P->Layers.Count(), 2);
  EXPECT_FALSE(SamePixels(*Layer(*P, 0)->Bitmap(), *Was->Bitmap()));
  EXPECT_TRUE(SamePixels(*Layer(*P, 1)->Bitmap(), Want));
  EXPECT_EQ(P->Frames.size(), 1u);
}

TEST_F(TFrameCliFixture, MaskOnTheSelectedLayer) {
  TBitmap32 Black;
  Black.SetSize(3, 3);
  Black.Clear(0xFF000000);
  Black.SaveToFile(Path("black.bmp"));
  for (const int Invert : {0, 1}) {
    const std::string Out = Path("masked" + std::to_string(Invert) + ".kvt");
    const TRun R = Run({"effect", "Mask", Path("card.kvt"), Out, "layer=0",
                        "file=" + Path("black.bmp"), "invert=" + std::to_string(Invert)});
    ASSERT_EQ(R.Status, 0) << R.Err;
    std::unique_ptr<TProjectContent> P = ReadProjectFile(Out);
    const TBitmap32& B = *Layer(*P, 0)->Bitmap();
    for (int32_t I = 0; I < B.Width() * B.Height(); ++I)
      ASSERT_EQ(B.Bits()[I] >> 24, Invert ? 0xFFu : 0u) << "invert=" << Invert;
  }
}

TEST_F(TFrameCliFixture, RefusedCallsWriteNothing) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    const char* Mentions;
  };
  const std::string Card = Path("card.kvt"), Out = Path("out.kvt");
  const std::string TileArg = "file=" + Path("tile.bmp");
  const TCase Cases[] = {
      {"mask without a layer", {"effect", "Mask", Card, Out, TileArg}, "layer="},
      {"frame too wide", {"effect", "Frame", Card, Out, TileArg, "width=36"}, "1..35"},
      {"no tile file", {"effect", "Frame", Card, Out, "file=" + Path("none.png")}, "none.png"},
      {"frame without a file", {"effect", "Frame", Card, Out}, "file"},
  };
  for (const TCase& C : Cases) {
    const TRun R = Run(C.Args);
    EXPECT_EQ(R.Status, 1) << C.Name;
    EXPECT_NE(R.Err.find(C.Mentions), std::string::npos) << C.Name << ": " << R.Err;
    EXPECT_FALSE(fs::exists(Out)) << C.Name;
  }
}
