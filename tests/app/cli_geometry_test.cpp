// The batch tool's "ImageSize" and "FreeRotation" commands, run through the built pelmora-cli.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "project_file.h"
#include "shell_helpers.h"
#include "transfers.h"

namespace fs = std::filesystem;

namespace {

struct TGeometryCli : ::testing::Test {
  fs::path Dir;
  TImgView32 View;
  TCardDocument Doc{View};

  void SetUp() override {
    View.SetBounds(800, 600);
    Dir = fs::temp_directory_path() /
          ("pelmora_cli_geometry_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
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
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  // Exit status; Err receives standard error.
  int Run(const std::vector<std::string>& Args, std::string* Err = nullptr) const {
    std::string Cmd = Quote(PELMORA_CLI);
    for (const std::string& A : Args) Cmd += " " + Quote(A);
    Cmd += " >" + Quote(Path("stdout.txt")) + " 2>" + Quote(Path("stderr.txt"));
    const int Raw = std::system(Cmd.c_str());
    if (Err != nullptr)
      *Err = ReadText(Path("stderr.txt"));
    fs::remove(Path("stdout.txt"));
    fs::remove(Path("stderr.txt"));
    return WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  }
};

TSingleRect LocationOf(TProjectContent& P, int32_t I) {
  return dynamic_cast<TPositionedLayer*>(P.Layers.Items(I))->Location();
}

const TBitmap32& BitmapOf(TProjectContent& P, int32_t I) {
  return *dynamic_cast<TBitmapLayer*>(P.Layers.Items(I))->Bitmap();
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
  const std::string Cmd = Quote(PELMORA_CLI) + " effect --list >" + Quote(Path("list.txt"));
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  const std::string Out = ReadText(Path("list.txt"));
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
