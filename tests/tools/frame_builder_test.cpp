// The frame builder against a literal construction of the frame: the work picture F built
// tile by tile at full size, stretched over the output with the bilinear transfer.
#include "frame_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include "blend.h"
#include "color32.h"
#include "geometry.h"

namespace {

// Pixels with every channel spread, alpha included, from a fixed seed.
void FillNoise(TBitmap32& B, uint32_t Seed, bool Opaque) {
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      B.SetPixel(X, Y, Opaque ? (Seed | 0xFF000000u) : Seed);
    }
}

// A W x H noise picture that a test declares and fills in one line.
struct TNoise : TBitmap32 {
  TNoise(int32_t W, int32_t H, uint32_t Seed, bool Opaque = false) {
    SetSize(W, H);
    FillNoise(*this, Seed, Opaque);
  }
};

// The frame exactly as it is described: edge tiles, strips of Nw (Nh) copies stretched with
// the nearest-pixel filter into the gaps, corners pixel by pixel, F stretched linearly over O,
// then the target drawn at (G, G) with its draw mode.
void ReferenceFrame(const TBitmap32& T, const TBitmap32& P, int32_t Percent, TBitmap32& O) {
  const int32_t S = P.Width(), Tw = T.Width(), Th = T.Height();
  const int32_t G = Round(Percent / 100.0 * Tw);
  const int32_t Fw = Round(double(S) / G * (Tw + 2 * G)), Fh = Round(double(S) / G * (Th + 2 * G));
  const int32_t Gw = Fw - 2 * S, Gh = Fh - 2 * S;
  const int32_t Nw = Round(double(Fw) / S), Nh = Round(double(Fh) / S);
  TBitmap32 Top, Bottom, Right, Left;
  Top.Assign(&P);
  for (TBitmap32* B : {&Bottom, &Right, &Left}) B->SetSize(S, S);
  for (int32_t Y = 0; Y < S; ++Y)
    for (int32_t X = 0; X < S; ++X) {
      Bottom.SetPixel(X, Y, P.GetPixel(X, S - 1 - Y));
      Right.SetPixel(S - 1 - Y, X, P.GetPixel(X, Y));
      Left.SetPixel(Y, S - 1 - X, P.GetPixel(X, Y));
    }
  TBitmap32 F;
  F.SetSize(Fw, Fh);
  const auto Strip = [&](const TBitmap32& Tile, bool Across, const TRect& Area) {
    TBitmap32 Row;
    Row.SetSize(Across ? Nw * S : S, Across ? S : Nh * S);
    for (int32_t K = 0; K < (Across ? Nw : Nh); ++K)
      Tile.DrawOnto(Row, Across ? K * S : 0, Across ? 0 : K * S);
    Row.DrawOnto(F, Area);
  };
  Strip(Top, true, {S, 0, S + Gw, S});
  Strip(Bottom, true, {S, S + Gh, S + Gw, 2 * S + Gh});
  Strip(Left, false, {0, S, S, S + Gh});
  Strip(Right, false, {S + Gw, S, 2 * S + Gw, S + Gh});
  const auto Corner = [&](int32_t Ox, int32_t Oy, const TBitmap32& First, const TBitmap32& Second,
                          auto InFirst, auto InSecond) {
    for (int32_t Y = 0; Y < S; ++Y)
      for (int32_t X = 0; X < S; ++X)
        if (InFirst(X, Y))
          F.SetPixel(Ox + X, Oy + Y, First.GetPixel(X, Y));
    for (int32_t Y = 0; Y < S; ++Y)
      for (int32_t X = 0; X < S; ++X)
        if (InSecond(X, Y))
          F.SetPixel(Ox + X, Oy + Y, Second.GetPixel(X, Y));
  };
  Corner(
      0, 0, Left, Top, [](int X, int Y) { return X <= Y; }, [](int X, int Y) { return X >= Y; });
  Corner(
      Fw - S, 0, Right, Top, [S](int X, int Y) { return X >= S - 1 - Y; },
      [S](int X, int Y) { return X <= S - 1 - Y; });
  Corner(
      0, Fh - S, Bottom, Left, [S](int X, int Y) { return X >= S - 1 - Y; },
      [S](int X, int Y) { return X <= S - 1 - Y; });
  Corner(
      Fw - S, Fh - S, Bottom, Right, [](int X, int Y) { return X <= Y; },
      [](int X, int Y) { return X >= Y; });
  O.SetSize(0, 0);
  O.SetSize(Tw + 2 * G, Th + 2 * G);
  F.SetStretchFilter(sfLinear);
  F.DrawOnto(O, O.BoundsRect());
  if (T.DrawMode() != dmBlend) {
    T.DrawOnto(O, G, G);
    return;
  }
  // One layer over another: weight w of the target pixel, what shows of the frame below
  // r = b * (255 - w) / 255, alpha w + r; the colours weighted by w and r, or the blend's
  // colours over an opaque frame.
  const uint32_t M = T.MasterAlpha();
  for (int32_t Y = 0; Y < Th; ++Y)
    for (int32_t X = 0; X < Tw; ++X) {
      const TColor32 Fg = T.GetPixel(X, Y), Bg = O.GetPixel(G + X, G + Y);
      const int32_t W = M >= 255 ? AlphaOf(Fg) : (AlphaOf(Fg) * int32_t(M)) >> 8;
      if (W == 0)
        continue;
      const int32_t R = (AlphaOf(Bg) * (255 - W) + 127) / 255, A = W + R;
      TColor32 C = Bg;
      if (AlphaOf(Bg) == 255) {
        if (M >= 255)
          BlendOnto(Fg, C);
        else
          BlendOntoMaster(Fg, C, M);
      } else {
        const auto Mix = [&](int32_t Fc, int32_t Bc) {
          return std::min((Fc * W + Bc * R + A / 2) / A, 255);
        };
        C = ColorFromRGBA(Mix(RedOf(Fg), RedOf(Bg)), Mix(GreenOf(Fg), GreenOf(Bg)),
                          Mix(BlueOf(Fg), BlueOf(Bg)));
      }
      O.SetPixel(G + X, G + Y, (C & 0x00FFFFFF) | (TColor32(A) << 24));
    }
}

