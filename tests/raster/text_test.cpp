// Text is checked by measurable facts (sizes grow, boxes agree, styles widen, glyphs land
// inside their cell) rather than by pixels that change with the installed font version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bitmap32.h"
#include "font.h"
#include "text_renderer.h"

namespace {

#define REQUIRE_FONTS()                                                              \
  do {                                                                               \
    if (TResolvedFont::Resolve("Arial", 10, 0) == nullptr)                           \
      GTEST_SKIP() << "no font can be loaded (fonts-liberation, fonts-dejavu-core)"; \
  } while (0)

const std::string Cyrillic = "Привет, мир";

// Bounding box of the pixels that differ from Background; empty (Right <= Left) when none do.
TRect InkBox(const TBitmap32& B, TColor32 Background) {
  TRect R{B.Width(), B.Height(), 0, 0};
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X)
      if (B.GetPixel(X, Y) != Background) {
        R.Left = std::min(R.Left, X);
        R.Top = std::min(R.Top, Y);
        R.Right = std::max(R.Right, X + 1);
        R.Bottom = std::max(R.Bottom, Y + 1);
      }
  return R;
}

// White text on opaque black, drawn with the cell's corner at (X, Y).
void DrawWhite(TBitmap32& B, int32_t W, int32_t H, int32_t X, int32_t Y, const std::string& Text) {
  B.SetSize(W, H);
  B.Clear(0xFF000000);
  B.Font().SetColor(0x00FFFFFF);
  B.DrawText(X, Y, Text);
}

}  // namespace

// ---- Fonts and measuring -----------------------------------------------------------------

TEST(TextFont, NamesResolveThroughSubstitution) {
  REQUIRE_FONTS();
  const auto Arial = TResolvedFont::Resolve("Arial", 10, 0);
  const auto Sans = TResolvedFont::Resolve("sans-serif", 10, 0);
  ASSERT_NE(Sans, nullptr);
  const std::string File = Arial->FileName();
  EXPECT_TRUE(File.find("Arial") != std::string::npos || File.find("arial") != std::string::npos ||
              File.find("Liberation") != std::string::npos)
      << "Arial resolved to " << File;
  const auto Unknown = TResolvedFont::Resolve("No Such Face 1234", 10, 0);
  ASSERT_NE(Unknown, nullptr) << "an unknown name falls back to the default sans face";
  EXPECT_EQ(Unknown->FileName(), Sans->FileName());
  // 10 points at 96 pixels per inch: 13.33 pixels per em, rounded.
  EXPECT_EQ(Arial->PixelsPerEm(), 13);
  EXPECT_EQ(TResolvedFont::Resolve("Arial", 0, 0)->PixelsPerEm(), 13) << "0 is the default size";
  EXPECT_EQ(TResolvedFont::Resolve("Arial", 9, 0)->PixelsPerEm(), 12);
}

TEST(TextMeasure, ExtentGrowsWithSize) {
  REQUIRE_FONTS();
  TBitmap32 B;  // empty: measuring needs no pixels
  TSize Last{0, 0};
  for (const int32_t Size : {6, 8, 10, 14, 20, 30, 48, 120}) {
    B.Font().SetSize(Size);
    const TSize E = B.TextExtent("Text " + Cyrillic);
    EXPECT_GT(E.cx, Last.cx) << "size " << Size;
    EXPECT_GT(E.cy, Last.cy) << "size " << Size;
    EXPECT_EQ(B.TextWidth("Text " + Cyrillic), E.cx);
    EXPECT_EQ(B.TextHeight("Text " + Cyrillic), E.cy);
    Last = E;
  }
}

