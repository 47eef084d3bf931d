// pelmora-cli print: the PDF page it writes is measured with poppler's own tools (pdfinfo for
// the page, pdftoppm to render it), so the card's printed size is checked as a print shop sees it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bitmap32.h"
#include "cli_fixture.h"
#include "layer_collection.h"
#include "png_codec.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

bool HaveTool(const char* Name) {
  return std::system((std::string("command -v ") + Name + " >/dev/null 2>&1").c_str()) == 0;
}

struct TPrintCli : TCliTest {
  void SetUp() override {
    TCliTest::SetUp();
    // An 800 x 600 card, dark all over, so its printed extent shows on a white page.
    TBitmap32 Card;
    Card.SetSize(800, 600);
    Card.Clear(0xFF202020);
    const std::vector<uint8_t> Png = EncodePng(Card);
    std::ofstream(Path("card.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(Png.data()), std::streamsize(Png.size()));
  }
  int Run(const std::string& Command, std::string* Err = nullptr) const {
    const int Raw = std::system((Command + " 2>" + Quote(Path("stderr.txt"))).c_str());
    if (Err)
      *Err = ReadText(Path("stderr.txt"));
    return WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  }

  int Print(const std::vector<std::string>& Options, std::string* Err = nullptr) const {
    std::string Cmd =
        Quote(PELMORA_CLI) + " print " + Quote(Path("card.png")) + " " + Quote(Path("out.pdf"));
    for (const std::string& O : Options) Cmd += " " + Quote(O);
    return Run(Cmd + " >/dev/null", Err);
  }

  // The page size in points, from pdfinfo.
  std::pair<double, double> PageSize() const {
    EXPECT_EQ(Run("pdfinfo " + Quote(Path("out.pdf")) + " >" + Quote(Path("info.txt"))), 0);
    std::istringstream In(ReadText(Path("info.txt")));
    std::string Line;
    double W = 0, H = 0;
    while (std::getline(In, Line))
      if (Line.rfind("Page size:", 0) == 0)
        std::sscanf(Line.c_str(), "Page size: %lf x %lf", &W, &H);
    std::string Pages = ReadText(Path("info.txt"));
    EXPECT_NE(Pages.find("Pages:           1\n"), std::string::npos) << Pages;
    return {W, H};
  }

  // The dark area of the page rendered at Dpi: its width and height in centimetres.
  std::pair<double, double> DarkExtentCm(int Dpi) const {
    EXPECT_EQ(Run("pdftoppm -r " + std::to_string(Dpi) + " -gray -singlefile " +
                  Quote(Path("out.pdf")) + " " + Quote(Path("page"))),
              0);
    std::ifstream In(Path("page.pgm"), std::ios::binary);
    std::string Magic;
    int W = 0, H = 0, Max = 0;
    In >> Magic >> W >> H >> Max;
    In.get();
    std::vector<unsigned char> Px(size_t(W) * size_t(H));
    In.read(reinterpret_cast<char*>(Px.data()), std::streamsize(Px.size()));
    int Left = W, Right = -1, Top = H, Bottom = -1;
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X)
        if (Px[size_t(Y) * size_t(W) + size_t(X)] < 128) {
          Left = std::min(Left, X);
          Right = std::max(Right, X);
          Top = std::min(Top, Y);
          Bottom = std::max(Bottom, Y);
        }
    const double Cm = Dpi / 2.54;
    return {(Right - Left + 1) / Cm, (Bottom - Top + 1) / Cm};
  }
};

TEST_F(TPrintCli, TypedWidthGivesTheExactPhysicalSizeOnA4) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftoppm"))
    GTEST_SKIP() << "poppler-utils is not installed";
  ASSERT_EQ(Print({"paper=A4", "width=10", "unit=cm"}), 0);
  const auto [W, H] = PageSize();
  EXPECT_NEAR(W, 595.28, 0.01);
  EXPECT_NEAR(H, 841.89, 0.01);
  const auto [CardW, CardH] = DarkExtentCm(254);  // 100 pixels per centimetre
  EXPECT_NEAR(CardW, 10.0, 0.02);
  EXPECT_NEAR(CardH, 7.5, 0.02);
}

TEST_F(TPrintCli, PlacementsAndOrientation) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftoppm"))
    GTEST_SKIP() << "poppler-utils is not installed";
  // At its own size, one card pixel is one 300 dpi dot: 800 pixels are 6.77 cm.
  ASSERT_EQ(Print({"paper=A6", "orientation=landscape"}), 0);
  const auto [W, H] = PageSize();
  EXPECT_NEAR(W, 148 / 25.4 * 72, 0.01);
  EXPECT_NEAR(H, 105 / 25.4 * 72, 0.01);
  const auto [OwnW, OwnH] = DarkExtentCm(254);
  EXPECT_NEAR(OwnW, 800 / 300.0 * 2.54, 0.02);
  EXPECT_NEAR(OwnH, 600 / 300.0 * 2.54, 0.02);

  // Fill: the page inside a margin of 100 dots (0.85 cm) on every side.
  ASSERT_EQ(Print({"paper=Letter", "place=fill"}), 0);
  const auto [FillW, FillH] = DarkExtentCm(254);
  EXPECT_NEAR(FillW, 21.59 - 2 * 100 / 300.0 * 2.54, 0.03);
  EXPECT_NEAR(FillH, 27.94 - 2 * 100 / 300.0 * 2.54, 0.03);

  // Fit keeps 4:3 within the margin.
  ASSERT_EQ(Print({"paper=A5", "place=fit"}), 0);
  const auto [FitW, FitH] = DarkExtentCm(254);
  EXPECT_NEAR(FitW, 14.8 - 2 * 100 / 300.0 * 2.54, 0.03);
  EXPECT_NEAR(FitW / FitH, 4.0 / 3.0, 0.01);

  // Only the height, in inches: the width follows.
  ASSERT_EQ(Print({"height=2", "unit=in"}), 0);
  const auto [InW, InH] = DarkExtentCm(254);
  EXPECT_NEAR(InH, 5.08, 0.02);
  EXPECT_NEAR(InW, 5.08 * 4 / 3, 0.02);
}

