#pragma once
// The fixture the batch tool's tests start from: a scratch folder of the test's own, and the
// built pelmora-cli (PELMORA_CLI) run through the shell with standard output and error kept.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "shell_helpers.h"

// What one run of the tool left: the exit status (-1 when it did not exit), standard output and
// standard error.
struct TCliRun {
  int Status = -1;
  std::string Out, Err;
};

// Same size and the same bytes, alpha included.
inline bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * size_t(A.Height()) * 4) == 0;
}

class TCliTest : public ::testing::Test {
 protected:
  std::filesystem::path Dir;

  void SetUp() override {
    const ::testing::TestInfo* T = ::testing::UnitTest::GetInstance()->current_test_info();
    Dir = std::filesystem::temp_directory_path() / ("pelmora_cli_" + std::to_string(::getpid()) +
                                                    "_" + T->test_suite_name() + "_" + T->name());
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  // pelmora-cli with the arguments, each one shell word. The output files are gone again when
  // this returns, so the folder holds only what the tool wrote.
  TCliRun RunCli(const std::vector<std::string>& Args) const {
    const std::string OutFile = Path(".stdout"), ErrFile = Path(".stderr");
    std::string Cmd = Quote(PELMORA_CLI);
    for (const std::string& A : Args) Cmd += " " + Quote(A);
    Cmd += " >" + Quote(OutFile) + " 2>" + Quote(ErrFile);
    const int Raw = std::system(Cmd.c_str());
    TCliRun R;
    R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    R.Out = ReadText(OutFile);
    R.Err = ReadText(ErrFile);
    std::filesystem::remove(OutFile);
    std::filesystem::remove(ErrFile);
    return R;
  }
};
