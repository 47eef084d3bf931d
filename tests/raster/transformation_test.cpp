#include "transformation.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "blend.h"
#include "exceptions.h"
#include "geometry.h"
#include "transfers_test_support.h"

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
  EXPECT_EQ(T.TransformedBounds(),
            (TRect{0, 0, 10, 10}));  // round(-0.5) and round(10.5) tie to even
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

// ---------------------------------------------------------------------------------------------
// The drawing loops against the per-pixel definition: every destination pixel through the
// virtual reverse mapping, the checked bilinear sampler and the dispatched combine step.

namespace {

bool ReferenceBilinear(const TBitmap32& Src, const TRect& SB, int32_t Fx, int32_t Fy,
                       TColor32& Colour) {
  const int32_t Ix = Fx >> 8, Iy = Fy >> 8;
  const auto Wx = static_cast<TColor32>(255 - (Fx & 255));
  const auto Wy = static_cast<TColor32>(255 - (Fy & 255));
  TColor32 P00, P10, P01, P11;
  if (SB.Left < Ix && Ix < SB.Right - 1 && SB.Top < Iy && Iy < SB.Bottom - 1) {
    P00 = Src.GetPixel(Ix, Iy);
    P10 = Src.GetPixel(Ix + 1, Iy);
    P01 = Src.GetPixel(Ix, Iy + 1);
    P11 = Src.GetPixel(Ix + 1, Iy + 1);
  } else {
    if (Ix < -1 || Iy < -1 || Ix >= SB.Right || Iy >= SB.Bottom)
      return false;
    P00 = Src.GetPixelSafe(Ix, Iy);
    P10 = Src.GetPixelSafe(Ix + 1, Iy);
    P01 = Src.GetPixelSafe(Ix, Iy + 1);
    P11 = Src.GetPixelSafe(Ix + 1, Iy + 1);
  }
  Colour = MixColor(MixColor(P00, P10, Wx), MixColor(P01, P11, Wx), Wy);
  Colour = transfers_test::RefBilinearEdge(Colour, P00, P10, P01, P11, Wx, Wy);
  return true;
}

void ReferenceTransform(TBitmap32& Dst, const TBitmap32& Src, TTransformation& T) {
  if (Dst.IsEmpty() || Src.IsEmpty())
    return;
  if (!T.Prepared())
    T.Prepare();
  TDrawMode Mode = Src.DrawMode();
  if (Mode == dmCustom && !Src.OnPixelCombine)
    Mode = dmOpaque;
  const TColor32 Master = Src.MasterAlpha();
  TRect SB, DB;
  IntersectRect(SB, RectFromSingle(T.SrcRect(), rrClosest),
                TRect{0, 0, Src.Width() - 1, Src.Height() - 1});
  IntersectRect(DB, T.TransformedBounds(), TRect{0, 0, Dst.Width() - 1, Dst.Height() - 1});
  if (DB.Left >= DB.Right || DB.Top >= DB.Bottom)
    return;
  for (int32_t Y = DB.Top; Y <= DB.Bottom; ++Y)
    for (int32_t X = DB.Left; X <= DB.Right; ++X) {
      TColor32 Colour;
      int32_t Sx, Sy;
      if (Src.StretchFilter() == sfNearest) {
        if (!T.ReverseInt(X, Y, Sx, Sy))
          continue;
        if (Sx < SB.Left || Sx > SB.Right || Sy < SB.Top || Sy > SB.Bottom)
          continue;
        Colour = Src.GetPixel(Sx, Sy);
      } else {
        if (!T.ReverseFixed(X, Y, Sx, Sy))
          continue;
        if (!ReferenceBilinear(Src, SB, Sx, Sy, Colour))
          continue;
      }
      TColor32& Pixel = *Dst.PixelAddress(X, Y);
      if (Mode == dmOpaque)
        Pixel = Colour;
      else if (Mode == dmBlend)
        BlendOntoMaster(Colour, Pixel, Master);
      else
        Src.OnPixelCombine(Colour, Pixel, Master);
    }
  Dst.Changed();
}

// Random colours with alpha and channels biased towards 0 and 255.
TColor32 RandomColour(std::mt19937& Gen) {
  const auto Channel = [&Gen]() -> TColor32 {
    switch (Gen() % 4) {
      case 0:
        return 0;
      case 1:
        return 255;
      default:
        return Gen() & 255;
    }
  };
  return Channel() << 24 | Channel() << 16 | Channel() << 8 | Channel();
}

void FillRandom(TBitmap32& B, int W, int H, std::mt19937& Gen) {
  B.SetSize(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) B.SetPixel(X, Y, RandomColour(Gen));
}

float Uniform(std::mt19937& Gen, float Lo, float Hi) {
  return std::uniform_real_distribution<float>(Lo, Hi)(Gen);
}

// A transformation of one of several kinds, often partly outside the destination.
std::unique_ptr<TTransformation> RandomTransformation(std::mt19937& Gen, const TBitmap32& Src,
                                                      const TBitmap32& Dst, std::string& Kind) {
  const float SW = float(Src.Width()), SH = float(Src.Height());
  const float DW = float(Dst.Width()), DH = float(Dst.Height());
  TSingleRect R{0, 0, SW, SH};
  if (Gen() % 3 == 0)  // a part of the source, possibly reaching outside it
    R = {Uniform(Gen, -2, SW / 2), Uniform(Gen, -2, SH / 2), Uniform(Gen, SW / 2, SW + 2),
         Uniform(Gen, SH / 2, SH + 2)};
  const unsigned Which = Gen() % 7;
  if (Which == 6) {
    Kind = "projective";
    auto P = std::make_unique<TProjectiveTransformation>();
    P->SetSrcRect(R);
    TSinglePoint Corners[4] = {{Uniform(Gen, -DW / 4, DW / 2), Uniform(Gen, -DH / 4, DH / 2)},
                               {Uniform(Gen, DW / 2, DW * 1.25f), Uniform(Gen, -DH / 4, DH / 2)},
                               {Uniform(Gen, DW / 2, DW * 1.25f), Uniform(Gen, DH / 2, DH * 1.25f)},
                               {Uniform(Gen, -DW / 4, DW / 2), Uniform(Gen, DH / 2, DH * 1.25f)}};
    if (Gen() % 4 == 0)
      std::swap(Corners[1], Corners[3]);  // mirrored
    P->SetCorners(Corners);
    return P;
  }
  auto A = std::make_unique<TAffineTransformation>();
  A->SetSrcRect(R);
  switch (Which) {
    case 0:
      Kind = "rotation";
      A->Rotate(Uniform(Gen, 0, SW), Uniform(Gen, 0, SH), Uniform(Gen, -360, 360));
      break;
    case 1:
      Kind = "scale";
      A->Scale(Uniform(Gen, 0.2f, 4) * (Gen() % 5 == 0 ? -1 : 1), Uniform(Gen, 0.2f, 4));
      break;
    case 2:
      Kind = "skew";
      A->Skew(Uniform(Gen, -1, 1), Uniform(Gen, -1, 1));
      break;
    case 3:
      Kind = "tiny scale";  // 20.12 sums that leave the 32-bit range
      A->Scale(Uniform(Gen, 1e-7f, 1e-4f), Uniform(Gen, 1e-7f, 1e-2f));
      break;
    case 4: {
      // Mapped points falling exactly on pixel and run boundaries.
      Kind = "exact";
      const float Factors[] = {1, 2, 0.5f, 3, -1, 0.25f};
      A->Rotate(float(int(Gen() % 8)), float(int(Gen() % 8)), float(90 * int(Gen() % 4)));
      A->Scale(Factors[Gen() % std::size(Factors)], Factors[Gen() % std::size(Factors)]);
      A->Translate(float(int(Gen() % 16)) - 4, float(int(Gen() % 16)) - 4);
      return A;
    }
    default:
      Kind = "mixed";
      A->Rotate(SW / 2, SH / 2, Uniform(Gen, -180, 180));
      A->Scale(Uniform(Gen, 0.3f, 3), Uniform(Gen, 0.3f, 3));
      A->Skew(Uniform(Gen, -0.5f, 0.5f), 0);
      break;
  }
  A->Translate(Uniform(Gen, -DW / 3, DW * 2 / 3), Uniform(Gen, -DH / 3, DH * 2 / 3));
  return A;
}

struct TModeCase {
  TDrawMode Mode;
  uint32_t Master;
  bool Custom;
};

}  // namespace

