// The batch tool's geometry commands, run through the built pelmora-cli: "ImageSize" and
// "FreeRotation" on the card, "LayerCrop" and "Perspective" on the canvas or a layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "img_view32.h"
#include "project_file.h"
#include "transfers.h"

namespace fs = std::filesystem;

namespace {

struct TGeometryCli : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};

  void SetUp() override {
    TCliTest::SetUp();
    View.SetBounds(800, 600);
    // A 40 x 30 card with a colour ramp and two photos.
    Doc.NewCanvas(40, 30, 0xFF000000);
    for (int32_t Y = 0; Y < 30; ++Y)
      for (int32_t X = 0; X < 40; ++X)
        Doc.Canvas().SetPixel(X, Y, 0xFF000000 | TColor32(X * 6) << 16 | TColor32(Y * 8));
    TBitmap32 A, B;
    A.SetSize(20, 10);
    A.Clear(0xFF00FF00);
    B.SetSize(6, 6);
    B.Clear(0xFFFFFF00);
    Doc.AddPictureLayer(A, 255)->SetLocation({4, 6, 24, 16});
    Doc.AddPictureLayer(B, 128)->SetLocation({30, 20, 32, 22});
    WriteProject(Doc, Path("card.kvt"));
  }

  // Exit status; Err receives standard error.
  int Run(const std::vector<std::string>& Args, std::string* Err = nullptr) const {
    const TCliRun R = RunCli(Args);
    if (Err != nullptr)
      *Err = R.Err;
    return R.Status;
  }
};

TSingleRect LocationOf(TProjectContent& P, int32_t I) {
  return dynamic_cast<TPositionedLayer*>(P.Layers.Items(I))->Location();
}

const TBitmap32& BitmapOf(TProjectContent& P, int32_t I) {
  return *dynamic_cast<TBitmapLayer*>(P.Layers.Items(I))->Bitmap();
}

// A mix that comes out opaque keeps its plain colour, though one of its sources is a little
// transparent: (0, 0) mixes black with the white pixel (2, 0) of alpha 250.
TEST_F(TGeometryCli, ImageSizeLeavesOpaqueMixesUnmended) {
  TImgView32 View2;
  TCardDocument Card{View2};
  Card.NewCanvas(10, 2, 0xFF000000);
  Card.Canvas().SetPixel(2, 0, 0xFAFFFFFF);
  WriteProject(Card, Path("edge.kvt"));
  std::string Err;
  ASSERT_EQ(Run({"effect", "ImageSize", Path("edge.kvt"), Path("small.kvt"), "width=5", "height=2",
                 "method=bilinear"},
                &Err),
            0)
      << Err;
  const auto P = ReadProjectFile(Path("small.kvt"));
  ASSERT_EQ(P->Canvas.Width(), 5);
  EXPECT_EQ(P->Canvas.GetPixel(0, 0), 0xFF0C0C0Cu);
}

TEST_F(TGeometryCli, ImageSizeResamplesTheCanvasAndMovesTheLayers) {
  std::string Err;
  ASSERT_EQ(Run({"effect", "ImageSize", Path("card.kvt"), Path("half.kvt"), "width=20", "height=15",
                 "method=bilinear"},
                &Err),
            0)
      << Err;
  const auto P = ReadProjectFile(Path("half.kvt"));
  TBitmap32 Expected;
  Expected.SetSize(20, 15);
  StretchTransfer(&Expected, Expected.BoundsRect(), &Doc.Canvas(), Doc.Canvas().BoundsRect(),
                  sfLinear2, dmOpaque);
  ASSERT_EQ(P->Canvas.Width(), 20);
  ASSERT_EQ(P->Canvas.Height(), 15);
  EXPECT_EQ(std::memcmp(P->Canvas.Bits(), Expected.Bits(), 20 * 15 * 4), 0);
  ASSERT_EQ(P->Layers.Count(), 2);
  const TSingleRect A = LocationOf(*P, 0), B = LocationOf(*P, 1);
  EXPECT_EQ(A.Left, 2);
  EXPECT_EQ(A.Top, 3);
  EXPECT_EQ(A.Right, 12);
  EXPECT_EQ(A.Bottom, 8);
  EXPECT_EQ(B.Left, 15);
  EXPECT_EQ(B.Right, 16);

  // Without method= the nearest pixel; a tenth keeps every layer at least one pixel.
  ASSERT_EQ(Run({"effect", "ImageSize", Path("card.kvt"), Path("tenth.kvt"), "width=4", "height=3"},
                &Err),
            0)
      << Err;
  const auto T = ReadProjectFile(Path("tenth.kvt"));
  EXPECT_EQ(T->Canvas.Width(), 4);
  const TSingleRect C = LocationOf(*T, 1);  // (3, 2, 3.2, 2.2) rounded to nothing
  EXPECT_EQ(C.Left, 3);
  EXPECT_EQ(C.Right, 4);
  EXPECT_EQ(C.Top, 2);
  EXPECT_EQ(C.Bottom, 3);
}

