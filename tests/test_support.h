#pragma once
// Helpers shared by the test executables.
#include <cstdlib>
#include <filesystem>
#include <string>

// The shared conformance pictures (PELMORA_TESTDATA overrides the built-in folder); empty when
// the folder is absent.
inline std::filesystem::path TestDataDir() {
  const char* Env = std::getenv("PELMORA_TESTDATA");
  std::filesystem::path P = Env != nullptr ? Env : PELMORA_TESTDATA_DIR;
  return std::filesystem::is_directory(P) ? P : std::filesystem::path();
}

// A continuous-integration run (CI=true) must never pass by skipping what it cannot find.
inline bool RunningInCi() {
  const char* Ci = std::getenv("CI");
  return Ci != nullptr && std::string(Ci) == "true";
}

// Without the conformance pictures a test skips on a developer's machine and fails in CI.
#define PELMORA_REQUIRE_TESTDATA()                                               \
  do {                                                                           \
    if (TestDataDir().empty()) {                                                 \
      if (RunningInCi())                                                         \
        FAIL() << "shared test pictures not found at " PELMORA_TESTDATA_DIR      \
                  " (or PELMORA_TESTDATA); CI=true does not allow skipping";     \
      GTEST_SKIP() << "shared test pictures not found at " PELMORA_TESTDATA_DIR; \
    }                                                                            \
  } while (0)