TEST(TextMeasure, HeightIsTheCellAndWidthTheSumOfAdvances) {
  REQUIRE_FONTS();
  TBitmap32 B;
  B.Font().SetSize(14);
  const int32_t H = B.TextHeight("x");
  const auto F = TResolvedFont::Resolve(B.Font());
  EXPECT_EQ(H, F->Ascent() + F->Descent());
  struct TCase {
    const char* Name;
    std::string Text;
  };
  const TCase Cases[] = {{"empty", ""},
                         {"capitals and descenders", "ÁQjgy|"},
                         {"Cyrillic", Cyrillic},
                         {"space", " "},
                         {"malformed UTF-8", "a\xC3(\xFF\xE2\x82"}};
  for (const TCase& C : Cases) EXPECT_EQ(B.TextHeight(C.Text), H) << C.Name;
  EXPECT_EQ(B.TextWidth(""), 0);
  EXPECT_GT(B.TextWidth(" "), 0);
  EXPECT_GT(B.TextWidth("a\xC3(\xFF"), B.TextWidth("a(")) << "bad bytes still take room";
  // Whole-pixel advances and no pair kerning: widths add up.
  EXPECT_EQ(B.TextWidth("AV" + Cyrillic),
            B.TextWidth("A") + B.TextWidth("V") + B.TextWidth(Cyrillic));
}

TEST(TextMeasure, StylesChangeTheWidthNotTheCell) {
  REQUIRE_FONTS();
  for (const char* Face : {"Arial", "DejaVu Sans", "Times New Roman"}) {
    TBitmap32 B;
    B.Font().SetName(Face);
    B.Font().SetSize(20);
    const TSize Regular = B.TextExtent("Bold text " + Cyrillic);
    B.Font().SetStyle(fsBold);
    const TSize Bold = B.TextExtent("Bold text " + Cyrillic);
    B.Font().SetStyle(fsUnderline | fsStrikeOut);
    const TSize Lined = B.TextExtent("Bold text " + Cyrillic);
    EXPECT_GT(Bold.cx, Regular.cx) << Face;
    EXPECT_EQ(Bold.cy, Regular.cy) << Face;
    EXPECT_EQ(Lined, Regular) << Face << ": lines take no room";
  }
}

TEST(TextFont, MissingBoldAndItalicAreSynthesized) {
  REQUIRE_FONTS();
  // A face installed in one weight only; skip where it resolves elsewhere.
  const auto Regular = TResolvedFont::Resolve("DejaVu Sans Light", 20, 0);
  if (Regular->FileName().find("ExtraLight") == std::string::npos)
    GTEST_SKIP() << "DejaVu Sans ExtraLight is not installed";
  const auto Bold = TResolvedFont::Resolve("DejaVu Sans Light", 20, fsBold);
  const auto Italic = TResolvedFont::Resolve("DejaVu Sans Light", 20, fsItalic);
  EXPECT_EQ(Bold->FileName(), Regular->FileName());
  EXPECT_TRUE(Bold->SyntheticBold());
  EXPECT_TRUE(Italic->SyntheticItalic());
  EXPECT_FALSE(Regular->SyntheticBold() || Regular->SyntheticItalic());
  EXPECT_GT(Bold->Extent("Light").cx, Regular->Extent("Light").cx);

  // The italic leans: its ink reaches further right at the top than at the bottom.
  TBitmap32 Upright, Slanted;
  for (TBitmap32* B : {&Upright, &Slanted}) {
    B->Font().SetName("DejaVu Sans Light");
    B->Font().SetSize(40);
  }
  Slanted.Font().SetStyle(fsItalic);
  DrawWhite(Upright, 100, 80, 10, 0, "l");
  DrawWhite(Slanted, 100, 80, 10, 0, "l");
  const TRect U = InkBox(Upright, 0xFF000000), S = InkBox(Slanted, 0xFF000000);
  EXPECT_GT(S.Right - S.Left, U.Right - U.Left + 3);

  // Faces that have their own bold are not emboldened again.
  const auto ArialBold = TResolvedFont::Resolve("Arial", 10, fsBold);
  EXPECT_FALSE(ArialBold->SyntheticBold()) << ArialBold->FileName();
}