TEST(Transformation, DrawingMatchesPerPixelDefinition) {
  const TModeCase Modes[] = {{dmOpaque, 255, false}, {dmBlend, 0, false},   {dmBlend, 1, false},
                             {dmBlend, 128, false},  {dmBlend, 255, false}, {dmCustom, 77, true},
                             {dmCustom, 255, false}};
  const struct {
    int W, H;
  } Sizes[] = {{1, 1}, {2, 2}, {3, 5}, {7, 4}, {17, 13}, {33, 20}, {64, 1}, {1, 40}, {70, 45}};
  std::vector<TBlendForms> Forms = {TBlendForms::Scalar};
  if (BlendFormsSupported(TBlendForms::AVX2))
    Forms.push_back(TBlendForms::AVX2);

  std::mt19937 Gen(20240611);
  for (const TBlendForms F : Forms) {
    const TBlendForms Old = SetTransformForms(F);
    for (int Case = 0; Case < 1500; ++Case) {
      const auto& SS = Sizes[Gen() % std::size(Sizes)];
      const auto& DS = Sizes[Gen() % std::size(Sizes)];
      const TModeCase& M = Modes[Gen() % std::size(Modes)];
      TBitmap32 Src, Want, Got;
      FillRandom(Src, SS.W, SS.H, Gen);
      FillRandom(Want, DS.W, DS.H, Gen);
      Got.Assign(&Want);
      Src.SetDrawMode(M.Mode);
      Src.SetMasterAlpha(M.Master);
      Src.SetStretchFilter(Gen() % 2 ? sfNearest : sfLinear);
      Src.OuterColor = Gen() % 2 ? 0 : RandomColour(Gen);
      std::vector<TColor32> WantCalls, GotCalls;
      std::vector<TColor32>* Calls = &WantCalls;
      if (M.Custom)
        Src.OnPixelCombine = [&Calls](TColor32 Fc, TColor32& B, TColor32 Mc) {
          Calls->push_back(Fc);
          Calls->push_back(B);
          B = (Fc ^ (B >> 1)) + Mc;
        };
      std::string Kind;
      auto T1 = RandomTransformation(Gen, Src, Want, Kind);
      const std::string What =
          Kind + " of " + std::to_string(SS.W) + "x" + std::to_string(SS.H) + " onto " +
          std::to_string(DS.W) + "x" + std::to_string(DS.H) + ", mode " + std::to_string(M.Mode) +
          " master " + std::to_string(M.Master) + ", filter " +
          std::to_string(Src.StretchFilter()) + ", case " + std::to_string(Case);
      bool Threw = false;
      try {
        ReferenceTransform(Want, Src, *T1);
      } catch (const ETransformError&) {
        Threw = true;
      }
      Calls = &GotCalls;
      if (Threw) {
        EXPECT_THROW(TransformBitmap(Got, Src, *T1), ETransformError) << What;
        continue;
      }
      TransformBitmap(Got, Src, *T1);
      ASSERT_EQ(WantCalls, GotCalls) << What;
      for (int Y = 0; Y < DS.H; ++Y)
        for (int X = 0; X < DS.W; ++X)
          ASSERT_EQ(Got.GetPixel(X, Y), Want.GetPixel(X, Y))
              << What << ", pixel " << X << "," << Y << ", forms " << int(F);
    }
    SetTransformForms(Old);
  }
}