TEST_F(TGeometryCli, FreeRotationTurnsTheChosenLayer) {
  std::string Err;
  ASSERT_EQ(Run({"effect", "FreeRotation", Path("card.kvt"), Path("turned.kvt"), "layer=0",
                 "angle=90", "bilinear=0"},
                &Err),
            0)
      << Err;
  const auto P = ReadProjectFile(Path("turned.kvt"));
  const TBitmap32& B = BitmapOf(*P, 0);
  EXPECT_EQ(B.Width(), 10);
  EXPECT_EQ(B.Height(), 20);
  const TSingleRect L = LocationOf(*P, 0);
  EXPECT_EQ(L.Left, 4);
  EXPECT_EQ(L.Top, 6);
  EXPECT_EQ(L.Right, 14);
  EXPECT_EQ(L.Bottom, 26);
  EXPECT_EQ(B.GetPixel(0, 0) >> 24, 0u);      // the faded border
  EXPECT_EQ(B.GetPixel(5, 10), 0xFF00FD00u);  // opaque green mixed onto black with weight 254
  EXPECT_EQ(BitmapOf(*P, 1).Width(), 6);      // the other layer stays

  // 45 degrees with the default bilinear sampling: the corners are transparent.
  ASSERT_EQ(
      Run({"effect", "FreeRotation", Path("card.kvt"), Path("diag.png"), "layer=1", "angle=-45"},
          &Err),
      0)
      << Err;
}

TEST_F(TGeometryCli, ListedWithTheirKeys) {
  const TCliRun R = RunCli({"effect", "--list"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  const std::string& Out = R.Out;
  EXPECT_NE(Out.find("\nImageSize width=1..10000 height=1..10000 "
                     "[method=nearest|bilinear|spline]\n"),
            std::string::npos)
      << Out;
  EXPECT_NE(Out.find("\nFreeRotation angle=-180..180 [bilinear=0..1]\n"), std::string::npos) << Out;
}

TEST_F(TGeometryCli, BadCallsAreRefused) {
  const std::string Card = Path("card.kvt"), Out = Path("out.kvt");
  const std::vector<std::vector<std::string>> Calls = {
      {"effect", "FreeRotation", Card, Out, "angle=30"},
      {"effect", "FreeRotation", Card, Out, "layer=0", "angle=181"},
      {"effect", "ImageSize", Card, Out, "width=0", "height=10"},
      {"effect", "ImageSize", Card, Out, "width=10", "height=10001"},
      {"effect", "ImageSize", Card, Out, "width=10", "height=10", "method=cubic"},
      {"effect", "ImageSize", Card, Out, "width=10"},
  };
  for (const auto& Args : Calls) {
    std::string Err;
    EXPECT_EQ(Run(Args, &Err), 1) << Args.back();
    EXPECT_FALSE(Err.empty());
    EXPECT_FALSE(fs::exists(Out));
  }
}

}  // namespace

namespace {

struct TLayerGeometryCli : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};

  void SetUp() override {
    TCliTest::SetUp();
    View.SetBounds(800, 600);
    // A 100 x 60 canvas with a 40 x 20 photo shown at twice its size at (10, 10).
    Doc.NewCanvas(100, 60, 0xFFFF0000);
    TBitmap32 Photo;
    Photo.SetSize(40, 20);
    for (int32_t Y = 0; Y < 20; ++Y)
      for (int32_t X = 0; X < 40; ++X) Photo.SetPixel(X, Y, 0xFF000000u | uint32_t(X << 8 | Y));
    TBitmapLayer* L = Doc.AddPictureLayer(Photo, 255);
    L->SetLocation({10, 10, 90, 50});
    WriteProject(Doc, Path("card.kvt"));
  }

  // Exit status; the error text in Err.
  int Run(const std::vector<std::string>& Args, std::string* Err = nullptr) const {
    const TCliRun R = RunCli(Args);
    if (Err != nullptr)
      *Err = R.Err;
    return R.Status;
  }
  std::unique_ptr<TProjectContent> Back(const std::string& Name) const {
    return ReadProjectFile(Path(Name));
  }
  static const TBitmap32& LayerBitmap(TProjectContent& P, int32_t I) {
    return *dynamic_cast<TBitmapLayer&>(*P.Layers.Items(I)).Bitmap();
  }
  static TSingleRect LayerLocation(TProjectContent& P, int32_t I) {
    return dynamic_cast<TBitmapLayer&>(*P.Layers.Items(I)).Location();
  }
};

