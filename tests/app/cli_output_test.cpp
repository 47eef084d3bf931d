// Where the batch tool's results land and what it says when they cannot: standard output that
// refuses the text, a project saved through a symbolic link, and the words of its errors.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "card_document.h"
#include "cli_fixture.h"
#include "img_view32.h"
#include "project_file.h"

namespace fs = std::filesystem;

namespace {

class TCliOutput : public TCliTest {
 protected:
  // A 20 × 10 project with one layer, written to Name.
  void WriteCard(const std::string& Name) {
    TImgView32 View;
    TCardDocument Doc(View);
    Doc.NewCanvas(20, 10, 0xFF336699);
    WriteProject(Doc, Path(Name));
  }

  // Runs Command through the shell with standard output sent to /dev/full.
  TCliRun RunToFullDevice(const std::string& Arguments) const {
    const std::string ErrFile = Path(".stderr");
    const int Raw = std::system(
        (Quote(PELMORA_CLI) + " " + Arguments + " >/dev/full 2>" + Quote(ErrFile)).c_str());
    TCliRun R;
    R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    R.Err = ReadText(ErrFile);
    fs::remove(ErrFile);
    return R;
  }
};

TEST_F(TCliOutput, AFullStandardOutputIsReportedInOneLine) {
  if (!fs::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  WriteCard("card.kvt");
  for (const std::string& Args :
       {"info " + Quote(Path("card.kvt")), std::string("effect --list"), std::string("--help")}) {
    const TCliRun R = RunToFullDevice(Args);
    EXPECT_EQ(R.Status, 1) << Args;
    EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << Args << ": " << R.Err;
    EXPECT_NE(R.Err.find("нет места на диске"), std::string::npos) << Args << ": " << R.Err;
  }
}

TEST_F(TCliOutput, SavingThroughASymbolicLinkUpdatesItsTarget) {
  fs::create_directories(Path("real"));
  WriteCard("real/card.kvt");
  // A chain: an absolute link to a relative one.
  fs::create_symlink("real/card.kvt", Path("relative.kvt"));
  fs::create_symlink(Path("relative.kvt"), Path("link.kvt"));
  const std::string Before = ReadText(Path("real/card.kvt"));

  const TCliRun R = RunCli({"effect", "InvertChannels", Path("link.kvt"), Path("link.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_TRUE(fs::is_symlink(Path("link.kvt")));
  EXPECT_TRUE(fs::is_symlink(Path("relative.kvt")));
  EXPECT_EQ(fs::read_symlink(Path("link.kvt")), Path("relative.kvt"));
  EXPECT_NE(ReadText(Path("real/card.kvt")), Before) << "the target was not updated";
  // No temporary file stays behind, beside the links or the target.
  for (const auto& E : fs::recursive_directory_iterator(Dir))
    EXPECT_EQ(E.path().filename().string().find(".XXXXXX"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("real")), fs::directory_iterator()), 1);
}

TEST_F(TCliOutput, ErrorsAreToldInRussian) {
  WriteCard("card.kvt");
  struct TCase {
    std::vector<std::string> Args;
    const char* Says;
  };
  const TCase Cases[] = {
      {{"render", Path("none.png"), Path("out.png")}, "файл не найден"},
      {{"render", Path("card.kvt"), Path("no/out.png")}, "файл не найден"},
      {{"effect", "Underlay", Path("card.kvt"), Path("out.kvt"), "mode=texture"}, "file="},
      {{"render", Path("card.kvt"), Path("out.xyz")}, ".xyz"},
  };
  for (const TCase& C : Cases) {
    const TCliRun R = RunCli(C.Args);
    EXPECT_EQ(R.Status, 1) << C.Args[1];
    EXPECT_NE(R.Err.find(C.Says), std::string::npos) << R.Err;
    for (const char* English : {"Cannot", "No such", "Unknown", "damaged", "No space"})
      EXPECT_EQ(R.Err.find(English), std::string::npos) << R.Err;
  }
}

// Every reader words a file it cannot open alike, pictures and projects, whatever the verb: one
// line, the reason in the program's own words and none of the system's English.
TEST_F(TCliOutput, FilesThatCannotBeOpenedAreWordedAlike) {
  WriteCard("card.kvt");
  fs::create_directories(Path("folder.kvt"));
  fs::create_directories(Path("folder.png"));
  WriteCard("locked.kvt");
  fs::copy_file(Path("card.kvt"), Path("locked.png"));
  ::chmod(Path("locked.kvt").c_str(), 0);
  ::chmod(Path("locked.png").c_str(), 0);
  struct TCase {
    const char* File;
    const char* Reason;
  };
  std::vector<TCase> Cases = {{"none.kvt", "файл не найден"},
                              {"none.png", "файл не найден"},
                              {"no/card.kvt", "файл не найден"},
                              {"folder.kvt", "это папка, а не файл"},
                              {"folder.png", "это папка, а не файл"}};
  // Permissions do not hold for root.
  if (::geteuid() != 0) {
    Cases.push_back({"locked.kvt", "нет доступа"});
    Cases.push_back({"locked.png", "нет доступа"});
  }
  for (const TCase& C : Cases) {
    const std::string In = Path(C.File);
    const std::string Line =
        "pelmora-cli: Не удалось открыть файл \"" + In + "\": " + C.Reason + "\n";
    for (const std::vector<std::string>& Args :
         std::vector<std::vector<std::string>>{{"info", In},
                                               {"render", In, Path("out.png")},
                                               {"effect", "InvertChannels", In, Path("out.kvt")},
                                               {"print", In, Path("out.pdf")}}) {
      SCOPED_TRACE(Args[0] + " " + C.File);
      const TCliRun R = RunCli(Args);
      EXPECT_EQ(R.Status, 1);
      EXPECT_EQ(R.Err, Line);
      for (const int Err : {ENOENT, EISDIR, EACCES, ENOTDIR})
        EXPECT_EQ(R.Err.find(std::strerror(Err)), std::string::npos) << R.Err;
    }
  }
  EXPECT_FALSE(fs::exists(Path("out.png")));
  EXPECT_FALSE(fs::exists(Path("out.kvt")));
  EXPECT_FALSE(fs::exists(Path("out.pdf")));
}

}  // namespace
