#include "color_effects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effects_test_support.h"
#include "next_random.h"

TEST(WeightedGrey, WorkedExamples) {
  RgbImage Img = MakeImage(4, 1, {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}, {0, 255, 0}});
  WeightedGrey(Img);
  EXPECT_EQ(PixelAt(Img, 0, 0), (TBgr{76, 76, 76}));  // blue: 76.5 rounds to even
  EXPECT_EQ(PixelAt(Img, 1, 0), (TBgr{28, 28, 28}));  // red: 28.05
  EXPECT_EQ(PixelAt(Img, 2, 0), (TBgr{255, 255, 255}));
  EXPECT_EQ(PixelAt(Img, 3, 0), (TBgr{150, 150, 150}));  // green: 150.45
}

// The integer form with the extended fallback at halves against the extended formula itself.
TEST(WeightedGrey, EqualsTheExtendedFormulaForEveryColour) {
  RgbImage Img(256 * 256, 1);
  int Mismatches = 0;
  for (int R = 0; R < 256 && Mismatches < 5; ++R) {
    for (int G = 0; G < 256; ++G)
      for (int B = 0; B < 256; ++B) {
        uint8_t* P = Img.Pixel(G * 256 + B, 0);
        P[0] = uint8_t(B), P[1] = uint8_t(G), P[2] = uint8_t(R);
      }
    WeightedGrey(Img);
    for (int G = 0; G < 256; ++G)
      for (int B = 0; B < 256; ++B) {
        // Every exact half (where the extended rounding errors decide) and a sample of the rest.
        if ((30 * B + 59 * G + 11 * R) % 100 != 50 && (B + G) % 7 != 0)
          continue;
        const uint8_t Want = WeightedGreyExtended(uint8_t(B), uint8_t(G), uint8_t(R));
        if (Img.Pixel(G * 256 + B, 0)[0] != Want && ++Mismatches < 5)
          ADD_FAILURE() << "b " << B << " g " << G << " r " << R;
      }
  }
  EXPECT_EQ(Mismatches, 0);
}

TEST(InvertChannels, EveryByte) {
  RgbImage Img = MakeImage(2, 1, {{0, 1, 255}, {128, 127, 200}});
  InvertChannels(Img);
  EXPECT_EQ(PixelAt(Img, 0, 0), (TBgr{255, 254, 0}));
  EXPECT_EQ(PixelAt(Img, 1, 0), (TBgr{127, 128, 55}));
}

TEST(QuantizeLevels, WorkedExamples) {
  struct Case {
    int32_t Level;
    uint8_t In, Want;
  };
  const Case Cases[] = {{2, 255, 255},  {2, 1, 0},       {2, 3, 4},       {100, 49, 0},
                        {100, 51, 100}, {100, 150, 200}, {100, 250, 200}, {100, 255, 255},
                        {1, 77, 77},    {3, 4, 3},       {3, 5, 6},       {0, 9, 9}};
  for (const Case& C : Cases) {
    const RgbImage Src = MakeGrey(1, 1, {C.In});
    RgbImage Dst;
    QuantizeLevels(Src, Dst, C.Level);
    EXPECT_EQ(PixelAt(Dst, 0, 0), (TBgr{C.Want, C.Want, C.Want}))
        << "level " << C.Level << " value " << int(C.In);
    EXPECT_EQ(PixelAt(Src, 0, 0).B, C.In);
  }
}

// The table against the formula in extended precision, every level and value.
TEST(QuantizeLevels, EqualsTheFormula) {
  RgbImage Src(256, 1);
  for (int V = 0; V < 256; ++V) std::memset(Src.Pixel(V, 0), V, 3);
  for (int Level = 1; Level <= 100; ++Level) {
    RgbImage Dst;
    QuantizeLevels(Src, Dst, Level);
    for (int V = 0; V < 256; ++V) {
      const long double Q = std::nearbyintl(static_cast<long double>(V) / Level) * Level;
      EXPECT_EQ(Dst.Pixel(V, 0)[1], uint8_t(Q > 255 ? 255 : Q)) << Level << " " << V;
    }
  }
}

TEST(TintByIntensity, ScalesTheColourByTheMeanOfTheChannels) {
  RgbImage Img = MakeImage(3, 1, {{255, 255, 255}, {0, 0, 0}, {0, 255, 0}});
  TintByIntensity(Img, 7847880);  // red 200, green 191, blue 119
  EXPECT_EQ(PixelAt(Img, 0, 0), (TBgr{119, 191, 200}));
  EXPECT_EQ(PixelAt(Img, 1, 0), (TBgr{0, 0, 0}));
  // k = 1/3: 39.67, 63.67, 66.67
  EXPECT_EQ(PixelAt(Img, 2, 0), (TBgr{40, 64, 67}));
}

namespace {

uint8_t ClampRef(int V) {
  return uint8_t(V < 0 ? 0 : V > 255 ? 255 : V);
}

}  // namespace

// The banded routines against one sequential pass of NextRandom, at sizes split between cores.
TEST(Noise, EqualsSequentialDrawsAndAdvancesTheGenerator) {
  for (const TSize2 Sz : TestSizes())
    for (uint32_t Range : {1u, 50u, 60u, 70u}) {
      const RgbImage Src = NoiseImage(Sz.W, Sz.H, Range);
      RgbImage Want = Src;
      uint32_t S = RandomState();
      for (size_t I = 0; I < Want.ByteCount(); ++I)
        Want.Bits()[I] = ClampRef(Want.Bits()[I] + int(DrawFrom(S, Range)) - int(Range / 2));
      RgbImage Got = Src;
      ChannelNoise(Got, Range);
      EXPECT_EQ(RandomState(), S);
      EXPECT_TRUE(SameImage(Got, Want)) << Sz.W << "x" << Sz.H << " " << FirstDifference(Got, Want);

      Want = Src;
      for (size_t I = 0; I < Want.ByteCount(); I += 3) {
        const int R = int(DrawFrom(S, Range)) - int(Range / 2);
        for (int K = 0; K < 3; ++K) Want.Bits()[I + K] = ClampRef(Want.Bits()[I + K] + R);
      }
      Got = Src;
      GreyNoise(Got, Range);
      EXPECT_EQ(RandomState(), S);
      EXPECT_TRUE(SameImage(Got, Want)) << Sz.W << "x" << Sz.H << " " << FirstDifference(Got, Want);
    }
}
