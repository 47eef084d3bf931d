#include "color32.h"

#include <gtest/gtest.h>

#include "geometry.h"

TEST(Color32, ConstructionAndChannels) {
  EXPECT_EQ(ColorFromRGBA(266, 0, 0, 255), 0xFF0A0000u);
  EXPECT_EQ(ColorFromRGBA(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(GrayColor(0x80, 0x40), 0x40808080u);
  EXPECT_EQ(GrayColor(0x180, 0x1FF), 0xFF808080u);
  const TColor32 C = 0x11223344;
  EXPECT_EQ(AlphaOf(C), 0x11);
  EXPECT_EQ(RedOf(C), 0x22);
  EXPECT_EQ(GreenOf(C), 0x33);
  EXPECT_EQ(BlueOf(C), 0x44);
  EXPECT_EQ(Intensity(0xFF808080), 128);
  EXPECT_EQ(Intensity(0xFFFFFFFF), 255);
  EXPECT_EQ(Intensity(0xFF000000), 0);
  EXPECT_EQ(AlphaOf(WithAlpha(C, 300)), 255);
  EXPECT_EQ(AlphaOf(WithAlpha(C, -1)), 0);
  EXPECT_EQ(WithAlpha(C, 0x80), 0x80223344u);
}

TEST(Color32, PlatformColours) {
  EXPECT_EQ(ColorFromSystem(0x000000FF), 0xFFFF0000u);
  EXPECT_EQ(ColorFromSystem(0x00FF0000), 0xFF0000FFu);
  EXPECT_EQ(ToSystemColor(0x80112233), 0x00332211);
  // A system colour identifier resolves through the table (window background: white).
  EXPECT_EQ(ColorFromSystem(SystemColorFlag | 5), 0xFFFFFFFFu);
}

TEST(Color32, IntegerHelpers) {
  EXPECT_EQ(Clamp255(-5), 0);
  EXPECT_EQ(Clamp255(300), 255);
  EXPECT_EQ(Clamp255(17), 17);
  EXPECT_EQ(Constrain(5, 10, 0), 10);  // Lo is tested first
  EXPECT_EQ(Constrain(-1, 0, 9), 0);
  EXPECT_EQ(Constrain(12, 0, 9), 9);

  struct Case {
    int32_t A, B, C, Want;
  };
  const Case Cases[] =
      {
          {5, 3, 2, 8},           {-5, 3, 2, -8}, {5, -3, -2, 8}, {7, 1, 0, -1},
          {1, 1, 3, 0},           {2, 1, 3, 1},   {-2, 1, 3, -1}, {65535, 99, 199, 32603},
          {0x7FFFFFFF, 4, 1, -1},  // the quotient does not fit in 32 bits
      };
  for (const Case& K : Cases)
    EXPECT_EQ(MulDivRound(K.A, K.B, K.C), K.Want) << K.A << " * " << K.B << " / " << K.C;

  int32_t A = 7, B = -3;
  EXPECT_TRUE(ClipRange(A, B, 5));
  EXPECT_EQ(A, 0);
  EXPECT_EQ(B, 4);
  A = 6;
  B = 9;
  EXPECT_FALSE(ClipRange(A, B, 5));

  TColor32 Words[4] = {1, 1, 1, 1};
  FillWords32(Words, 3, 9);
  EXPECT_EQ(Words[2], 9u);
  EXPECT_EQ(Words[3], 1u);
  FillWords32(Words, -1, 5);
  EXPECT_EQ(Words[0], 9u);
}

TEST(Color32, GammaTable) {
  EXPECT_EQ(GAMMA_TABLE[0], 0);
  EXPECT_EQ(GAMMA_TABLE[1], 5);
  EXPECT_EQ(GAMMA_TABLE[2], 9);
  EXPECT_EQ(GAMMA_TABLE[128], 157);
  EXPECT_EQ(GAMMA_TABLE[254], 254);
  EXPECT_EQ(GAMMA_TABLE[255], 255);
  SetGammaTable(1.0f);
  for (int I = 0; I < 256; ++I) EXPECT_EQ(GAMMA_TABLE[I], I);
  SetGammaTable(0.7f);
  EXPECT_EQ(GAMMA_TABLE[128], 157);
}

TEST(Geometry, RectHelpers) {
  TRect R;
  EXPECT_TRUE(IntersectRect(R, {0, 0, 10, 10}, {5, 5, 20, 20}));
  EXPECT_EQ(R, (TRect{5, 5, 10, 10}));
  EXPECT_TRUE(IntersectRect(R, {0, 0, 10, 10}, {10, 0, 20, 10}));  // zero width still true
  EXPECT_EQ(R, (TRect{10, 0, 10, 10}));
  EXPECT_FALSE(IntersectRect(R, {0, 0, 10, 10}, {11, 0, 20, 10}));
  EXPECT_EQ(R, (TRect{}));
  EXPECT_TRUE(IsRectEmpty(TRect{10, 0, 10, 10}));
  EXPECT_FALSE(IsRectEmpty(TRect{0, 0, 1, 1}));
  EXPECT_TRUE(PtInRect(TRect{0, 0, 2, 2}, TPoint{1, 1}));
  EXPECT_FALSE(PtInRect(TRect{0, 0, 2, 2}, TPoint{2, 1}));
  TRect O{1, 2, 3, 4};
  OffsetRect(O, 10, 20);
  EXPECT_EQ(O, (TRect{11, 22, 13, 24}));
}

TEST(Geometry, RectRoundingAndFix16) {
  const TSingleRect S{0.5f, 1.5f, 2.5f, 3.7f};
  EXPECT_EQ(RectFromSingle(S, rrClosest), (TRect{0, 2, 2, 4}));  // ties to even
  EXPECT_EQ(RectFromSingle(S, rrOutside), (TRect{0, 1, 3, 4}));
  EXPECT_EQ(RectFromSingle(S, rrInside), (TRect{1, 2, 2, 3}));
  EXPECT_EQ(RectFromSingle({1.2f, 1.2f, 1.8f, 1.8f}, rrInside), (TRect{2, 2, 2, 2}));
  EXPECT_EQ(Fix16(1.0), 65536);
  EXPECT_EQ(Fix16(-0.5), -32768);
  EXPECT_EQ(Fix16(0.5 / 65536), 0);  // tie to even
  EXPECT_EQ(Fix16(1.5 / 65536), 2);
}
