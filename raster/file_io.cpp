#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "exceptions.h"

namespace {

[[noreturn]] void Fail(const char* What, const std::string& FileName, int Err) {
  throw EFileError(std::string(What) + " \"" + FileName + "\". " + std::strerror(Err));
}

class TFd {
 public:
  explicit TFd(int Fd) : FFd(Fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  int Release() {
    const int Fd = FFd;
    FFd = -1;
    return Fd;
  }

 private:
  int FFd;
};

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& FileName, size_t MaxSize) {
  TFd Fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (Fd.Get() < 0) Fail("Cannot open file", FileName, errno);
  struct stat St {};
  if (::fstat(Fd.Get(), &St) != 0) Fail("Cannot open file", FileName, errno);
  if (!S_ISREG(St.st_mode)) Fail("Cannot open file", FileName, EISDIR);
  if (static_cast<uint64_t>(St.st_size) > MaxSize)
    throw EFileError("File \"" + FileName + "\" is too large");
  std::vector<uint8_t> Data(static_cast<size_t>(St.st_size));
  size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = ::read(Fd.Get(), Data.data() + Done, Data.size() - Done);
    if (N < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot read file", FileName, errno);
    }
    if (N == 0) break;  // the file shrank while we read it
    Done += static_cast<size_t>(N);
  }
  Data.resize(Done);
  return Data;
}

void WriteFileAtomically(const std::string& FileName, const uint8_t* Data, size_t Size) {
  std::string Temp = FileName + ".XXXXXX";
  TFd Fd(::mkstemp(Temp.data()));
  if (Fd.Get() < 0) Fail("Cannot create file", FileName, errno);
  const auto Abandon = [&](int Err) {
    ::close(Fd.Release());
    ::unlink(Temp.c_str());
    Fail("Cannot write file", FileName, Err);
  };
  size_t Done = 0;
  while (Done < Size) {
    const ssize_t N = ::write(Fd.Get(), Data + Done, Size - Done);
    if (N < 0) {
      if (errno == EINTR) continue;
      Abandon(errno);
    }
    Done += static_cast<size_t>(N);
  }
  // mkstemp creates the file 0600; give it the usual permissions of a new document.
  const mode_t Mask = ::umask(0);
  ::umask(Mask);
  ::fchmod(Fd.Get(), 0666 & ~Mask);
  if (::fsync(Fd.Get()) != 0) Abandon(errno);
  if (::close(Fd.Release()) != 0) {
    const int Err = errno;
    ::unlink(Temp.c_str());
    Fail("Cannot write file", FileName, Err);
  }
  if (::rename(Temp.c_str(), FileName.c_str()) != 0) {
    const int Err = errno;
    ::unlink(Temp.c_str());
    Fail("Cannot write file", FileName, Err);
  }
}
