#include "free_rotation.h"

#include <gtest/gtest.h>

#include "color32.h"

namespace {

// The turn as two drawings through the mapping, step by step: the picture made opaque and
// drawn with its own draw mode onto opaque black for the colours, and a grey copy of its alpha
// with a black two-pixel frame drawn onto transparent black for the alpha (its intensity).
void RotateInTwoDrawings(const TBitmap32& Layer, TBitmap32& Out, int32_t Angle, bool Bilinear) {
  const int32_t W0 = Layer.Width(), H0 = Layer.Height();
  TAffineTransformation T;
  BuildFreeRotation(T, W0, H0, Angle);
  const TFreeRotationSize S = FreeRotationSize(W0, H0, Angle);
  const TStretchFilter Filter = Bilinear ? sfLinear : sfNearest;

  TBitmap32 Src;
  Src.Assign(&Layer);
  Src.SetMasterAlpha(255);
  Src.SetStretchFilter(Filter);
  TBitmap32 A;
  A.SetSize(W0, H0);
  for (int32_t Y = 0; Y < H0; ++Y)
    for (int32_t X = 0; X < W0; ++X) {
      const TColor32 G = AlphaOf(Src.GetPixel(X, Y));
      A.SetPixel(X, Y, 0xFF000000 | G << 16 | G << 8 | G);
    }
  TBitmap32 D;
  D.SetSize(S.Width, S.Height);
  D.Clear(0xFF000000);
  Src.MakeOpaque();
  TransformBitmap(D, Src, T);

  A.SetStretchFilter(Filter);
  for (int32_t Y = 0; Y < H0; ++Y)
    for (int32_t X = 0; X < W0; ++X)
      if (Y < 2 || Y >= H0 - 2 || X < 2 || X >= W0 - 2)
        A.SetPixel(X, Y, 0xFF000000);
  TBitmap32 M;
  M.SetSize(S.Width, S.Height);
  TransformBitmap(M, A, T);

  Out.SetSize(S.Width, S.Height);
  for (int32_t Y = 0; Y < S.Height; ++Y)
    for (int32_t X = 0; X < S.Width; ++X)
      Out.SetPixel(X, Y, WithAlpha(D.GetPixel(X, Y), Intensity(M.GetPixel(X, Y))));
}

void FillPhoto(TBitmap32& B, int32_t W, int32_t H, bool Holes) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const TColor32 Alpha = Holes ? ((X * 13 + Y * 7) % 5 == 0 ? 0 : (X * 11) & 255) : 255;
      B.SetPixel(X, Y,
                 Alpha << 24 | ((X * 5 + Y) & 255) << 16 | ((Y * 3) & 255) << 8 | ((X * Y) & 255));
    }
}

struct TTurnCase {
  int32_t W, H, Angle;
  bool Bilinear, Holes;
  TDrawMode Mode;
};

TEST(FreeRotation, OneDrawingGivesWhatTheTwoDrawingsGive) {
  const TTurnCase Cases[] = {
      {200, 100, 90, true, false, dmBlend},  {200, 100, 30, true, true, dmBlend},
      {200, 100, -30, false, true, dmBlend}, {97, 61, 45, true, true, dmBlend},
      {97, 61, 180, false, false, dmBlend},  {97, 61, -180, true, true, dmBlend},
      {97, 61, 0, true, true, dmBlend},      {97, 61, 17, true, true, dmOpaque},
      {97, 61, -123, false, true, dmOpaque}, {3, 2, 33, true, false, dmBlend},
      {1, 1, 45, true, false, dmBlend},      {640, 480, 7, true, true, dmBlend},
  };
  for (const TTurnCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.W << "x" << C.H << " by " << C.Angle << " bilinear "
                                    << C.Bilinear << " mode " << int(C.Mode));
    TBitmap32 Layer;
    FillPhoto(Layer, C.W, C.H, C.Holes);
    Layer.SetDrawMode(C.Mode);
    Layer.SetMasterAlpha(90);  // the opacity does not reach the pixels
    TBitmap32 Expected, Got;
    RotateInTwoDrawings(Layer, Expected, C.Angle, C.Bilinear);
    RotatePicture(Layer, Got, C.Angle, C.Bilinear);
    ASSERT_EQ(Got.Width(), Expected.Width());
    ASSERT_EQ(Got.Height(), Expected.Height());
    int32_t Differences = 0;
    for (int32_t Y = 0; Y < Got.Height(); ++Y)
      for (int32_t X = 0; X < Got.Width(); ++X) {
        const TColor32 G = Got.GetPixel(X, Y), E = Expected.GetPixel(X, Y);
        // Alpha everywhere; colour wherever a pixel is opaque. A pixel that shows in part mixes
        // transparent pixels, whose colours the turn weighs by their alpha where the colour
        // drawing above does not (the edge colours are checked with the bilinear sampler).
        const bool Compared = C.Bilinear ? AlphaOf(E) == 255 : AlphaOf(E) != 0;
        if (AlphaOf(G) != AlphaOf(E) || (Compared && G != E))
          ++Differences;
      }
    EXPECT_EQ(Differences, 0);
  }
}

