#include "sharpen_blur.h"

#include <gtest/gtest.h>

#include "effect_error.h"
#include "effects_test_support.h"

namespace {

// The formulas as written, one pixel and one channel at a time.
RgbImage SharpenReference(const RgbImage& S, double A) {
  const TSharpenWeights Wt = SharpenWeights(A);
  RgbImage D = S;
  for (int32_t Y = 1; Y < S.Height() - 1; ++Y)
    for (int32_t X = 1; X < S.Width() - 1; ++X)
      for (int K = 0; K < 3; ++K) {
        const uint32_t C = S.Pixel(X, Y)[K];
        const uint32_t Sum = S.Pixel(X, Y - 1)[K] + S.Pixel(X - 1, Y)[K] + C +
                             S.Pixel(X + 1, Y)[K] + S.Pixel(X, Y + 1)[K];
        const int V = int((C * Wt.C + 32767) >> 16) - int((Sum * Wt.N + 32767) >> 16);
        D.Pixel(X, Y)[K] = uint8_t(V < 0 ? 0 : V > 255 ? 255 : V);
      }
  return D;
}

void BlurReference(RgbImage& Img, int32_t D) {
  if (D == 0)
    return;
  const int32_t W = Img.Width(), H = Img.Height();
  for (int32_t Y = 0; Y < H; ++Y) {
    const int32_t R1 = Y - D < 0 ? Y : Y - D;
    int32_t R2 = Y + D >= H ? H - Y : Y + D;
    if (R2 > H - 1)
      R2 = H - 1;
    for (int32_t X = 0; X < W; ++X) {
      const int32_t C1 = X - D < 0 ? X : X - D;
      int32_t C2 = X + D >= W ? W - X : X + D;
      if (C2 > W - 1)
        C2 = W - 1;
      for (int K = 0; K < 3; ++K)
        Img.Pixel(X, Y)[K] = uint8_t((Img.Pixel(C1, R1)[K] + Img.Pixel(C1, R2)[K] +
                                      Img.Pixel(C2, R1)[K] + Img.Pixel(C2, R2)[K]) >>
                                     2);
    }
  }
}

}  // namespace

TEST(SharpenFivePoint, Weights) {
  struct Case {
    double A;
    uint32_t N, C;
  };
  for (const Case& C : {Case{2, 13107, 131072}, Case{3, 26214, 196608}, Case{4, 39322, 262144},
                        Case{5, 52429, 327680}}) {
    const TSharpenWeights W = SharpenWeights(C.A);
    EXPECT_EQ(W.N, C.N) << C.A;
    EXPECT_EQ(W.C, C.C) << C.A;
  }
}

TEST(SharpenFivePoint, WhiteDotOnBlackAndFlatGrey) {
  std::vector<uint8_t> V(25, 0);
  V[12] = 255;
  const RgbImage Dot = MakeGrey(5, 5, V);
  RgbImage Out;
  SharpenFivePoint(Dot, Out, 5);
  EXPECT_EQ(PixelAt(Out, 2, 2).G, 255);
  for (auto [X, Y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}}) EXPECT_EQ(PixelAt(Out, X, Y).G, 0);

  const RgbImage Flat = MakeGrey(6, 4, std::vector<uint8_t>(24, 173));
  for (double A : {2.0, 3.0, 4.0, 5.0}) {
    SharpenFivePoint(Flat, Out, A);
    EXPECT_TRUE(SameImage(Out, Flat)) << A;
  }
}

TEST(SharpenFivePoint, OnlyTheCentreOfThreeByThreeAndTheErrors) {
  const RgbImage Src = NoiseImage(3, 3, 7);
  RgbImage Out;
  SharpenFivePoint(Src, Out, 4);
  for (int32_t Y = 0; Y < 3; ++Y)
    for (int32_t X = 0; X < 3; ++X)
      if (X != 1 || Y != 1) {
        EXPECT_EQ(PixelAt(Out, X, Y), PixelAt(Src, X, Y));
      }
  EXPECT_TRUE(SameImage(Out, SharpenReference(Src, 4)));

  RgbImage Untouched = MakeGrey(1, 1, {9});
  const auto Message = [&](const RgbImage& S, double A) {
    try {
      SharpenFivePoint(S, Untouched, A);
    } catch (const EEffectError& E) {
      return std::string(E.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(Message(NoiseImage(2, 5, 1), 3), "Bitmap must be at least 3x3");
  EXPECT_EQ(Message(NoiseImage(5, 2, 1), 3), "Bitmap must be at least 3x3");
  EXPECT_EQ(Message(NoiseImage(5, 5, 1), 1), "Alpha must be >1 and <6");
  EXPECT_EQ(Message(NoiseImage(5, 5, 1), 6), "Alpha must be >1 and <6");
  EXPECT_EQ(Untouched.Width(), 1);
  EXPECT_EQ(PixelAt(Untouched, 0, 0).B, 9);
}

TEST(SharpenFivePoint, EqualsTheFormulaAtEverySize) {
  for (const TSize2 Sz : TestSizes()) {
    if (Sz.W < 3 || Sz.H < 3)
      continue;
    const RgbImage Src = NoiseImage(Sz.W, Sz.H, uint32_t(Sz.W));
    for (double A : {2.0, 5.0, 1.5}) {
      RgbImage Got;
      SharpenFivePoint(Src, Got, A);
      const RgbImage Want = SharpenReference(Src, A);
      EXPECT_TRUE(SameImage(Got, Want))
          << Sz.W << "x" << Sz.H << " " << A << " " << FirstDifference(Got, Want);
    }
  }
}

TEST(DiagonalAverageBlur, FourByFourDistanceOne) {
  std::vector<uint8_t> V(16);
  for (int I = 0; I < 16; ++I) V[size_t(I)] = uint8_t(I * 16);
  RgbImage Img = MakeGrey(4, 4, V);
  DiagonalAverageBlur(Img, 1);
  // (0, 0): rows 0 and 1, columns 0 and 1 -> (0 + 16 + 64 + 80) / 4
  EXPECT_EQ(PixelAt(Img, 0, 0).R, 40);
  RgbImage Ref = MakeGrey(4, 4, V);
  BlurReference(Ref, 1);
  EXPECT_TRUE(SameImage(Img, Ref)) << FirstDifference(Img, Ref);
  // (3, 3) samples rows 2 and 1 (H - y) and columns 2 and 1, all already blurred.
  const int Want =
      (PixelAt(Ref, 2, 2).R + PixelAt(Ref, 2, 1).R + PixelAt(Ref, 1, 2).R + PixelAt(Ref, 1, 1).R) >>
      2;
  EXPECT_EQ(PixelAt(Img, 3, 3).R, Want);
}

TEST(DiagonalAverageBlur, EqualsTheSequentialFormula) {
  for (const TSize2 Sz : TestSizes())
    for (int32_t D : {0, 1, 2, 3, 5, 17, 100, 300}) {
      RgbImage Got = NoiseImage(Sz.W, Sz.H, uint32_t(D));
      RgbImage Want = Got;
      DiagonalAverageBlur(Got, D);
      BlurReference(Want, D);
      EXPECT_TRUE(SameImage(Got, Want))
          << Sz.W << "x" << Sz.H << " d " << D << " " << FirstDifference(Got, Want);
    }
}