// The first differing pixel, for the failure message.
std::string FirstDifference(const TBitmap32& A, const TBitmap32& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height())
    return "sizes " + std::to_string(A.Width()) + "x" + std::to_string(A.Height()) + " and " +
           std::to_string(B.Width()) + "x" + std::to_string(B.Height());
  for (int32_t Y = 0; Y < A.Height(); ++Y)
    for (int32_t X = 0; X < A.Width(); ++X)
      if (A.GetPixel(X, Y) != B.GetPixel(X, Y)) {
        char Buf[96];
        std::snprintf(Buf, sizeof Buf, "(%d, %d): %08X, want %08X", X, Y, A.GetPixel(X, Y),
                      B.GetPixel(X, Y));
        return Buf;
      }
  return "";
}

}  // namespace

TEST(FrameBuilder, SizesOfACardFramedAtTenPercent) {
  const TFrameSizes Z = FrameSizes(800, 600, 10, 100);
  EXPECT_EQ(Z.G, 80);
  EXPECT_EQ(Z.Ow, 960);
  EXPECT_EQ(Z.Oh, 760);
  EXPECT_EQ(Z.Fw, 1200);
  EXPECT_EQ(Z.Fh, 950);
  EXPECT_EQ(Z.Gw, 1000);
  EXPECT_EQ(Z.Gh, 750);
  EXPECT_EQ(Z.Nw, 12);
  EXPECT_EQ(Z.Nh, 10) << "9.5 rounds to the even 10";
}

TEST(FrameBuilder, AThicknessThatRoundsToZeroIsRefused) {
  EXPECT_THROW(FrameSizes(49, 300, 1, 96), EFrameError);
  EXPECT_THROW(FrameSizes(50, 300, 1, 96), EFrameError) << "0.5 rounds to the even 0";
  EXPECT_EQ(FrameSizes(51, 300, 1, 96).G, 1);
  const TNoise T(40, 40, 1), P(8, 8, 2);
  TBitmap32 O;
  EXPECT_THROW(BuildFrame(T, P, 1, O), EFrameError);
}

