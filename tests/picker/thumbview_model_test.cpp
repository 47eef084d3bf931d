#include "thumbview_model.h"

#include <gtest/gtest.h>

#include "exceptions.h"
#include "thumb_test_support.h"
#include "thumb_titles.h"

namespace {

struct TCountingHost : TThumbviewHost {
  int Changes = 0, Focus = 0;
  void ThumbsChanged() override { ++Changes; }
  void ThumbScrollChanged() override {}
  void ThumbTakeFocus() override { ++Focus; }
  void ThumbPicturesReady() override {}
};

// A picker of 301 x 449 with cells of 100 x 100 (4 per column in SMHorizontal).
void SetUpSmall(TThumbviewModel& M) {
  M.SetSize(50);
  M.SetBounds(301, 449);
}

void LoadAll(TThumbviewModel& M) {
  while (M.DeliverPictures(true)) {
  }
}

// A folder with a.png, B.bmp, c.JPG and 13 more pictures.
void FillFolder(const TThumbTempDir& Dir) {
  Dir.Picture("c.JPG", 400, 200, 0xFF2040C0);
  Dir.Picture("a.png", 100, 50, 0xFFC04020);
  Dir.Picture("B.bmp", 30, 300, 0xFF20C040);
  for (int I = 0; I < 13; ++I) Dir.Picture("p" + std::to_string(10 + I) + ".png", 8, 8, 0xFF808080);
}

}  // namespace

TEST(ThumbviewModel, ScanShowsSortedCellsAndSelectsTheFirst) {
  TThumbTempDir Dir;
  FillFolder(Dir);
  TCountingHost Host;
  TThumbviewModel M(&Host);
  SetUpSmall(M);
  M.SetDirectory(Dir.Path());
  EXPECT_EQ(M.Count(), 0) << "nothing is read before the first paint";
  M.Painting();
  ASSERT_EQ(M.Count(), 16);
  EXPECT_TRUE(M.Scanning());
  EXPECT_EQ(M.Selected(), -1) << "the first cell is selected when the scan ends";
  LoadAll(M);
  EXPECT_FALSE(M.Scanning());
  EXPECT_EQ(M.Title(0), "a.png");
  EXPECT_EQ(M.Title(1), "B.bmp");
  EXPECT_EQ(M.Title(2), "c.JPG");
  EXPECT_EQ(M.Selected(), 0);
  EXPECT_EQ(M.SelectedFile(), Dir.Path() + "/a.png");
  EXPECT_TRUE(M.Cell(0).Highlighted);
  for (int I = 0; I < M.Count(); ++I) EXPECT_EQ(M.Cell(I).State, TThumbCell::csLoaded) << I;

  // Small-memory mode: 100 x 50 stays, 400 x 200 becomes 200 x 100; both fit 92 x 77.
  EXPECT_EQ(M.Cell(0).Picture.Size, (TSize{100, 50}));
  EXPECT_EQ(M.Cell(2).Picture.Size, (TSize{200, 100}));
  EXPECT_EQ(M.Cell(2).Picture.Shown.Width(), 200);
  EXPECT_EQ(M.Cell(2).PictureRect, (TRect{4, 34, 96, 80}));
  EXPECT_EQ(M.Cell(1).Picture.Size, ReducedPictureSize(30, 300, 200, 200));
  // Cell 5 (index 4) opens the second column.
  EXPECT_EQ(M.Cell(4).Bounds, (TRect{108, 4, 208, 104}));
  EXPECT_GT(M.MaxScrollX(), 0);
  EXPECT_TRUE(M.HorzBarVisible());
  EXPECT_FALSE(M.VertBarVisible());
  EXPECT_THROW(M.Cell(16), EListError);
}

TEST(ThumbviewModel, FullPicturesWithoutSmallMemory) {
  TThumbTempDir Dir;
  Dir.Picture("wide.png", 400, 100, 0xFF102030);
  TThumbviewModel M;
  M.SetMinMemory(false);
  M.SetSize(50);
  M.SetBounds(300, 300);
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  ASSERT_EQ(M.Count(), 1);
  EXPECT_EQ(M.Cell(0).Picture.Size, (TSize{400, 100}));  // fitted from its own size
  EXPECT_EQ(M.Cell(0).PictureRect.Width(), 92);
  EXPECT_EQ(M.Cell(0).PictureRect.Height(), 23);
  EXPECT_LE(M.Cell(0).Picture.Shown.Width(), 200);  // the copy kept is never above the box
}

TEST(ThumbviewModel, BrokenPicturesGetACellAndTheScanGoesOn) {
  TThumbTempDir Dir;
  Dir.Text("a.jpg", "not a picture");
  Dir.Text("b.png", "\x89PNG\r\n\x1a\n broken");
  Dir.Text("c.bmp", "");
  Dir.Picture("d.png", 10, 10, 0xFFFFFFFF);
  TThumbviewModel M;
  M.SetBounds(500, 500);
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  ASSERT_EQ(M.Count(), 4);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(M.Cell(I).State, TThumbCell::csBroken) << M.Title(I);
    EXPECT_FALSE(M.Cell(I).Error.empty()) << M.Title(I);
  }
  EXPECT_EQ(M.Cell(3).State, TThumbCell::csLoaded);
  EXPECT_EQ(M.Selected(), 0);
  EXPECT_FALSE(M.Scanning());
}