TEST(FreeRotation, SizesFollowTheAngle) {
  // cos t is not exactly 0 at 90 degrees, but the width as a 32-bit float is exactly 100.
  TFreeRotationSize S = FreeRotationSize(200, 100, 90);
  EXPECT_EQ(S.Wn, 100.0f);
  EXPECT_EQ(S.Hn, 200.0f);
  EXPECT_EQ(S.Width, 100);
  EXPECT_EQ(S.Height, 200);
  S = FreeRotationSize(100, 100, 45);
  EXPECT_EQ(S.Width, 141);
  EXPECT_EQ(S.Height, 141);
  EXPECT_NEAR(S.Wn, 141.42136f, 1e-4);
  S = FreeRotationSize(6000, 4000, 30);
  EXPECT_EQ(S.Width, 7196);
  EXPECT_EQ(S.Height, 6464);
  S = FreeRotationSize(200, 100, -180);
  EXPECT_EQ(S.Width, 200);
  EXPECT_EQ(S.Height, 100);
}

TEST(FreeRotation, CornersAreTransparentAndTheMiddleKeepsThePicture) {
  TBitmap32 Layer;
  Layer.SetSize(100, 100);
  Layer.Clear(0xFF3080C0);
  Layer.SetDrawMode(dmBlend);
  TBitmap32 Out;
  RotatePicture(Layer, Out, 45, true);
  ASSERT_EQ(Out.Width(), 141);
  ASSERT_EQ(Out.Height(), 141);
  for (const auto& [X, Y] : {std::pair{0, 0}, {140, 0}, {0, 140}, {140, 140}, {20, 20}})
    EXPECT_EQ(Out.GetPixel(X, Y), 0x00000000u) << X << "," << Y;
  // An opaque colour mixed onto black with weight 254: (C * 254 + 128) >> 8.
  EXPECT_EQ(Out.GetPixel(70, 70), 0xFF307FBFu);
  // The turned edge fades: on the way from the corner to the middle the alpha grows.
  EXPECT_EQ(AlphaOf(Out.GetPixel(70, 1)), 0);
  EXPECT_EQ(AlphaOf(Out.GetPixel(70, 8)), 255);

  // A quarter turn moves the top row to the right column (clockwise on screen).
  TBitmap32 Strip;
  Strip.SetSize(20, 10);
  Strip.Clear(0xFFFFFFFF);
  Strip.FillRect(0, 0, 20, 5, 0xFF0000FF);
  Strip.SetDrawMode(dmOpaque);
  RotatePicture(Strip, Out, 90, false);
  ASSERT_EQ(Out.Width(), 10);
  ASSERT_EQ(Out.Height(), 20);
  EXPECT_EQ(Out.GetPixel(7, 10), 0xFF0000FFu);
  EXPECT_EQ(Out.GetPixel(3, 10), 0xFFFFFFFFu);
}

TEST(FreeRotation, EmptyPictureGivesEmptyResult) {
  TBitmap32 Empty, Out;
  Out.SetSize(4, 4);
  RotatePicture(Empty, Out, 30, true);
  EXPECT_TRUE(Out.IsEmpty());
}

}  // namespace