TEST(FrameBuilder, EdgeTilesAreTurnedToFaceTheirEdges) {
  // 2 x 2 tile: a b / c d, outer edge on top.
  TBitmap32 P;
  P.SetSize(2, 2);
  const TColor32 A = 0xFF0000AA, B = 0xFF0000BB, C = 0xFF0000CC, D = 0xFF0000DD;
  P.SetPixel(0, 0, A);
  P.SetPixel(1, 0, B);
  P.SetPixel(0, 1, C);
  P.SetPixel(1, 1, D);
  TFrameTiles T;
  MakeFrameTiles(P, T);
  const auto Pixels = [](const TBitmap32& Bmp) {
    return std::vector<TColor32>(Bmp.Bits(), Bmp.Bits() + 4);
  };
  EXPECT_EQ(Pixels(T.Top), (std::vector<TColor32>{A, B, C, D}));
  EXPECT_EQ(Pixels(T.Bottom), (std::vector<TColor32>{C, D, A, B}));  // outer edge at the bottom
  EXPECT_EQ(Pixels(T.Right), (std::vector<TColor32>{C, A, D, B}));   // outer edge on the right
  EXPECT_EQ(Pixels(T.Left), (std::vector<TColor32>{B, D, A, C}));    // outer edge on the left
}

TEST(FrameBuilder, CornersAreMitredAlongTheirDiagonals) {
  const TNoise P(6, 6, 7);
  TFrameTiles T;
  MakeFrameTiles(P, T);
  const TFrameSizes Z = FrameSizes(100, 80, 10, 6);
  const int32_t S = 6;
  std::vector<int32_t> Cols(static_cast<size_t>(Z.Fw));
  std::iota(Cols.begin(), Cols.end(), 0);
  std::vector<TColor32> Row(Cols.size());
  for (int32_t Y = 0; Y < S; ++Y) {
    FrameWorkRow(T, Z, Y, Cols.data(), Z.Fw, Row.data());
    EXPECT_EQ(Row[Y], T.Top.GetPixel(Y, Y)) << "top-left diagonal from the top tile, y " << Y;
    if (Y > 0) {
      EXPECT_EQ(Row[Y - 1], T.Left.GetPixel(Y - 1, Y)) << "below the diagonal: left tile";
    }
    EXPECT_EQ(Row[Z.Fw - 1 - Y], T.Top.GetPixel(S - 1 - Y, Y)) << "top-right anti-diagonal";
    FrameWorkRow(T, Z, Z.Fh - S + Y, Cols.data(), Z.Fw, Row.data());
    EXPECT_EQ(Row[Z.Fw - S + Y], T.Right.GetPixel(Y, Y)) << "bottom-right diagonal: right tile";
    if (Y > 0) {
      EXPECT_EQ(Row[Z.Fw - S + Y - 1], T.Bottom.GetPixel(Y - 1, Y)) << "left of it: bottom tile";
    }
    EXPECT_EQ(Row[S - 1 - Y], T.Left.GetPixel(S - 1 - Y, Y)) << "bottom-left anti-diagonal";
  }
}

TEST(FrameBuilder, MatchesTheLiteralConstruction) {
  struct TCase {
    const char* Name;
    int32_t Tw, Th, Percent, S;
    TDrawMode Mode;
    uint32_t Master;
  };
  const TCase Cases[] = {
      {"card 800 x 600 at 10 % with a 100-pixel tile", 800, 600, 10, 100, dmOpaque, 255},
      {"odd sizes, enlarged frame", 37, 23, 10, 8, dmOpaque, 255},
      {"tile side equals the thickness: a plain copy", 100, 70, 10, 10, dmOpaque, 255},
      {"tile larger than the thickness: reduced frame", 60, 45, 5, 16, dmOpaque, 255},
      {"thin frame of a big tile", 151, 90, 1, 24, dmOpaque, 255},
      {"one pixel high", 50, 1, 20, 6, dmOpaque, 255},
      {"layer blended over its frame", 45, 61, 35, 12, dmBlend, 255},
      {"one-pixel tile", 40, 30, 25, 1, dmBlend, 255},
      {"layer at part opacity over its frame", 45, 61, 35, 12, dmBlend, 140},
      {"tall picture", 20, 300, 15, 9, dmOpaque, 255},
  };
  for (const TCase& C : Cases) {
    TNoise T(C.Tw, C.Th, 11 + C.Tw, false);
    T.SetDrawMode(C.Mode);
    T.SetMasterAlpha(C.Master);
    const TNoise P(C.S, C.S, 5 + C.S, false);
    TBitmap32 Want, Got;
    ReferenceFrame(T, P, C.Percent, Want);
    BuildFrame(T, P, C.Percent, Got);
    EXPECT_EQ(FirstDifference(Got, Want), "") << C.Name;
  }
}

