#include "program_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

class ProgramPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() /
           ("pelmora_paths_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Root);
    fs::create_directories(Root / "prefix/bin");
  }
  void TearDown() override { fs::remove_all(Root); }

  TProgramPaths Resolve(const std::string& ExeDir, bool Writable) {
    return ResolveProgramPaths(
        ExeDir,
        [this](const char* Name) {
          auto It = Env.find(Name);
          return It == Env.end() ? std::string() : It->second;
        },
        [Writable](const std::string&) { return Writable; });
  }

  fs::path Root;
  std::map<std::string, std::string> Env;
};

TEST_F(ProgramPathsTest, BuildTreeKeepsEverythingBesideTheProgram) {
  const fs::path Bin = Root / "prefix/bin";
  std::ofstream(Bin / "Help.html") << "<html></html>";
  Env["HOME"] = (Root / "home").string();
  const TProgramPaths P = Resolve(Bin.string() + "/", true);
  EXPECT_EQ(P.DataDir, Bin.string());
  EXPECT_EQ(P.SettingsDir, Bin.string());
  EXPECT_EQ(P.RecoveryDir, (Root / "home/.local/share/pelmora/recovery").string());
  EXPECT_FALSE(fs::exists(Root / "home/.config"));
}

TEST_F(ProgramPathsTest, InstalledProgramFindsSharedDataAndWritesSettingsUnderXdgConfig) {
  const fs::path Bin = Root / "prefix/bin";
  fs::create_directories(Root / "prefix/share/pelmora/Cards");
  Env["XDG_CONFIG_HOME"] = (Root / "cfg").string();
  Env["XDG_DATA_HOME"] = (Root / "data").string();
  const TProgramPaths P = Resolve(Bin.string(), false);
  EXPECT_EQ(fs::canonical(P.DataDir), fs::canonical(Root / "prefix/share/pelmora"));
  EXPECT_EQ(P.SettingsDir, (Root / "cfg/pelmora").string());
  EXPECT_TRUE(fs::is_directory(Root / "cfg/pelmora"));
  EXPECT_EQ(P.RecoveryDir, (Root / "data/pelmora/recovery").string());
}

TEST_F(ProgramPathsTest, RelativeXdgValuesAreIgnoredAndHomeIsUsed) {
  Env["XDG_CONFIG_HOME"] = "relative/cfg";
  Env["XDG_DATA_HOME"] = "relative/data";
  Env["HOME"] = (Root / "home").string();
  const TProgramPaths P = Resolve((Root / "prefix/bin").string(), false);
  EXPECT_EQ(P.SettingsDir, (Root / "home/.config/pelmora").string());
  EXPECT_EQ(P.RecoveryDir, (Root / "home/.local/share/pelmora/recovery").string());
  // Without any data folder the program's own folder is still the answer.
  EXPECT_EQ(P.DataDir, (Root / "prefix/bin").string());
}

TEST_F(ProgramPathsTest, UncreatableConfigFolderFallsBackToTheProgramFolder) {
  // A file where the configuration folder should be makes it impossible to create.
  std::ofstream(Root / "blocker") << "x";
  Env["XDG_CONFIG_HOME"] = (Root / "blocker").string();
  const TProgramPaths P = Resolve((Root / "prefix/bin").string(), false);
  EXPECT_EQ(P.SettingsDir, (Root / "prefix/bin").string());
}

TEST(MakeFolders, CreatesParentsAndAcceptsExistingFolders) {
  const fs::path Dir = fs::temp_directory_path() / "pelmora_make_folders/a/b/c";
  fs::remove_all(fs::temp_directory_path() / "pelmora_make_folders");
  EXPECT_TRUE(MakeFolders(Dir.string()));
  EXPECT_TRUE(fs::is_directory(Dir));
  EXPECT_TRUE(MakeFolders(Dir.string()));
  EXPECT_FALSE(MakeFolders(""));
  fs::remove_all(fs::temp_directory_path() / "pelmora_make_folders");
}

}  // namespace
