#include "image_size.h"

#include <gtest/gtest.h>

#include <cstring>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "transfers.h"

namespace {

TEST(ImageSizeModel, OpensOnTheCanvasSizeAndFollowsEdits) {
  TImageSizeModel M;
  EXPECT_EQ(M.Ratio(), 0);
  M.Open(800, 600);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{800, 600, 1875}));
  EXPECT_DOUBLE_EQ(M.Ratio(), 800.0 / 600.0);

  M.WidthChanged(400, true);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{400, 300, 469}));  // 468.75 rounded
  M.HeightChanged(150, true);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{200, 150, 117}));  // 117.1875
  // Without proportions only the size follows.
  M.WidthChanged(300, false);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{300, 150, 176}));
  M.HeightChanged(100, false);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{300, 100, 117}));
}

TEST(ImageSizeModel, TypedSizeScalesTheCanvasWhateverTheProportions) {
  TImageSizeModel M;
  M.Open(800, 600);
  M.KilobytesChanged(469);  // x = sqrt(1875 / 469)
  EXPECT_EQ(M.Fields(), (TImageSizeFields{400, 300, 469}));
  M.KilobytesChanged(7500);  // x = 0.5
  EXPECT_EQ(M.Fields(), (TImageSizeFields{1600, 1200, 7500}));
}

TEST(ImageSizeModel, RoundsTiesToEvenAndKeepsSidesInRange) {
  // 2 x 1: 0.0078125 kB rounds to 0; 96 x 2 = 0.75 -> 1; 64 x 2 = 0.5 -> 0; 192 x 2 = 1.5 -> 2.
  EXPECT_EQ(ImageKilobytes(2, 1), 0);
  EXPECT_EQ(ImageKilobytes(96, 2), 1);
  EXPECT_EQ(ImageKilobytes(64, 2), 0);
  EXPECT_EQ(ImageKilobytes(192, 2), 2);
  EXPECT_EQ(ImageKilobytes(10000, 10000), 390625);

  TImageSizeModel M;
  M.Open(3000, 10);  // r = 300
  M.WidthChanged(100, true);
  EXPECT_EQ(M.Fields().Height, 1);  // 0.33 is kept at the smallest height
  M.HeightChanged(50, true);
  EXPECT_EQ(M.Fields().Width, 10000);  // 15000 is kept at the largest width
  M.KilobytesChanged(32000);
  EXPECT_EQ(M.Fields().Width, 10000);
  EXPECT_EQ(M.Fields().Height, 165);  // 10 / sqrt(117.1875 / 32000) = 165.25
}

TEST(ImageSizeModel, RatioComesFromTheLastNonEmptyCanvas) {
  TImageSizeModel M;
  M.Open(200, 100);
  M.Open(0, 0);
  EXPECT_DOUBLE_EQ(M.Ratio(), 2.0);
  EXPECT_EQ(M.Fields(), (TImageSizeFields{0, 0, 0}));
  M.KilobytesChanged(10);  // nothing to scale
  EXPECT_EQ(M.Fields(), (TImageSizeFields{0, 0, 10}));
  M.Open(300, 100);
  EXPECT_DOUBLE_EQ(M.Ratio(), 3.0);
}

TEST(ImageSize, MethodsPickTheirFilters) {
  EXPECT_EQ(ResampleFilter(rmNearest), sfNearest);
  EXPECT_EQ(ResampleFilter(rmBilinear), sfLinear2);
  EXPECT_EQ(ResampleFilter(rmSpline), sfSpline);
}

struct TLocationCase {
  TSingleRect Before;
  long double Kx, Ky;
  TSingleRect After;
};

TEST(ImageSize, LocationsAreDividedAndRoundedKeepingOnePixel) {
  const TLocationCase Cases[] = {
      {{100, 50, 300, 250}, 2, 2, {50, 25, 150, 125}},
      {{100, 50, 300, 250}, 0.5L, 0.5L, {200, 100, 600, 500}},
      {{1, 3, 5, 7}, 2, 2, {0, 2, 2, 4}},            // 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 3.5 -> 4
      {{10, 10, 12, 11}, 8, 8, {1, 1, 2, 2}},        // would shrink to nothing: one pixel kept
      {{-30, 20, -25, 21}, 100, 100, {0, 0, 1, 1}},  // -0.3 -> 0 (negative zero), 0.2 -> 0
      {{50, 50, 40, 40}, 100, 100, {0, 0, 0, 0}},    // a reversed location is only scaled
  };
  for (const TLocationCase& C : Cases) {
    const TSingleRect R = ScaleLocation(C.Before, C.Kx, C.Ky);
    EXPECT_EQ(R.Left, C.After.Left);
    EXPECT_EQ(R.Top, C.After.Top);
    EXPECT_EQ(R.Right, C.After.Right);
    EXPECT_EQ(R.Bottom, C.After.Bottom);
  }
}