TEST_F(TLayerGeometryCli, ListedWithTheirKeys) {
  const TCliRun R = RunCli({"effect", "--list"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  const std::string& Out = R.Out;
  EXPECT_NE(Out.find("LayerCrop left=-1000000..1000000 top=-1000000..1000000 "
                     "right=-1000000..1000000 bottom=-1000000..1000000\n"),
            std::string::npos)
      << Out;
  EXPECT_NE(Out.find("Perspective x0="), std::string::npos);
  EXPECT_NE(Out.find("[bilinear=0..1] [background=RRGGBB]\n"), std::string::npos) << Out;
}

TEST_F(TLayerGeometryCli, LayerCropKeepsThePartAndTheScale) {
  std::string Err;
  ASSERT_EQ(Run({"effect", "LayerCrop", Path("card.kvt"), Path("out.kvt"), "layer=0", "left=5",
                 "top=2", "right=25", "bottom=30"},
                &Err),
            0)
      << Err;
  auto P = Back("out.kvt");
  ASSERT_EQ(P->Layers.Count(), 1);
  const TBitmap32& B = LayerBitmap(*P, 0);
  ASSERT_EQ(B.Width(), 20);
  ASSERT_EQ(B.Height(), 18) << "the frame is clipped at the bitmap's bottom";
  EXPECT_EQ(B.GetPixel(0, 0), 0xFF000502u);
  EXPECT_EQ(B.GetPixel(19, 17), 0xFF001813u);
  EXPECT_EQ(LayerLocation(*P, 0), (TSingleRect{10, 10, 50, 46}));
}

TEST_F(TLayerGeometryCli, PerspectiveOnTheCanvasAndOnALayer) {
  std::string Err;
  // Canvas: the top-right corner lowered; the wedge in the background colour.
  ASSERT_EQ(Run({"effect", "Perspective", Path("card.kvt"), Path("canvas.kvt"), "x0=0", "y0=0",
                 "x1=99", "y1=20", "x2=99", "y2=59", "x3=0", "y3=59", "background=0000FF"},
                &Err),
            0)
      << Err;
  auto C = Back("canvas.kvt");
  EXPECT_EQ(C->Canvas.Width(), 99);
  EXPECT_EQ(C->Canvas.Height(), 59);
  EXPECT_EQ(C->Canvas.GetPixel(95, 3), 0xFF0000FFu);
  EXPECT_EQ(LayerBitmap(*C, 0).Width(), 40) << "the layers stay as they were";

  // Layer: transparent around the shape, shown at its old scale.
  ASSERT_EQ(Run({"effect", "Perspective", Path("card.kvt"), Path("layer.kvt"), "layer=0", "x0=10",
                 "y0=0", "x1=29", "y1=0", "x2=39", "y2=19", "x3=0", "y3=19", "bilinear=0"},
                &Err),
            0)
      << Err;
  auto L = Back("layer.kvt");
  const TBitmap32& B = LayerBitmap(*L, 0);
  ASSERT_EQ(B.Width(), 39);
  ASSERT_EQ(B.Height(), 19);
  EXPECT_EQ(B.GetPixel(1, 1) >> 24, 0u);
  EXPECT_GT(B.GetPixel(20, 10) >> 24, 250u);
  EXPECT_EQ(LayerLocation(*L, 0), (TSingleRect{10, 10, 88, 48}));
  EXPECT_EQ(L->Canvas.Width(), 100);
}

TEST_F(TLayerGeometryCli, BadCallsGiveOneLineAndWriteNothing) {
  const std::string Card = Path("card.kvt"), Out = Path("out.kvt");
  const std::vector<std::vector<std::string>> Bad = {
      {"effect", "LayerCrop", Card, Out, "left=0", "top=0", "right=5", "bottom=5"},  // no layer
      {"effect", "LayerCrop", Card, Out, "layer=0", "left=50", "top=0", "right=60",
       "bottom=5"},  // beside the bitmap
      {"effect", "LayerCrop", Card, Out, "layer=0", "left=9", "top=0", "right=5", "bottom=5"},
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=50", "y1=0", "x2=50", "y2=25",
       "x3=50", "y3=50"},  // three corners on a line
      {"effect", "Perspective", Card, Out, "x0=3", "y0=3", "x1=3", "y1=3", "x2=3", "y2=3", "x3=3",
       "y3=3"},  // nothing left
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=0", "y1=0", "x2=99", "y2=59", "x3=0",
       "y3=59"},  // two corners together
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=50", "y1=0", "x2=99", "y2=0", "x3=0",
       "y3=59"},  // corners 0, 1 and 2 on a line
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=99", "y1=0", "x2=50", "y2=30",
       "x3=40", "y3=24"},  // corners 2, 3 and 0 on a line
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=95", "y1=57", "x2=80", "y2=57",
       "x3=60", "y3=36"},  // corners 3, 0 and 1 on a line
      {"effect", "Perspective", Card, Out, "x0=0", "y0=0", "x1=99", "y1=0", "x2=0", "y2=59",
       "x3=99", "y3=59"},  // sides crossing
  };
  for (const auto& Args : Bad) {
    std::string Err;
    EXPECT_EQ(Run(Args, &Err), 1) << Args[1];
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
    EXPECT_FALSE(fs::exists(Out)) << Args[1];
  }
}

}  // namespace