TEST(TextFont, FontChangesReachTheBitmap) {
  REQUIRE_FONTS();
  TBitmap32 B;
  const TSize Small = B.TextExtent("Size");
  int Notes = 0;
  B.Font().OnChange = [&Notes](TObject*) { ++Notes; };  // replacing OnChange is allowed
  B.Font().SetSize(30);
  EXPECT_EQ(Notes, 1);
  EXPECT_GT(B.TextWidth("Size"), Small.cx) << "the resolved font was dropped";
  B.Font().SetSize(30);
  EXPECT_EQ(Notes, 1) << "the same value is no change";

  TFont Big;
  Big.SetName("Times New Roman");
  Big.SetSize(50);
  Big.SetStyle(fsBold | fsItalic);
  Big.SetColor(0x000000FF);
  Big.SetCharset(RussianCharset);
  B.SetFont(Big);
  EXPECT_EQ(Notes, 2) << "SetFont notifies once";
  EXPECT_TRUE(B.Font().SameAttributes(Big));
  EXPECT_EQ(B.TextExtent("Size"), TResolvedFont::Resolve(Big)->Extent("Size"));
  EXPECT_EQ(B.Font().Height(), -67);
}

// ---- Drawing -----------------------------------------------------------------------------

TEST(TextDraw, CoverageMovesColourChannelsAndKeepsAlpha) {
  REQUIRE_FONTS();
  TBitmap32 B;
  B.Font().SetSize(40);
  B.SetSize(120, 70);
  B.Clear(0x12000000);  // transparent-ish black: the alpha byte must survive
  B.Font().SetColor(0x00FFFFFF);
  int Notes = 0;
  B.OnChange = [&Notes](TObject*) { ++Notes; };
  B.DrawText(4, 2, "IЖ");
  EXPECT_EQ(Notes, 1);
  int Full = 0, Partial = 0;
  for (int32_t I = 0; I < 120 * 70; ++I) {
    const TColor32 P = B.Bits()[I];
    ASSERT_EQ(P >> 24, 0x12u) << "alpha changed at " << I;
    const uint32_t Blue = P & 255;
    ASSERT_EQ((P >> 16) & 255, Blue);
    ASSERT_EQ((P >> 8) & 255, Blue);
    Full += Blue == 255;
    Partial += Blue > 0 && Blue < 255;
  }
  EXPECT_GT(Full, 50) << "stems are fully covered";
  EXPECT_GT(Partial, 10) << "edges are anti-aliased";

  // Red text on white: red stays, green and blue fall together.
  B.Clear(0xFFFFFFFF);
  B.Font().SetColor(0x000000FF);
  B.DrawText(4, 2, "IЖ");
  bool Pure = false;
  for (int32_t I = 0; I < 120 * 70; ++I) {
    const TColor32 P = B.Bits()[I];
    ASSERT_EQ(P & 0xFFFF0000u, 0xFFFF0000u);
    ASSERT_EQ((P >> 8) & 255, P & 255);
    Pure = Pure || P == 0xFFFF0000u;
  }
  EXPECT_TRUE(Pure);
}

TEST(TextDraw, GlyphsStayInsideTheirCell) {
  REQUIRE_FONTS();
  struct TCase {
    const char* Face;
    int32_t Size;
    TFontStyles Style;
    std::string Text;
  };
  const TCase Cases[] = {{"Arial", 10, 0, "Text"},
                         {"Arial", 24, 0, "ЁЙДщуфр" + Cyrillic},
                         {"Times New Roman", 18, fsBold, "Égypte jq"},
                         {"DejaVu Sans", 30, fsUnderline, "gy_"},
                         {"Arial", 16, fsStrikeOut, Cyrillic}};
  for (const TCase& C : Cases) {
    TBitmap32 B;
    B.Font().SetName(C.Face);
    B.Font().SetSize(C.Size);
    B.Font().SetStyle(C.Style);
    const TSize E = B.TextExtent(C.Text);
    DrawWhite(B, E.cx + 40, E.cy + 40, 20, 20, C.Text);
    const TRect Ink = InkBox(B, 0xFF000000);
    EXPECT_LT(Ink.Left, Ink.Right) << C.Text;
    EXPECT_GE(Ink.Top, 20) << C.Face << " " << C.Text;
    EXPECT_LE(Ink.Bottom, 20 + E.cy) << C.Face << " " << C.Text;
    // Side bearings may overhang the advance box by a pixel or two, no more.
    EXPECT_GE(Ink.Left, 20 - 2) << C.Text;
    EXPECT_LE(Ink.Right, 20 + E.cx + 2) << C.Text;
  }
}

