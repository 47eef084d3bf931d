// pelmora-cli effect with the outline commands: borders, relief, button, transparent colour.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "outline_effects.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

constexpr TColor32 Photo = 0xFF336699;

struct TOutlineCli : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};

  // Exit status; standard error into Err, standard output into Out.
  int Run(const std::vector<std::string>& Args, std::string* Err = nullptr,
          std::string* Out = nullptr) const {
    const TCliRun R = RunCli(Args);
    if (Err != nullptr)
      *Err = R.Err;
    if (Out != nullptr)
      *Out = R.Out;
    return R.Status;
  }

  // A 100 x 80 canvas with a 40 x 30 photo layer at (10, 10, 50, 40) carrying one green pixel.
  void MakeCard() {
    Doc.NewCanvas(100, 80, 0xFFFFFFFF);
    TBitmap32 P;
    P.SetSize(40, 30);
    P.Clear(Photo);
    P.SetPixel(5, 5, 0xFF00FF00);
    TBitmapLayer* L = Doc.AddPictureLayer(P, 255);
    L->SetLocation({10, 10, 50, 40});
    WriteProject(Doc, Path("card.kvt"));
  }

  static const TBitmap32& LayerBitmap(TProjectContent& P, int32_t I) {
    return *dynamic_cast<TBitmapLayer*>(P.Layers.Items(I))->Bitmap();
  }
  static TSingleRect LayerLocation(TProjectContent& P, int32_t I) {
    return dynamic_cast<TBitmapLayer*>(P.Layers.Items(I))->Location();
  }
};

TEST_F(TOutlineCli, ListShowsTheOutlineCommands) {
  std::string Out;
  ASSERT_EQ(Run({"effect", "--list"}, nullptr, &Out), 0);
  for (const char* Line :
       {"Border width=1..1000 contour=0..999 [color=RRGGBB] [contourcolor=RRGGBB] "
        "[pattern=0..38] [patterns=ТЕКСТ]\n",
        "Relief percent=1..39 [outer=0..1] [border=0..100] [color=RRGGBB]\n",
        "Button width=1..9 [depth=1..16] [inner=0..1]\n", "TransparentColor color=RRGGBB\n"})
    EXPECT_NE(Out.find(Line), std::string::npos) << Line;
}

TEST_F(TOutlineCli, BorderOnTheCanvasAndOnALayer) {
  MakeCard();
  std::string Err;
  ASSERT_EQ(Run({"effect", "Border", Path("card.kvt"), Path("canvas.kvt"), "width=20", "contour=3",
                 "color=FF0000", "contourcolor=00FF00"},
                &Err),
            0)
      << Err;
  auto Canvas = ReadProjectFile(Path("canvas.kvt"));
  ASSERT_EQ(Canvas->Canvas.Width(), 140);
  ASSERT_EQ(Canvas->Canvas.Height(), 120);
  EXPECT_EQ(Canvas->Canvas.GetPixel(16, 16), 0xFFFF0000u);
  EXPECT_EQ(Canvas->Canvas.GetPixel(17, 17), 0xFF00FF00u);
  EXPECT_EQ(Canvas->Canvas.GetPixel(20, 20), 0xFFFFFFFFu);
  EXPECT_EQ(LayerLocation(*Canvas, 0), (TSingleRect{10, 10, 50, 40})) << "the layer stays";

  ASSERT_EQ(Run({"effect", "Border", Path("card.kvt"), Path("layer.kvt"), "layer=0", "width=5",
                 "contour=2"},
                &Err),
            0)
      << Err;
  auto Layer = ReadProjectFile(Path("layer.kvt"));
  EXPECT_EQ(Layer->Canvas.Width(), 100);
  EXPECT_EQ(LayerBitmap(*Layer, 0).Width(), 50);
  EXPECT_EQ(LayerLocation(*Layer, 0), (TSingleRect{10, 10, 60, 50}));
  EXPECT_EQ(LayerBitmap(*Layer, 0).GetPixel(0, 0), 0xFF0055E3u) << "the default border colour";
  EXPECT_EQ(LayerBitmap(*Layer, 0).GetPixel(3, 3), 0xFFFFFFFFu) << "the default contour colour";
}

