#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "checkerboard.h"
#include "clip_line.h"
#include "color32.h"
#include "geometry.h"

namespace {

// The reference mix, per channel: (X.c * W + Y.c * (256 - W) + 128) >> 8.
TColor32 RefMix(TColor32 X, TColor32 Y, uint32_t W) {
  TColor32 R = 0;
  for (int Shift = 0; Shift < 32; Shift += 8) {
    const uint32_t A = (X >> Shift) & 255, B = (Y >> Shift) & 255;
    R |= ((A * W + B * (256 - W) + 128) >> 8) << Shift;
  }
  return R;
}

TColor32 RefBlendOnto(TColor32 F, TColor32 B) {
  const uint32_t A = F >> 24;
  return A == 0 ? B : (A == 255 ? F : RefMix(F, B, A));
}

// Pixel pictures: one character per pixel, looked up in a legend.
using TLegend = std::map<char, TColor32>;

void Paint(TBitmap32& B, const std::vector<std::string>& Rows, const TLegend& Legend) {
  B.SetSize(int32_t(Rows[0].size()), int32_t(Rows.size()));
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) B.SetPixel(X, Y, Legend.at(Rows[Y][X]));
}

// Compares against a picture; unknown pixels print as '?' in the message.
void ExpectPicture(const TBitmap32& B, const std::vector<std::string>& Rows, const TLegend& Legend,
                   const std::string& Name) {
  ASSERT_EQ(B.Height(), int32_t(Rows.size())) << Name;
  std::string Got, Want;
  bool Same = true;
  for (int32_t Y = 0; Y < B.Height(); ++Y) {
    for (int32_t X = 0; X < B.Width(); ++X) {
      char C = '?';
      for (const auto& [Key, Value] : Legend)
        if (Value == B.GetPixel(X, Y))
          C = Key;
      Got += C;
      if (Legend.at(Rows[Y][X]) != B.GetPixel(X, Y))
        Same = false;
    }
    Got += '\n';
    Want += Rows[Y] + '\n';
  }
  EXPECT_TRUE(Same) << Name << "\nwant:\n" << Want << "got:\n" << Got;
}

constexpr TColor32 Bk = 0xFF000000;  // background
constexpr TColor32 Wh = 0xFFFFFFFF;
const TLegend Ink = {{'.', Bk}, {'#', Wh}};

struct TNotified {
  int Changes = 0;
  explicit TNotified(TBitmap32& B) {
    B.OnChange = [this](TObject*) { ++Changes; };
  }
};

}  // namespace

// ---- Horizontal and vertical lines -------------------------------------------------------

TEST(DrawLines, OpaqueLinesClipAndOrderTheirEnds) {
  struct TCase {
    const char* Name;
    std::function<void(TBitmap32&)> Draw;
    std::vector<std::string> Want;
  };
  const std::vector<TCase> Cases = {
      {"HorzLine, both ends included",
       [](TBitmap32& B) { B.HorzLine(1, 1, 3, Wh); },
       {"........", ".###....", "........", "........", "........"}},
      {"HorzLineSafe 10 to -5 covers the row",
       [](TBitmap32& B) { B.HorzLineSafe(10, 0, -5, Wh); },
       {"########", "........", "........", "........", "........"}},
      {"HorzLineSafe above and below the bitmap",
       [](TBitmap32& B) {
         B.HorzLineSafe(0, -1, 7, Wh);
         B.HorzLineSafe(0, 5, 7, Wh);
       },
       {"........", "........", "........", "........", "........"}},
      {"HorzLineSafe wholly left draws nothing",
       [](TBitmap32& B) { B.HorzLineSafe(-9, 2, -1, Wh); },
       {"........", "........", "........", "........", "........"}},
      {"VertLine of five: four per pass plus one",
       [](TBitmap32& B) { B.VertLine(6, 0, 4, Wh); },
       {"......#.", "......#.", "......#.", "......#.", "......#."}},
      {"VertLineSafe reversed and clipped",
       [](TBitmap32& B) { B.VertLineSafe(2, 9, 3, Wh); },
       {"........", "........", "........", "..#.....", "..#....."}},
      {"VertLineSafe outside the columns",
       [](TBitmap32& B) {
         B.VertLineSafe(-1, 0, 4, Wh);
         B.VertLineSafe(8, 0, 4, Wh);
       },
       {"........", "........", "........", "........", "........"}},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    B.SetSize(8, 5);
    B.Clear(Bk);
    C.Draw(B);
    ExpectPicture(B, C.Want, Ink, C.Name);
  }
}

