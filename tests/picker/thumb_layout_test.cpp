#include "thumb_layout.h"

#include <gtest/gtest.h>

namespace {

std::string Str(const TRect& R) {
  return "(" + std::to_string(R.Left) + ", " + std::to_string(R.Top) + ", " +
         std::to_string(R.Right) + ", " + std::to_string(R.Bottom) + ")";
}

}  // namespace

TEST(ThumbLayout, CellSizeAndCellsPerLine) {
  EXPECT_EQ(ThumbCellSize(200, 200, 100), (TSize{200, 200}));
  EXPECT_EQ(ThumbCellSize(200, 200, 65), (TSize{130, 130}));
  EXPECT_EQ(ThumbCellSize(201, 150, 33), (TSize{66, 49}));  // 66.33, 49.5 truncated
  EXPECT_EQ(ThumbCellSize(200, 200, 1), (TSize{2, 2}));
  struct Case {
    TScrollMode Mode;
    int32_t W, H, Gap;
    TSize Cell;
    int32_t Want;
  };
  const Case Cases[] = {
      {SMHorizontal, 601, 449, 4, {100, 100}, 4},  // (449 - 20) div 104
      {SMHorizontal, 601, 124, 4, {100, 100}, 1},
      {SMHorizontal, 601, 20, 4, {100, 100}, 1},  // never below one
      {SMVertical, 601, 449, 4, {100, 100}, 5},   // (601 - 20) div 104
      {SMVertical, 1000, 10, 0, {80, 200}, 12},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(ThumbsPerLine(C.Mode, C.W, C.H, C.Gap, C.Cell), C.Want) << C.W << "x" << C.H;
}

TEST(ThumbLayout, SmallMemoryReduction) {
  struct Case {
    int32_t W, H;
    TSize Want;
    bool Kept;
  };
  const Case Cases[] = {
      {400, 100, {200, 50}, false},
      {100, 50, {200, 100}, true},      // smaller than the box: kept as it is
      {200, 100, {200, 100}, false},    // as wide as the box: drawn again at the same size
      {3000, 2000, {199, 133}, false},  // 6.6666665 in single precision: 199.99999 truncated
      {2000, 3000, {133, 199}, false},
      {1, 5000, {0, 200}, false},
  };
  for (const Case& C : Cases) {
    const TSize R = ReducedPictureSize(C.W, C.H, 200, 200);
    EXPECT_EQ(R, C.Want) << C.W << "x" << C.H << " gives " << R.cx << "x" << R.cy;
    EXPECT_EQ(KeepsPictureSize(C.W, C.H, R), C.Kept) << C.W << "x" << C.H;
  }
  EXPECT_EQ(ReducedPictureSize(0, 100, 200, 200), (TSize{0, 0}));
}

TEST(ThumbLayout, FittingThePictureIntoItsCell) {
  struct Case {
    TSize Cell, Picture;
    TTitlePlacement Title;
    TRect Want;
  };
  const Case Cases[] = {
      // Area 92 x 77, p = 23: 92 x 46 at left 4, top 27 moved down by 7.
      {{100, 100}, {400, 200}, T_Up, {4, 34, 96, 80}},
      {{100, 100}, {400, 200}, T_Down, {4, 20, 96, 66}},
      {{100, 100}, {400, 200}, T_None, {4, 27, 96, 73}},
      // Small pictures are centred, never enlarged.
      {{100, 100}, {10, 20}, T_Up, {45, 47, 55, 67}},
      {{101, 100}, {10, 20}, T_None, {45, 40, 55, 60}},  // trunc(50.5 - 5)
      // Exactly the area: p stays 100.
      {{100, 100}, {92, 77}, T_Up, {4, 19, 96, 96}},
      // A tall picture: p = trunc(77 / 300 * 100) = 25.
      {{100, 100}, {100, 300}, T_Down, {37, 6, 62, 81}},
      // A cell too small for its margins shows no picture at all.
      {{2, 2}, {400, 200}, T_Up, {1, 8, 1, 8}},
  };
  for (const Case& C : Cases) {
    const TRect R = FitThumbPicture(C.Cell, C.Picture, C.Title);
    EXPECT_EQ(R, C.Want) << C.Picture.cx << "x" << C.Picture.cy << " in " << C.Cell.cx << "x"
                         << C.Cell.cy << ": " << Str(R);
  }
  EXPECT_EQ(ThumbTitleRect({100, 80}, T_Up), (TRect{0, 0, 100, 15}));
  EXPECT_EQ(ThumbTitleRect({100, 80}, T_Down), (TRect{0, 65, 100, 80}));
  EXPECT_EQ(ThumbTitleRect({100, 80}, T_None), TRect{});
}

TEST(ThumbLayout, ATallerTitleStripGrowsTheCell) {
  // Three lines of 15: the cell grows by 30 and the picture keeps the one-line fit, beside
  // the strip on either end.
  const TSize Cell = ThumbCellWithTitle({100, 100}, T_Up, 45);
  EXPECT_EQ(Cell, (TSize{100, 130}));
  EXPECT_EQ(ThumbCellWithTitle({100, 100}, T_None, 45), (TSize{100, 100}));
  EXPECT_EQ(ThumbCellWithTitle({100, 100}, T_Down, 1000),
            (TSize{100, 100 + ThumbTitleHeightMax - 15}));
  const TRect Up = FitThumbPicture(Cell, {400, 200}, T_Up, 45);
  EXPECT_EQ(Up, (TRect{4, 64, 96, 110}));  // {4, 34, 96, 80} moved down by 30
  EXPECT_EQ(ThumbTitleRect(Cell, T_Up, 45), (TRect{0, 0, 100, 45}));
  EXPECT_GE(Up.Top, 45);
  const TRect Down = FitThumbPicture({100, 130}, {400, 200}, T_Down, 45);
  EXPECT_EQ(Down, (TRect{4, 20, 96, 66}));
  EXPECT_EQ(ThumbTitleRect({100, 130}, T_Down, 45), (TRect{0, 85, 100, 130}));
  EXPECT_LE(Down.Bottom, 85);
}

TEST(ThumbLayout, PlacingCells) {
  const TSize Cell{100, 100};
  // SMHorizontal with 4 per column: cell 5 (index 4) starts the second column.
  EXPECT_EQ(PlaceThumbCell(0, SMHorizontal, 4, Cell, 4), (TRect{4, 4, 104, 104}));
  EXPECT_EQ(PlaceThumbCell(3, SMHorizontal, 4, Cell, 4), (TRect{4, 316, 104, 416}));
  EXPECT_EQ(PlaceThumbCell(4, SMHorizontal, 4, Cell, 4), (TRect{108, 4, 208, 104}));
  // SMVertical with 3 per row.
  EXPECT_EQ(PlaceThumbCell(2, SMVertical, 4, Cell, 3), (TRect{212, 4, 312, 104}));
  EXPECT_EQ(PlaceThumbCell(3, SMVertical, 4, Cell, 3), (TRect{4, 108, 104, 208}));
  EXPECT_EQ(PlaceThumbCell(7, SMVertical, 0, {50, 30}, 3), (TRect{50, 60, 100, 90}));
}

TEST(ThumbLayout, HitTest) {
  const TSize Cell{100, 100};
  struct Case {
    const char* Name;
    TScrollMode Mode;
    int32_t X, Y, SX, SY, Count;
    int32_t Want;
  };
  const Case Cases[] = {
      {"first cell", SMHorizontal, 50, 50, 0, 0, 10, 0},
      {"second in the column", SMHorizontal, 50, 150, 0, 0, 10, 1},
      {"second column", SMHorizontal, 150, 50, 0, 0, 10, 4},
      {"gap between columns", SMHorizontal, 106, 50, 0, 0, 10, -1},
      {"cell's edge", SMHorizontal, 4, 50, 0, 0, 10, -1},
      {"past the last cell", SMHorizontal, 150, 150, 0, 0, 5, -1},
      {"below the last row", SMHorizontal, 50, 450, 0, 0, 10, -1},
      {"scrolled", SMHorizontal, 50, 50, 104, 0, 10, 4},
      {"row-wise", SMVertical, 150, 50, 0, 0, 10, 1},
      {"row-wise second row", SMVertical, 50, 150, 0, 0, 10, 4},
      {"row-wise scrolled", SMVertical, 50, 50, 0, 104, 10, 4},
      {"no cells", SMVertical, 50, 50, 0, 0, 0, -1},
      {"origin", SMVertical, 0, 0, 0, 0, 10, -1},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(ThumbHitTest(C.X, C.Y, C.SX, C.SY, C.Count, C.Mode, 4, Cell, 4), C.Want) << C.Name;
}

TEST(ThumbLayout, ScrollingIntoView) {
  struct Case {
    const char* Name;
    int32_t Start, Length, Position, Visible, Max;
    int32_t Want;
  };
  const Case Cases[] = {
      {"wholly visible", 108, 100, 0, 500, 1000, 0},
      {"before the start: half a cell inside", 108, 100, 300, 500, 1000, 58},
      {"before the start, clamped at 0", 4, 100, 50, 500, 1000, 0},
      {"past the end: half a cell inside", 520, 100, 0, 500, 1000, 170},
      {"past the end, clamped to the range", 520, 100, 0, 500, 120, 120},
      {"longer than the view", 0, 600, 0, 500, 1000, 400},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(ScrollThumbIntoView(C.Start, C.Length, C.Position, C.Visible, C.Max), C.Want)
        << C.Name;
}

TEST(ThumbLayout, NavigationKeys) {
  struct Case {
    const char* Name;
    TThumbKey Key;
    int32_t Selected, Count;
    TScrollMode Mode;
    int32_t Want;
  };
  const Case Cases[] = {
      {"Home", tkHome, 5, 10, SMVertical, 0},
      {"End", tkEnd, 5, 10, SMVertical, 9},
      {"Right along a row", tkRight, 5, 10, SMVertical, 6},
      {"Right on the last cell keeps it", tkRight, 9, 10, SMVertical, 9},
      {"Down across rows", tkDown, 5, 10, SMVertical, 8},
      {"Down past the end keeps it", tkDown, 7, 10, SMVertical, 7},
      {"Up along a column", tkUp, 5, 10, SMHorizontal, 4},
      {"Up from the first keeps it", tkUp, 0, 10, SMHorizontal, 0},
      {"Right across columns", tkRight, 5, 10, SMHorizontal, 8},
      {"Left across columns", tkLeft, 5, 10, SMHorizontal, 2},
      {"Down from none selects the first", tkDown, -1, 10, SMHorizontal, 0},
      {"Left from none stays none", tkLeft, -1, 10, SMHorizontal, -1},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(ThumbKeyTarget(C.Key, C.Selected, C.Count, C.Mode, 3), C.Want) << C.Name;
}

// The cells of a vertically scrolled picker share its width; they never shrink, and a
// horizontally scrolled picker keeps its cells.
TEST(ThumbLayout, CellsFillTheWidth) {
  struct TCase {
    TScrollMode Mode;
    int32_t ViewWidth, PerLine, Want;
  };
  const TCase Cases[] = {
      {SMVertical, 320, 1, 295},    // one greeting across the panel: 320 - 20 - 5
      {SMVertical, 440, 2, 205},    // (440 - 20 - 2 * 5) / 2
      {SMVertical, 100, 1, 200},    // narrower than a cell: the cell stays
      {SMHorizontal, 900, 3, 200},  // scrolled sideways: unchanged
  };
  for (const TCase& C : Cases) {
    const TSize Cell = ThumbCellFillingWidth(C.Mode, C.ViewWidth, 5, {200, 90}, C.PerLine);
    EXPECT_EQ(Cell.cx, C.Want) << C.ViewWidth;
    EXPECT_EQ(Cell.cy, 90);
    if (C.Mode == SMVertical && C.Want > 200) {
      // The last cell of a line ends within the room left beside the scroll bar.
      const TRect Last = PlaceThumbCell(C.PerLine - 1, C.Mode, 5, Cell, C.PerLine);
      EXPECT_LE(Last.Right, C.ViewWidth - ThumbScrollBarRoom);
    }
  }
}
