#include "recent_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using TList = std::vector<std::string>;

}  // namespace

TEST(RecentFiles, AddingKeepsFiveNewestFirst) {
  TRecentFiles R;
  EXPECT_EQ(R.Captions(), TList{"Пусто"});
  EXPECT_EQ(R.Marked(), -1);
  struct Step {
    const char* Add;
    TList Want;
  };
  const Step Steps[] = {
      {"/c/a.kvt", {"/c/a.kvt"}},
      {"/c/b.kvt", {"/c/b.kvt", "/c/a.kvt"}},
      {"/c/c.jpg", {"/c/c.jpg", "/c/b.kvt", "/c/a.kvt"}},
      {"/c/d.kvt", {"/c/d.kvt", "/c/c.jpg", "/c/b.kvt", "/c/a.kvt"}},
      {"/c/e.kvt", {"/c/e.kvt", "/c/d.kvt", "/c/c.jpg", "/c/b.kvt", "/c/a.kvt"}},
      {"/c/f.kvt", {"/c/f.kvt", "/c/e.kvt", "/c/d.kvt", "/c/c.jpg", "/c/b.kvt"}},  // a drops
  };
  for (const Step& S : Steps) {
    R.Mark(2);
    R.AddRecent(S.Add);
    EXPECT_EQ(R.Captions(), S.Want) << S.Add;
    EXPECT_EQ(R.Marked(), 0) << S.Add;
  }
}

TEST(RecentFiles, IsRecentComparesCaptionsExactly) {
  TRecentFiles R;
  R.AddRecent("/home/u/Card.kvt");
  EXPECT_TRUE(R.IsRecent("/home/u/Card.kvt"));
  EXPECT_FALSE(R.IsRecent("/home/u/card.kvt"));
  EXPECT_FALSE(R.IsRecent("/home/u/Card.kvt "));
  // Opening a listed file marks it and does not move it.
  R.AddRecent("/home/u/b.kvt");
  R.Mark(1);
  EXPECT_EQ(R.Marked(), 1);
  EXPECT_EQ(R.Captions(), (TList{"/home/u/b.kvt", "/home/u/Card.kvt"}));
  R.Mark(7);  // no such item
  EXPECT_EQ(R.Marked(), 1);
}

TEST(RecentFiles, LoadingTheListFile) {
  struct Case {
    const char* Name;
    std::string Text;
    TList Want;
  };
  const Case Cases[] = {
      {"missing or empty", "", {"Пусто"}},
      {"placeholder", "Пусто\r\n", {"Пусто"}},
      {"Clear stands for empty", "Clear\r\n/a.kvt\r\n/b.kvt\r\n", {"Пусто"}},
      {"Clear only as the first line", "/a.kvt\r\nClear\r\n", {"/a.kvt", "Clear"}},
      {"two", "/a.kvt\r\n/b b.kvt\r\n", {"/a.kvt", "/b b.kvt"}},
      {"no final line end, bare LF", "/a.kvt\n/b.kvt", {"/a.kvt", "/b.kvt"}},
      {"past five ignored", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", {"1", "2", "3", "4", "5"}},
      {"blanks, repeats and placeholders passed over",
       "\r\n/a\r\nПусто\r\n/a\r\n  \r\n/b\r\n",
       {"/a", "/b"}},
      {"byte order mark", "\xEF\xBB\xBF/a.kvt\r\n", {"/a.kvt"}},
      {"Windows-1251",
       "C:\\\xCE\xF2\xEA\xF0\xFB\xF2\xEA\xE8\\card.kvt\r\n",
       {"C:\\Открытки\\card.kvt"}},
  };
  for (const Case& C : Cases) {
    TRecentFiles R;
    R.AddRecent("/old");
    R.LoadFromText(C.Text);
    EXPECT_EQ(R.Captions(), C.Want) << C.Name;
    EXPECT_EQ(R.Marked(), -1) << C.Name;
  }
}

TEST(RecentFiles, SavingTheListFile) {
  TRecentFiles R;
  EXPECT_EQ(R.SaveToText(), "Пусто\r\n");
  R.AddRecent("/a.kvt");
  R.AddRecent("/b.kvt");
  EXPECT_EQ(R.SaveToText(), "/b.kvt\r\n/a.kvt\r\n");

  const std::filesystem::path Dir =
      std::filesystem::temp_directory_path() / ("pelmora_recent_" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  const std::string Name = TRecentFiles::ListFileName(Dir.string());
  EXPECT_EQ(std::filesystem::path(Name).filename(), "Dirs.lst");
  R.SaveToFile(Name);
  TRecentFiles Back;
  Back.LoadFromFile(Name);
  EXPECT_EQ(Back.Captions(), R.Captions());
  Back.LoadFromFile((Dir / "none.lst").string());
  EXPECT_TRUE(Back.IsEmpty());
  std::filesystem::remove_all(Dir);
}

TEST(RecentFiles, StartPanelLinksShowTheListAsLoaded) {
  TRecentFiles R;
  R.LoadFromText("/p/one.kvt\r\n/p/two.jpg\r\n/p/three.kvt\r\n/p/four.kvt\r\n/p/five.kvt\r\n");
  const TList Captions = {"one.kvt", "two.jpg", "three.kvt", "four.kvt"};
  for (int I = 0; I < TRecentFiles::LinkCount; ++I) {
    EXPECT_EQ(R.LinkCaption(I), Captions[size_t(I)]);
    EXPECT_EQ(R.LinkPath(I), R.Paths()[size_t(I)]);
  }
  EXPECT_EQ(R.LinkPath(4), "");  // the fifth entry has no link

  // Opening a sixth file drops the oldest; the links change only at the next start.
  R.AddRecent("/p/six.kvt");
  EXPECT_EQ(R.Paths().back(), "/p/four.kvt");
  EXPECT_EQ(R.LinkCaption(0), "one.kvt");
  R.LoadFromText(R.SaveToText());
  EXPECT_EQ(R.LinkCaption(0), "six.kvt");

  R.LoadFromText("/p/only.kvt\r\n");
  EXPECT_EQ(R.LinkCaption(0), "only.kvt");
  EXPECT_EQ(R.LinkCaption(1), "Пусто");
  EXPECT_EQ(R.LinkPath(1), "");
}

TEST(RecentFiles, AFileThatIsGoneLeavesTheListAndTheLinks) {
  TRecentFiles R;
  R.LoadFromText("/p/one.kvt\r\n/p/two.kvt\r\n/p/three.kvt\r\n");
  R.Mark(2);
  R.Remove("/p/two.kvt");
  EXPECT_EQ(R.Paths(), (TList{"/p/one.kvt", "/p/three.kvt"}));
  EXPECT_EQ(R.Marked(), 1) << "the mark stays on its entry";
  EXPECT_EQ(R.LinkCaption(1), "three.kvt");
  EXPECT_EQ(R.LinkCaption(2), "Пусто");
  R.Remove("/p/three.kvt");
  EXPECT_EQ(R.Marked(), -1);
  R.Remove("/p/one.kvt");
  EXPECT_EQ(R.Captions(), (TList{"Пусто"}));
  R.Remove("/p/never.kvt");  // nothing to take out
  EXPECT_TRUE(R.IsEmpty());
}
