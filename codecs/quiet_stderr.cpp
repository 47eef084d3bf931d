#include "quiet_stderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace {

std::mutex Lock;
int Depth = 0;   // the scopes alive
int Saved = -1;  // the real standard error while it is redirected, else -1

void Duplicate(int From, int To) {
  while (::dup2(From, To) < 0 && errno == EINTR) {
  }
}

}  // namespace

TQuietStderr::TQuietStderr() {
  const std::lock_guard<std::mutex> Guard(Lock);
  if (Depth++ > 0)
    return;
  std::fflush(stderr);
  const int Null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (Null < 0)
    return;
  // A closed descriptor 2 is left alone: its number may belong to another file by now.
  Saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  if (Saved >= 0)
    Duplicate(Null, STDERR_FILENO);
  ::close(Null);
}

TQuietStderr::~TQuietStderr() {
  const std::lock_guard<std::mutex> Guard(Lock);
  if (--Depth > 0 || Saved < 0)
    return;
  std::fflush(stderr);
  Duplicate(Saved, STDERR_FILENO);
  ::close(Saved);
  Saved = -1;
}