TEST(ThumbviewModel, ScanningMarkAndEmptyFolder) {
  TThumbTempDir A, B;
  FillFolder(A);
  B.Picture("only.png", 4, 4, 0xFF000000);
  TThumbviewModel M;
  M.SetBounds(400, 400);
  M.Painting();
  M.SetDirectory(A.Path());
  ASSERT_TRUE(M.Scanning());
  M.SetDirectory(B.Path());  // ignored while the scan runs
  EXPECT_EQ(M.Directory(), A.Path());
  LoadAll(M);
  EXPECT_EQ(M.Count(), 16);
  M.SetDirectory(B.Path());
  LoadAll(M);
  EXPECT_EQ(M.Count(), 1);
  EXPECT_EQ(M.Selected(), 0);
  M.SetDirectory(A.File("missing"));
  LoadAll(M);
  EXPECT_EQ(M.Count(), 0);
  EXPECT_EQ(M.Selected(), -1);
  EXPECT_FALSE(M.Scanning());
  M.SetDirectory(A.Path());
  M.SetDirectory("");  // removes the cells, also in the middle of a scan
  EXPECT_EQ(M.Count(), 0);
  EXPECT_FALSE(M.Scanning());
  EXPECT_FALSE(M.DeliverPictures(true));
}

TEST(ThumbviewModel, MouseSelectsAndClicks) {
  TThumbTempDir Dir;
  FillFolder(Dir);
  TCountingHost Host;
  TThumbviewModel M(&Host);
  SetUpSmall(M);
  M.SetAsButtons(true);
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  std::vector<int> Clicks;
  M.OnClick = [&](int32_t C) { Clicks.push_back(C); };

  M.MouseDown(mbLeft, 150, 150);  // second column, second row: index 5
  EXPECT_EQ(Host.Focus, 1);
  EXPECT_EQ(M.Selected(), 5);
  EXPECT_TRUE(M.Cell(5).Pressed);
  EXPECT_FALSE(M.Cell(0).Highlighted);
  EXPECT_TRUE(M.Cell(5).Highlighted);
  M.MouseMove(300, 150);  // left the cell: normal look
  EXPECT_FALSE(M.Cell(5).Pressed);
  M.MouseMove(160, 160);  // back: pressed again
  EXPECT_TRUE(M.Cell(5).Pressed);
  M.MouseUp(mbLeft, 160, 160);
  EXPECT_FALSE(M.Cell(5).Pressed);
  EXPECT_EQ(Clicks, std::vector<int>{5});

  M.MouseDown(mbLeft, 106, 50);  // the gap between two columns
  EXPECT_EQ(M.Selected(), -1);
  EXPECT_FALSE(M.Cell(5).Highlighted);
  EXPECT_EQ(M.SelectedFile(), "");
  M.MouseUp(mbLeft, 106, 50);
  EXPECT_EQ(Clicks, (std::vector<int>{5, -1}));

  std::vector<int> Doubles;
  M.OnDblClick = [&](int32_t C) { Doubles.push_back(C); };
  M.MouseDown(mbLeft, 50, 150);
  M.MouseUp(mbLeft, 50, 150);
  M.DoubleClick(mbLeft, 50, 150);
  M.MouseUp(mbLeft, 50, 150);  // the release of a double-click is no second click
  EXPECT_EQ(Clicks, (std::vector<int>{5, -1, 1}));
  EXPECT_EQ(Doubles, std::vector<int>{1});

  M.MouseDown(mbRight, 50, 50);  // any button selects
  EXPECT_EQ(M.Selected(), 0);
  EXPECT_FALSE(M.Cell(0).Pressed);
}