TEST(DrawLines, BlendedLinesBlendEachPixelOnce) {
  // Half-transparent red onto transparent black: 0x40800000, as the memory blend gives.
  TBitmap32 B;
  const TLegend L = {{'.', 0}, {'r', 0x40800000}};
  Paint(B, {"....", "....", "...."}, L);
  B.HorzLineBlendSafe(5, 0, -2, 0x80FF0000);
  B.VertLineBlendSafe(1, 1, 9, 0x80FF0000);
  ExpectPicture(B, {"rrrr", ".r..", ".r.."}, L, "blended lines");

  // A second pass blends again; the unchecked forms give the same values.
  B.HorzLineBlend(0, 0, 1, 0x80FF0000);
  B.VertLineBlend(3, 1, 2, 0x80FF0000);
  const TColor32 Twice = RefBlendOnto(0x80FF0000, 0x40800000);
  EXPECT_EQ(B.GetPixel(0, 0), Twice);
  EXPECT_EQ(B.GetPixel(1, 0), Twice);
  EXPECT_EQ(B.GetPixel(2, 0), 0x40800000u);
  EXPECT_EQ(B.GetPixel(3, 2), 0x40800000u);
  EXPECT_EQ(B.GetPixel(3, 0), 0x40800000u);
}

// ---- Stipple ---------------------------------------------------------------------------

TEST(Stipple, NextStippleColorWalksAndMixesThePattern) {
  TBitmap32 B;
  EXPECT_EQ(B.NextStippleColor(), 0xFF000000u) << "empty pattern";
  EXPECT_EQ(B.StippleCounter, 0.0f) << "an empty pattern leaves the counter";

  const TColor32 PA = 0xFF102030, PB = 0x80C0A090;
  B.SetStipplePattern({PA, PB});
  B.StippleStep = 0.5f;
  const TColor32 Want[] = {PA, RefMix(PA, PB, 127), PB, RefMix(PB, PA, 127), PA};
  for (const TColor32 W : Want) EXPECT_EQ(B.NextStippleColor(), W);

  // SetStipplePattern restarts at 0; a negative step walks backwards and wraps.
  B.SetStipplePattern({PA, PB, Wh});
  B.StippleStep = -1.0f;
  EXPECT_EQ(B.StippleCounter, 0.0f);
  EXPECT_EQ(B.NextStippleColor(), PA);
  EXPECT_EQ(B.NextStippleColor(), Wh);
  EXPECT_EQ(B.NextStippleColor(), PB);
  EXPECT_EQ(B.NextStippleColor(), PA);
}

TEST(Stipple, OddCountersStayInsideThePattern) {
  const TColor32 P0 = 0xFF000001, P1 = 0xFF000002, P2 = 0xFF000003;
  struct TCase {
    const char* Name;
    float Counter;
    TColor32 Want;
  };
  const TCase Cases[] = {
      {"far beyond the end", 3.0e9f, P0},  // 3e9 is a multiple of 3
      {"far below zero", -3.0e9f + 1.0f, P0},
      {"a whisker below zero wraps to the start", -1.0e-9f, P0},
      {"infinity restarts", std::numeric_limits<float>::infinity(), P0},
      {"NaN restarts", std::numeric_limits<float>::quiet_NaN(), P0},
      {"exactly the length", 3.0f, P0},
      {"last entry", 2.0f, P2},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    B.SetStipplePattern({P0, P1, P2});
    B.StippleCounter = C.Counter;
    EXPECT_EQ(B.NextStippleColor(), C.Want) << C.Name;
    EXPECT_TRUE(B.StippleCounter >= 1.0f && B.StippleCounter <= 4.0f) << C.Name;
  }
}

