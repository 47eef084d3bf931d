#include "greetings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class GreetingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir =
        fs::temp_directory_path() /
        ("pelmora_greetings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "BDG");
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string Write(const std::string& Name, const std::string& Bytes) {
    const fs::path P = Dir / "BDG" / Name;
    std::ofstream(P, std::ios::binary) << Bytes;
    return P.string();
  }
  fs::path Dir;
};

}  // namespace

TEST(Greetings, OccasionTableMatchesTheFolderLayout) {
  const auto& O = Occasions();
  ASSERT_EQ(O.size(), 6u);
  const char* Titles[] = {"Новый Год",  "День рождения", "День Святого Валентина",
                          "23 февраля", "8 марта",       "К любому празднику"};
  const char* Files[] = {"NewYear.txt", "Birthday.txt", "Valentine.txt",
                         "Male.txt",    "Female.txt",   "All.txt"};
  for (size_t I = 0; I < O.size(); ++I) {
    EXPECT_STREQ(O[I].Title, Titles[I]);
    EXPECT_STREQ(O[I].FileName, Files[I]);
  }
}

TEST_F(GreetingFiles, GoodFileGivesTextAndGreetings) {
  // Byte-order mark, CR LF and bare CR line breaks, several blank lines between greetings.
  Write("NewYear.txt",
        "\xEF\xBB\xBF"
        "С Новым годом!\r\nСчастья!\r\n\r\n\r\nЁлка\tи снег\rмир\n   \n");
  const TGreetingFile F = LoadOccasion(Dir.string(), 0);
  ASSERT_TRUE(F.Ok) << F.Error;
  EXPECT_EQ(F.Text, "С Новым годом!\nСчастья!\n\n\nЁлка\tи снег\nмир\n   \n");
  ASSERT_EQ(F.Greetings.size(), 2u);
  EXPECT_EQ(F.Greetings[0], "С Новым годом!\nСчастья!");
  EXPECT_EQ(F.Greetings[1], "Ёлка\tи снег\nмир");
}

TEST_F(GreetingFiles, EmptyFileGivesAnEmptyList) {
  Write("All.txt", "");
  const TGreetingFile F = LoadOccasion(Dir.string(), 5);
  EXPECT_TRUE(F.Ok);
  EXPECT_TRUE(F.Text.empty());
  EXPECT_TRUE(F.Greetings.empty());
}

TEST_F(GreetingFiles, BadFilesGiveARussianMessageAndNoText) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* MessageStart;
  };
  const TCase Cases[] = {
      {"lone continuation byte", std::string("Привет \x80 мир"), "Файл поздравлений повреждён"},
      {"truncated sequence", std::string("Привет \xD0"), "Файл поздравлений повреждён"},
      {"overlong slash", std::string("a\xC0\xAF"), "Файл поздравлений повреждён"},
      {"surrogate", std::string("a\xED\xA0\x80"), "Файл поздравлений повреждён"},
      {"beyond U+10FFFF", std::string("a\xF4\x90\x80\x80"), "Файл поздравлений повреждён"},
      {"Windows-1251 text", std::string("\xCF\xF0\xE8\xE2\xE5\xF2"), "Файл поздравлений повреждён"},
      {"binary zeros", std::string("abc\0def", 7), "Файл поздравлений повреждён"},
      {"huge", std::string(size_t(MaxGreetingFileBytes) + 1, 'a'),
       "Файл поздравлений слишком велик"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Write("Male.txt", C.Bytes);
    const TGreetingFile F = LoadGreetingFile(Path);
    EXPECT_FALSE(F.Ok);
    EXPECT_EQ(F.Error.rfind(C.MessageStart, 0), 0u) << F.Error;
    EXPECT_TRUE(F.Text.empty());
    EXPECT_TRUE(F.Greetings.empty());
  }
}

TEST_F(GreetingFiles, MissingFileOrFolderOrIndexIsAnError) {
  const TGreetingFile Missing = LoadOccasion(Dir.string(), 1);
  EXPECT_FALSE(Missing.Ok);
  EXPECT_EQ(Missing.Error.rfind("Не найден файл поздравлений", 0), 0u) << Missing.Error;
  fs::create_directories(Dir / "BDG" / "Female.txt");
  EXPECT_FALSE(LoadOccasion(Dir.string(), 4).Ok);
  EXPECT_FALSE(LoadOccasion(Dir.string(), 6).Ok);
  EXPECT_FALSE(LoadOccasion(Dir.string(), -1).Ok);
}

TEST(Greetings, GeneratedFilesAreCleanText) {
  // The greeting texts the data generator copies into "BDG".
  const fs::path Source = fs::path(PELMORA_TEST_SOURCE_DIR) / ".." / "datagen" / "greetings";
  for (const TOccasion& O : Occasions()) {
    SCOPED_TRACE(O.FileName);
    const TGreetingFile F = LoadGreetingFile((Source / O.FileName).string());
    ASSERT_TRUE(F.Ok) << F.Error;
    EXPECT_GE(F.Greetings.size(), 3u);
  }
}
