// The new-project settings without the dialog: conversions, the format list, the size label,
// the page preview, unit switching, orientation and the timer's recompute.
#include "page_setup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TSize {
  int32_t W, H;
  bool operator==(const TSize&) const = default;
};
TSize Shown(const TPageSetup& S) {
  return {S.ShownWidth(), S.ShownHeight()};
}
TSize Result(const TPageSetup& S) {
  return {S.ResultWidth(), S.ResultHeight()};
}
void PrintTo(const TSize& S, std::ostream* Os) {
  *Os << S.W << " x " << S.H;
}

}  // namespace

TEST(PageSetup, ConversionsRoundToNearestWithTiesToEven) {
  struct Case {
    const char* Name;
    int32_t Got, Want;
  };
  const Case Cases[] = {
      {"A4 long side at 72 dpi", MmToPixels(297, 72), 842},
      {"A4 short side at 72 dpi", MmToPixels(210, 72), 595},
      {"A4 long side at 300 dpi", MmToPixels(297, 300), 3508},
      {"12 cm at 300 dpi", MmToPixels(120, 300), 1417},
      {"640 px in mm", PixelsToMm(640, 72), 226},
      {"480 px in mm", PixelsToMm(480, 72), 169},
      {"226 mm back", MmToPixels(226, 72), 641},
      {"169 mm back", MmToPixels(169, 72), 479},
      {"1.5 mm rounds up to even", PixelsToMm(15, 254), 2},
      {"2.5 mm rounds down to even", PixelsToMm(25, 254), 2},
      {"largest size", MmToPixels(32000, 1600), 2015748},
  };
  for (const Case& C : Cases) EXPECT_EQ(C.Got, C.Want) << C.Name;
}

TEST(PageSetup, SizeLabelIsRoundedAndNeverNegative) {
  struct Case {
    int64_t W, H, Want;
  };
  const Case Cases[] = {
      {842, 595, 1957},
      {800, 600, 1875},
      {128, 1, 0},  // 0.5 -> 0
      {384, 1, 2},  // 1.5 -> 2
      {640, 1, 2},  // 2.5 -> 2
      {32000, 32000, 4000000},
      {2015748, 2015748, 15872031248},
      {0, 600, 0},
  };
  for (const Case& C : Cases) EXPECT_EQ(SizeKilobytes(C.W, C.H), C.Want) << C.W << " x " << C.H;
}

TEST(PageSetup, FormatListIsInOrderAndItsPaperIsLandscape) {
  const auto& F = PageFormats();
  EXPECT_STREQ(F[0].Caption, "Вариант пользователя");
  EXPECT_STREQ(F[1].Caption, "Лист A4 (210 x 297 мм)");
  EXPECT_STREQ(F[3].Caption, "Фото 9 x 13 см ");  // the trailing space belongs to the entry
  EXPECT_STREQ(F[9].Caption, "720 x 576 (DV)");
  EXPECT_STREQ(F[11].Caption, "Квадрат 12 x 12 см");
  for (int32_t I = 0; I < 12; ++I)
    if (F[size_t(I)].Kind == TPageFormat::pkPaper) {
      EXPECT_GE(F[size_t(I)].Width, F[size_t(I)].Height) << F[size_t(I)].Caption;
      EXPECT_TRUE(F[size_t(I)].ToMillimetres) << F[size_t(I)].Caption;
    }
}

TEST(PageSetup, A5AndA6SheetsArePortraitAt300Dpi) {
  struct TCase {
    int32_t Index;
    const char* Caption;
    TSize Mm, Pixels;
  };
  for (const TCase& C : {TCase{12, "Лист A5 (148 x 210 мм)", {148, 210}, {1748, 2480}},
                         TCase{13, "Лист A6 (105 x 148 мм)", {105, 148}, {1240, 1748}}}) {
    EXPECT_STREQ(PageFormats()[size_t(C.Index)].Caption, C.Caption);
    TPageSetup S;
    S.ChooseFormat(C.Index);
    EXPECT_EQ(S.Resolution(), 300) << C.Caption;
    EXPECT_EQ(S.Unit(), puMillimetres) << C.Caption;
    EXPECT_EQ(Shown(S), C.Mm) << C.Caption;
    EXPECT_EQ(Result(S), C.Pixels) << C.Caption;
    S.Tick();
    EXPECT_EQ(Result(S), C.Pixels) << C.Caption;
    EXPECT_EQ(S.Orientation(), poPortrait) << C.Caption;
  }
}