TEST(ImageSize, EveryPositionedLayerMoves) {
  TLayerCollection Layers;
  auto* A = Layers.Add<TBitmapLayer>();
  A->SetLocation({100, 50, 300, 250});
  auto* B = Layers.Add<TPositionedLayer>();
  B->SetLocation({0, 0, 3, 3});
  ScaleLayerLocations(Layers, 2, 4);
  EXPECT_EQ(A->Location().Left, 50);
  EXPECT_EQ(A->Location().Bottom, 62);  // 62.5 -> 62
  EXPECT_EQ(B->Location().Right, 2);    // 1.5 -> 2
  EXPECT_EQ(B->Location().Bottom, 1);   // 0.75 -> 1
}

// A picture with structure in every channel, alpha included.
void FillPattern(TBitmap32& B, int32_t W, int32_t H) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X)
      B.SetPixel(X, Y,
                 TColor32(((X * 7 + Y) & 255) << 24 | ((X * 3) & 255) << 16 | ((Y * 5) & 255) << 8 |
                          ((X ^ Y) & 255)));
}

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), sizeof(TColor32) * size_t(A.Width()) * A.Height()) == 0;
}

struct TResampleCase {
  int32_t W, H, NW, NH;
  TStretchFilter Filter;
  TDrawMode Mode;
};

// The canvas is resampled as one StretchTransfer of the whole of it into a fresh bitmap does
// it, and keeps its draw properties.
TEST(ImageSize, ResampledCanvasEqualsOneStretchTransfer) {
  const TResampleCase Cases[] = {
      {301, 211, 150, 105, sfNearest, dmOpaque}, {301, 211, 602, 422, sfNearest, dmOpaque},
      {301, 211, 150, 105, sfLinear2, dmOpaque}, {301, 211, 613, 397, sfLinear2, dmOpaque},
      {301, 211, 150, 105, sfSpline, dmOpaque},  {301, 211, 602, 422, sfSpline, dmOpaque},
      {301, 211, 177, 450, sfSpline, dmBlend},   {301, 211, 150, 105, sfNearest, dmBlend},
      {64, 1, 1000, 3, sfLinear2, dmOpaque},     {1, 1, 5, 7, sfSpline, dmOpaque},
      {512, 400, 1030, 1, sfLinear2, dmOpaque},  {300, 200, 300, 200, sfSpline, dmOpaque},
  };
  for (const TResampleCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.W << "x" << C.H << " -> " << C.NW << "x" << C.NH
                                    << " filter " << int(C.Filter) << " mode " << int(C.Mode));
    TBitmap32 Canvas;
    FillPattern(Canvas, C.W, C.H);
    Canvas.SetDrawMode(C.Mode);
    Canvas.SetMasterAlpha(200);
    TBitmap32 Expected;
    Expected.SetSize(C.NW, C.NH);
    StretchTransfer(&Expected, Expected.BoundsRect(), &Canvas, Canvas.BoundsRect(), C.Filter,
                    C.Mode);
    ResampleCanvas(Canvas, C.NW, C.NH, C.Filter);
    EXPECT_TRUE(SamePixels(Canvas, Expected));
    EXPECT_EQ(Canvas.StretchFilter(), C.Filter);
    EXPECT_EQ(Canvas.DrawMode(), C.Mode);
    EXPECT_EQ(Canvas.MasterAlpha(), 200u);
  }
}

TEST(ImageSize, ReductionTooStrongForTheKernelIsAveragedFirst) {
  // 1000 : 2 is past what the kernel's weights carry; the card still shrinks, and a plain
  // colour stays that colour (within the kernel's rounding).
  for (const TStretchFilter Filter : {sfLinear2, sfSpline}) {
    TBitmap32 Canvas;
    Canvas.SetSize(1000, 3);
    Canvas.Clear(0xFF3366CC);
    ResampleCanvas(Canvas, 2, 3, Filter);
    ASSERT_EQ(Canvas.Width(), 2);
    ASSERT_EQ(Canvas.Height(), 3);
    for (int Y = 0; Y < 3; ++Y)
      for (int X = 0; X < 2; ++X)
        for (int Shift = 0; Shift < 32; Shift += 8)
          EXPECT_NEAR(int(Canvas.GetPixel(X, Y) >> Shift & 0xFF), int(0xFF3366CCu >> Shift & 0xFF),
                      2)
              << X << "," << Y;
  }
  TBitmap32 Photo;
  FillPattern(Photo, 3000, 2000);
  ResampleCanvas(Photo, 5, 3, sfLinear2);
  EXPECT_EQ(Photo.Width(), 5);
  EXPECT_EQ(Photo.Height(), 3);
}

}  // namespace
