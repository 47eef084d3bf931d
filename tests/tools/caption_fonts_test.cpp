#include "caption_fonts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "text_renderer.h"

TEST(CaptionFonts, InstalledFamiliesAreSortedAndHoldTheDefaults) {
  const std::vector<std::string> F = InstalledFontFamilies();
  ASSERT_FALSE(F.empty());
  EXPECT_TRUE(std::is_sorted(F.begin(), F.end()));
  EXPECT_TRUE(std::adjacent_find(F.begin(), F.end()) == F.end());
  EXPECT_NE(std::find(F.begin(), F.end(), "DejaVu Sans"), F.end());
  EXPECT_TRUE(IsFontInstalled("DejaVu Sans"));
  EXPECT_TRUE(IsFontInstalled("dejavu sans"));
  EXPECT_FALSE(IsFontInstalled("No Such Font Pelmora"));
  EXPECT_FALSE(IsFontInstalled(""));
}

TEST(CaptionFonts, SpecialFontTable) {
  const auto& S = SpecialFonts();
  ASSERT_EQ(S.size(), 6u);
  const char* Titles[] = {"Не выбран",    "Пушкинский", "Письменный",
                          "Оригинальный", "Заглавный",  "Огненный"};
  const char* Families[] = {"",       "Pushkin",       "OdessaScript", "Def Writer | BASE Cyr",
                            "Invest", "Xorx_windy Cyr"};
  for (size_t I = 0; I < S.size(); ++I) {
    EXPECT_STREQ(S[I].Title, Titles[I]);
    EXPECT_STREQ(S[I].Family, Families[I]);
  }
  EXPECT_EQ(SpecialFontFamily(0), "");
  EXPECT_EQ(SpecialFontFamily(6), "");
  EXPECT_EQ(SpecialFontFamily(-1), "");
}

TEST(CaptionFonts, AbsentSpecialFontsFindAnInstalledCyrillicStandIn) {
  const std::string Sans = TResolvedFont::Resolve("sans-serif", 20, 0)->FileName();
  for (int32_t I = 1; I < 6; ++I) {
    const TSpecialFont& F = SpecialFonts()[size_t(I)];
    SCOPED_TRACE(F.Title);
    const std::string Family = SpecialFontFamily(I);
    ASSERT_FALSE(Family.empty());
    EXPECT_TRUE(IsFontInstalled(Family));
    if (!IsFontInstalled(F.Family)) {
      // A stand-in of the same character, not the plain default face.
      const bool Listed = std::any_of(F.StandIns.begin(), F.StandIns.end(),
                                      [&](const char* N) { return Family == N; });
      if (!Listed) {
        EXPECT_NE(TResolvedFont::Resolve(Family, 20, 0)->FileName(), Sans);
      }
    }
  }
}

TEST(CaptionFonts, ACaptionsFamilyNamesItsSpecialFont) {
  for (int32_t I = 1; I < 6; ++I) {
    const std::string Family = SpecialFontFamily(I);
    const int32_t Found = SpecialFontIndex(Family);
    SCOPED_TRACE(Family);
    // Entries that share a stand-in name the first of them.
    ASSERT_GE(Found, 1);
    EXPECT_LE(Found, I);
    EXPECT_EQ(SpecialFontFamily(Found), Family);
    EXPECT_GE(SpecialFontIndex(SpecialFonts()[size_t(I)].Family), 1);
  }
  EXPECT_EQ(SpecialFontIndex("Invest"), 4);
  EXPECT_EQ(SpecialFontIndex("No Such Font Pelmora"), 0);
  EXPECT_EQ(SpecialFontIndex(""), 0);
}

TEST(CaptionFonts, DefaultFamily) {
  EXPECT_EQ(DefaultCaptionFamily({"Arial", "Zeta"}), "Arial");
  EXPECT_EQ(DefaultCaptionFamily({"A", "B", "C", "D", "E", "F", "G"}), "F");
  EXPECT_EQ(DefaultCaptionFamily({"A", "B"}), "B");
  EXPECT_EQ(DefaultCaptionFamily({}), "Arial");
  const std::string Sub = MatchedFamily("Arial");
  ASSERT_FALSE(Sub.empty());
  EXPECT_EQ(DefaultCaptionFamily({"A", Sub, "C"}), Sub);
}
