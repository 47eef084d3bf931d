#include "distortions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effects_test_support.h"
#include "named_effects.h"
#include "next_random.h"

namespace {

void Copy(uint8_t* D, const uint8_t* S) {
  std::memcpy(D, S, 3);
}

// The routines as the formulas state them, pixel by pixel.
void WaveReference(RgbImage& Img, int32_t A, int32_t I, int32_t Style) {
  const RgbImage Src = Img;
  const int32_t W = Img.Width(), H = Img.Height();
  const double F = static_cast<double>((3.14159265358979323846264338327950288L / 2) / A);
  for (int32_t Y = H - 1 - 2 * A; Y >= A; --Y) {
    int32_t B = 0;
    for (int32_t X = 0; X < W; ++X) {
      Copy(Img.Pixel(X, Y + A + B), Src.Pixel(X, Y));
      double S = 0;
      if (Style == 0)
        S = std::sin(X * F);
      else if (Style == 1)
        S = std::sin(X * F) * std::cos(X * F);
      else if (Style == 2)
        S = std::sin(X * F) * std::sin(I * F * X);
      else
        continue;
      B = int32_t(std::nearbyint(A * S));
    }
  }
}

void BlindsReference(RgbImage& Img, int32_t Step) {
  const int32_t H = Img.Height();
  const int32_t B = std::min(H / 2, Step);
  for (int32_t Y = H - 1 - B; Y >= 0; --Y) {
    uint8_t C = 0;
    for (int32_t X = 0; X < Img.Width(); ++X) {
      Copy(Img.Pixel(X, Y + C), Img.Pixel(X, Y));
      ++C;
      if (C > B)
        C = 0;
    }
  }
}

void EmbossReference(RgbImage& Img) {
  for (int32_t Y = 0; Y + 1 < Img.Height(); ++Y)
    for (int32_t X = 0; X + 3 < Img.Width(); ++X)
      for (int K = 0; K < 3; ++K)
        Img.Pixel(X, Y)[K] =
            uint8_t((Img.Pixel(X, Y)[K] + (255 - Img.Pixel(X + 3, Y + 1)[K])) >> 1);
}

void MosaicReference(RgbImage& Img, int32_t K) {
  if (K <= 1)
    return;
  const RgbImage Src = Img;
  for (int32_t Y = 0; Y < Img.Height(); ++Y)
    for (int32_t X = 0; X < Img.Width(); ++X)
      Copy(Img.Pixel(X, Y), Src.Pixel(X / K * K, Y / K * K));
}

void DropReference(const RgbImage& S, RgbImage& D, int32_t T, double Scale) {
  D = S;
  const long double Sc = Scale;
  for (int32_t Y = 0; Y < S.Height(); ++Y) {
    const long double YY = cosl((long double)(Y % T) / Sc) * Sc;
    for (int32_t X = 0; X < S.Width(); ++X) {
      const long double XX = sinl((long double)(X % T) / Sc) * (-Sc);
      const long double Xm = nearbyintl(fabsl(X + XX - YY));
      const long double Ym = nearbyintl(fabsl(Y + YY - XX));
      if (Ym < S.Height() && Xm < S.Width())
        Copy(D.Pixel(int32_t(Xm), int32_t(Ym)), S.Pixel(X, Y));
    }
  }
}

}  // namespace

TEST(WaveShift, EqualsTheRowByRowFormula) {
  for (const TSize2 Sz : TestSizes())
    for (int32_t A : {1, 2, 7, 27})
      for (int32_t Style : {0, 1, 2, 3}) {
        RgbImage Got = NoiseImage(Sz.W, Sz.H, uint32_t(A + Style));
        RgbImage Want = Got;
        WaveShift(Got, A, 5, Style);
        WaveReference(Want, A, 5, Style);
        EXPECT_TRUE(SameImage(Got, Want)) << Sz.W << "x" << Sz.H << " A " << A << " style " << Style
                                          << " " << FirstDifference(Got, Want);
      }
}

TEST(WaveShift, AmplitudeTooLargeForTheHeightChangesNothing) {
  const RgbImage Src = NoiseImage(40, 60, 3);
  RgbImage Img = Src;
  WaveShift(Img, 27, 20, 1);
  EXPECT_TRUE(SameImage(Img, Src));
}

TEST(SawtoothBlinds, WideBlindsOnSevenHundredByFourHundred) {
  const RgbImage Src = SmoothImage(700, 400);
  RgbImage Img = Src;
  EXPECT_EQ(RoundedQuotient(700, 7), 100);
  SawtoothBlinds(Img, 100);
  EXPECT_EQ(PixelAt(Img, 150, 59), PixelAt(Src, 150, 10));  // 150 mod 101 = 49
  EXPECT_EQ(PixelAt(Img, 150, 48), PixelAt(Src, 150, 48));  // above the shift: kept
  RgbImage Want = Src;
  BlindsReference(Want, 100);
  EXPECT_TRUE(SameImage(Img, Want)) << FirstDifference(Img, Want);
}

