#include "color_adjust.h"

#include <gtest/gtest.h>

#include "bitmap32.h"
#include "color32.h"

TEST(ColorAdjust, ChannelValues) {
  struct Case {
    const char* Name;
    uint8_t (*Fn)(int32_t, int32_t);
    int32_t Amount, In, Want;
  };
  const Case Cases[] = {
      {"brightness +200 of 100", BrightnessValue, 200, 100, 178},
      {"brightness +200 of 200 clamps", BrightnessValue, 200, 200, 255},
      {"brightness -200 of 100 truncates toward zero", BrightnessValue, -200, 100, 22},
      {"brightness -200 of 255", BrightnessValue, -200, 255, 55},
      {"contrast 90 keeps 127", ContrastValue, 90, 127, 127},
      {"contrast 90 of 200", ContrastValue, 90, 200, 225},
      {"contrast 90 of 27 clamps", ContrastValue, 90, 27, 0},
      {"contrast 90 of 120", ContrastValue, 90, 120, 118},
      {"contrast -200 of 0 moves toward 127", ContrastValue, -200, 0, 99},
      {"contrast -200 of 255", ContrastValue, -200, 255, 155},
      {"shift +50 of 100", BalanceShiftValue, 50, 100, 150},
      {"shift +50 of 160", BalanceShiftValue, 50, 160, 255},
      {"shift +50 of 0", BalanceShiftValue, 50, 0, 50},
      {"shift +50 of 200", BalanceShiftValue, 50, 200, 255},
      {"shift +50 of 150", BalanceShiftValue, 50, 150, 200},
      {"shift -50 of 30", BalanceShiftValue, -50, 30, 0},
      {"shift -50 of 255 stays", BalanceShiftValue, -50, 255, 205},
      {"shift 0 of 255", BalanceShiftValue, 0, 255, 255},
      {"scale +50 of 200", BalanceScaleValue, 50, 200, 255},
      {"scale +50 of 100", BalanceScaleValue, 50, 100, 139},
      {"scale -50 of 100", BalanceScaleValue, -50, 100, 61},
  };
  for (const Case& C : Cases) EXPECT_EQ(C.Fn(C.In, C.Amount), C.Want) << C.Name;
}

TEST(ColorAdjust, BitmapRoutinesKeepAlphaAndUseEachChannelsAmount) {
  TBitmap32 B;
  B.SetSize(3, 1);
  B.SetPixel(0, 0, ColorFromRGBA(100, 100, 100, 0));
  B.SetPixel(1, 0, ColorFromRGBA(160, 0, 30, 128));
  B.SetPixel(2, 0, ColorFromRGBA(255, 255, 255, 255));

  TBitmap32 S;
  S.Assign(&B);
  BalanceShift(S, 50, 0, -50);
  EXPECT_EQ(S.GetPixel(0, 0), ColorFromRGBA(150, 100, 50, 0));
  EXPECT_EQ(S.GetPixel(1, 0), ColorFromRGBA(255, 0, 0, 128));
  EXPECT_EQ(S.GetPixel(2, 0), ColorFromRGBA(255, 255, 205, 255));

  S.Assign(&B);
  BalanceScale(S, 50, -50, 0);
  EXPECT_EQ(S.GetPixel(0, 0), ColorFromRGBA(139, 61, 100, 0));

  S.Assign(&B);
  BrightnessScale(S, -200);
  EXPECT_EQ(S.GetPixel(0, 0), ColorFromRGBA(22, 22, 22, 0));
  EXPECT_EQ(S.GetPixel(1, 0), ColorFromRGBA(35, 0, 7, 128));

  S.Assign(&B);
  ContrastStretch(S, 90);
  EXPECT_EQ(S.GetPixel(1, 0), ColorFromRGBA(171, 0, 0, 128));

  S.Assign(&B);
  InvertColors(S);
  EXPECT_EQ(S.GetPixel(1, 0), ColorFromRGBA(95, 255, 225, 128));
}

TEST(ColorAdjust, ZeroAmountsChangeNothing) {
  TBitmap32 B;
  B.SetSize(2, 2);
  B.Clear(0x80123456);
  BrightnessScale(B, 0);
  ContrastStretch(B, 0);
  BalanceScale(B, 0, 0, 0);
  BalanceShift(B, 0, 0, 0);
  for (int I = 0; I < 4; ++I) EXPECT_EQ(B.Bits()[I], 0x80123456u);
}