TEST_F(TPrintCli, ThePrintedCardIsOpaqueOnWhite) {
  if (!HaveTool("pdftoppm"))
    GTEST_SKIP() << "poppler-utils is not installed";
  // A project whose canvas is transparent on the left and half-covered dark grey on the right
  // (a picture file reads opaque).
  TLayerCollection Layers;
  TBitmap32 Canvas;
  Canvas.SetSize(800, 600);
  Canvas.Clear(0x00000000);
  Canvas.FillRectS({400, 0, 800, 600}, 0x80202020);
  WriteProject(Canvas, Layers, Path("card.kvt"));
  ASSERT_EQ(Run(Quote(PELMORA_CLI) + " print " + Quote(Path("card.kvt")) + " " +
                Quote(Path("out.pdf")) + " paper=A6 place=fill >/dev/null"),
            0);
  const std::string Pdf = ReadText(Path("out.pdf"));
  EXPECT_EQ(Pdf.find("/SMask"), std::string::npos) << "nothing on the page is see-through";

  // Rendered at 300 dots per inch, the fill covers the page inside 100 dots on every side.
  ASSERT_EQ(
      Run("pdftoppm -r 300 -singlefile " + Quote(Path("out.pdf")) + " " + Quote(Path("page"))), 0);
  std::ifstream In(Path("page.ppm"), std::ios::binary);
  std::string Magic;
  int W = 0, H = 0, Max = 0;
  In >> Magic >> W >> H >> Max;
  In.get();
  std::vector<unsigned char> Px(size_t(W) * size_t(H) * 3);
  In.read(reinterpret_cast<char*>(Px.data()), std::streamsize(Px.size()));
  ASSERT_EQ(Magic, "P6");
  auto Grey = [&](double Fx, double Fy) {
    const size_t X = size_t(Fx * W), Y = size_t(Fy * H);
    return int(Px[(Y * size_t(W) + X) * 3 + 1]);
  };
  EXPECT_EQ(Grey(0.3, 0.5), 255) << "the transparent half is the paper";
  EXPECT_NEAR(Grey(0.7, 0.5), (0x20 * 128 + 255 * 127) / 255, 2) << "half-covered grey on white";
}

TEST_F(TPrintCli, BadValuesWriteNothing) {
  struct TCase {
    std::vector<std::string> Options;
  };
  const TCase Cases[] = {{{"paper=A3"}},
                         {{"orientation=upside"}},
                         {{"place=centre"}},
                         {{"width=0"}},
                         {{"width=-3"}},
                         {{"width=abc"}},
                         {{"height=1e9"}},
                         {{"unit=mm"}},
                         {{"colour=red"}},
                         {{"nokey"}},
                         {{"place=fit", "width=5"}},
                         {{"width=5", "width=6"}},
                         {{"paper=A5", "paper=A4"}},
                         {{"width=0x10"}},
                         {{"width=inf"}},
                         {{"width= 5"}},
                         {{"width=0.0001"}},
                         {{"height=0.09"}},
                         {{"width=0.03", "unit=in"}},
                         {{"height=0.039", "unit=in"}}};
  for (const TCase& C : Cases) {
    std::string Err;
    EXPECT_EQ(Print(C.Options, &Err), 1) << C.Options[0];
    EXPECT_FALSE(fs::exists(Path("out.pdf"))) << C.Options[0];
    EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
  }
  // A millimetre is the least size printed, in either unit.
  for (const std::vector<std::string>& Least :
       {std::vector<std::string>{"width=0.1"},
        std::vector<std::string>{"height=0.04", "unit=in"}}) {
    std::string Err;
    EXPECT_EQ(Print(Least, &Err), 0) << Err;
    EXPECT_TRUE(fs::exists(Path("out.pdf"))) << Least[0];
    fs::remove(Path("out.pdf"));
  }
  std::string Err;
  EXPECT_EQ(
      Run(Quote(PELMORA_CLI) + " print " + Quote(Path("card.png")) + " " + Quote(Path("out.png")),
          &Err),
      1);
  EXPECT_EQ(Run(Quote(PELMORA_CLI) + " print " + Quote(Path("missing.png")) + " " +
                    Quote(Path("out.pdf")),
                &Err),
            1);
  EXPECT_FALSE(fs::exists(Path("out.pdf")));
}

}  // namespace
