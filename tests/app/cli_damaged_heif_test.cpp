// A damaged HEIC or AVIF file gives one line on standard error: the program's message, without
// the decoder libraries' own lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "cli_fixture.h"
#include "heif_damage.h"

namespace {

TEST_F(TCliTest, DamagedHeifGivesOneLineOnStandardError) {
  if (std::system("command -v heif-enc >/dev/null 2>&1") != 0) {
    if (std::getenv("CI") && std::string(std::getenv("CI")) == "true")
      FAIL() << "heif-enc is missing: scripts/deps installs it";
    GTEST_SKIP() << "heif-enc is not installed";
  }
  for (const char* Options : {"", "-A"}) {
    int Tried = 0;
    for (const std::vector<uint8_t>& File : DamagedHeifFiles(Dir.string(), Options)) {
      // Only files the decoders themselves talk about; a few of each kind.
      if (Tried == 3 || !DecodersTalkAbout(File))
        continue;
      ++Tried;
      const std::string Name = Path(std::string("damaged") + (*Options ? ".avif" : ".heic"));
      std::ofstream(Name, std::ios::binary)
          .write(reinterpret_cast<const char*>(File.data()), std::streamsize(File.size()));
      const TCliRun R = RunCli({"info", Name});
      EXPECT_EQ(R.Status, 1) << Options;
      EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
      EXPECT_EQ(R.Err.rfind("pelmora-cli: ", 0), 0u) << R.Err;
      EXPECT_EQ(R.Out, "");
    }
    EXPECT_EQ(Tried, 3) << Options;
  }
}

}  // namespace
