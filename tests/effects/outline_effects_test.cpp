#include "outline_effects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bitmap32.h"

namespace {

constexpr TColor32 Blue = 0xFF0055E3;
constexpr TColor32 White = 0xFFFFFFFF;
constexpr TColor32 Photo = 0xFF336699;

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * size_t(A.Height()) * 4) == 0;
}

TEST(Border, PlainBorderAroundACanvasPicture) {
  TBitmap32 Canvas;
  Canvas.SetSize(100, 80);
  Canvas.Clear(Photo);
  Canvas.SetPixel(0, 0, 0x80123456);  // the canvas is copied opaquely, alpha and all
  TBorderParams P;
  P.Width = 20;
  P.Contour = 3;
  P.BorderColour = Blue;
  P.ContourColour = White;
  AddBorder(Canvas, P);
  ASSERT_EQ(Canvas.Width(), 140);
  ASSERT_EQ(Canvas.Height(), 120);
  struct Case {
    int32_t X, Y;
    TColor32 Want;
  };
  const Case Cases[] = {
      {0, 0, Blue},         {16, 60, Blue},  {139, 119, Blue},  {122, 60, White},
      {17, 17, White},      {19, 60, White}, {120, 100, White}, {122, 102, White},
      {20, 20, 0x80123456}, {21, 20, Photo}, {119, 99, Photo},  {70, 16, Blue},
      {70, 17, White},      {70, 103, Blue}, {123, 60, Blue},   {16, 16, Blue},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(Canvas.GetPixel(C.X, C.Y), C.Want) << "at " << C.X << ", " << C.Y;
}

TEST(Border, LayerBlendsOntoTheContourAndKeepsItsProperties) {
  TBitmap32 Layer;
  Layer.SetSize(4, 3);
  Layer.Clear(Photo);
  Layer.SetPixel(1, 1, 0x00000000);  // a transparent hole shows the contour colour
  Layer.SetDrawMode(dmBlend);
  Layer.SetMasterAlpha(128);
  Layer.SetStretchFilter(sfLinear);
  TBorderParams P;
  P.Width = 2;
  P.Contour = 1;
  P.BorderColour = 0xFF00FF00;
  P.ContourColour = 0xFFFF0000;
  AddBorder(Layer, P);
  ASSERT_EQ(Layer.Width(), 8);
  ASSERT_EQ(Layer.Height(), 7);
  EXPECT_EQ(Layer.DrawMode(), dmBlend);
  EXPECT_EQ(Layer.MasterAlpha(), 128u);
  EXPECT_EQ(Layer.StretchFilter(), sfLinear);
  EXPECT_EQ(Layer.GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(Layer.GetPixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(Layer.GetPixel(3, 3), 0xFFFF0000u) << "the hole";
  // The layer's opacity is a display setting: the picture comes back at full strength.
  EXPECT_EQ(Layer.GetPixel(2, 2), Photo);
  EXPECT_EQ(Layer.GetPixel(5, 4), Photo);
  EXPECT_EQ(Layer.GetPixel(6, 5), 0xFFFF0000u);
}

TEST(Border, OrnamentIsTiledFromTheTopLeftCornerAndAMissingOneLeavesItTransparent) {
  TBitmap32 Tile;
  Tile.SetSize(3, 2);
  const TColor32 T[] = {1, 2, 3, 4, 5, 6};
  for (int I = 0; I < 6; ++I) Tile.Bits()[I] = 0xFF000000 | T[I];
  TBitmap32 Pic;
  Pic.SetSize(2, 2);
  Pic.Clear(Photo);
  TBorderParams P;
  P.Width = 3;
  P.Contour = 0;
  P.UseOrnament = true;
  P.Pattern = &Tile;
  AddBorder(Pic, P);
  ASSERT_EQ(Pic.Width(), 8);
  for (int32_t Y = 0; Y < 8; ++Y)
    for (int32_t X = 0; X < 8; ++X) {
      const bool Inside = X >= 3 && X < 5 && Y >= 3 && Y < 5;
      const TColor32 Want = Inside ? Photo : Tile.GetPixel(X % 3, Y % 2);
      ASSERT_EQ(Pic.GetPixel(X, Y), Want) << X << ", " << Y;
    }

  TBitmap32 Missing;
  Pic.SetSize(2, 2);
  Pic.Clear(Photo);
  P.Pattern = &Missing;
  P.Contour = 1;
  AddBorder(Pic, P);
  EXPECT_EQ(Pic.GetPixel(0, 0), 0u);
  EXPECT_EQ(Pic.GetPixel(7, 7), 0u);
  EXPECT_EQ(Pic.GetPixel(2, 2), P.ContourColour);
}

TEST(Border, ContourIsNarrowedToTheBorderWidthLessOne) {
  TBitmap32 Pic;
  Pic.SetSize(2, 2);
  Pic.Clear(Photo);
  TBorderParams P;
  P.Width = 2;
  P.Contour = 50;
  AddBorder(Pic, P);
  ASSERT_EQ(Pic.Width(), 6);
  EXPECT_EQ(Pic.GetPixel(0, 0), P.BorderColour);
  EXPECT_EQ(Pic.GetPixel(1, 1), P.ContourColour);
  EXPECT_EQ(Pic.GetPixel(5, 5), P.BorderColour);
}

TEST(Relief, RingAndFrameCountsRoundToEven) {
  struct Case {
    int32_t Percent, Width, Border, Rings, Frame;
  };
  const Case Cases[] = {
      {3, 500, 0, 15, 15}, {3, 250, 0, 8, 8},   {1, 50, 0, 0, 0},
      {3, 150, 0, 4, 4},   {3, 100, 100, 3, 6}, {39, 1000, 50, 390, 585},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(ReliefRings(C.Percent, C.Width), C.Rings) << C.Percent << "% of " << C.Width;
    EXPECT_EQ(ReliefFrameWidth(C.Percent, C.Width, C.Border), C.Frame)
        << C.Percent << "% of " << C.Width << " + " << C.Border << "%";
  }
}

// The rings drawn by hand with the given contrasts.
std::unique_ptr<TBitmap32> WithRings(const TBitmap32& Source,
                                     const std::vector<int32_t>& Contrasts) {
  auto Result = std::make_unique<TBitmap32>();
  TBitmap32& B = *Result;
  B.Assign(&Source);
  const int32_t W = B.Width(), H = B.Height();
  for (int32_t I = 0; I < int32_t(Contrasts.size()); ++I)
    B.RaiseRectSafe(I, I, W - I, H - I, Contrasts[size_t(I)]);
  // The rings touch the colours only.
  for (int32_t I = 0; I < W * H; ++I)
    B.Bits()[I] = (B.Bits()[I] & 0x00FFFFFF) | (Source.Bits()[I] & 0xFF000000);
  return Result;
}

TEST(Relief, RingsFallByTwoFromTheEdgeInwards) {
  TBitmap32 Pic;
  Pic.SetSize(500, 40);
  Pic.Clear(Photo);
  const auto Want = WithRings(Pic, {15, 13, 11, 9, 7, 5, 3, 1, -1, -3, -5, -7, -9, -11, -13});
  TReliefParams P;
  P.Percent = 3;
  ReliefContour(Pic, P);
  EXPECT_TRUE(SamePixels(Pic, *Want));
  EXPECT_NE(Pic.GetPixel(0, 20), Photo) << "the outer ring is lit";
  EXPECT_NE(Pic.GetPixel(14, 20), Photo) << "the inner ring is shaded";
  EXPECT_EQ(Pic.GetPixel(15, 20), Photo);
}

TEST(Relief, OuterFrameEnlargesThePictureBeforeTheRings) {
  TBitmap32 Pic;
  Pic.SetSize(100, 20);
  Pic.Clear(Photo);
  Pic.SetPixel(0, 0, 0x00000000);
  Pic.SetDrawMode(dmBlend);
  TReliefParams P;
  P.Percent = 3;
  P.Outer = true;
  P.BorderPercent = 100;
  P.FrameColour = 0xFFC0C0C0;
  TBitmap32 Framed;
  Framed.SetSize(112, 32);
  Framed.Clear(0xFFC0C0C0);
  Framed.FillRect(6, 6, 106, 26, Photo);
  Framed.SetPixel(6, 6, 0xFFC0C0C0);  // the transparent pixel shows the frame
  const auto Want = WithRings(Framed, {3, 1, -1});
  ReliefContour(Pic, P);
  EXPECT_TRUE(SamePixels(Pic, *Want));
  EXPECT_EQ(Pic.DrawMode(), dmBlend);
}

TEST(Button, DepthOpensAt4800OverTheWidthWithinOneToSixteen) {
  const std::pair<int32_t, int32_t> Cases[] = {{200, 16}, {300, 16}, {400, 12}, {500, 10},
                                               {640, 8},  {960, 5},  {4800, 1}, {10000, 1},
                                               {0, 16},   {1, 16}};
  for (const auto& [Width, Depth] : Cases) EXPECT_EQ(ButtonDepthFor(Width), Depth) << Width;
}

TEST(Button, RingContrastsWithAndWithoutTheInnerRelief) {
  TBitmap32 Pic;
  Pic.SetSize(200, 60);
  Pic.Clear(Photo);
  struct Case {
    bool Inner;
    std::vector<int32_t> Contrasts;
  };
  const Case Cases[] = {{false, {32, 24, 16, 8}}, {true, {32, 16, 0, -16}}};
  for (const Case& C : Cases) {
    TBitmap32 Got;
    Got.Assign(&Pic);
    TButtonParams P;
    P.Width = 2;
    P.Depth = 16;
    P.InnerRelief = C.Inner;
    ButtonBevel(Got, P);
    EXPECT_TRUE(SamePixels(Got, *WithRings(Pic, C.Contrasts))) << "inner " << C.Inner;
  }
  // Odd depths round half-way contrasts to even: n = 1, contrast round(1 * 5 / 2) = 2.
  TBitmap32 Small;
  Small.SetSize(50, 10);
  Small.Clear(Photo);
  TBitmap32 Got;
  Got.Assign(&Small);
  ButtonBevel(Got, {2, 5, false});
  EXPECT_TRUE(SamePixels(Got, *WithRings(Small, {2})));
}

TEST(OutlineEffects, BevelsKeepEveryPixelsAlpha) {
  TBitmap32 Pic;
  Pic.SetSize(40, 20);
  Pic.Clear(Photo);
  Pic.SetPixel(0, 5, 0x40336699);
  Pic.SetPixel(39, 19, 0x00000000);
  TBitmap32 Before;
  Before.Assign(&Pic);
  ButtonBevel(Pic, {9, 16, true});
  ReliefContour(Pic, {10, false, 0, 0});
  for (int32_t I = 0; I < 40 * 20; ++I)
    ASSERT_EQ(Pic.Bits()[I] >> 24, Before.Bits()[I] >> 24) << "pixel " << I;
  EXPECT_NE(Pic.GetPixel(0, 10), Photo) << "the colours did change";
}

TEST(OutlineEffects, EmptyBitmapsStayEmpty) {
  TBitmap32 Empty;
  AddBorder(Empty, {});
  ReliefContour(Empty, {});
  ButtonBevel(Empty, {});
  EXPECT_TRUE(Empty.IsEmpty());
}

}  // namespace