TEST(Stipple, StippledLinesRunFromTheFirstEnd) {
  // Eight opaque colours named '0'..'7'; each visited pixel takes the next one.
  TLegend L = {{'.', Bk}};
  TArrayOfColor32 Pattern;
  for (int I = 0; I < 8; ++I) {
    Pattern.push_back(0xFF000010u + uint32_t(I));
    L['0' + I] = Pattern.back();
  }
  TBitmap32 B;
  Paint(B, {"........", "........", "........"}, L);

  B.SetStipplePattern(Pattern);
  B.HorzLineStipple(10, 0, -5);
  EXPECT_EQ(B.StippleCounter, 8.0f) << "clamped-off pixels don't advance the pattern";
  B.SetStipplePattern(Pattern);
  B.HorzLineStipple(2, 1, 4);
  B.SetStipplePattern(Pattern);
  B.VertLineStipple(7, 5, 1);
  ExpectPicture(B,
                {
                    "76543210",
                    "..012..1",
                    ".......0",
                },
                L, "stippled runs");

  // Nothing at all, and no advance, when the line misses the bitmap.
  B.SetStipplePattern(Pattern);
  B.HorzLineStipple(-3, 1, -1);
  B.HorzLineStipple(8, 1, 12);
  B.HorzLineStipple(0, 3, 7);
  B.VertLineStipple(1, -4, -1);
  B.VertLineStipple(8, 0, 2);
  EXPECT_EQ(B.StippleCounter, 0.0f);
  TBitmap32 Empty;
  Empty.HorzLineStipple(0, 0, 3);
  EXPECT_EQ(Empty.StippleCounter, 0.0f);
}

// ---- Frames ------------------------------------------------------------------------------

TEST(DrawFrames, FrameRectSafeOutlines) {
  struct TCase {
    const char* Name;
    int32_t X1, Y1, X2, Y2;
    std::vector<std::string> Want;
  };
  const TCase Cases[] = {
      {"one pixel", 0, 0, 1, 1, {"#.....", "......", "......", "......", "......"}},
      {"4 x 3", 1, 1, 5, 4, {"......", ".####.", ".#..#.", ".####.", "......"}},
      {"one column", 2, 0, 3, 5, {"..#...", "..#...", "..#...", "..#...", "..#..."}},
      {"two rows", 0, 3, 3, 5, {"......", "......", "......", "###...", "###..."}},
      {"cut by the edges", -1, -1, 3, 3, {"..#...", "..#...", "###...", "......", "......"}},
      {"empty", 3, 3, 3, 4, {"......", "......", "......", "......", "......"}},
      {"right of the bitmap", 6, 0, 9, 4, {"......", "......", "......", "......", "......"}},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    B.SetSize(6, 5);
    B.Clear(Bk);
    B.FrameRectSafe(C.X1, C.Y1, C.X2, C.Y2, Wh);
    ExpectPicture(B, C.Want, Ink, C.Name);
  }
}

TEST(DrawFrames, FrameRectStippleGoesClockwiseVisitingEachPixelOnce) {
  TLegend L = {{'.', Bk}};
  TArrayOfColor32 Pattern;
  for (int I = 0; I < 10; ++I) {
    Pattern.push_back(0xFF000010u + uint32_t(I));
    L['0' + I] = Pattern.back();
  }
  struct TCase {
    const char* Name;
    int32_t X1, Y1, X2, Y2;
    std::vector<std::string> Want;
    float Steps;
  };
  const TCase Cases[] = {
      {"3 x 3", 1, 1, 4, 4, {".....", ".012.", ".7.3.", ".654.", "....."}, 8},
      {"4 x 2", 0, 0, 4, 2, {"0123", "7654", "....", "....", "...."}, 8},
      {"single pixel", 2, 2, 3, 3, {".....", ".....", "..0..", ".....", "....."}, 1},
      {"single column", 4, 1, 5, 4, {".....", "....0", "....1", "....2", "....."}, 3},
      {"single row", 1, 4, 4, 5, {".....", ".....", ".....", ".....", ".012."}, 3},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    Paint(B, std::vector<std::string>(C.Want.size(), std::string(C.Want[0].size(), '.')), L);
    B.SetStipplePattern(Pattern);
    B.FrameRectStipple(C.X1, C.Y1, C.X2, C.Y2);
    ExpectPicture(B, C.Want, L, C.Name);
    EXPECT_EQ(B.StippleCounter, C.Steps) << C.Name;
  }
}