// The mapped coordinates are 32-bit values: a sum far beyond the range that truncates back into
// the source draws there, as in the per-pixel definition.
TEST(Transformation, ReverseMappingTruncatesTo32Bits) {
  std::mt19937 Gen(5);
  TBitmap32 Src, Orig;
  FillRandom(Src, 6, 4, Gen);
  FillRandom(Orig, 16390, 3, Gen);
  Src.SetDrawMode(dmBlend);
  for (const TStretchFilter Filter : {sfNearest, sfLinear}) {
    Src.SetStretchFilter(Filter);
    TBitmap32 Want, Got;
    Want.Assign(&Orig);
    Got.Assign(&Orig);
    TAffineTransformation T;
    T.SetSrcRect({0, 0, 16390, 3});  // bounds that cover the destination
    T.Prepare();
    // x' = 2^30 x + 2.5 in 20.12: at x = 16384 the sum is 2^44 + 2.5, which truncates to 2.5
    // after both the nearest (>> 12) and the bilinear (>> 4) shift.
    T.A = 1 << 30;
    T.B = 0;
    T.C = 5 * 2048;
    T.D = 0;
    T.E = 4096;
    T.F = 0;
    ReferenceTransform(Want, Src, T);
    TransformBitmap(Got, Src, T);
    for (int Y = 0; Y < 3; ++Y)
      for (int X = 0; X < Orig.Width(); ++X)
        ASSERT_EQ(Got.GetPixel(X, Y), Want.GetPixel(X, Y)) << X << "," << Y << " " << Filter;
    EXPECT_NE(Got.GetPixel(16384, 1), Orig.GetPixel(16384, 1)) << Filter;
    EXPECT_EQ(Got.GetPixel(16383, 1), Orig.GetPixel(16383, 1)) << Filter;
  }
}

// Larger pictures, so that the eight-pixel loops run long rows with short tails.
TEST(Transformation, LargeDrawingMatchesPerPixelDefinition) {
  std::vector<TBlendForms> Forms = {TBlendForms::Scalar};
  if (BlendFormsSupported(TBlendForms::AVX2))
    Forms.push_back(TBlendForms::AVX2);
  std::mt19937 Gen(77);
  TBitmap32 Src, Dst0;
  FillRandom(Src, 301, 203, Gen);
  FillRandom(Dst0, 357, 299, Gen);
  for (const TBlendForms F : Forms) {
    const TBlendForms Old = SetTransformForms(F);
    for (int Case = 0; Case < 40; ++Case) {
      TBitmap32 Want, Got;
      Want.Assign(&Dst0);
      Got.Assign(&Dst0);
      Src.SetDrawMode(Case % 3 == 0 ? dmOpaque : dmBlend);
      Src.SetMasterAlpha(Case % 4 == 1 ? 200 : 255);
      Src.SetStretchFilter(Case % 2 ? sfNearest : sfLinear);
      std::string Kind;
      auto T = RandomTransformation(Gen, Src, Want, Kind);
      try {
        ReferenceTransform(Want, Src, *T);
      } catch (const ETransformError&) {
        continue;
      }
      TransformBitmap(Got, Src, *T);
      for (int Y = 0; Y < Want.Height(); ++Y)
        for (int X = 0; X < Want.Width(); ++X)
          ASSERT_EQ(Got.GetPixel(X, Y), Want.GetPixel(X, Y))
              << Kind << ", case " << Case << ", pixel " << X << "," << Y << ", forms " << int(F);
    }
    SetTransformForms(Old);
  }
}
