#include <gtest/gtest.h>

#include "exceptions.h"
#include "transformation.h"

namespace {

TSinglePoint Forward(const TAffineTransformation& T, float X, float Y) {
  const TVector3f V = ApplyToVector(T.Matrix, {X, Y, 1});
  return {V.X, V.Y};
}

void Fill(TBitmap32& B, int W, int H, TColor32 C) {
  B.SetSize(W, H);
  B.Clear(C);
}

}  // namespace

TEST(Transformation, MatrixHelpers) {
  TFloatMatrix M = {{2, 0, 0, 0, 4, 0, 3, 5, 1}};  // scale (2, 4), then move by (3, 5)
  EXPECT_FLOAT_EQ(Determinant(M), 8);
  TFloatMatrix Inv = M;
  Invert(Inv);
  const TFloatMatrix P = Multiply(M, Inv);
  for (int I = 0; I < 9; ++I) EXPECT_NEAR(P.s[I], IdentityMatrix.s[I], 1e-6) << I;
  const TVector3f V = ApplyToVector(M, {1, 1, 1});
  EXPECT_FLOAT_EQ(V.X, 5);
  EXPECT_FLOAT_EQ(V.Y, 9);

  TFloatMatrix Singular = {{1, 2, 0, 2, 4, 0, 0, 0, 1}};
  Invert(Singular);
  for (int I = 0; I < 9; ++I) EXPECT_EQ(Singular.s[I], IdentityMatrix.s[I]);
}

TEST(Transformation, AffineBuilders) {
  TAffineTransformation T;
  T.Rotate(0, 0, 90);
  EXPECT_NEAR(T.Matrix.s[0], 0, 1e-7);
  EXPECT_EQ(T.Matrix.s[3], 1);
  EXPECT_EQ(T.Matrix.s[1], -1);
  EXPECT_NEAR(T.Matrix.s[4], 0, 1e-7);
  TSinglePoint P = Forward(T, 1, 0);
  EXPECT_NEAR(P.X, 0, 1e-6);
  EXPECT_NEAR(P.Y, -1, 1e-6);

  T.Clear();
  T.Rotate(50, 40, 180);
  P = Forward(T, 50, 40);
  EXPECT_NEAR(P.X, 50, 1e-4);
  EXPECT_NEAR(P.Y, 40, 1e-4);
  P = Forward(T, 60, 40);
  EXPECT_NEAR(P.X, 40, 1e-4);
  EXPECT_NEAR(P.Y, 40, 1e-4);

  T.Clear();
  T.Rotate(0, 40, 180);  // one zero coordinate is still a centre
  P = Forward(T, 0, 40);
  EXPECT_NEAR(P.X, 0, 1e-4);
  EXPECT_NEAR(P.Y, 40, 1e-4);

  T.Clear();
  T.Skew(0.5f, 0);
  T.Translate(10, 20);
  P = Forward(T, 2, 4);
  EXPECT_FLOAT_EQ(P.X, 14);
  EXPECT_FLOAT_EQ(P.Y, 24);
}

TEST(Transformation, AffineReverseMapping) {
  TAffineTransformation T;
  T.Scale(2, 2);
  T.Prepare();
  EXPECT_EQ(T.A, 2048);
  EXPECT_EQ(T.E, 2048);
  EXPECT_EQ(T.B, 0);
  EXPECT_EQ(T.C, 0);
  EXPECT_EQ(T.D, 0);
  EXPECT_EQ(T.F, 0);
  int32_t X, Y;
  T.ReverseInt(10, 10, X, Y);
  EXPECT_EQ(X, 5);
  EXPECT_EQ(Y, 5);
  T.ReverseInt(11, 11, X, Y);
  EXPECT_EQ(X, 5);
  EXPECT_EQ(Y, 5);
  T.ReverseFixed(11, 11, X, Y);
  EXPECT_EQ(X, (11 * 2048 + 7) >> 4);

  // A singular matrix maps every pixel onto itself.
  TAffineTransformation S;
  S.Scale(0, 0);
  S.Prepare();
  S.ReverseInt(7, 9, X, Y);
  EXPECT_EQ(X, 7);
  EXPECT_EQ(Y, 9);
  EXPECT_TRUE(S.Prepared());
  S.Translate(1, 1);
  EXPECT_FALSE(S.Prepared());
}

TEST(Transformation, BoundsRoundOutward) {
  TAffineTransformation T;
  T.SetSrcRect({0, 0, 10, 10});
  EXPECT_EQ(T.TransformedBounds(), (TRect{0, 0, 10, 10}));  // round(-0.5) and round(10.5) tie to even
  T.Translate(0.25f, 0);
  EXPECT_EQ(T.TransformedBounds(), (TRect{0, 0, 11, 10}));
}

TEST(Transformation, ProjectiveIdentityAndCollinearCorners) {
  TProjectiveTransformation T;
  T.SetSrcRect({0, 0, 100, 50});
  T.SetCorners({{0, 0}, {100, 0}, {100, 50}, {0, 50}});
  T.Prepare();
  for (int Y = 0; Y < 50; Y += 7)
    for (int X = 0; X < 100; X += 9) {
      int32_t Sx, Sy;
      ASSERT_TRUE(T.ReverseInt(X, Y, Sx, Sy));
      EXPECT_EQ(Sx, X);
      EXPECT_EQ(Sy, Y);
      ASSERT_TRUE(T.ReverseFixed(X, Y, Sx, Sy));
      EXPECT_NEAR(Sx, X * 256, 1);
      EXPECT_NEAR(Sy, Y * 256, 1);
    }

  TProjectiveTransformation K;
  K.SetSrcRect({0, 0, 100, 100});
  K.SetCorners({{0, 0}, {100, 0}, {100, 50}, {100, 100}});
  try {
    K.Prepare();
    FAIL() << "three corners on a line must fail";
  } catch (const ETransformError& E) {
    EXPECT_STREQ(E.what(), "Assertion failure");
  }
  TBitmap32 Src, Dst;
  Fill(Src, 100, 100, 0xFFFFFFFF);
  Fill(Dst, 100, 100, 0xFF000000);
  EXPECT_THROW(TransformBitmap(Dst, Src, K), ETransformError);
}

