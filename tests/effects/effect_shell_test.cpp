#include <gtest/gtest.h>

#include "bitmap32.h"
#include "color32.h"
#include "effect_error.h"
#include "effect_shell.h"
#include "named_effects.h"
#include "sharpen_blur.h"

namespace {

// Three pixels with different alphas, the colours as (red, green, blue).
void MakeTranslucent(TBitmap32& B) {
  B.SetSize(3, 1);
  B.SetPixel(0, 0, ColorFromRGBA(10, 20, 30, 0));
  B.SetPixel(1, 0, ColorFromRGBA(200, 100, 50, 128));
  B.SetPixel(2, 0, ColorFromRGBA(255, 255, 255, 255));
}

}  // namespace

TEST(EffectShell, CanvasEndsOpaqueLayerKeepsItsAlpha) {
  TBitmap32 Canvas, Layer;
  MakeTranslucent(Canvas);
  MakeTranslucent(Layer);
  const TEffectSettings S;
  ApplyNamedEffect("invert", {&Canvas, false}, S);
  ApplyNamedEffect("invert", {&Layer, true}, S);
  EXPECT_EQ(Canvas.GetPixel(0, 0), ColorFromRGBA(245, 235, 225, 255));
  EXPECT_EQ(Canvas.GetPixel(1, 0), ColorFromRGBA(55, 155, 205, 255));
  EXPECT_EQ(Layer.GetPixel(0, 0), ColorFromRGBA(245, 235, 225, 0));
  EXPECT_EQ(Layer.GetPixel(1, 0), ColorFromRGBA(55, 155, 205, 128));
  EXPECT_EQ(Layer.GetPixel(2, 0), ColorFromRGBA(0, 0, 0, 255));
  // The alpha was kept as grey.
  EXPECT_EQ(AlphaStore().GetPixel(1, 0), 0xFF808080u);
  EmptyPreviewBackup();
}

TEST(EffectShell, UnknownNameOnlyConverts) {
  TBitmap32 Canvas, Layer;
  MakeTranslucent(Canvas);
  MakeTranslucent(Layer);
  ApplyNamedEffect("no such effect", {&Canvas, false}, TEffectSettings());
  ApplyNamedEffect("no such effect", {&Layer, true}, TEffectSettings());
  ApplyNoiseOrTint("other", {&Layer, true}, 0);
  TBitmap32 Want;
  MakeTranslucent(Want);
  for (int32_t X = 0; X < 3; ++X) {
    EXPECT_EQ(Canvas.GetPixel(X, 0), Want.GetPixel(X, 0) | 0xFF000000u);
    EXPECT_EQ(Layer.GetPixel(X, 0), Want.GetPixel(X, 0));
  }
  EmptyPreviewBackup();
}

TEST(EffectShell, PreviewBackupRestoresAndRepeatedPreviewsDoNotCompound) {
  TBitmap32 Layer;
  MakeTranslucent(Layer);
  TBitmap32 Original;
  Original.Assign(&Layer);
  const TEffectTarget T{&Layer, true};
  TEffectSettings S;
  for (int32_t Level : {100, 50, 2}) {
    RestorePreview(T);  // "Просмотр" restores first
    S.PostaValue = Level;
    ApplyNamedEffect("post", T, S);
  }
  // Level 2 from the original: 200 -> 200, 100 -> 100, 50 -> 50, 10 -> 10 (all even), 255 -> 255.
  EXPECT_EQ(Layer.GetPixel(0, 0), ColorFromRGBA(10, 20, 30, 0));
  RestorePreview(T);  // "Cancel"
  for (int32_t X = 0; X < 3; ++X)
    EXPECT_EQ(Layer.GetPixel(X, 0), Original.GetPixel(X, 0));
  EmptyPreviewBackup();
  EXPECT_TRUE(PreviewBackup().IsEmpty());
  Layer.Clear(0);
  RestorePreview(T);  // nothing to restore outside a command
  EXPECT_EQ(Layer.GetPixel(0, 0), 0u);
}

TEST(EffectShell, FailingRoutineLeavesTheTargetUnchanged) {
  TBitmap32 Canvas;
  Canvas.SetSize(2, 5);
  Canvas.Clear(0x80102030);
  EXPECT_THROW(RunRgbShell({&Canvas, false},
                           [](RgbImage& A, RgbImage& B) {
                             SharpenFivePoint(A, B, 5);
                             return srSecond;
                           }),
               EEffectError);
  EXPECT_EQ(Canvas.GetPixel(1, 4), 0x80102030u);
  EXPECT_FALSE(PreviewBackup().IsEmpty());
  EmptyPreviewBackup();
}

TEST(EffectShell, NamedKeysUseTheirParameters) {
  TBitmap32 Canvas;
  Canvas.SetSize(250, 3);
  for (int32_t X = 0; X < 250; ++X)
    for (int32_t Y = 0; Y < 3; ++Y)
      Canvas.SetPixel(X, Y, ColorFromRGBA(X, Y * 50, 0, 255));
  ApplyNamedEffect("mosa", {&Canvas, false}, TEffectSettings());  // block 2 at width 250
  EXPECT_EQ(Canvas.GetPixel(1, 1), ColorFromRGBA(0, 0, 0, 255));
  EXPECT_EQ(Canvas.GetPixel(3, 2), ColorFromRGBA(2, 100, 0, 255));
  ApplyNoiseOrTint("mod", {&Canvas, false}, SepiaColour);
  EXPECT_EQ(Canvas.GetPixel(0, 0), ColorFromRGBA(0, 0, 0, 255));
  EmptyPreviewBackup();
}