TEST(DrawFrames, RaiseRectSafeLightsOneSideAndDarkensTheOther) {
  constexpr TColor32 Gray = 0xFF808080;
  struct TCase {
    const char* Name;
    int32_t Contrast;
    TColor32 TopLeft, BottomRight;  // the colours blended onto the edges
  };
  const TCase Cases[] = {
      {"100 raises: 512 clamps to 255", 100, 0xFFFFFFFF, 0xFF000000},
      {"50 raises", 50, 0xFFFFFFFF, 0x7F000000},
      {"-100 sinks", -100, 0xFF000000, 0xFFFFFFFF},
      {"-20 sinks", -20, 0x33000000, 0x66FFFFFF},
  };
  for (const TCase& C : Cases) {
    const TLegend L = {{'.', Gray},
                       {'L', RefBlendOnto(C.TopLeft, Gray)},
                       {'D', RefBlendOnto(C.BottomRight, Gray)}};
    TBitmap32 B;
    Paint(B, {"......", "......", "......", "......", "......", "......"}, L);
    B.RaiseRectSafe(1, 1, 5, 5, C.Contrast);
    ExpectPicture(B,
                  {
                      "......",
                      ".LLLL.",
                      ".L..D.",
                      ".L..D.",
                      ".DDDD.",
                      "......",
                  },
                  L, C.Name);
  }
  TBitmap32 B;
  B.SetSize(4, 4);
  B.Clear(Gray);
  B.RaiseRectSafe(0, 0, 4, 4, 0);
  B.RaiseRectSafe(-8, -8, -4, -4, 100);
  for (int32_t I = 0; I < 16; ++I) EXPECT_EQ(B.Bits()[I], Gray);
}

// ---- Notifications -----------------------------------------------------------------------

TEST(DrawNotifications, OnlyFramesLinesAndTextNotify) {
  struct TCase {
    const char* Name;
    std::function<void(TBitmap32&)> Op;
    int Changes;
  };
  const std::vector<TCase> Cases = {
      {"BlendPixel", [](TBitmap32& B) { B.BlendPixel(1, 1, Wh); }, 0},
      {"PlotSubpixel", [](TBitmap32& B) { B.PlotSubpixel(256, 256, Wh); }, 0},
      {"PlotSubpixelSafe", [](TBitmap32& B) { B.PlotSubpixelSafe(-100, 0, Wh); }, 0},
      {"HorzLine", [](TBitmap32& B) { B.HorzLine(0, 0, 3, Wh); }, 0},
      {"VertLineSafe", [](TBitmap32& B) { B.VertLineSafe(0, 0, 3, Wh); }, 0},
      {"HorzLineBlendSafe", [](TBitmap32& B) { B.HorzLineBlendSafe(0, 0, 3, Wh); }, 0},
      {"VertLineStipple", [](TBitmap32& B) { B.VertLineStipple(0, 0, 3); }, 0},
      {"SetStipplePattern", [](TBitmap32& B) { B.SetStipplePattern({Wh}); }, 0},
      {"NextStippleColor", [](TBitmap32& B) { B.NextStippleColor(); }, 0},
      {"MoveToFloat", [](TBitmap32& B) { B.MoveToFloat(1, 1); }, 0},
      {"FrameRectSafe", [](TBitmap32& B) { B.FrameRectSafe(0, 0, 2, 2, Wh); }, 1},
      {"FrameRectSafe rejected", [](TBitmap32& B) { B.FrameRectSafe(2, 0, 2, 2, Wh); }, 0},
      {"FrameRectStipple", [](TBitmap32& B) { B.FrameRectStipple(0, 0, 2, 2); }, 1},
      {"RaiseRectSafe with contrast 0", [](TBitmap32& B) { B.RaiseRectSafe(0, 0, 2, 2, 0); }, 1},
      {"RaiseRectSafe rejected", [](TBitmap32& B) { B.RaiseRectSafe(0, 0, 0, 2, 50); }, 0},
      {"LineFixed", [](TBitmap32& B) { B.LineFixed(0, 0, 65536, 65536, Wh, false); }, 1},
      {"LineFixed too short", [](TBitmap32& B) { B.LineFixed(0, 0, 255, 0, Wh, false); }, 1},
      {"LineFixedSafe", [](TBitmap32& B) { B.LineFixedSafe(0, 0, 65536, 0, Wh, true); }, 1},
      {"LineFixedSafe missing the bitmap",
       [](TBitmap32& B) { B.LineFixedSafe(-9 << 16, 0, -5 << 16, 0, Wh, true); }, 0},
      {"LineFixedStippleSafe",
       [](TBitmap32& B) { B.LineFixedStippleSafe(0, 0, 0, 1 << 16, false); }, 1},
      {"LineToFloat", [](TBitmap32& B) { B.LineToFloat(2, 2); }, 1},
      {"LineToFloat missing the bitmap",
       [](TBitmap32& B) {
         B.MoveToFloat(-9, -9);
         B.LineToFloat(-5, -5);
       },
       0},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    B.SetSize(4, 4);
    TNotified N(B);
    C.Op(B);
    EXPECT_EQ(N.Changes, C.Changes) << C.Name;
  }
}

