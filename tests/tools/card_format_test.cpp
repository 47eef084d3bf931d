// The card formats: the folds and their pages with their names, the panel sizes by name and
// written by the user, and their pixels at a resolution.
#include "card_format.h"

#include <gtest/gtest.h>

TEST(CardFormat, FoldsAndPagesGoBothWaysByTheirKeys) {
  for (const TCardFold F : {TCardFold::Flat, TCardFold::HalfFold, TCardFold::QuarterFold})
    EXPECT_EQ(FoldFromKey(FoldKey(F)), F);
  for (const TCardPage P :
       {TCardPage::Front, TCardPage::InsideLeft, TCardPage::InsideRight, TCardPage::Back})
    EXPECT_EQ(PageFromKey(PageKey(P)), P);
  EXPECT_FALSE(FoldFromKey("Flat"));
  EXPECT_FALSE(PageFromKey("spread"));
  EXPECT_STREQ(FoldCaption(TCardFold::HalfFold), "Открытка-складушка");
  EXPECT_STREQ(FoldCaption(TCardFold::QuarterFold), "Открытка в четыре сложения");
  EXPECT_STREQ(FoldCaption(TCardFold::Flat), "Плоская открытка");
  EXPECT_STREQ(PageCaption(TCardPage::Front), "Лицевая сторона");
  EXPECT_STREQ(PageCaption(TCardPage::InsideLeft), "Разворот слева");
  EXPECT_STREQ(PageCaption(TCardPage::InsideRight), "Разворот справа");
  EXPECT_STREQ(PageCaption(TCardPage::Back), "Оборот");
}

TEST(CardFormat, AFlatCardHasItsFrontAndAFoldedOneFourPages) {
  using enum TCardPage;
  EXPECT_EQ(PagesOf(TCardFold::Flat), std::vector<TCardPage>{Front});
  EXPECT_EQ(PagesOf(TCardFold::Flat, true), (std::vector<TCardPage>{Front, Back}));
  const std::vector<TCardPage> Four = {Front, InsideLeft, InsideRight, Back};
  EXPECT_EQ(PagesOf(TCardFold::HalfFold), Four);
  EXPECT_EQ(PagesOf(TCardFold::QuarterFold), Four);
}

TEST(CardFormat, SizesByNameAndWrittenByTheUser) {
  struct TCase {
    const char* Text;
    std::optional<TPanelSize> Size;
  };
  const TCase Cases[] = {
      {"A6", TPanelSize{105, 148}},
      {"a5", TPanelSize{148, 210}},
      {"10x15", TPanelSize{100, 150}},
      {"EURO", TPanelSize{110, 220}},
      {"120x170mm", TPanelSize{120, 170}},
      {"170x120MM", TPanelSize{120, 170}},  // kept portrait; the orientation turns it
      {"99.5x210mm", TPanelSize{99.5, 210}},
      {"20x1000mm", TPanelSize{20, 1000}},
      {"19x100mm", std::nullopt},  // too small a side
      {"100x1001mm", std::nullopt},
      {"0x0mm", std::nullopt},
      {"120x170", std::nullopt},  // no unit
      {"120x170cm", std::nullopt},
      {"x170mm", std::nullopt},
      {"120xmm", std::nullopt},
      {"-120x170mm", std::nullopt},
      {"1e2x170mm", std::nullopt},
      {"12.0.0x170mm", std::nullopt},
      {"A4", std::nullopt},
      {"", std::nullopt},
  };
  for (const TCase& C : Cases) EXPECT_EQ(PanelSizeFromText(C.Text), C.Size) << C.Text;
}

TEST(CardFormat, PanelPixelsFollowTheResolutionAndTheOrientation) {
  const TPanelSize A6{105, 148};
  EXPECT_EQ(PanelPixels(A6, TPanelOrientation::Portrait, 300), (TPanelPixels{1240, 1748}));
  EXPECT_EQ(PanelPixels(A6, TPanelOrientation::Landscape, 300), (TPanelPixels{1748, 1240}));
  EXPECT_EQ(PanelPixels({148, 210}, TPanelOrientation::Portrait, 300), (TPanelPixels{1748, 2480}));
  EXPECT_EQ(PanelPixels({110, 220}, TPanelOrientation::Portrait, 150), (TPanelPixels{650, 1299}));
}