TEST(SawtoothBlinds, EqualsTheFormulaIncludingTheEightBitCounter) {
  for (const TSize2 Sz : TestSizes())
    for (int32_t Step : {0, 1, 3, 58, 254, 255, 300}) {
      RgbImage Got = NoiseImage(Sz.W, Sz.H, uint32_t(Step));
      RgbImage Want = Got;
      SawtoothBlinds(Got, Step);
      BlindsReference(Want, Step);
      EXPECT_TRUE(SameImage(Got, Want))
          << Sz.W << "x" << Sz.H << " step " << Step << " " << FirstDifference(Got, Want);
    }
  // A counter of 8 bits: b = 300 shifts column 256 by 0 and column 300 by 44.
  RgbImage Tall = NoiseImage(301, 700, 5);
  RgbImage Want = Tall;
  SawtoothBlinds(Tall, 300);
  BlindsReference(Want, 300);
  EXPECT_TRUE(SameImage(Tall, Want)) << FirstDifference(Tall, Want);
}

TEST(DiagonalEmboss, FlatImageAndFormula) {
  RgbImage Flat = MakeGrey(6, 3, std::vector<uint8_t>(18, 90));
  DiagonalEmboss(Flat);
  for (int32_t Y = 0; Y < 3; ++Y)
    for (int32_t X = 0; X < 6; ++X)
      EXPECT_EQ(PixelAt(Flat, X, Y).B, (Y < 2 && X < 3) ? 127 : 90) << X << "," << Y;
  for (const TSize2 Sz : TestSizes()) {
    RgbImage Got = NoiseImage(Sz.W, Sz.H, 11);
    RgbImage Want = Got;
    DiagonalEmboss(Got);
    EmbossReference(Want);
    EXPECT_TRUE(SameImage(Got, Want)) << Sz.W << "x" << Sz.H << " " << FirstDifference(Got, Want);
  }
}

TEST(BlockMosaic, BlocksAndKeys) {
  for (const TSize2 Sz : TestSizes())
    for (int32_t K : {0, 1, 2, 3, 5, 64}) {
      RgbImage Got = NoiseImage(Sz.W, Sz.H, uint32_t(K));
      RgbImage Want = Got;
      BlockMosaic(Got, K);
      MosaicReference(Want, K);
      EXPECT_TRUE(SameImage(Got, Want)) << Sz.W << "x" << Sz.H << " block " << K;
    }
  // "mosa": width / 100 rounded to even.
  EXPECT_EQ(RoundedQuotient(49, 100), 0);
  EXPECT_EQ(RoundedQuotient(150, 100), 2);
  EXPECT_EQ(RoundedQuotient(250, 100), 2);
  EXPECT_EQ(RoundedQuotient(350, 100), 4);
}

TEST(DropDisplace, StartValuesMoveTheCornerAndMatchTheFormula) {
  const RgbImage Src = NoiseImage(60, 50, 2);
  RgbImage Dst;
  DropDisplace(Src, Dst, 210, 10);
  RgbImage Want;
  DropReference(Src, Want, 210, 10);
  EXPECT_TRUE(SameImage(Dst, Want)) << FirstDifference(Dst, Want);
  // (0, 0) goes to (10, 10) unless a later source pixel lands there too.
  bool Overwritten = false;
  for (int32_t Y = 0; Y < 50 && !Overwritten; ++Y)
    for (int32_t X = 0; X < 60; ++X) {
      if (X == 0 && Y == 0)
        continue;
      const long double YY = cosl((long double)Y / 10) * 10, XX = sinl((long double)X / 10) * -10;
      if (nearbyintl(fabsl(X + XX - YY)) == 10 && nearbyintl(fabsl(Y + YY - XX)) == 10)
        Overwritten = true;
    }
  if (!Overwritten) {
    EXPECT_EQ(PixelAt(Dst, 10, 10), PixelAt(Src, 0, 0));
  }
  for (const TSize2 Sz : TestSizes())
    for (auto [T, S] : {std::pair{210, 10.0}, {1, 1.0}, {7, 3.0}, {300, 50.0}}) {
      const RgbImage From = NoiseImage(Sz.W, Sz.H, uint32_t(T));
      RgbImage Got, Ref;
      DropDisplace(From, Got, T, S);
      DropReference(From, Ref, T, S);
      EXPECT_TRUE(SameImage(Got, Ref))
          << Sz.W << "x" << Sz.H << " t " << T << " s " << S << " " << FirstDifference(Got, Ref);
    }
}

TEST(ScatterPixels, EqualsSequentialDrawsInColumnOrder) {
  for (const TSize2 Sz : TestSizes())
    for (uint32_t N : {1u, 7u, 100u}) {
      RgbImage Got = NoiseImage(Sz.W, Sz.H, N);
      RgbImage Want = Got;
      uint32_t S = RandomState();
      for (int32_t X = 0; X < Want.Width(); ++X)
        for (int32_t Y = 0; Y < Want.Height(); ++Y) {
          const uint32_t R = DrawFrom(S, N), Dx = DrawFrom(S, 2 * R), Dy = DrawFrom(S, 2 * R);
          const int64_t Sx = int64_t(X) + R - Dx, Sy = int64_t(Y) + R - Dy;
          if (Sx >= 0 && Sx < Want.Width() && Sy >= 0 && Sy < Want.Height())
            Copy(Want.Pixel(X, Y), Want.Pixel(int32_t(Sx), int32_t(Sy)));
        }
      const RgbImage Before = Got;
      ScatterPixels(Got, N);
      EXPECT_EQ(RandomState(), S);
      EXPECT_TRUE(SameImage(Got, Want))
          << Sz.W << "x" << Sz.H << " n " << N << " " << FirstDifference(Got, Want);
      if (N == 1) {
        EXPECT_TRUE(SameImage(Got, Before));
      }
    }
}
