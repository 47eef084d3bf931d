// The outline and shadow of captions, composed from a known coverage: a white 10 x 10 square in
// the middle of a black 40 x 40 field stands for the text.
#include "caption_effects.h"

#include <gtest/gtest.h>

namespace {

struct TSquare {
  TBitmap32 C;
  TSquare() {
    C.SetSize(40, 40);
    C.Clear(0xFF000000);
    C.FillRect(15, 15, 25, 25, 0xFFFFFFFF);
  }
};

int32_t Cover(const TBitmap32& Mask, int32_t X, int32_t Y) {
  return Intensity(Mask.GetPixel(X, Y));
}

TEST(CaptionEffects, AnOutlineRingsTheTextAtItsWidth) {
  TCaptionOutline O;
  O.On = true;
  O.Colour = 0xFFFFFFFF;
  O.Width = 3;
  TBitmap32 Picture, Mask;
  ComposeCaptionEffects(TSquare().C, 0xFF000000, 0, O, TCaptionShadow(), Picture, Mask);
  EXPECT_EQ(Picture.GetPixel(20, 20), 0xFF000000u) << "the text keeps its colour";
  EXPECT_EQ(Cover(Mask, 20, 20), 255);
  EXPECT_EQ(Picture.GetPixel(13, 20), 0xFFFFFFFFu) << "two pixels out: the outline";
  EXPECT_EQ(Cover(Mask, 13, 20), 255);
  EXPECT_EQ(Cover(Mask, 12, 20), 255) << "three pixels out";
  EXPECT_EQ(Cover(Mask, 10, 20), 0) << "five pixels out: nothing";
  // The corner is rounded: a diagonal step of 3 x 3 lies beyond the width.
  EXPECT_EQ(Cover(Mask, 12, 12), 0);
  EXPECT_EQ(Cover(Mask, 2, 2), 0);
}

TEST(CaptionEffects, AShadowFallsRightAndDownAndSoftens) {
  TCaptionShadow S;
  S.On = true;
  S.Colour = 0xFF000000;
  S.Offset = 6;
  S.Softness = 0;
  TBitmap32 Picture, Mask;
  ComposeCaptionEffects(TSquare().C, 0xFFFFFFFF, 0, TCaptionOutline(), S, Picture, Mask);
  EXPECT_EQ(Picture.GetPixel(20, 20), 0xFFFFFFFFu) << "the text over its shadow";
  EXPECT_EQ(Picture.GetPixel(28, 28), 0xFF000000u) << "the shadow beyond the text";
  EXPECT_EQ(Cover(Mask, 28, 28), 255);
  EXPECT_EQ(Cover(Mask, 12, 12), 0) << "nothing up and to the left";

  S.Softness = 3;
  ComposeCaptionEffects(TSquare().C, 0xFFFFFFFF, 0, TCaptionOutline(), S, Picture, Mask);
  const int32_t Inner = Cover(Mask, 28, 28), Edge = Cover(Mask, 31, 28), Out = Cover(Mask, 36, 28);
  EXPECT_GT(Inner, Edge);
  EXPECT_GT(Edge, Out);
  EXPECT_GT(Out, 0) << "a soft shadow reaches past the hard one's edge";
}

TEST(CaptionEffects, OnAnOpaqueBackgroundEverythingIsOpaque) {
  TCaptionOutline O;
  O.On = true;
  O.Colour = 0xFFFF0000;
  O.Width = 2;
  TBitmap32 Picture, Mask;
  ComposeCaptionEffects(TSquare().C, 0xFF000000, 0xFF00FF00, O, TCaptionShadow(), Picture, Mask);
  EXPECT_EQ(Picture.GetPixel(2, 2), 0xFF00FF00u);
  EXPECT_EQ(Picture.GetPixel(14, 20), 0xFFFF0000u);
  for (int32_t I = 0; I < 40 * 40; ++I) ASSERT_EQ(Intensity(Mask.Bits()[I]), 255);
}

}  // namespace
