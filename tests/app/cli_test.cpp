// Runs the built pelmora-cli and checks what it writes, prints and returns.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "bitmap_layer.h"
#include "card_commands.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "effect_commands.h"
#include "gif_codec.h"
#include "jpeg_codec.h"
#include "next_random.h"
#include "png_codec.h"
#include "project_file.h"
#include "tiff_codec.h"

namespace fs = std::filesystem;

namespace {

using TRun = TCliRun;

std::vector<uint8_t> ReadBytes(const fs::path& P) {
  const std::string S = ReadText(P);
  return std::vector<uint8_t>(S.begin(), S.end());
}

struct TCliFixture : TCliTest {
  TImgView32 View;
  TCardDocument Doc{View};

  TRun Run(const std::vector<std::string>& Args) const { return RunCli(Args); }

  // A card with a translucent canvas corner, an opaque photo and a half-transparent one on top.
  void MakeCard() {
    Doc.NewCanvas(40, 30, 0xFF204060);
    Doc.Canvas().FillRect(0, 0, 5, 5, 0x80FF0000);
    TBitmap32 A, B;
    A.SetSize(10, 8);
    A.Clear(0xFF00FF00);
    B.SetSize(6, 6);
    B.Clear(0xFFFFFF00);
    B.SetPixel(2, 2, 0x40000000);
    TBitmapLayer* L = Doc.AddPictureLayer(A, 255);
    L->SetLocation({3, 4, 23, 20});  // stretched twice
    L->Bitmap()->SetStretchFilter(sfNearest);
    L = Doc.AddPictureLayer(B, 128);
    L->SetLocation({20.5f, 10, 26.5f, 16});
    L->SetCropped(true);
    L->Bitmap()->SetStretchFilter(sfLinear);
  }
};

}  // namespace