// ---- Sub-pixel plots ---------------------------------------------------------------------

TEST(DrawSubpixel, ExactPixelGetsWeight253AndNeighboursNothing) {
  // Opaque white at weight 253 onto opaque black: (255 * 253 + 128) >> 8 = 252 per channel.
  const TLegend L = {{'.', Bk}, {'w', 0xFFFCFCFC}};
  TBitmap32 B;
  Paint(B, {"....", "....", "...."}, L);
  B.PlotSubpixel(1 << 8, 1 << 8, Wh);
  ExpectPicture(B, {"....", ".w..", "...."}, L, "PlotSubpixel");
  Paint(B, {"....", "....", "...."}, L);
  B.PlotSubpixelSafe(3 << 8, 2 << 8, Wh);
  ExpectPicture(B, {"....", "....", "...w"}, L, "PlotSubpixelSafe in the corner");

  // Half way across: the right pixel takes G[128] = 157, weight (157 * 255 * 255) >> 16 = 155.
  B.Clear(Bk);
  B.PlotSubpixel((1 << 8) + 128, 1 << 8, Wh);
  EXPECT_EQ(B.GetPixel(2, 1), 0xFF9A9A9Au);
  EXPECT_EQ(B.GetPixel(1, 2), Bk);
}

TEST(DrawSubpixel, SafePlotWritesWhatTheUncheckedPlotWritesInside) {
  // Plots near the edges of a 3 x 3 bitmap must give exactly the pixels an unchecked plot
  // gives inside a 7 x 7 bitmap around it (offset by 2).
  const TColor32 C = 0xC0FF8040;
  for (int32_t Y = -300; Y <= 3 * 256 + 40; Y += 37) {
    for (int32_t X = -300; X <= 3 * 256 + 40; X += 41) {
      TBitmap32 Small, Big;
      Small.SetSize(3, 3);
      Small.Clear(0xFF204060);
      Big.SetSize(7, 7);
      Big.Clear(0xFF204060);
      Small.PlotSubpixelSafe(X, Y, C);
      Big.PlotSubpixel(X + 512, Y + 512, C);
      for (int32_t PY = 0; PY < 3; ++PY)
        for (int32_t PX = 0; PX < 3; ++PX)
          ASSERT_EQ(Small.GetPixel(PX, PY), Big.GetPixel(PX + 2, PY + 2))
              << "plot at (" << X << ", " << Y << "), pixel (" << PX << ", " << PY << ")";
    }
  }
}

// ---- ClipLine ----------------------------------------------------------------------------