TEST(FrameBuilder, ANonSquareTileGivesItsTopLeftSquare) {
  const TNoise T(30, 20, 3, true), Wide(9, 5, 4);
  TBitmap32 Square, A, B;
  Square.SetSize(5, 5);
  for (int32_t Y = 0; Y < 5; ++Y) std::memcpy(Square.RowAddress(Y), Wide.RowAddress(Y), 5 * 4);
  BuildFrame(T, Wide, 20, A);
  BuildFrame(T, Square, 20, B);
  EXPECT_EQ(FirstDifference(A, B), "");
}

TEST(FrameBuilder, TheOldPictureSitsAtTheThickness) {
  const TNoise T(80, 60, 9, true), P(10, 10, 1, true);
  TBitmap32 O;
  BuildFrame(T, P, 10, O);
  ASSERT_EQ(O.Width(), 96);
  ASSERT_EQ(O.Height(), 76);
  for (int32_t Y = 0; Y < 60; ++Y)
    ASSERT_EQ(std::memcmp(O.PixelAddress(8, 8 + Y), T.RowAddress(Y), 80 * 4), 0) << "row " << Y;
}

// A masked picture of one colour (a soft-edged disk on transparent black) framed with a tile of
// the same colour, at thicknesses that enlarge and reduce the frame: every pixel that shows
// anything has exactly that colour. Neither the frame's transparent inside nor the black around
// the disk darkens an edge.
TEST(FrameBuilder, EdgesKeepTheirColours) {
  constexpr TColor32 Colour = 0x3366CC;
  for (TColor32 TileAlpha : {255u, 180u})
    for (int32_t Percent : {3, 10, 35}) {
      TBitmap32 Disk;
      Disk.SetSize(90, 70);
      Disk.Clear(0);
      for (int32_t Y = 0; Y < 70; ++Y)
        for (int32_t X = 0; X < 90; ++X) {
          const float D = std::hypot(X + 0.5f - 45, Y + 0.5f - 35);
          const auto A =
              static_cast<TColor32>(std::lround(std::clamp(30.5f - D, 0.0f, 1.0f) * 255));
          if (A > 0)
            Disk.SetPixel(X, Y, (A << 24) | Colour);
        }
      Disk.SetDrawMode(dmBlend);
      TBitmap32 Tile;
      Tile.SetSize(12, 12);
      Tile.Clear((TileAlpha << 24) | Colour);
      TBitmap32 Out;
      BuildFrame(Disk, Tile, Percent, Out);
      int32_t Wrong = 0;
      for (int32_t I = 0; I < Out.Width() * Out.Height(); ++I)
        if (AlphaOf(Out.Bits()[I]) != 0 && (Out.Bits()[I] & 0x00FFFFFF) != Colour)
          ++Wrong;
      EXPECT_EQ(Wrong, 0) << "tile alpha " << TileAlpha << ", " << Percent << " %";
      // The disk's own pixels are as they were, alpha included.
      EXPECT_EQ(Out.GetPixel(Out.Width() / 2, Out.Height() / 2), 0xFF000000 | Colour);
      const int32_t G = (Out.Width() - 90) / 2;
      EXPECT_EQ(Out.GetPixel(G + 45 + 30, G + 35), Disk.GetPixel(45 + 30, 35));
    }
}
