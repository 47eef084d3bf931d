#include "thumb_titles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "thumb_files.h"
#include "thumb_test_support.h"

TEST(ThumbTitles, ReadsNamesAndSkipsBadLines) {
  const std::string Text =
      "\xEF\xBB\xBF# comment = not an entry\r\n"
      "gold_classic.png = Золотая классика\r\n"
      "\n"
      "  snow.jpg\t=\tСнег  \n"
      "no separator here\n"
      " = Без файла\n"
      "empty.png =\n"
      "sub/dir.png = Папка\n"
      "ctrl.png = Строка\x01 с управляющим\n"
      "bad.png = \xD0\n"           // a cut UTF-8 sequence
      "overlong.png = \xC0\xAF\n"  // an overlong "/"
      "bidi.png = \xE2\x80\xAE"
      "абв\n"  // a right-to-left override
      "long.png = " +
      std::string(ThumbTitleMaxBytes + 1, 'x') + "\n" +
      "eq.png = a = b\n"
      "snow.jpg = Снег на ветках\n"  // a later line wins
      "last.png = Без перевода строки";
  const TThumbTitles T = ParseThumbTitles(Text);
  const TThumbTitles Want = {{"gold_classic.png", "Золотая классика"},
                             {"snow.jpg", "Снег на ветках"},
                             {"eq.png", "a = b"},
                             {"last.png", "Без перевода строки"}};
  EXPECT_EQ(T, Want);
  for (const char* Title : {"", " x", "x ", "a\tb", "\xFF"}) EXPECT_FALSE(IsThumbTitle(Title));
  EXPECT_TRUE(IsThumbTitle("Рождественская карамель"));
}

TEST(ThumbTitles, AnOversizedFileIsReadOnlyToItsCap) {
  std::string Text = "first.png = Первый\n";
  // Filler lines up to past the cap; the line that crosses it is dropped, not cut.
  while (Text.size() < ThumbTitlesMaxBytes - 10) Text += "# " + std::string(60, 'z') + "\n";
  Text += "cut.png = Разрезанная строка\nafter.png = После\n";
  const TThumbTitles T = ParseThumbTitles(Text);
  EXPECT_EQ(T.count("first.png"), 1u);
  EXPECT_EQ(T.count("cut.png"), 0u);
  EXPECT_EQ(T.count("after.png"), 0u);

  TThumbTempDir Dir;
  Dir.Text(ThumbTitlesFile, Text + std::string(4 << 20, '\n'));
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadThumbTitles(Dir.Path()).size(), 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(5));
}

TEST(ThumbTitles, AFolderWithoutAUsableIndexHasNoTitles) {
  TThumbTempDir Dir;
  EXPECT_TRUE(ReadThumbTitles(Dir.Path()).empty());
  EXPECT_TRUE(ReadThumbTitles(Dir.File("missing")).empty());
  EXPECT_TRUE(ReadThumbTitles("").empty());
  // A folder, or a pipe nobody writes to, under the index's name: no titles, and no hang.
  std::filesystem::create_directory(Dir.File(ThumbTitlesFile));
  EXPECT_TRUE(ReadThumbTitles(Dir.Path()).empty());
  std::filesystem::remove(Dir.File(ThumbTitlesFile));
  ASSERT_EQ(::mkfifo(Dir.File(ThumbTitlesFile).c_str(), 0600), 0);
  EXPECT_TRUE(ReadThumbTitles(Dir.Path()).empty());
  // Binary junk.
  std::filesystem::remove(Dir.File(ThumbTitlesFile));
  std::string Junk;
  for (int I = 0; I < 70000; ++I) Junk += char((I * 7919) & 0xFF);
  Dir.Text(ThumbTitlesFile, Junk);
  for (const auto& [Name, Title] : ReadThumbTitles(Dir.Path())) EXPECT_TRUE(IsThumbTitle(Title));
}

TEST(ThumbTitles, FormatReadsBack) {
  const std::vector<std::pair<std::string, std::string>> Entries = {{"a.png", "Золотая классика"},
                                                                    {"b.jpg", "Ёлка = праздник"}};
  const TThumbTitles T = ParseThumbTitles(FormatThumbTitles(Entries));
  EXPECT_EQ(T, (TThumbTitles{Entries.begin(), Entries.end()}));
}

TEST(ThumbTitles, TheScanTitlesCellsFromTheIndexAndSortsByTitle) {
  TThumbTempDir Dir;
  for (const char* N : {"gold.png", "snow.jpg", "mine.png", "zebra.bmp"}) Dir.Text(N, "x");
  Dir.Text(ThumbTitlesFile,
           "gold.png = Золотая классика\n"
           "snow.jpg = Белый снег\n"
           "gone.png = Файла нет\n");
  const std::vector<TThumbEntry> Sorted = CollectThumbEntries(Dir.Path(), true);
  // The user's own files keep their names (Latin before Cyrillic); the index is no cell.
  ASSERT_EQ(Sorted.size(), 4u);
  const std::vector<std::pair<std::string, std::string>> Want = {{"mine.png", "mine.png"},
                                                                 {"zebra.bmp", "zebra.bmp"},
                                                                 {"snow.jpg", "Белый снег"},
                                                                 {"gold.png", "Золотая классика"}};
  for (size_t I = 0; I < Want.size(); ++I) {
    EXPECT_EQ(Sorted[I].Path, Dir.File(Want[I].first)) << I;
    EXPECT_EQ(Sorted[I].Title, Want[I].second) << I;
  }
  // Unsorted: the files' own order, titled all the same.
  const std::vector<TThumbEntry> Plain = CollectThumbEntries(Dir.Path(), false);
  ASSERT_EQ(Plain.size(), 4u);
  EXPECT_EQ(ThumbTitleOf(Plain[0].Path), "zebra.bmp");
  EXPECT_EQ(Plain[1].Title, "Белый снег");
}
