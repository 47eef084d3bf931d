#pragma once
// Helpers shared by the test executables.
#include <cstdlib>
#include <filesystem>
#include <string>

// The shared conformance pictures; empty when the folder is absent (tests then skip).
inline std::filesystem::path TestDataDir() {
  if (const char* Env = std::getenv("PELMORA_TESTDATA")) return Env;
  std::filesystem::path P = PELMORA_TESTDATA_DIR;
  return std::filesystem::is_directory(P) ? P : std::filesystem::path();
}

#define PELMORA_REQUIRE_TESTDATA()                                                       \
  do {                                                                                   \
    if (TestDataDir().empty())                                                           \
      GTEST_SKIP() << "shared test pictures not found at " PELMORA_TESTDATA_DIR;         \
  } while (0)