TEST(ClipLine, OutcodeClipping) {
  struct TCase {
    const char* Name;
    int32_t X1, Y1, X2, Y2;
    bool Visible;
    int32_t WX1, WY1, WX2, WY2;
  };
  // Window 0..8 x 0..8 (0..8 x 0..5 for the rounding case), edges included.
  const TCase Cases[] = {
      {"inside stays", 1, 2, 7, 8, true, 1, 2, 7, 8},
      {"both left", -5, 1, -1, 7, false, 0, 0, 0, 0},
      {"both below", 1, 9, 7, 20, false, 0, 0, 0, 0},
      {"across, horizontal", -10, 5, 10, 5, true, 0, 5, 8, 5},
      {"top-left corner region onto the top edge", -4, -2, 12, 6, true, 0, 0, 8, 4},
      {"meets both edges near a corner", -2, 3, 3, -2, true, 0, 1, 1, 0},
      {"misses the corner", -3, 1, 1, -3, false, 0, 0, 0, 0},
  };
  for (const TCase& C : Cases) {
    int32_t X1 = C.X1, Y1 = C.Y1, X2 = C.X2, Y2 = C.Y2;
    const bool Visible = ClipLine(X1, Y1, X2, Y2, 0, 0, 8, 8);
    EXPECT_EQ(Visible, C.Visible) << C.Name;
    if (Visible && C.Visible) {
      EXPECT_EQ(X1, C.WX1) << C.Name;
      EXPECT_EQ(Y1, C.WY1) << C.Name;
      EXPECT_EQ(X2, C.WX2) << C.Name;
      EXPECT_EQ(Y2, C.WY2) << C.Name;
    }
  }
  // The intersection x = 3 * -5 / 10 = -1.5 rounds away from zero.
  int32_t X1 = 0, Y1 = 0, X2 = 3, Y2 = 10;
  EXPECT_TRUE(ClipLine(X1, Y1, X2, Y2, 0, 0, 8, 5));
  EXPECT_EQ(X2, 1);
  EXPECT_EQ(Y2, 5);
  // Extreme ends wrap instead of overflowing.
  X1 = INT32_MIN, Y1 = INT32_MIN, X2 = INT32_MAX, Y2 = INT32_MAX;
  ClipLine(X1, Y1, X2, Y2, -65536, -65536, 8 << 16, 8 << 16);
}

// ---- Anti-aliased lines ------------------------------------------------------------------

TEST(LineFixed, StepsPartialStepAndEndPoint) {
  constexpr TFix16 One = 65536;
  const TLegend L = {{'.', Bk}, {'w', 0xFFFCFCFC}, {'h', 0xC07E7E7E}};
  struct TCase {
    const char* Name;
    TFix16 X1, Y1, X2, Y2;
    bool L;
    std::vector<std::string> Want;
  };
  const TCase Cases[] = {
      // Four whole steps on pixel centres, a remainder of 0 plotted with alpha 0.
      {"whole pixels",
       1 * One,
       1 * One,
       5 * One,
       1 * One,
       false,
       {".......", ".wwww..", "......."}},
      {"equal points",
       2 * One,
       1 * One,
       2 * One,
       1 * One,
       false,
       {".......", ".......", "......."}},
      {"equal points with the end",
       2 * One,
       1 * One,
       2 * One,
       1 * One,
       true,
       {".......", "..w....", "......."}},
      // Half a pixel: no whole step; alpha (255 * 32768) >> 16 = 127 at the start pixel, weight
      // (255 * 127 * 255) >> 16 = 126, alpha channel (127 * 126 + 255 * 130 + 128) >> 8 = 192.
      {"half a pixel",
       1 * One,
       1 * One,
       1 * One + One / 2,
       1 * One,
       false,
       {".......", ".h.....", "......."}},
      {"shorter than 1/256 pixel",
       1 * One,
       1 * One,
       1 * One + 255,
       1 * One,
       false,
       {".......", ".......", "......."}},
      {"vertical whole pixels",
       5 * One,
       0,
       5 * One,
       2 * One,
       false,
       {".....w.", ".....w.", "......."}},
  };
  for (const TCase& C : Cases) {
    TBitmap32 B;
    Paint(B, {".......", ".......", "......."}, L);
    B.LineFixed(C.X1, C.Y1, C.X2, C.Y2, Wh, C.L);
    ExpectPicture(B, C.Want, L, C.Name);
    Paint(B, {".......", ".......", "......."}, L);
    B.LineFixedSafe(C.X1, C.Y1, C.X2, C.Y2, Wh, C.L);
    ExpectPicture(B, C.Want, L, std::string(C.Name) + " (Safe)");
  }
}

