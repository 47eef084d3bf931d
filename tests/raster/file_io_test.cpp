// Writing whole files: a write that fails or is killed midway leaves the folder as it was, and a
// written file gets the permissions of a new document or of the file it replaced.
#include "file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exceptions.h"

namespace fs = std::filesystem;

namespace {

class TFileWrite : public ::testing::Test {
 protected:
  fs::path Dir;

  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("pelmora_file_io_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override {
    std::error_code Ec;
    fs::remove_all(Dir, Ec);
  }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  std::vector<std::string> Entries() const {
    std::vector<std::string> Names;
    for (const auto& E : fs::directory_iterator(Dir)) Names.push_back(E.path().filename());
    return Names;
  }

  static std::string Text(const std::string& Name) {
    std::ifstream In(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), {}};
  }
};

// The process is stopped at once when the file passes its size limit, in the middle of writing.
void StopHere(int) {
  ::_exit(7);
}

// A write past the size limit of the process: stopped there (StopHere) or failing with EFBIG
// (the signal ignored). Either way the folder keeps the old file alone, as it was.
TEST_F(TFileWrite, AWriteStoppedMidwayLeavesOnlyTheOldFile) {
  struct TCase {
    const char* Name;
    void (*OnLimit)(int);
    int Exit;  // 7 stopped, 8 an error raised
  };
  const TCase Cases[] = {
      {"old.bmp", StopHere, 7}, {"old.kvt", StopHere, 7}, {"old.pdf", SIG_IGN, 8}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Target = Path(C.Name);
    WriteFileAtomically(Target, reinterpret_cast<const uint8_t*>("old"), 3);
    const std::vector<uint8_t> Big(size_t{4} << 20, 0x5A);
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
      struct sigaction Act {};
      Act.sa_handler = C.OnLimit;
      ::sigaction(SIGXFSZ, &Act, nullptr);
      const rlimit Limit{size_t{1} << 20, size_t{1} << 20};
      ::setrlimit(RLIMIT_FSIZE, &Limit);
      try {
        WriteFileAtomically(Target, Big.data(), Big.size());
      } catch (const EFileError&) {
        ::_exit(8);
      }
      ::_exit(9);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), C.Exit);
    EXPECT_EQ(Entries(), std::vector<std::string>{C.Name});
    EXPECT_EQ(Text(Target), "old");
    fs::remove(Target);
  }
}

TEST_F(TFileWrite, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  struct TCase {
    mode_t Umask;
    int OldMode;  // -1: no old file
    mode_t Want;
  };
  const TCase Cases[] = {
      {022, -1, 0644}, {027, -1, 0640}, {0, -1, 0666}, {022, 0604, 0604}, {077, 0664, 0664},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << std::oct << "umask " << C.Umask << ", old " << C.OldMode);
    const std::string Target = Path("picture.png");
    fs::remove(Target);
    if (C.OldMode >= 0) {
      WriteFileAtomically(Target, reinterpret_cast<const uint8_t*>("old"), 3);
      ASSERT_EQ(::chmod(Target.c_str(), mode_t(C.OldMode)), 0);
    }
    const mode_t Saved = ::umask(C.Umask);
    WriteFileAtomically(Target, reinterpret_cast<const uint8_t*>("new"), 3);
    ::umask(Saved);
    struct stat St {};
    ASSERT_EQ(::stat(Target.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, C.Want);
    EXPECT_EQ(Text(Target), "new");
    EXPECT_EQ(Entries(), std::vector<std::string>{"picture.png"});
  }
}

}  // namespace