TEST_F(TOutlineCli, BorderWithAnOrnamentFromAFolder) {
  TBitmap32 Pic;
  Pic.SetSize(4, 4);
  Pic.Clear(Photo);
  Pic.SaveToFile(Path("in.bmp"));
  TBitmap32 Tile;
  Tile.SetSize(2, 1);
  Tile.SetPixel(0, 0, 0xFF112233);
  Tile.SetPixel(1, 0, 0xFF445566);
  fs::create_directories(Dir / "orn");
  Tile.SaveToFile(Path("orn/pat7.bmp"));
  std::string Err;
  ASSERT_EQ(Run({"effect", "Border", Path("in.bmp"), Path("out.bmp"), "width=3", "contour=0",
                 "pattern=7", "patterns=" + Path("orn")},
                &Err),
            0)
      << Err;
  TBitmap32 Got;
  Got.LoadFromFile(Path("out.bmp"));
  ASSERT_EQ(Got.Width(), 10);
  EXPECT_EQ(Got.GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(Got.GetPixel(1, 9), 0xFF445566u);
  EXPECT_EQ(Got.GetPixel(3, 3), Photo);

  // A missing ornament leaves the border transparent black.
  ASSERT_EQ(Run({"effect", "Border", Path("in.bmp"), Path("none.bmp"), "width=3", "contour=0",
                 "pattern=8", "patterns=" + Path("orn")},
                &Err),
            0)
      << Err;
  Got.LoadFromFile(Path("none.bmp"));
  EXPECT_EQ(Got.GetPixel(0, 0), 0u);
}

// patterns= names a folder: an empty value, a path that does not exist or a file is refused.
TEST_F(TOutlineCli, BorderRefusesAPatternsFolderThatIsNotOne) {
  TBitmap32 Pic;
  Pic.SetSize(4, 4);
  Pic.Clear(Photo);
  Pic.SaveToFile(Path("in.bmp"));
  const struct {
    std::string Value;
    const char* Says;
  } Cases[] = {{"", "patterns= не может быть пустым"},
               {Path("missing"), "папка не найдена"},
               {Path("in.bmp"), "это не папка"}};
  for (const auto& C : Cases)
    for (const char* Pattern : {"pattern=3", "pattern=0"}) {
      SCOPED_TRACE(C.Value + " " + Pattern);
      std::string Err;
      EXPECT_EQ(Run({"effect", "Border", Path("in.bmp"), Path("out.bmp"), "width=3", "contour=0",
                     Pattern, "patterns=" + C.Value},
                    &Err),
                1);
      EXPECT_NE(Err.find(C.Says), std::string::npos) << Err;
      EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
      EXPECT_FALSE(fs::exists(Path("out.bmp")));
    }
}

TEST_F(TOutlineCli, ReliefButtonAndTransparentColourMatchTheRoutines) {
  MakeCard();
  std::string Err;
  ASSERT_EQ(Run({"effect", "Relief", Path("card.kvt"), Path("relief.kvt"), "layer=0", "percent=10",
                 "outer=1", "border=50", "color=C0C0C0"},
                &Err),
            0)
      << Err;
  auto Relief = ReadProjectFile(Path("relief.kvt"));
  TBitmap32 Want;
  Want.Assign(dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(0))->Bitmap());
  ReliefContour(Want, {10, true, 50, 0xFFC0C0C0});
  EXPECT_TRUE(SamePixels(LayerBitmap(*Relief, 0), Want));
  EXPECT_EQ(LayerLocation(*Relief, 0), (TSingleRect{10, 10, 50, 40}));

  ASSERT_EQ(
      Run({"effect", "Button", Path("card.kvt"), Path("button.kvt"), "width=3", "inner=1"}, &Err),
      0)
      << Err;
  auto Button = ReadProjectFile(Path("button.kvt"));
  Want.Assign(&Doc.Canvas());
  ButtonBevel(Want, {3, ButtonDepthFor(100), true});
  EXPECT_TRUE(SamePixels(Button->Canvas, Want));

  ASSERT_EQ(Run({"effect", "TransparentColor", Path("card.kvt"), Path("key.kvt"), "layer=0",
                 "color=00FF00"},
                &Err),
            0)
      << Err;
  auto Key = ReadProjectFile(Path("key.kvt"));
  EXPECT_EQ(LayerBitmap(*Key, 0).GetPixel(5, 5), 0x0000FF00u);
  EXPECT_EQ(LayerBitmap(*Key, 0).GetPixel(0, 0), Photo);
}

TEST_F(TOutlineCli, BadCallsFailWithOneLineAndWriteNothing) {
  MakeCard();
  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    const char* Mentions;
  };
  const std::string Card = Path("card.kvt"), Out = Path("never.kvt");
  const Case Cases[] = {
      {"contour as wide as the border", {"Border", Card, Out, "width=3", "contour=3"}, "contour"},
      {"no such ornament", {"Border", Card, Out, "width=3", "contour=0", "pattern=39"}, "0..38"},
      {"relief needs a layer", {"Relief", Card, Out, "percent=3"}, "layer=N"},
      {"transparent colour needs a layer",
       {"TransparentColor", Card, Out, "color=000000"},
       "layer=N"},
      {"depth out of range", {"Button", Card, Out, "width=2", "depth=17"}, "1..16"},
  };
  for (const Case& C : Cases) {
    std::vector<std::string> Args = {"effect"};
    Args.insert(Args.end(), C.Args.begin(), C.Args.end());
    std::string Err;
    EXPECT_EQ(Run(Args, &Err), 1) << C.Name;
    EXPECT_NE(Err.find(C.Mentions), std::string::npos) << C.Name << ": " << Err;
    EXPECT_FALSE(fs::exists(Out)) << C.Name;
  }
}

}  // namespace