TEST(LineFixed, TransposedLinesGiveTransposedPixels) {
  // Swapping x and y in the coordinates must swap them in the result: catches a mix-up of the
  // two step components or of the midpoint of the partial step.
  struct TSeg {
    double X1, Y1, X2, Y2;
    bool L;
  };
  const TSeg Segs[] = {{1.0, 2.0, 8.3, 3.7, false},
                       {0.25, 0.5, 9.75, 9.1, true},
                       {8.9, 1.2, 1.3, 7.6, false},
                       {2.5, 2.5, 2.9, 8.2, true}};
  for (const TSeg& S : Segs) {
    TBitmap32 A, B;
    A.SetSize(11, 11);
    A.Clear(Bk);
    B.SetSize(11, 11);
    B.Clear(Bk);
    A.LineFixed(Fix16(S.X1), Fix16(S.Y1), Fix16(S.X2), Fix16(S.Y2), 0xF0FFFFFF, S.L);
    B.LineFixed(Fix16(S.Y1), Fix16(S.X1), Fix16(S.Y2), Fix16(S.X2), 0xF0FFFFFF, S.L);
    int32_t Lit = 0;
    for (int32_t Y = 0; Y < 11; ++Y)
      for (int32_t X = 0; X < 11; ++X) {
        ASSERT_EQ(A.GetPixel(X, Y), B.GetPixel(Y, X)) << "segment from " << S.X1 << ", " << S.Y1;
        Lit += A.GetPixel(X, Y) != Bk;
      }
    EXPECT_GT(Lit, 3);
  }
}

TEST(LineFixed, SafeLinesMatchUncheckedLinesOnALargerBitmap) {
  // A clipped line on a 9 x 7 bitmap draws what the unchecked line from the clipped ends draws
  // on a bitmap 3 pixels larger on every side.
  constexpr TFix16 One = 65536;
  struct TSeg {
    TFix16 X1, Y1, X2, Y2;
  };
  const TSeg Segs[] = {{-100 * One, 3 * One, 100 * One, 3 * One},
                       {-3 * One, -2 * One, 12 * One, 9 * One},
                       {4 * One + 100, 3 * One, 40 * One, -30 * One},
                       {1 * One, 1 * One, 7 * One, 5 * One},
                       {8 * One + 200, 6 * One + 9, 8 * One + 200, -One}};
  for (const TSeg& S : Segs) {
    for (const bool L : {false, true}) {
      TBitmap32 Small, Big;
      Small.SetSize(9, 7);
      Small.Clear(Bk);
      Big.SetSize(15, 13);
      Big.Clear(Bk);
      Small.LineFixedSafe(S.X1, S.Y1, S.X2, S.Y2, Wh, L);
      int32_t X1 = S.X1, Y1 = S.Y1, X2 = S.X2, Y2 = S.Y2;
      ASSERT_TRUE(ClipLine(X1, Y1, X2, Y2, -One, -One, 9 * One, 7 * One));
      const bool EndMoved = X2 != S.X2 || Y2 != S.Y2;
      Big.LineFixed(X1 + 3 * One, Y1 + 3 * One, X2 + 3 * One, Y2 + 3 * One, Wh, L || EndMoved);
      for (int32_t Y = 0; Y < 7; ++Y)
        for (int32_t X = 0; X < 9; ++X)
          ASSERT_EQ(Small.GetPixel(X, Y), Big.GetPixel(X + 3, Y + 3))
              << "segment (" << S.X1 << ", " << S.Y1 << ")-(" << S.X2 << ", " << S.Y2 << "), L "
              << L << ", pixel (" << X << ", " << Y << ")";
    }
  }
}

