// The batch tool's LayerCrop and Perspective commands.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "img_view32.h"
#include "project_file.h"
#include "shell_helpers.h"

namespace fs = std::filesystem;

namespace {

struct TLayerGeometryCli : ::testing::Test {
  fs::path Dir;
  TImgView32 View;
  TCardDocument Doc{View};

  void SetUp() override {
    View.SetBounds(800, 600);
    Dir = fs::temp_directory_path() /
          ("pelmora_geometry_cli_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
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
  void TearDown() override { fs::remove_all(Dir); }
  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  // Exit status; the error text in Err.
  int Run(const std::vector<std::string>& Args, std::string* Err = nullptr) const {
    std::string Cmd = Quote(PELMORA_CLI);
    for (const std::string& A : Args) Cmd += " " + Quote(A);
    Cmd += " >/dev/null 2>" + Quote(Path("stderr.txt"));
    const int Raw = std::system(Cmd.c_str());
    if (Err != nullptr)
      *Err = ReadText(Path("stderr.txt"));
    return WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
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
  const std::string Cmd = Quote(PELMORA_CLI) + " effect --list >" + Quote(Path("list.txt"));
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  const std::string Out = ReadText(Path("list.txt"));
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
  };
  for (const auto& Args : Bad) {
    std::string Err;
    EXPECT_EQ(Run(Args, &Err), 1) << Args[1];
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
    EXPECT_FALSE(fs::exists(Out)) << Args[1];
  }
}

}  // namespace
