// pelmora-cli effect CanvasCrop: the canvas crop of the editor, run on a project.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

struct TCropCli : TCliTest {
  void SetUp() override {
    TCliTest::SetUp();
    // An 800 x 600 card whose pixels tell their place, and a photo at (100, 150, 200, 250).
    TImgView32 View;
    View.SetBounds(800, 600);
    TCardDocument Doc(View);
    Doc.NewCanvas(800, 600, 0xFFFFFFFF);
    for (int Y = 0; Y < 600; ++Y)
      for (int X = 0; X < 800; ++X)
        Doc.Canvas().SetPixel(X, Y, 0xFF000000 | uint32_t(X % 256) << 16 | uint32_t(Y % 256) << 8);
    TBitmap32 Photo;
    Photo.SetSize(100, 100);
    Photo.Clear(0xFF00FF00);
    Doc.AddPictureLayer(Photo, 255)->SetLocation({100, 150, 200, 250});
    WriteProject(Doc, Path("card.kvt"));
  }

  int Run(const std::vector<std::string>& Args, std::string* Out = nullptr,
          std::string* Err = nullptr) const {
    const TCliRun R = RunCli(Args);
    if (Out)
      *Out = R.Out;
    if (Err)
      *Err = R.Err;
    return R.Status;
  }
};

}  // namespace

TEST_F(TCropCli, CanvasCropIsListedAndCropsAProject) {
  std::string Out, Err;
  ASSERT_EQ(Run({"effect", "--list"}, &Out), 0);
  EXPECT_NE(Out.find("CanvasCrop left=-1048576..1048576 top=-1048576..1048576 "
                     "right=-1048576..1048576 bottom=-1048576..1048576\n"),
            std::string::npos)
      << Out;

  ASSERT_EQ(Run({"effect", "CanvasCrop", Path("card.kvt"), Path("out.kvt"), "left=-20", "top=100",
                 "right=500", "bottom=700"},
                &Out, &Err),
            0)
      << Err;
  EXPECT_EQ(Out + Err, "");
  const std::unique_ptr<TProjectContent> P = ReadProjectFile(Path("out.kvt"));
  EXPECT_EQ(P->Canvas.Width(), 500);
  EXPECT_EQ(P->Canvas.Height(), 500);
  EXPECT_EQ(P->Canvas.GetPixel(0, 0), 0xFF006400u) << "old (0, 100)";
  ASSERT_EQ(P->Layers.Count(), 1);
  auto* L = dynamic_cast<TBitmapLayer*>(P->Layers.Items(0));
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Location(), (TSingleRect{100, 50, 200, 150}));
  EXPECT_TRUE(L->Cropped());
}

TEST_F(TCropCli, CropOffTheCanvasFailsAndWritesNothing) {
  for (const std::vector<std::string>& Keys :
       {std::vector<std::string>{"left=900", "top=0", "right=1000", "bottom=100"},
        std::vector<std::string>{"left=0", "top=0", "right=100"},
        std::vector<std::string>{"left=0", "top=0", "right=100", "bottom=2000000"}}) {
    std::vector<std::string> Args = {"effect", "CanvasCrop", Path("card.kvt"), Path("out.png")};
    Args.insert(Args.end(), Keys.begin(), Keys.end());
    std::string Err;
    EXPECT_EQ(Run(Args, nullptr, &Err), 1) << Keys[0];
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
    EXPECT_FALSE(fs::exists(Path("out.png"))) << Keys[0];
  }
}
