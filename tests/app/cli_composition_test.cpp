// The batch tool's composition verbs: gradient and texture backgrounds, the underlay and the
// gallery pictures, run through the built pelmora-cli.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "picture_codecs.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

struct TComposeCli : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};

  static void SetUpTestSuite() { RegisterPictureCodecs(); }

  // The exit status; standard output and then standard error in Out.
  int Run(const std::vector<std::string>& Args, std::string* Out = nullptr) const {
    const TCliRun R = RunCli(Args);
    if (Out != nullptr)
      *Out = R.Out + R.Err;
    return R.Status;
  }
  std::string Picture(const std::string& Name, int W, int H, TColor32 C) const {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(C);
    SavePictureByExtension(B, Path(Name));
    return Path(Name);
  }
  void Read(const std::string& Name, TBitmap32& B) const { B.LoadFromFile(Path(Name)); }
};

}  // namespace

TEST_F(TComposeCli, ListNamesTheVerbs) {
  std::string Out;
  ASSERT_EQ(Run({"effect", "--list"}, &Out), 0);
  for (const char* Line : {"Gradient [direction=horizontal|vertical] [left=RRGGBB] [right=RRGGBB]",
                           "Texture file=", "Underlay [mode=solid|gradient|texture]",
                           "Decoration file=", "Greeting file="})
    EXPECT_NE(Out.find(Line), std::string::npos) << Line << "\n" << Out;
}

TEST_F(TComposeCli, GradientFromTheLeftOrTheRightSwatch) {
  const std::string In = Picture("in.bmp", 4, 4, 0xFF000000);
  ASSERT_EQ(Run({"effect", "Gradient", In, Path("h.bmp"), "direction=horizontal", "left=FF0000",
                 "right=0000FF"}),
            0);
  TBitmap32 H;
  Read("h.bmp", H);
  const TColor32 Want[] = {0xFFFF0000, 0xFFBF0040, 0xFF7F0080, 0xFF4000BF};
  for (int X = 0; X < 4; ++X) EXPECT_EQ(H.GetPixel(X, 3), Want[X]) << X;
  // Top to bottom starts from the right swatch.
  ASSERT_EQ(Run({"effect", "Gradient", In, Path("v.bmp"), "direction=vertical", "left=FF0000",
                 "right=0000FF"}),
            0);
  TBitmap32 V;
  Read("v.bmp", V);
  EXPECT_EQ(V.GetPixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(V.GetPixel(2, 2), 0xFF80007Fu);  // blue 255 - 128, red 0 + 128
}

TEST_F(TComposeCli, TextureCoversTheCardOpaque) {
  Doc.NewCanvas(200, 100, 0x00000000);  // a transparent canvas: the texture makes it opaque
  WriteProject(Doc, Path("card.kvt"));
  const std::string Texture = Picture("t.png", 1000, 5, 0xFF3070B0);
  for (const char* Scale : {"scale=0", "scale=1", "scale=4"}) {
    ASSERT_EQ(
        Run({"effect", "Texture", Path("card.kvt"), Path("out.png"), "file=" + Texture, Scale}), 0)
        << Scale;
    TBitmap32 Out;
    Read("out.png", Out);
    for (int Y = 0; Y < 100; Y += 9)
      for (int X = 0; X < 200; X += 7) {
        const TColor32 P = Out.GetPixel(X, Y);
        ASSERT_EQ(P >> 24, 255u) << Scale << " at " << X << "," << Y;
        ASSERT_NEAR(int(P & 0xFF), 0xB0, 3) << Scale << " at " << X << "," << Y;
      }
  }
  std::string Err;
  EXPECT_EQ(
      Run({"effect", "Texture", Path("card.kvt"), Path("bad.png"), "file=" + Texture, "scale=5"},
          &Err),
      1);
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}

TEST_F(TComposeCli, UnderlayAndDecorationLayers) {
  const std::string In = Picture("in.bmp", 800, 600, 0xFF000000);
  ASSERT_EQ(Run({"effect", "Underlay", In, Path("u.kvt"), "mode=gradient", "color1=FF0000",
                 "color2=0000FF", "direction=vertical"}),
            0);
  TBitmap32 Deco;
  Deco.SetSize(120, 80);
  Deco.Clear(0xFFFFFFFF);
  Deco.FillRect(30, 20, 90, 60, 0xFF00FF00);
  SavePictureByExtension(Deco, Path("deco.png"));
  ASSERT_EQ(Run({"effect", "Decoration", Path("u.kvt"), Path("d.kvt"), "file=" + Path("deco.png")}),
            0);
  ASSERT_EQ(Run({"effect", "Decoration", Path("d.kvt"), Path("d2.kvt"), "file=" + Path("deco.png"),
                 "x=300", "y=200"}),
            0);
  ReadProject(Path("d2.kvt"), Doc);
  ASSERT_GE(Doc.Layers().Count(), 3);
  auto* U = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(0));
  auto* D1 = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(1));
  auto* D2 = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(2));
  ASSERT_TRUE(U && D1 && D2);
  EXPECT_EQ(U->Bitmap()->Width(), 720);
  EXPECT_FLOAT_EQ(U->Location().Left, 24);
  EXPECT_FLOAT_EQ(U->Location().Bottom, 576);
  EXPECT_EQ(U->Bitmap()->GetPixel(10, 0), 0xFFFF0000u);
  EXPECT_FLOAT_EQ(D1->Location().Left, 8);
  EXPECT_FLOAT_EQ(D1->Location().Bottom, 88);
  EXPECT_FLOAT_EQ(D2->Location().Left, 300);
  EXPECT_FLOAT_EQ(D2->Location().Bottom, 280);
  EXPECT_EQ(D2->Bitmap()->GetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(D2->Bitmap()->GetPixel(60, 40), 0xFF00FF00u);

  // A greeting stays opaque, unless asked to lose its plain background as the editor does.
  ASSERT_EQ(Run({"effect", "Greeting", Path("d2.kvt"), Path("g.kvt"), "file=" + Path("deco.png")}),
            0);
  ASSERT_EQ(Run({"effect", "Greeting", Path("g.kvt"), Path("g2.kvt"), "file=" + Path("deco.png"),
                 "transparent=1"}),
            0);
  ReadProject(Path("g2.kvt"), Doc);
  ASSERT_GE(Doc.Layers().Count(), 5);
  auto* G1 = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(3));
  auto* G2 = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(4));
  ASSERT_TRUE(G1 && G2);
  EXPECT_EQ(G1->Bitmap()->GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(G2->Bitmap()->GetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(G2->Bitmap()->GetPixel(60, 40), 0xFF00FF00u);

  std::string Err;
  EXPECT_EQ(Run({"effect", "Decoration", In, Path("x.kvt"), "file=" + Path("none.png")}, &Err), 1);
  EXPECT_FALSE(fs::exists(Path("x.kvt")));
}
