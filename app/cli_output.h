#pragma once
// The batch tool's standard output: a text that did not all arrive is an error to report, not
// a silent exit status.
#include <cerrno>
#include <cstdio>
#include <string>

#include "exceptions.h"
#include "system_error_text.h"

// Writes Text to standard output and flushes it; raises Exception "не удалось вывести
// результат: <reason>" when the output refuses it (a full disk, a closed pipe).
inline void WriteStandardOutput(const std::string& Text) {
  errno = 0;
  if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0 ||
      std::ferror(stdout)) {
    const int Err = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    throw Exception("не удалось вывести результат: " + SystemErrorText(Err));
  }
}