TEST(PageSetup, PaperFormatsAreMadeAt300DpiUnlessTheResolutionWasTyped) {
  struct TCase {
    int32_t Index;
    TSize Pixels;
  };
  for (const TCase& C : {TCase{1, {3508, 2480}}, TCase{3, {1535, 1063}}, TCase{4, {1772, 1181}},
                         TCase{5, {2480, 1772}}, TCase{6, {3543, 2362}}, TCase{11, {1417, 1417}}}) {
    TPageSetup S;
    S.ChooseFormat(C.Index);
    EXPECT_EQ(S.Resolution(), PaperDpi) << PageFormats()[size_t(C.Index)].Caption;
    EXPECT_EQ(Result(S), C.Pixels) << PageFormats()[size_t(C.Index)].Caption;
  }
  // A typed resolution stays, and screen entries leave the resolution alone.
  TPageSetup Typed;
  Typed.SetResolution(150);
  Typed.ChooseFormat(4);
  EXPECT_EQ(Typed.Resolution(), 150);
  EXPECT_EQ(Result(Typed), (TSize{886, 591}));
  TPageSetup Screen;
  Screen.ChooseFormat(8);
  EXPECT_EQ(Screen.Resolution(), 72);
}

TEST(PageSetup, PreviewFollowsTheShownProportions) {
  struct Case {
    int32_t W, H;
    TPagePreview Want;
  };
  const Case Cases[] = {
      {500, 500, {360, 32, 257, 257}},  // a square
      {400, 800, {421, 27, 135, 270}},  // ratio 0.5
      {800, 600, {360, 64, 257, 193}},  // landscape
      {95, 100, {360, 25, 257, 271}},   // 0.95 still counts as wide
      {94, 100, {362, 27, 254, 270}},   // just under: fitted to the height
      {32000, 1, {360, 160, 257, 0}},   // a line
      {1, 32000, {488, 27, 0, 270}},
  };
  for (const Case& C : Cases) EXPECT_EQ(PagePreview(C.W, C.H), C.Want) << C.W << " x " << C.H;
}

TEST(PageSetup, StartsAt800By600PointsLandscape) {
  const TPageSetup S;
  EXPECT_EQ(Shown(S), (TSize{800, 600}));
  EXPECT_EQ(Result(S), (TSize{800, 600}));
  EXPECT_EQ(S.Unit(), puPoints);
  EXPECT_EQ(S.Resolution(), 72);
  EXPECT_EQ(S.Format(), 0);
  EXPECT_EQ(S.Orientation(), poLandscape);
  EXPECT_EQ(S.Kilobytes(), 1875);
}

TEST(PageSetup, A4At72DpiIs842By595) {
  TPageSetup S;
  S.SetResolution(72);
  S.ChooseFormat(1);
  EXPECT_EQ(S.Unit(), puMillimetres);
  EXPECT_EQ(Shown(S), (TSize{297, 210}));
  EXPECT_EQ(Result(S), (TSize{842, 595}));
  S.Tick();
  EXPECT_EQ(Result(S), (TSize{842, 595}));
  EXPECT_EQ(S.Orientation(), poLandscape);
  EXPECT_EQ(S.Kilobytes(), 1957);
  // A new resolution recomputes from the shown millimetres at once.
  S.SetResolution(300);
  EXPECT_EQ(Result(S), (TSize{3508, 2480}));
}

TEST(PageSetup, ScreenFormatInMillimetresIsRecomputedFromWholeMillimetres) {
  TPageSetup S;
  S.SetUnit(puMillimetres);
  S.ChooseFormat(7);  // "640 x 480"
  EXPECT_EQ(S.Unit(), puMillimetres);
  EXPECT_EQ(Shown(S), (TSize{226, 169}));
  EXPECT_EQ(Result(S), (TSize{640, 480}));  // set directly, until the tick
  S.Tick();
  EXPECT_EQ(Result(S), (TSize{641, 479}));
  // In points a screen entry is taken as it is and leaves the unit alone.
  TPageSetup P;
  P.ChooseFormat(10);
  EXPECT_EQ(P.Unit(), puPoints);
  EXPECT_EQ(Shown(P), (TSize{1024, 768}));
  P.Tick();
  EXPECT_EQ(Result(P), (TSize{1024, 768}));
}

