// The decoders under libheif write their own lines about a damaged file to standard error; the
// reader keeps them out of the program's output, on one thread or several at once, and gives
// standard error back afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "codec_test_support.h"
#include "exceptions.h"
#include "heif_codec.h"
#include "heif_damage.h"

namespace {

bool HaveHeifEnc() {
  return std::system("command -v heif-enc >/dev/null 2>&1") == 0;
}

// Reads the file as the program does; true when the reader refused it.
bool Refused(const std::vector<uint8_t>& File) {
  try {
    ReadHeifImage(File.data(), File.size());
    return false;
  } catch (const EInvalidGraphic&) {
    return true;
  }
}

TEST(QuietDecoders, DamagedHeicAndAvifLeaveStandardErrorAlone) {
  if (!HaveHeifEnc()) {
    if (std::getenv("CI") && std::string(std::getenv("CI")) == "true")
      FAIL() << "heif-enc is missing: scripts/deps installs it";
    GTEST_SKIP() << "heif-enc is not installed";
  }
  TTempDir Dir;
  for (const char* Options : {"", "-A"}) {
    const std::vector<std::vector<uint8_t>> Files = DamagedHeifFiles(Dir.Path().string(), Options);
    ASSERT_FALSE(Files.empty()) << Options;
    std::vector<const std::vector<uint8_t>*> Talking;
    for (const std::vector<uint8_t>& F : Files)
      if (DecodersTalkAbout(F))
        Talking.push_back(&F);
    // The damage reaches the decoders, which say so themselves.
    ASSERT_FALSE(Talking.empty()) << Options;
    int RefusedCount = 0;
    const std::string Said = CaptureStderr([&] {
      for (const std::vector<uint8_t>* F : Talking) RefusedCount += Refused(*F) ? 1 : 0;
    });
    EXPECT_EQ(Said, "") << Options << ": " << Talking.size() << " files";
    EXPECT_GT(RefusedCount, 0) << Options;

    // Several readers at once share the silence, and standard error comes back after them.
    std::atomic<int> Done{0};
    const std::string Together = CaptureStderr([&] {
      std::vector<std::thread> Threads;
      for (int T = 0; T < 4; ++T)
        Threads.emplace_back([&] {
          for (const std::vector<uint8_t>* F : Talking) Refused(*F);
          ++Done;
        });
      for (std::thread& T : Threads) T.join();
      const char Line[] = "after\n";
      EXPECT_EQ(::write(2, Line, sizeof(Line) - 1), ssize_t(sizeof(Line) - 1));
    });
    EXPECT_EQ(Done, 4);
    EXPECT_EQ(Together, "after\n") << Options;
  }
}

}  // namespace