TEST(ThumbviewModel, KeysMoveAndScroll) {
  TThumbTempDir Dir;
  FillFolder(Dir);
  TThumbviewModel M;
  M.SetSize(50);
  M.SetScrollMode(SMVertical);
  M.SetBounds(337, 250);  // (337 - 20) div 104 = 3 per row, 6 rows of 16 cells
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  ASSERT_EQ(M.PerLine(), 3);
  EXPECT_TRUE(M.VertBarVisible());
  EXPECT_TRUE(M.KeyDown(TThumbviewModel::vkEnd));
  EXPECT_EQ(M.Selected(), 15);
  // The last cell is wholly visible: bottom 6 * 104 = 624 in a view of 250.
  EXPECT_EQ(M.ScrollY(), M.MaxScrollY());
  EXPECT_TRUE(M.KeyDown(TThumbviewModel::vkRight));  // the last cell: stays
  EXPECT_EQ(M.Selected(), 15);
  EXPECT_TRUE(M.KeyDown(TThumbviewModel::vkUp));
  EXPECT_EQ(M.Selected(), 12);
  EXPECT_TRUE(M.KeyDown(TThumbviewModel::vkHome));
  EXPECT_EQ(M.Selected(), 0);
  EXPECT_EQ(M.ScrollY(), 0);
  EXPECT_TRUE(M.KeyDown(TThumbviewModel::vkDown));
  EXPECT_EQ(M.Selected(), 3);
  EXPECT_FALSE(M.KeyDown(TThumbviewModel::vkOther));
  M.SetAutoHandleKeyb(false);
  EXPECT_FALSE(M.KeyDown(TThumbviewModel::vkDown));
  EXPECT_EQ(M.Selected(), 3);

  // Setting Selected scrolls along the scrolling direction only, when AutoScrolling is on.
  M.SetSelected(13);  // bottom 520: scrolled to 520 + 50 - 250
  EXPECT_EQ(M.ScrollY(), 320);
  EXPECT_EQ(M.ScrollX(), 0);
  M.SetAutoScrolling(false);
  M.SetSelected(0);
  EXPECT_EQ(M.ScrollY(), 320);
  M.SetSelected(99);  // outside the cells: nothing changes
  EXPECT_EQ(M.Selected(), 0);
}

TEST(ThumbviewModel, TitlesAndPropertyChangesPlaceCellsAgain) {
  TThumbTempDir Dir;
  FillFolder(Dir);
  TThumbviewModel M;
  SetUpSmall(M);
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  M.SetTitle(1, "Размытие");
  EXPECT_EQ(M.Title(1), "Размытие");
  EXPECT_EQ(M.Cell(1).Path, Dir.Path() + "/B.bmp");  // the order stays
  M.SetThumbGap(10);
  EXPECT_EQ(M.Cell(4).Bounds, (TRect{120, 120, 220, 220}));  // (449-20) div 110 = 3 per column
  M.SetTitlePlacement(T_Down);
  EXPECT_EQ(M.Cell(2).PictureRect, (TRect{4, 20, 96, 66}));
  M.SetBounds(601, 1000);
  EXPECT_EQ(M.PerLine(), 8);
  EXPECT_EQ(M.Cell(4).Bounds.Left, 10);
}

namespace {

// Measures a title as one 15-pixel line per 8 bytes of it.
struct TMeasuringHost : TCountingHost {
  int32_t MeasureThumbTitle(const std::string& Title, int32_t Width) override {
    EXPECT_EQ(Width, 100);
    return int32_t(15 * ((Title.size() + 7) / 8));
  }
};

}  // namespace

TEST(ThumbviewModel, LongTitlesMakeTheCellsTallerNotThePicturesSmaller) {
  TThumbTempDir Dir;
  FillFolder(Dir);
  Dir.Text(ThumbTitlesFile, "c.JPG = Рождественская карамель\n");  // 46 bytes: 6 lines
  TMeasuringHost Host;
  TThumbviewModel M(&Host);
  SetUpSmall(M);
  M.SetTitlePlacement(T_Down);
  M.Painting();
  M.SetDirectory(Dir.Path());
  LoadAll(M);
  // The index's title sorts after the Latin names; the strip is capped at ThumbTitleHeightMax.
  ASSERT_EQ(M.Title(M.Count() - 1), "Рождественская карамель");
  EXPECT_EQ(M.TitleHeight(), 90);
  EXPECT_EQ(M.CellSize(), (TSize{100, 175}));
  const TThumbCell& C = M.Cell(M.Count() - 1);
  EXPECT_EQ(C.Bounds.Height(), 175);
  // 400 x 200 fits the same 92 x 77 area as with a one-line strip, above the strip.
  EXPECT_EQ(C.PictureRect, (TRect{4, 20, 96, 66}));
  EXPECT_LE(C.PictureRect.Bottom, ThumbTitleRect(M.CellSize(), T_Down, M.TitleHeight()).Top);
  // Hit tests and placing follow the taller cells: one cell under another, no overlap.
  EXPECT_EQ(M.PerLine(), 2);  // (449 - 20) div 179
  EXPECT_EQ(M.Cell(1).Bounds, (TRect{4, 183, 104, 358}));
  EXPECT_EQ(M.CellAt(50, 300), 1);
  EXPECT_EQ(M.CellAt(50, 181), -1);  // the gap
  // Short titles again: the strip shrinks back.
  M.SetTitle(M.Count() - 1, "Снег");
  EXPECT_EQ(M.TitleHeight(), 15);
  EXPECT_EQ(M.CellSize(), (TSize{100, 100}));
  // A hidden strip never grows the cells.
  M.SetTitle(0, std::string(100, 'x'));
  M.SetTitlePlacement(T_None);
  EXPECT_EQ(M.CellSize(), (TSize{100, 100}));
}