TEST(PageSetup, UnitSwitchingShowsTheResultInTheNewUnit) {
  TPageSetup S;
  S.SetUnit(puMillimetres);
  EXPECT_EQ(Shown(S), (TSize{282, 212}));
  EXPECT_EQ(Result(S), (TSize{800, 600}));
  S.Tick();  // whole millimetres back to pixels
  EXPECT_EQ(Result(S), (TSize{799, 601}));
  S.SetUnit(puPoints);
  EXPECT_EQ(Shown(S), (TSize{799, 601}));
  // Typed millimetres at another resolution.
  S.SetUnit(puMillimetres);
  S.SetShownWidth(100);
  S.SetShownHeight(150);
  EXPECT_EQ(Result(S), (TSize{799, 601}));  // waits for the tick
  S.SetResolution(300);
  EXPECT_EQ(Result(S), (TSize{1181, 1772}));
  EXPECT_EQ(S.Orientation(), poPortrait);
  // A result larger than the fields' range is shown at their limit.
  S.SetShownWidth(32000);
  S.SetResolution(1600);
  S.SetUnit(puPoints);
  EXPECT_EQ(S.ShownWidth(), 32000);
}

TEST(PageSetup, OrientationSwapsTheShownSidesAndTheTickFollows) {
  TPageSetup S;
  EXPECT_TRUE(S.ClickPortrait());
  EXPECT_EQ(Shown(S), (TSize{600, 800}));
  EXPECT_EQ(Result(S), (TSize{800, 600}));
  S.Tick();
  EXPECT_EQ(Result(S), (TSize{600, 800}));
  EXPECT_EQ(S.Orientation(), poPortrait);
  EXPECT_FALSE(S.ClickPortrait());  // already portrait: nothing changes
  EXPECT_EQ(Shown(S), (TSize{600, 800}));
  EXPECT_TRUE(S.ClickLandscape());
  S.Tick();
  EXPECT_EQ(Result(S), (TSize{800, 600}));
  EXPECT_EQ(S.Orientation(), poLandscape);

  // In millimetres the swapped sides come from the pixels.
  TPageSetup M;
  M.SetResolution(72);
  M.ChooseFormat(1);
  EXPECT_TRUE(M.ClickPortrait());
  EXPECT_EQ(Shown(M), (TSize{210, 297}));
  M.Tick();
  EXPECT_EQ(Result(M), (TSize{595, 842}));

  // A square leaves the check where it was.
  TPageSetup Q;
  Q.ClickPortrait();
  Q.Tick();
  Q.SetShownWidth(500);
  Q.SetShownHeight(500);
  Q.Tick();
  EXPECT_EQ(Q.Orientation(), poPortrait);
  EXPECT_EQ(Q.Preview(), (TPagePreview{360, 32, 257, 257}));
  EXPECT_FALSE(Q.ClickLandscape());
  EXPECT_EQ(Q.Orientation(), poLandscape);
  Q.Tick();
  EXPECT_EQ(Q.Orientation(), poLandscape);
}

TEST(PageSetup, SquareEntryIs120MillimetresASide) {
  TPageSetup S;
  S.SetResolution(72);
  S.ChooseFormat(11);
  EXPECT_EQ(S.Unit(), puMillimetres);
  EXPECT_EQ(Shown(S), (TSize{120, 120}));
  EXPECT_EQ(Result(S), (TSize{340, 340}));
  S.SetResolution(300);
  EXPECT_EQ(Result(S), (TSize{1417, 1417}));
  // "Вариант пользователя" keeps the size and shows it in millimetres.
  S.ChooseFormat(0);
  EXPECT_EQ(Result(S), (TSize{1417, 1417}));
  EXPECT_EQ(Shown(S), (TSize{120, 120}));
  S.ChooseFormat(-1);
  S.ChooseFormat(PageFormatCount);
  EXPECT_EQ(S.Format(), 0);
}

TEST(PageSetup, FieldsStayInTheirRanges) {
  TPageSetup S;
  S.SetShownWidth(0);
  S.SetShownHeight(40000);
  EXPECT_EQ(Shown(S), (TSize{1, 32000}));
  S.SetResolution(0);
  EXPECT_EQ(S.Resolution(), 1);
  S.SetResolution(5000);
  EXPECT_EQ(S.Resolution(), 1600);
  // The largest card the fields describe, and its label.
  S.SetUnit(puMillimetres);
  S.SetShownWidth(32000);
  S.SetShownHeight(32000);
  S.Tick();
  EXPECT_EQ(Result(S), (TSize{2015748, 2015748}));
  EXPECT_GT(S.Kilobytes(), 0);
}
