#include "effect_shell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "bitmap32.h"
#include "color32.h"
#include "color_effects.h"
#include "effect_error.h"
#include "named_effects.h"
#include "next_random.h"
#include "preview_snapshot.h"
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
}

TEST(EffectShell, ASnapshotRestoresAndRepeatedPreviewsDoNotCompound) {
  TBitmap32 Layer;
  MakeTranslucent(Layer);
  TBitmap32 Original;
  Original.Assign(&Layer);
  const TEffectTarget T{&Layer, true};
  TEffectSettings S;
  TPreviewSnapshot Snapshot;
  Snapshot.PutBack(Layer);  // nothing taken yet: nothing changes
  for (int32_t X = 0; X < 3; ++X) EXPECT_EQ(Layer.GetPixel(X, 0), Original.GetPixel(X, 0));
  for (int32_t Level : {100, 50, 2}) {
    Snapshot.PutBack(Layer);  // "Просмотр" restores first
    S.PostaValue = Level;
    ApplyNamedEffect("post", T, S, &Snapshot);
  }
  // Level 2 from the original: 200 -> 200, 100 -> 100, 50 -> 50, 10 -> 10 (all even), 255 -> 255.
  EXPECT_EQ(Layer.GetPixel(0, 0), ColorFromRGBA(10, 20, 30, 0));
  Snapshot.PutBack(Layer);  // "Cancel"
  for (int32_t X = 0; X < 3; ++X) EXPECT_EQ(Layer.GetPixel(X, 0), Original.GetPixel(X, 0));
  Snapshot.Drop();
  EXPECT_FALSE(Snapshot.Taken());
  Layer.Clear(0);
  Snapshot.PutBack(Layer);  // nothing to restore once dropped
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
}

TEST(EffectShell, NamedKeysUseTheirParameters) {
  TBitmap32 Canvas;
  Canvas.SetSize(250, 3);
  for (int32_t X = 0; X < 250; ++X)
    for (int32_t Y = 0; Y < 3; ++Y) Canvas.SetPixel(X, Y, ColorFromRGBA(X, Y * 50, 0, 255));
  ApplyNamedEffect("mosa", {&Canvas, false}, TEffectSettings());  // block 2 at width 250
  EXPECT_EQ(Canvas.GetPixel(1, 1), ColorFromRGBA(0, 0, 0, 255));
  EXPECT_EQ(Canvas.GetPixel(3, 2), ColorFromRGBA(2, 100, 0, 255));
  ApplyNoiseOrTint("mod", {&Canvas, false}, SepiaColour);
  EXPECT_EQ(Canvas.GetPixel(0, 0), ColorFromRGBA(0, 0, 0, 255));
}

namespace {

// A bitmap of every kind of pixel: random colours and alphas, a quarter of them 0 or 255.
void MakeRandomBitmap(TBitmap32& B, int32_t W, int32_t H, uint32_t Seed) {
  B.SetSize(W, H);
  uint32_t S = Seed;
  for (int32_t I = 0; I < W * H; ++I) {
    S = S * 1664525u + 1013904223u;
    const uint32_t Pick = S >> 30;
    B.Bits()[I] = Pick == 0 ? (S & 0xFF000000u) : Pick == 1 ? (S | 0x00FFFFFFu) : S * 2654435761u;
  }
}

bool SameBitmap(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

}  // namespace

// The in-memory form of the colour routines gives what the shell gives, on canvas and layer.
TEST(EffectShell, PixelShellEqualsTheWorkingImageShell) {
  struct Case {
    const char* Name;
    std::function<void(RgbImage&)> OnImage;
    std::function<void(const TPixelSpan&)> OnPixels;
  };
  const Case Cases[] = {
      {"grey", [](RgbImage& I) { WeightedGrey(I); }, [](const TPixelSpan& S) { WeightedGrey(S); }},
      {"invert", [](RgbImage& I) { InvertChannels(I); },
       [](const TPixelSpan& S) { InvertChannels(S); }},
      {"tint", [](RgbImage& I) { TintByIntensity(I, SepiaColour); },
       [](const TPixelSpan& S) { TintByIntensity(S, SepiaColour); }},
      {"posterize",
       [](RgbImage& I) {
         RgbImage Out;
         QuantizeLevels(I, Out, 37);
         I = Out;
       },
       [](const TPixelSpan& S) { QuantizeLevels(S, 37); }},
  };
  for (auto [W, H] : {std::pair{1, 1}, {37, 29}, {300, 250}})
    for (const Case& C : Cases)
      for (bool IsLayer : {false, true}) {
        TBitmap32 A, B;
        MakeRandomBitmap(A, W, H, uint32_t(W));
        B.Assign(&A);
        RunRgbShell({&A, IsLayer}, [&](RgbImage& Img, RgbImage&) {
          C.OnImage(Img);
          return srFirst;
        });
        RunPixelShell({&B, IsLayer}, C.OnPixels);
        EXPECT_TRUE(SameBitmap(A, B)) << C.Name << " " << W << "x" << H << " layer " << IsLayer;
      }
}

TEST(EffectShell, PixelShellNoiseFollowsTheGenerator) {
  for (bool IsLayer : {false, true}) {
    TBitmap32 B, Want;
    MakeRandomBitmap(B, 301, 230, 5);
    Want.Assign(&B);
    uint32_t S = RandomState();
    for (int32_t I = 0; I < 301 * 230; ++I) {
      TColor32 C = IsLayer ? (Want.Bits()[I] & 0xFF000000u) : 0xFF000000u;
      for (int Shift : {0, 8, 16}) {
        const int V = int((Want.Bits()[I] >> Shift) & 0xFF) + int(DrawFrom(S, 70)) - 35;
        C |= uint32_t(V < 0 ? 0 : V > 255 ? 255 : V) << Shift;
      }
      Want.Bits()[I] = C;
    }
    RunPixelShell({&B, IsLayer}, [](const TPixelSpan& Sp) { ChannelNoise(Sp, 70); });
    EXPECT_EQ(RandomState(), S);
    EXPECT_TRUE(SameBitmap(B, Want)) << "layer " << IsLayer;
  }
}
