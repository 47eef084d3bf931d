#include "thumb_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "thumb_test_support.h"

namespace {

std::vector<std::string> Names(const std::vector<std::string>& Paths) {
  std::vector<std::string> N;
  for (const std::string& P : Paths) N.push_back(ThumbTitleOf(P));
  return N;
}

}  // namespace

TEST(ThumbFiles, ExtensionsInAnyCaseOnly) {
  for (const char* Yes : {"a.bmp", "a.BMP", "b.Jpg", "c.wmf", "d.EMF", "e.ico", "f.gif", "g.PCX",
                          "h.tga", "i.png", "x.y.PnG"})
    EXPECT_TRUE(IsThumbPictureName(Yes)) << Yes;
  for (const char* No : {"a.jpeg", "a.JPE", "a.tif", "a.txt", "png", "a.png.bak", "a."})
    EXPECT_FALSE(IsThumbPictureName(No)) << No;
}

TEST(ThumbFiles, CaseInsensitiveOrder) {
  struct Case {
    const char* A;
    const char* B;
    int Want;
  };
  const Case Cases[] = {
      {"a.png", "B.bmp", -1},
      {"B.bmp", "c.JPG", -1},
      {"Color Noise.bmp", "Contrast.bmp", -1},
      {"Mono Noise.bmp", "Mosaic.bmp", -1},
      {"abc", "ABC", 1},  // equal but for case: bytes decide, upper case first
      {"abc", "abc", 0},
      {"ab", "abc", -1},
      {"Ёлка.png", "ель.png", 1},   // ё after е
      {"Ёлка.png", "Жук.png", -1},  // and before ж, as in the alphabet
      {"ёж", "яблоко", -1},
      {"Яблоко.png", "арбуз.png", 1},  // Cyrillic capitals fold too
      {"Zebra.png", "арбуз.png", -1},  // Latin before Cyrillic
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(CompareThumbText(C.A, C.B), C.Want) << C.A << " / " << C.B;
    EXPECT_EQ(CompareThumbText(C.B, C.A), -C.Want) << C.B << " / " << C.A;
  }
}

TEST(ThumbFiles, CollectsPicturesInPatternOrderOrSorted) {
  TThumbTempDir Dir;
  for (const char* N : {"c.JPG", "a.png", "B.bmp", "d.jpeg", ".hidden.png", "notes.txt", "z.Gif"})
    Dir.Text(N, "x");
  std::filesystem::create_directory(Dir.File("folder.png"));
  const std::vector<std::string> Sorted = CollectThumbFiles(Dir.Path(), true);
  EXPECT_EQ(Names(Sorted), (std::vector<std::string>{"a.png", "B.bmp", "c.JPG", "z.Gif"}));
  EXPECT_EQ(Sorted[0], Dir.Path() + "/a.png");
  EXPECT_EQ(Names(CollectThumbFiles(Dir.Path() + "/", false)),
            (std::vector<std::string>{"B.bmp", "c.JPG", "z.Gif", "a.png"}));
  EXPECT_EQ(CollectThumbFiles(Dir.Path() + "/", true)[0], Dir.Path() + "/a.png");
  EXPECT_TRUE(CollectThumbFiles(Dir.File("missing"), true).empty());
  EXPECT_TRUE(CollectThumbFiles("", true).empty());
  EXPECT_TRUE(CollectThumbFiles(Dir.File("notes.txt"), true).empty());
}