TEST(TextDraw, CyrillicHasItsOwnGlyphs) {
  REQUIRE_FONTS();
  // Missing characters would all draw the same box; real glyphs differ from one another.
  TBitmap32 A, B, Latin;
  A.Font().SetSize(30);
  B.Font().SetSize(30);
  DrawWhite(A, 60, 60, 5, 5, "Д");
  DrawWhite(B, 60, 60, 5, 5, "Ж");
  DrawWhite(Latin, 60, 60, 5, 5, "A");
  int32_t Differ = 0;
  for (int32_t I = 0; I < 60 * 60; ++I) Differ += A.Bits()[I] != B.Bits()[I];
  EXPECT_GT(Differ, 30);
  EXPECT_GT(A.TextWidth("Д"), 0);
  const TRect Box = InkBox(A, 0xFF000000);
  EXPECT_GT(Box.Right - Box.Left, 8);
}

TEST(TextDraw, UnderlineAndStrikeOutAreLinesAcrossTheText) {
  REQUIRE_FONTS();
  // A row lit across the whole advance width only exists with a line style: "i i" has gaps.
  const auto FullRows = [](TBitmap32& B, int32_t Width) {
    std::vector<int32_t> Rows;
    for (int32_t Y = 0; Y < B.Height(); ++Y) {
      bool Full = true;
      for (int32_t X = 0; X < Width && Full; ++X) Full = (B.GetPixel(X, Y) & 255) > 0;
      if (Full)
        Rows.push_back(Y);
    }
    return Rows;
  };
  TBitmap32 B;
  B.Font().SetSize(24);
  const TSize E = B.TextExtent("i i");
  const auto F = TResolvedFont::Resolve(B.Font());
  DrawWhite(B, E.cx, E.cy, 0, 0, "i i");
  EXPECT_TRUE(FullRows(B, E.cx).empty());
  B.Font().SetStyle(fsUnderline);
  DrawWhite(B, E.cx, E.cy, 0, 0, "i i");
  const auto Under = FullRows(B, E.cx);
  ASSERT_FALSE(Under.empty());
  EXPECT_GE(Under.front(), F->Ascent()) << "the underline lies below the baseline";
  B.Font().SetStyle(fsStrikeOut);
  DrawWhite(B, E.cx, E.cy, 0, 0, "i i");
  const auto Strike = FullRows(B, E.cx);
  ASSERT_FALSE(Strike.empty());
  EXPECT_LT(Strike.back(), F->Ascent()) << "the strike-out lies above the baseline";
  EXPECT_GT(Strike.front(), F->Ascent() / 3) << "and below the capitals' top part";
}

TEST(TextDraw, ClippedAndEmptyTargets) {
  REQUIRE_FONTS();
  TBitmap32 B;
  B.Font().SetSize(30);
  B.DrawText(0, 0, "nothing to draw on");
  const std::pair<int32_t, int32_t> Corners[] = {
      {-30, -20}, {5, -25}, {-1000, 3}, {INT32_MAX - 5, 0}, {INT32_MIN, INT32_MIN}, {3, 25}};
  for (const auto& [X, Y] : Corners) {
    DrawWhite(B, 20, 30, X, Y, "Wq");
    EXPECT_GE(B.Width(), 20);  // survives, every write inside the bitmap
  }
  DrawWhite(B, 20, 30, -8, -10, "Wq");
  EXPECT_GT(InkBox(B, 0xFF000000).Right, 0) << "the part inside is drawn";
}

// ---- Anti-aliased text ------------------------------------------------------------------

TEST(DrawTextAntialiased, Level0FollowsTheRenderersCoverage) {
  REQUIRE_FONTS();
  // Opaque white onto transparent black through the blend: the blue channel ends within one
  // step of the coverage that DrawText gives, and uncovered pixels stay untouched.
  TBitmap32 Plain, Smooth;
  Plain.Font().SetSize(20);
  Smooth.Font().SetSize(20);
  DrawWhite(Plain, 90, 40, 3, 4, Cyrillic);
  Smooth.SetSize(90, 40);
  Smooth.Clear(0xFF000000);
  int Notes = 0;
  Smooth.OnChange = [&Notes](TObject*) { ++Notes; };
  Smooth.DrawTextAntialiased(3, 4, Cyrillic, 0, 0xFFFFFFFF);
  EXPECT_EQ(Notes, 1);
  int32_t Lit = 0;
  for (int32_t I = 0; I < 90 * 40; ++I) {
    const int32_t Want = Plain.Bits()[I] & 255;
    const int32_t Got = Smooth.Bits()[I] & 255;
    ASSERT_LE(std::abs(Want - Got), 1) << "pixel " << I;
    if (Want == 0) {
      ASSERT_EQ(Smooth.Bits()[I], 0xFF000000u) << "pixel " << I;
    }
    Lit += Got > 0;
  }
  EXPECT_GT(Lit, 40);
}