// A white disk on a transparent layer, enlarged with interpolation over a white card: the
// rendered picture is white and opaque everywhere, its rim as well.
TEST_F(TCliFixture, RenderedDiskOverWhiteIsWhiteAndOpaque) {
  Doc.NewCanvas(300, 300, 0xFFFFFFFF);
  TBitmap32 Disk;
  Disk.SetSize(100, 100);
  Disk.Clear(0);
  for (int32_t Y = 0; Y < 100; ++Y)
    for (int32_t X = 0; X < 100; ++X) {
      const double D = std::hypot(X + 0.5 - 50, Y + 0.5 - 50);
      const auto A = static_cast<TColor32>(std::lround(std::clamp(40.5 - D, 0.0, 1.0) * 255));
      if (A > 0)
        Disk.SetPixel(X, Y, (A << 24) | 0x00FFFFFF);
    }
  TBitmapLayer* L = Doc.AddPictureLayer(Disk, 255);
  L->Bitmap()->SetStretchFilter(sfLinear);
  L->SetLocation({25, 25, 275, 275});
  WriteProject(Doc, Path("disk.kvt"));
  const TRun R = Run({"render", Path("disk.kvt"), Path("disk.bmp")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TBitmap32 Got;
  const std::vector<uint8_t> Bmp = ReadBytes(Path("disk.bmp"));
  Got.LoadFromBytes(Bmp.data(), Bmp.size());
  ASSERT_EQ(Got.Width(), 300);
  int32_t Darkest = 255, LeastAlpha = 255;
  for (int32_t I = 0; I < Got.Width() * Got.Height(); ++I) {
    const TColor32 P = Got.Bits()[I];
    Darkest = std::min({Darkest, RedOf(P), GreenOf(P), BlueOf(P)});
    LeastAlpha = std::min(LeastAlpha, AlphaOf(P));
  }
  EXPECT_EQ(Darkest, 255);
  EXPECT_EQ(LeastAlpha, 255);
}

TEST_F(TCliFixture, RenderedProjectEqualsTheDocumentsFlatImage) {
  MakeCard();
  WriteProject(Doc, Path("card.kvt"));
  const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();

  // BMP keeps the alpha byte; PNG is lossless with alpha; TIFF and GIF keep the colours.
  const TRun R = Run({"render", Path("card.kvt"), Path("out.bmp")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "");
  EXPECT_EQ(R.Err, "");
  TBitmap32 Got;
  const std::vector<uint8_t> Bmp = ReadBytes(Path("out.bmp"));
  Got.LoadFromBytes(Bmp.data(), Bmp.size());
  EXPECT_TRUE(SamePixels(Got, *Flat));
  EXPECT_EQ(Got.GetPixel(0, 0) >> 24, 0x80u);

  ASSERT_EQ(Run({"render", Path("card.kvt"), Path("out.PNG")}).Status, 0);
  const std::vector<uint8_t> Png = ReadBytes(Path("out.PNG"));
  Got.Assign(ReadPngImage(Png.data(), Png.size()));
  TBitmap32 Opaque;
  Opaque.Assign(Flat.get());
  // Reading a PNG makes it opaque, as every picture reader does.
  Opaque.MakeOpaque();
  EXPECT_TRUE(SamePixels(Got, Opaque));

  for (const char* Name : {"out.tif", "out.Gif"}) {
    ASSERT_EQ(Run({"render", Path("card.kvt"), Path(Name)}).Status, 0) << Name;
    const std::vector<uint8_t> Data = ReadBytes(Path(Name));
    TBitmap32 Back;
    Back.Assign(std::string(Name) == "out.tif" ? ReadTiffImage(Data.data(), Data.size())
                                               : ReadGifImage(Data.data(), Data.size()));
    EXPECT_TRUE(SamePixels(Back, Opaque)) << Name;
  }

  ASSERT_EQ(Run({"render", Path("card.kvt"), Path("out.JPG")}).Status, 0);
  const std::vector<uint8_t> Jpg = ReadBytes(Path("out.JPG"));
  Got.Assign(ReadJpegImage(Jpg.data(), Jpg.size()));
  EXPECT_EQ(Got.Width(), 40);
  EXPECT_EQ(Got.Height(), 30);
}

TEST_F(TCliFixture, RenderOfAPicture) {
  TBitmap32 Pic;
  Pic.SetSize(3, 2);
  Pic.Clear(0xFF336699);
  SavePng(Pic, Path("in.png"));
  ASSERT_EQ(Run({"render", Path("in.png"), Path("out.bmp")}).Status, 0);
  TBitmap32 Got;
  const std::vector<uint8_t> Bmp = ReadBytes(Path("out.bmp"));
  Got.LoadFromBytes(Bmp.data(), Bmp.size());
  EXPECT_TRUE(SamePixels(Got, Pic));
}

TEST_F(TCliFixture, InfoListsTheLayerRecordsBottomFirst) {
  MakeCard();
  TPositionedLayer* Area = Doc.CreatePositionedLayer();  // not stored as a layer of its own
  Area->Tag = TagSelectionArea;
  WriteProject(Doc, Path("card.KVT"));
  const TRun R = Run({"info", Path("card.KVT")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out,
            "{\"width\": 40, \"height\": 30, \"layers\": ["
            "{\"index\": 0, \"left\": 3, \"top\": 4, \"right\": 23, \"bottom\": 20, "
            "\"bitmapWidth\": 10, \"bitmapHeight\": 8, \"masterAlpha\": 255, \"scaled\": true, "
            "\"cropped\": false, \"interpolated\": false}, "
            "{\"index\": 1, \"left\": 20.5, \"top\": 10, \"right\": 26.5, \"bottom\": 16, "
            "\"bitmapWidth\": 6, \"bitmapHeight\": 6, \"masterAlpha\": 128, \"scaled\": true, "
            "\"cropped\": true, \"interpolated\": true}]}\n");
  EXPECT_EQ(R.Err, "");

  TBitmap32 Pic;
  Pic.SetSize(7, 5);
  Pic.SaveToFile(Path("p.bmp"));
  EXPECT_EQ(Run({"info", Path("p.bmp")}).Out, "{\"width\": 7, \"height\": 5, \"layers\": []}\n");
}

TEST_F(TCliFixture, BadInputGivesOneLineAndWritesNothing) {
  MakeCard();
  WriteProject(Doc, Path("good.kvt"));
  std::vector<uint8_t> Bad = ReadBytes(Path("good.kvt"));
  Bad.back() = 0x7F;  // the tail points far outside the file
  std::ofstream(Path("bad.kvt"), std::ios::binary)
      .write(reinterpret_cast<const char*>(Bad.data()), std::streamsize(Bad.size()));
  fs::copy_file(Path("good.kvt"), Path("card.Kvt"));

  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    const char* Says;
  };
  const Case Cases[] = {
      {"no command", {}, "команда"},
      {"unknown command", {"draw", Path("good.kvt")}, "draw"},
      {"render without output", {"render", Path("good.kvt")}, "render"},
      {"info with two inputs", {"info", Path("good.kvt"), Path("good.kvt")}, "info"},
      {"missing input", {"render", Path("none.kvt"), Path("out.png")}, "none.kvt"},
      {"damaged project",
       {"render", Path("bad.kvt"), Path("out.png")},
       "Файл повреждён или не является проектом"},
      {"damaged project info", {"info", Path("bad.kvt")}, "bad.kvt"},
      {"mixed-case extension is no project", {"render", Path("card.Kvt"), Path("out.png")}, ".kvt"},
      {"unknown output format", {"render", Path("good.kvt"), Path("out.xyz")}, ".xyz"},
      {"output folder missing", {"render", Path("good.kvt"), Path("no/out.png")}, "out.png"},
  };
  for (const Case& C : Cases) {
    const TRun R = Run(C.Args);
    EXPECT_EQ(R.Status, 1) << C.Name;
    EXPECT_EQ(R.Out, "") << C.Name;
    ASSERT_FALSE(R.Err.empty()) << C.Name;
    EXPECT_EQ(R.Err.find('\n'), R.Err.size() - 1) << C.Name << ": " << R.Err;
    EXPECT_NE(R.Err.find(C.Says), std::string::npos) << C.Name << ": " << R.Err;
  }
  for (const auto& E : fs::directory_iterator(Dir)) {
    const std::string Name = E.path().filename().string();
    EXPECT_TRUE(Name == "good.kvt" || Name == "bad.kvt" || Name == "card.Kvt") << Name;
  }
}

TEST_F(TCliFixture, Help) {
  const TRun R = Run({"--help"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_NE(R.Out.find("pelmora-cli render"), std::string::npos);
  EXPECT_NE(R.Out.find("pelmora-cli info"), std::string::npos);
  EXPECT_EQ(R.Err, "");
}

// ==== effect ====

namespace {

// The project written by the tool, read back.
std::unique_ptr<TProjectContent> ReadBack(const std::string& FileName) {
  return ReadProjectFile(FileName);
}

const TBitmap32& LayerBitmap(TProjectContent& P, int32_t I) {
  return *dynamic_cast<TBitmapLayer*>(P.Layers.Items(I))->Bitmap();
}

}  // namespace

TEST_F(TCliFixture, EffectListNamesEveryRoutineWithKeysAndRanges) {
  const TRun R = Run({"effect", "--list"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  for (const char* Line :
       {"BrightnessScale amount=-200..200\n",
        "BalanceShift red=-50..50 green=-50..50 blue=-50..50\n", "WeightedGrey\n",
        "SharpenFivePoint strength=2..5\n", "DropDisplace turbulence=1..300 scale=1..50\n",
        "WaveShift amplitude=1..100 interference=1..15 style=0..2\n", "SawtoothBlinds step="})
    EXPECT_NE(R.Out.find(Line), std::string::npos) << Line;
  EXPECT_EQ(R.Out, EffectListText(CardCommands()));
}

TEST_F(TCliFixture, EffectOnTheCanvasEndsOpaqueOnALayerKeepsAlpha) {
  MakeCard();
  WriteProject(Doc, Path("card.kvt"));

  // No layer=: the canvas is the target; the 24-bit shell makes it opaque, layers stay.
  TRun R = Run({"effect", "InvertChannels", Path("card.kvt"), Path("canvas.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out + R.Err, "");
  auto Canvas = ReadBack(Path("canvas.kvt"));
  EXPECT_EQ(Canvas->Canvas.GetPixel(0, 0), 0xFF00FFFFu);  // 0x80FF0000 inverted, opaque
  EXPECT_EQ(Canvas->Canvas.GetPixel(30, 20), 0xFFDFBF9Fu);
  ASSERT_EQ(Canvas->Layers.Count(), 2);
  EXPECT_EQ(LayerBitmap(*Canvas, 1).GetPixel(2, 2), 0x40000000u);

  // layer=1: the second bitmap layer, its alpha kept.
  R = Run({"effect", "InvertChannels", Path("card.kvt"), Path("layer.kvt"), "layer=1"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  auto Layer = ReadBack(Path("layer.kvt"));
  EXPECT_EQ(Layer->Canvas.GetPixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(LayerBitmap(*Layer, 0).GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(LayerBitmap(*Layer, 1).GetPixel(2, 2), 0x40FFFFFFu);
  EXPECT_EQ(LayerBitmap(*Layer, 1).GetPixel(0, 0), 0xFF0000FFu);

  // A 32-bit routine works in place and keeps the canvas alpha.
  R = Run({"effect", "BalanceShift", Path("card.kvt"), Path("shift.kvt"), "red=-50", "green=0",
           "blue=50"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  auto Shift = ReadBack(Path("shift.kvt"));
  EXPECT_EQ(Shift->Canvas.GetPixel(0, 0), 0x80CD0032u);

  // A picture output gets the flat image of the changed card.
  R = Run({"effect", "InvertChannels", Path("card.kvt"), Path("flat.bmp"), "layer=0"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  auto Expected = ReadBack(Path("card.kvt"));
  TImgView32 V2;
  TCardDocument D2(V2);
  InstallProject(*Expected, D2);
  D2.SetSelection(dynamic_cast<TBitmapLayer*>(D2.Layers().Items(0)));
  RunEffectCall(ParseEffectCall("InvertChannels", {}), EffectTarget(D2));
  const std::unique_ptr<TBitmap32> Flat = D2.RenderFlatImage();
  TBitmap32 Got;
  const std::vector<uint8_t> Bmp = ReadBytes(Path("flat.bmp"));
  Got.LoadFromBytes(Bmp.data(), Bmp.size());
  EXPECT_TRUE(SamePixels(Got, *Flat));
}

TEST_F(TCliFixture, EffectNoiseStartsTheGeneratorAtZeroInEveryRun) {
  TBitmap32 Pic;
  Pic.SetSize(9, 4);
  for (int32_t I = 0; I < 36; ++I) Pic.Bits()[I] = 0xFF000000u | uint32_t(I * 7) * 0x010101u;
  Pic.SaveToFile(Path("in.bmp"));
  for (const char* Out : {"a.bmp", "b.bmp"})
    ASSERT_EQ(Run({"effect", "ChannelNoise", Path("in.bmp"), Path(Out), "range=50"}).Status, 0);
  EXPECT_EQ(ReadBytes(Path("a.bmp")), ReadBytes(Path("b.bmp")));

  TBitmap32 Want;
  Want.Assign(&Pic);
  uint32_t State = 0;
  for (int32_t I = 0; I < 36; ++I) {
    TColor32 C = 0xFF000000u;
    for (int Shift : {0, 8, 16}) {
      int V = int((Pic.Bits()[I] >> Shift) & 0xFF) + int(DrawFrom(State, 50)) - 25;
      V = V < 0 ? 0 : V > 255 ? 255 : V;
      C |= uint32_t(V) << Shift;
    }
    Want.Bits()[I] = C;
  }
  TBitmap32 Got;
  const std::vector<uint8_t> Bmp = ReadBytes(Path("a.bmp"));
  Got.LoadFromBytes(Bmp.data(), Bmp.size());
  EXPECT_TRUE(SamePixels(Got, Want));
}

TEST_F(TCliFixture, EffectErrorsGiveOneLineAndWriteNothing) {
  MakeCard();
  WriteProject(Doc, Path("card.kvt"));
  TBitmap32 Small;
  Small.SetSize(2, 5);
  Small.Clear(0xFF808080);
  Small.SaveToFile(Path("small.bmp"));
  const std::string Card = Path("card.kvt"), Out = Path("out.bmp");
  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    const char* Says;
  };
  const Case Cases[] = {
      {"unknown effect", {"effect", "Sharpen", Card, Out}, "Sharpen"},
      {"unknown key", {"effect", "GreyNoise", Card, Out, "range=5", "size=3"}, "size"},
      {"missing key", {"effect", "WaveShift", Card, Out, "amplitude=5", "style=1"}, "interference"},
      {"out of range", {"effect", "QuantizeLevels", Card, Out, "level=0"}, "1..100"},
      {"not a number", {"effect", "BrightnessScale", Card, Out, "amount=1.5"}, "amount"},
      {"key twice", {"effect", "GreyNoise", Card, Out, "range=5", "range=6"}, "range"},
      {"no key=value", {"effect", "GreyNoise", Card, Out, "range"}, "range"},
      {"layer beyond the stack", {"effect", "WeightedGrey", Card, Out, "layer=2"}, "layer=2"},
      {"layer not a number", {"effect", "WeightedGrey", Card, Out, "layer=top"}, "layer=top"},
      {"too few arguments", {"effect", "WeightedGrey", Card}, "effect"},
      {"unknown output format", {"effect", "WeightedGrey", Card, Path("out.xyz")}, ".xyz"},
      {"routine error",
       {"effect", "SharpenFivePoint", Path("small.bmp"), Out, "strength=5"},
       "Bitmap must be at least 3x3"},
  };
  for (const Case& C : Cases) {
    const TRun R = Run(C.Args);
    EXPECT_EQ(R.Status, 1) << C.Name;
    EXPECT_EQ(R.Out, "") << C.Name;
    ASSERT_FALSE(R.Err.empty()) << C.Name;
    EXPECT_EQ(R.Err.find('\n'), R.Err.size() - 1) << C.Name << ": " << R.Err;
    EXPECT_NE(R.Err.find(C.Says), std::string::npos) << C.Name << ": " << R.Err;
  }
  for (const auto& E : fs::directory_iterator(Dir)) {
    const std::string Name = E.path().filename().string();
    EXPECT_TRUE(Name == "card.kvt" || Name == "small.bmp") << Name;
  }
}