TEST(LineFixed, StippledLinesTakeOneColourPerPlot) {
  constexpr TFix16 One = 65536;
  const TColor32 P[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
  TBitmap32 B;
  B.SetSize(6, 3);
  B.Clear(Bk);
  B.SetStipplePattern({P[0], P[1], P[2], P[3]});
  // Three whole steps and the (empty) partial step: four colours.
  B.LineFixedStipple(1 * One, 1 * One, 4 * One, 1 * One, false);
  EXPECT_EQ(B.StippleCounter, 4.0f);
  for (int32_t I = 0; I < 3; ++I) EXPECT_EQ(B.GetPixel(1 + I, 1), RefMix(P[I], Bk, 253)) << I;
  EXPECT_EQ(B.GetPixel(4, 1), Bk);

  B.Clear(Bk);
  B.SetStipplePattern({P[0], P[1], P[2], P[3]});
  B.LineFixedStippleSafe(-10 * One, 1 * One, 2 * One, 1 * One, false);
  EXPECT_EQ(B.StippleCounter, 4.0f) << "clipped to -1..2 with the end kept: 3 steps and a part";
  B.SetStipplePattern({P[0]});
  B.LineFloatStippleSafe(0.0f, 0.0f, 3.0f, 0.0f, false);
  EXPECT_EQ(B.GetPixel(0, 0), RefMix(P[0], Bk, 253));
  // Coordinates no 16.16 number can hold are clamped, not undefined.
  B.LineFloatStippleSafe(std::nanf(""), 1e30f, -1e30f, 2.0f, true);
}

TEST(LineFixed, PenPosition) {
  TBitmap32 B;
  B.SetSize(8, 4);
  B.Clear(Bk);
  B.MoveToFloat(1.5f, 2.25f);
  EXPECT_EQ(B.RasterX, 98304);
  EXPECT_EQ(B.RasterY, 147456);
  B.PenColor = 0xFF00FF00;
  B.MoveToFloat(1.0f, 1.0f);
  B.LineToFloat(4.0f, 1.0f);
  EXPECT_EQ(B.RasterX, 4 << 16);
  EXPECT_EQ(B.RasterY, 1 << 16);
  for (int32_t X = 1; X <= 3; ++X) EXPECT_EQ(B.GetPixel(X, 1), RefMix(0xFF00FF00, Bk, 253)) << X;
  EXPECT_EQ(B.GetPixel(4, 1), Bk) << "LineTo leaves the end point out";
  B.LineToFixed(4 << 16, 3 << 16);
  EXPECT_EQ(B.GetPixel(4, 1), RefMix(0xFF00FF00, Bk, 253)) << "the next line starts there";
  EXPECT_EQ(B.RasterY, 3 << 16);
}

TEST(LineFixed, VeryWideBitmapsClipWithoutOverflow) {
  // 16.16 coordinates end at 32768 pixels; the clip window saturates instead of wrapping.
  TBitmap32 B;
  B.SetSize(40000, 2);
  B.Clear(Bk);
  B.LineFixedSafe(0, 1 << 16, INT32_MAX, 1 << 16, Wh, true);
  EXPECT_NE(B.GetPixel(100, 1), Bk);
  EXPECT_NE(B.GetPixel(32700, 1), Bk);
  EXPECT_EQ(B.GetPixel(39000, 1), Bk);
}

TEST(Checkerboard, MatchesThePerPixelRule) {
  struct Case {
    int32_t W, H, Size;
  };
  const Case Cases[] = {{1, 1, 8}, {17, 9, 8}, {16, 16, 8}, {5, 7, 1}, {30, 3, 4}, {9, 9, 100}};
  for (const Case& C : Cases) {
    TBitmap32 B;
    B.SetSize(C.W, C.H);
    FillCheckerboard(B, C.Size, 0x1FB0B0B0, 0xFFFFFFFF);
    for (int32_t Y = 0; Y < C.H; ++Y)
      for (int32_t X = 0; X < C.W; ++X) {
        const bool Even = ((X / C.Size) & 1) == ((Y / C.Size) & 1);
        ASSERT_EQ(B.GetPixel(X, Y), Even ? 0x1FB0B0B0u : 0xFFFFFFFFu)
            << C.W << "x" << C.H << " size " << C.Size << " at " << X << "," << Y;
      }
  }
  TBitmap32 B;
  B.SetSize(2, 2);
  B.Clear(0xFF000000);
  FillCheckerboard(B, 0, 0xFFFFFFFF, 0xFFFFFFFF);  // no size: nothing
  EXPECT_EQ(B.GetPixel(1, 1), 0xFF000000u);
}
