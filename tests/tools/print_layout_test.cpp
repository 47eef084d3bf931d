#include "print_layout.h"

#include <gtest/gtest.h>

#include "bitmap32.h"
#include "print_job.h"

namespace {

// The resolution at which one centimetre is 226.67 device pixels and one inch 575.74.
constexpr double FineDpi = 575.74;

TEST(PrintLayout, PreviewScaleFitsThePageWithABorder) {
  const double S = FitPageScale(4960, 7016, 321, 361);
  EXPECT_NEAR(S, 361.0 / 7016 / 1.2, 1e-12);
  EXPECT_EQ(ScaleText(S), "4%");
  EXPECT_NEAR(FitPageScale(7016, 4960, 321, 361), 321.0 / 7016 / 1.2, 1e-12) << "landscape";
}

TEST(PrintLayout, SizesInCentimetresAndInchesFollowTheResolution) {
  const TSingleRect Card = PlaceCard(TPrintPlace::Original, 4960, 7016, 1000, 700, 2480, 3508);
  EXPECT_FLOAT_EQ(Card.Right - Card.Left, 1000);
  EXPECT_NEAR(PrintedWidth(Card, PixelsPerUnit(TPrintUnit::Cm, FineDpi)), 4.41, 0.005);
  EXPECT_NEAR(PrintedWidth(Card, PixelsPerUnit(TPrintUnit::Inch, FineDpi)), 1.74, 0.005);
  // The same card on a 300 dpi printer is larger on paper: its pixels are bigger dots.
  EXPECT_NEAR(PrintedWidth(Card, PixelsPerUnit(TPrintUnit::Cm, 300)), 8.4667, 1e-4);

  // 10 cm typed for an 800 x 600 card with proportions kept: 7.5 cm high.
  EXPECT_DOUBLE_EQ(HeightForWidth(10, 800, 600), 7.5);
  EXPECT_DOUBLE_EQ(WidthForHeight(7.5, 800, 600), 10);
  const double Ppu = PixelsPerUnit(TPrintUnit::Cm, FineDpi);
  const TSingleRect Sized = SizedLocation({10, 20, 0, 0}, 10, 7.5, Ppu);
  EXPECT_NEAR(Sized.Right - Sized.Left, 2266.7, 0.05);
  EXPECT_NEAR(Sized.Bottom - Sized.Top, 1700.0, 0.05);
}

TEST(PrintLayout, ATypedSizeKeepsTheCardsCentre) {
  struct TCase {
    TSingleRect Old;
    double Width, Height;
  };
  const double Ppu = PixelsPerUnit(TPrintUnit::Cm, 300);
  for (const TCase& C : {TCase{{840, 874, 1640, 1474}, 19, 14.25},
                         TCase{{100, 100, 2380, 1648}, 5, 2.5}, TCase{{0, 0, 10, 10}, 0, 0}}) {
    const TSingleRect R = CentredSizedLocation(C.Old, C.Width, C.Height, Ppu);
    EXPECT_NEAR(R.Right - R.Left, C.Width * Ppu, 0.01) << C.Width;
    EXPECT_NEAR(R.Bottom - R.Top, C.Height * Ppu, 0.01) << C.Width;
    EXPECT_NEAR((R.Left + R.Right) / 2, (C.Old.Left + C.Old.Right) / 2, 0.01) << C.Width;
    EXPECT_NEAR((R.Top + R.Bottom) / 2, (C.Old.Top + C.Old.Bottom) / 2, 0.01) << C.Width;
  }
}

TEST(PrintLayout, AutomaticPlacements) {
  // Fill stretches into the margin; Fit keeps the proportions there and is centred.
  EXPECT_EQ(PlaceCard(TPrintPlace::Fill, 2480, 3508, 800, 600, 0, 0),
            (TSingleRect{100, 100, 2380, 3408}));
  const TSingleRect Wide = PlaceCard(TPrintPlace::Fit, 2480, 3508, 800, 600, 0, 0);
  EXPECT_FLOAT_EQ(Wide.Left, 100);
  EXPECT_FLOAT_EQ(Wide.Right, 2380);
  EXPECT_NEAR((Wide.Right - Wide.Left) / (Wide.Bottom - Wide.Top), 800.0 / 600, 1e-5);
  EXPECT_NEAR((Wide.Top + Wide.Bottom) / 2, 3508 / 2.0, 1e-3);
  const TSingleRect Tall = PlaceCard(TPrintPlace::Fit, 3508, 2480, 600, 800, 0, 0);
  EXPECT_FLOAT_EQ(Tall.Top, 100);
  EXPECT_FLOAT_EQ(Tall.Bottom, 2380);
  EXPECT_NEAR((Tall.Left + Tall.Right) / 2, 3508 / 2.0, 1e-3);
  EXPECT_EQ(PlaceCard(TPrintPlace::Custom, 100, 100, 10, 10, 0, 0), TSingleRect{});
}

TEST(PrintLayout, ScaleBoxTextAndWheel) {
  struct TCase {
    const char* Text;
    std::optional<double> Scale;
  };
  const TCase Cases[] = {{"250 %", 2.5},       {"250%", 2.5},          {" 1 ", 0.01},
                         {"2000", 20.0},       {"5000", std::nullopt}, {"", std::nullopt},
                         {"0", std::nullopt},  {"-5", std::nullopt},   {"abc", std::nullopt},
                         {"12x", std::nullopt}};
  for (const TCase& C : Cases) EXPECT_EQ(ParseScaleText(C.Text), C.Scale) << '"' << C.Text << '"';
  EXPECT_EQ(ScaleText(2.5), "250%");

  double S = 10;
  for (int I = 0; I < 11; ++I) S = WheelScale(S, true);
  EXPECT_DOUBLE_EQ(S, 20);
  EXPECT_DOUBLE_EQ(WheelScale(11, false), 10);
}

TEST(PrintLayout, ResizingWithTheFrame) {
  const TSingleRect Old{100, 100, 300, 200};  // centre (200, 150)
  // Ctrl on the right edge: the left edge mirrors it about the centre, height kept.
  EXPECT_EQ(ResizeCard(Old, {100, 100, 340, 200}, DragRight, true, false, 2),
            (TSingleRect{60, 100, 340, 200}));
  // Ctrl on a corner: both half-sizes; never below 2.
  EXPECT_EQ(ResizeCard(Old, {199, 149, 300, 200}, DragTopLeft, true, false, 2),
            (TSingleRect{198, 148, 202, 152}));
  // Proportions: the height follows the width.
  EXPECT_EQ(ResizeCard(Old, {100, 100, 400, 180}, DragBottomRight, false, true, 2),
            (TSingleRect{100, 100, 400, 250}));
  // Both: the proportional height stays centred too.
  EXPECT_EQ(ResizeCard(Old, {100, 100, 340, 230}, DragBottomRight, true, true, 2),
            (TSingleRect{60, 80, 340, 220}));
  // A move is left alone.
  EXPECT_EQ(ResizeCard(Old, {110, 110, 310, 210}, DragMove, true, true, 2),
            (TSingleRect{110, 110, 310, 210}));
}

TEST(PrintLayout, PrintRectangleRoundsToDevicePixels) {
  const TPrintRect R = PrintRectangle({10.5f, 11.5f, 110.4f, 61.6f});
  EXPECT_EQ(R.X, 10);  // ties to even
  EXPECT_EQ(R.Y, 12);
  EXPECT_EQ(R.Width, 100);
  EXPECT_EQ(R.Height, 50);
}

TEST(PrintJob, PlansTheCardAtItsPhysicalSize) {
  TPrintRequest R;
  R.Paper = *FindPaper("a4");
  R.Width = 10;
  const TPdfPlacement P = PlanPrint(800, 600, R);
  EXPECT_NEAR(P.PageWidth, 595.2756, 1e-3);
  EXPECT_NEAR(P.PageHeight, 841.8898, 1e-3);
  EXPECT_NEAR(P.Width, 100 / 25.4 * 72, 0.01);  // 10 cm
  EXPECT_NEAR(P.Height, 75 / 25.4 * 72, 0.01);  // 7.5 cm
  EXPECT_NEAR(P.Left + P.Width / 2, P.PageWidth / 2, 0.01);
  EXPECT_NEAR(P.Top + P.Height / 2, P.PageHeight / 2, 0.01);

  R.Width.reset();
  R.Height = 2;
  R.Unit = TPrintUnit::Inch;
  const TPdfPlacement Q = PlanPrint(800, 600, R);
  EXPECT_NEAR(Q.Height, 144, 0.01);
  EXPECT_NEAR(Q.Width, 192, 0.01);

  // At its own size a card pixel is one 300 dpi dot: 3508 pixels fill A4's width in landscape
  // height.
  TPrintRequest Own;
  Own.Landscape = true;
  const TPdfPlacement O = PlanPrint(3508, 2480, Own);
  EXPECT_NEAR(O.PageWidth, 841.8898, 1e-3);
  EXPECT_NEAR(O.Width, 3508 * 72 / 300.0, 1e-3);

  EXPECT_FALSE(FindPaper("A3"));
  R.Height = -1;
  EXPECT_ANY_THROW(PlanPrint(800, 600, R));
  EXPECT_ANY_THROW(PlanPrint(0, 600, Own));
}

TEST(PrintJob, PdfFileHasOnePageWithTheImageAndItsPlacement) {
  TBitmap32 Card;
  Card.SetSize(4, 2);
  Card.Clear(0xFFFF0000);
  Card.SetPixel(3, 1, 0x80000000);
  TPdfPlacement P;
  P.PageWidth = 200;
  P.PageHeight = 100;
  P.Left = 10;
  P.Top = 20;
  P.Width = 40;
  P.Height = 20;
  const std::vector<uint8_t> Pdf = BuildPdfPage(Card, P);
  const std::string Text(Pdf.begin(), Pdf.end());
  EXPECT_EQ(Text.rfind("%PDF-1.4", 0), 0u);
  EXPECT_NE(Text.find("/MediaBox [0 0 200 100]"), std::string::npos);
  EXPECT_NE(Text.find("q 40 0 0 20 10 60 cm /Im0 Do Q"), std::string::npos);
  EXPECT_NE(Text.find("/SMask 7 0 R"), std::string::npos) << "a translucent pixel";
  // The image's colours are declared sRGB, by the sRGB profile.
  EXPECT_NE(Text.find("/ColorSpace [/ICCBased 6 0 R]"), std::string::npos);
  EXPECT_NE(Text.find("/N 3 /Alternate /DeviceRGB"), std::string::npos);
  EXPECT_NE(Text.find("%%EOF"), std::string::npos);
  // Every object offset in the cross-reference table points at its object.
  const size_t Xref = std::stoul(Text.substr(Text.rfind("startxref") + 10));
  EXPECT_EQ(Text.compare(Xref, 4, "xref"), 0);
  for (int N = 1; N <= 7; ++N) {
    const size_t Entry = Text.find('\n', Text.find('\n', Xref) + 1) + 1 + size_t(N) * 20;
    const size_t Offset = std::stoul(Text.substr(Entry, 10));
    EXPECT_EQ(Text.compare(Offset, std::to_string(N).size() + 6, std::to_string(N) + " 0 obj"), 0)
        << N;
  }
  EXPECT_ANY_THROW(BuildPdfPage(TBitmap32(), P));
  P.Width = 0;
  EXPECT_ANY_THROW(BuildPdfPage(Card, P));
}

}  // namespace

namespace {

TEST(PrintJob, PaperShowsThroughTheCard) {
  struct TCase {
    TColor32 Card, Paper;
  };
  for (const TCase& C : {TCase{0xFF123456, 0xFF123456}, TCase{0x00123456, 0xFFFFFFFF},
                         TCase{0x00000000, 0xFFFFFFFF}, TCase{0x80FF0000, 0xFFFF7F7F},
                         TCase{0x40000000, 0xFFBFBFBF}, TCase{0x01FFFFFF, 0xFFFFFFFF}})
    EXPECT_EQ(OnPaper(C.Card), C.Paper) << std::hex << C.Card;
  TBitmap32 Card;
  Card.SetSize(3, 2);
  Card.Clear(0x80FF0000);
  Card.SetPixel(2, 1, 0xFF0000FF);
  PutOnPaper(Card);
  EXPECT_EQ(Card.GetPixel(0, 0), 0xFFFF7F7Fu);
  EXPECT_EQ(Card.GetPixel(2, 1), 0xFF0000FFu);
}

}  // namespace