TEST(Transformation, ProjectiveTrapezoidMapsCorners) {
  TProjectiveTransformation T;
  T.SetSrcRect({0, 0, 64, 64});
  T.SetCorners({{10, 0}, {54, 0}, {64, 64}, {0, 64}});
  T.Prepare();
  int32_t Sx, Sy;
  ASSERT_TRUE(T.ReverseInt(10, 0, Sx, Sy));
  EXPECT_EQ(Sx, 0);
  EXPECT_EQ(Sy, 0);
  ASSERT_TRUE(T.ReverseInt(32, 32, Sx, Sy));
  EXPECT_EQ(Sx, 32);
  ASSERT_TRUE(T.ReverseInt(0, 64, Sx, Sy));
  EXPECT_EQ(Sx, 0);
  EXPECT_EQ(Sy, 64);
  EXPECT_EQ(T.TransformedBounds(), (TRect{0, 0, 64, 64}));
}

TEST(Transformation, NearestIdentityCopiesAndBilinearSkipsLastColumnAndRow) {
  TBitmap32 Src;
  Src.SetSize(10, 10);
  for (int Y = 0; Y < 10; ++Y)
    for (int X = 0; X < 10; ++X) Src.SetPixel(X, Y, 0xFF000000 | (Y * 16 + X));
  TAffineTransformation T;
  T.SetSrcRect({0, 0, 10, 10});

  TBitmap32 Dst;
  Fill(Dst, 10, 10, 0x12345678);
  int Changes = 0;
  Dst.OnChange = [&](TObject*) { ++Changes; };
  TransformBitmap(Dst, Src, T);
  EXPECT_EQ(Changes, 1);
  for (int Y = 0; Y < 10; ++Y)
    for (int X = 0; X < 10; ++X) ASSERT_EQ(Dst.GetPixel(X, Y), Src.GetPixel(X, Y)) << X << "," << Y;

  Src.SetStretchFilter(sfLinear);
  Fill(Dst, 10, 10, 0x12345678);
  TransformBitmap(Dst, Src, T);
  for (int I = 0; I < 10; ++I) {
    EXPECT_EQ(Dst.GetPixel(9, I), 0x12345678u);
    EXPECT_EQ(Dst.GetPixel(I, 9), 0x12345678u);
  }
  EXPECT_NE(Dst.GetPixel(4, 4), 0x12345678u);
}

TEST(Transformation, BlendOfEqualColourKeepsIt) {
  TBitmap32 Src, Dst;
  Fill(Src, 8, 8, 0xFF336699);
  Src.SetDrawMode(dmBlend);
  Fill(Dst, 8, 8, 0xFF336699);
  TAffineTransformation T;
  T.SetSrcRect({0, 0, 8, 8});
  TransformBitmap(Dst, Src, T);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) ASSERT_EQ(Dst.GetPixel(X, Y), 0xFF336699u);

  // Opaque white onto black at master 255 is mixed with weight 254, not copied.
  Fill(Dst, 8, 8, 0xFF000000);
  Src.Clear(0xFFFFFFFF);
  TransformBitmap(Dst, Src, T);
  EXPECT_EQ(Dst.GetPixel(3, 3), 0xFFFDFDFDu);
}

TEST(Transformation, ThinDestinationAreaDrawsNothing) {
  TBitmap32 Src, Dst;
  Fill(Src, 4, 4, 0xFFFFFFFF);
  Fill(Dst, 1, 8, 0xFF000000);  // a single column
  int Changes = 0;
  Dst.OnChange = [&](TObject*) { ++Changes; };
  TAffineTransformation T;
  T.SetSrcRect({0, 0, 4, 4});
  TransformBitmap(Dst, Src, T);
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(Dst.GetPixel(0, 0), 0xFF000000u);
}

TEST(Transformation, ClearBorderAlphaTouchesOnlyTheOutline) {
  TBitmap32 B;
  Fill(B, 10, 10, 0xFF808080);
  ClearBorderAlpha(B, {0, 0, 9, 9});
  int Cleared = 0;
  for (int Y = 0; Y < 10; ++Y)
    for (int X = 0; X < 10; ++X) {
      const bool Edge = X == 0 || Y == 0 || X == 9 || Y == 9;
      EXPECT_EQ(B.GetPixel(X, Y), Edge ? 0x00808080u : 0xFF808080u) << X << "," << Y;
      Cleared += Edge;
    }
  EXPECT_EQ(Cleared, 36);

  Fill(B, 10, 10, 0xFF808080);
  ClearBorderAlpha(B, {12, 0, 20, 9});  // entirely to the right: the clamped range is empty
  EXPECT_EQ(B.GetPixel(9, 5), 0xFF808080u);
  ClearBorderAlpha(B, {20, 2, 5, 4});  // reversed and clamped: columns 5..9, rows 2..4
  EXPECT_EQ(B.GetPixel(9, 3), 0x00808080u);
  EXPECT_EQ(B.GetPixel(5, 3), 0x00808080u);
  EXPECT_EQ(B.GetPixel(7, 3), 0xFF808080u);
  EXPECT_EQ(B.GetPixel(7, 2), 0x00808080u);
}