TEST(DrawTextAntialiased, LevelsCoverTheSameBox) {
  REQUIRE_FONTS();
  TRect Boxes[5];
  for (int32_t Level = 0; Level <= 4; ++Level) {
    TBitmap32 B;
    B.Font().SetSize(16);
    B.SetSize(200, 60);
    B.Clear(0xFF000000);
    B.DrawTextAntialiased(10, 10, "Card " + Cyrillic, Level, 0xFFFFFFFF);
    Boxes[Level] = InkBox(B, 0xFF000000);
    ASSERT_LT(Boxes[Level].Left, Boxes[Level].Right) << "level " << Level;
  }
  // Supersampled glyphs are hinted at another size, so the edges may move by a pixel or two.
  for (int32_t Level = 1; Level <= 4; ++Level) {
    EXPECT_NEAR(Boxes[Level].Left, Boxes[0].Left, 2) << "level " << Level;
    EXPECT_NEAR(Boxes[Level].Top, Boxes[0].Top, 2) << "level " << Level;
    EXPECT_NEAR(Boxes[Level].Right, Boxes[0].Right, 3) << "level " << Level;
    EXPECT_NEAR(Boxes[Level].Bottom, Boxes[0].Bottom, 2) << "level " << Level;
  }
}

TEST(DrawTextAntialiased, LevelsClampAndAlphaActsAsOpacity) {
  REQUIRE_FONTS();
  const auto Render = [](int32_t Level, TColor32 C) {
    auto B = std::make_unique<TBitmap32>();
    B->Font().SetSize(12);
    B->SetSize(80, 30);
    B->Clear(0xFF336699);
    B->DrawTextAntialiased(2, 2, "Aa Жж", Level, C);
    return B;
  };
  const auto Same = [](const TBitmap32& A, const TBitmap32& B) {
    return std::equal(A.Bits(), A.Bits() + 80 * 30, B.Bits());
  };
  EXPECT_TRUE(Same(*Render(9, 0xFFFFFF00), *Render(4, 0xFFFFFF00))) << "9 acts as 4";
  EXPECT_TRUE(Same(*Render(-3, 0xFFFFFF00), *Render(0, 0xFFFFFF00))) << "-3 acts as 0";
  EXPECT_FALSE(Same(*Render(2, 0xFFFFFF00), *Render(0, 0xFFFFFF00)));
  for (const int32_t Level : {0, 2, 4}) {
    const auto Invisible = Render(Level, 0x00FFFFFF);
    EXPECT_EQ(InkBox(*Invisible, 0xFF336699).Right, 0) << "alpha 0 at level " << Level;
    // Half opacity changes pixels, but less than full opacity does.
    const auto Half = Render(Level, 0x80FFFFFF);
    const auto Full = Render(Level, 0xFFFFFFFF);
    int64_t HalfSum = 0, FullSum = 0;
    for (int32_t I = 0; I < 80 * 30; ++I) {
      HalfSum += Half->Bits()[I] & 255;
      FullSum += Full->Bits()[I] & 255;
    }
    EXPECT_GT(HalfSum, 80 * 30 * 0x99) << Level;
    EXPECT_GT(FullSum, HalfSum) << Level;
  }

  TBitmap32 Empty;
  int Notes = 0;
  Empty.OnChange = [&Notes](TObject*) { ++Notes; };
  Empty.DrawTextAntialiased(0, 0, "x", 2, 0xFFFFFFFF);
  EXPECT_EQ(Notes, 0);
  EXPECT_TRUE(Empty.IsEmpty());
}
