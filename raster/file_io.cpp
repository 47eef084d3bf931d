#include "file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "exceptions.h"
#include "system_error_text.h"

namespace {

[[noreturn]] void Fail(const char* Action, const std::string& FileName, int Err) {
  throw EFileError(FileErrorText(Action, FileName, Err), SystemErrorText(Err));
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& FileName, size_t MaxSize) {
  TFd Fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (Fd.Get() < 0)
    Fail("открыть", FileName, errno);
  struct stat St {};
  if (::fstat(Fd.Get(), &St) != 0)
    Fail("открыть", FileName, errno);
  if (!S_ISREG(St.st_mode))
    Fail("открыть", FileName, EISDIR);
  if (static_cast<uint64_t>(St.st_size) > MaxSize)
    throw EFileError("Файл \"" + FileName + "\" слишком велик");
  std::vector<uint8_t> Data(static_cast<size_t>(St.st_size));
  size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = ::read(Fd.Get(), Data.data() + Done, Data.size() - Done);
    if (N < 0) {
      if (errno == EINTR)
        continue;
      Fail("прочитать", FileName, errno);
    }
    if (N == 0)
      break;  // the file shrank while we read it
    Done += static_cast<size_t>(N);
  }
  Data.resize(Done);
  return Data;
}

namespace {

// Writes the pieces with as few system calls as the vector limit allows; false with Err set on
// failure.
bool WriteAllPieces(int Fd, const std::vector<TFilePiece>& Pieces, int& Err) {
  size_t Index = 0, Offset = 0;
  std::vector<iovec> Batch;
  while (Index < Pieces.size()) {
    Batch.clear();
    for (size_t I = Index; I < Pieces.size() && Batch.size() < IOV_MAX; ++I) {
      const size_t Skip = I == Index ? Offset : 0;
      Batch.push_back({const_cast<uint8_t*>(Pieces[I].Data) + Skip, Pieces[I].Size - Skip});
    }
    const ssize_t N = ::writev(Fd, Batch.data(), static_cast<int>(Batch.size()));
    if (N < 0) {
      if (errno == EINTR)
        continue;
      Err = errno;
      return false;
    }
    if (N == 0) {
      Err = EIO;
      return false;
    }
    // Step over what was written; a short write resumes inside a piece.
    auto Left = static_cast<size_t>(N);
    while (Left > 0) {
      const size_t Rest = Pieces[Index].Size - Offset;
      if (Left < Rest) {
        Offset += Left;
        Left = 0;
      } else {
        Left -= Rest;
        ++Index;
        Offset = 0;
      }
    }
  }
  return true;
}

mode_t NewFileMode(const std::string& FileName) {
  struct stat St {};
  if (::stat(FileName.c_str(), &St) == 0 && S_ISREG(St.st_mode))
    return St.st_mode & 07777;
  const mode_t Mask = ::umask(0);
  ::umask(Mask);
  return 0666 & ~Mask;
}

}  // namespace

void WriteFileAtomically(const std::string& FileName, const uint8_t* Data, size_t Size) {
  WriteFileAtomically(FileName, std::vector<TFilePiece>{{Data, Size}});
}

std::string ResolveWriteTarget(const std::string& FileName) {
  std::string Path = FileName;
  for (int Hops = 0; Hops < 40; ++Hops) {
    struct stat St {};
    if (::lstat(Path.c_str(), &St) != 0 || !S_ISLNK(St.st_mode))
      return Path;
    std::string Link(PATH_MAX, '\0');
    const ssize_t N = ::readlink(Path.c_str(), Link.data(), Link.size());
    if (N < 0)
      Fail("записать", FileName, errno);
    Link.resize(static_cast<size_t>(N));
    // A relative link is relative to the folder that holds it.
    const size_t Slash = Path.rfind('/');
    Path = Link.starts_with('/') || Slash == std::string::npos ? Link
                                                               : Path.substr(0, Slash + 1) + Link;
  }
  Fail("записать", FileName, ELOOP);
}

void WriteFileAtomically(const std::string& LinkOrFile, const std::vector<TFilePiece>& Pieces) {
  const std::string FileName = ResolveWriteTarget(LinkOrFile);
  std::string Temp = FileName + ".XXXXXX";
  TFd Fd(::mkstemp(Temp.data()));
  if (Fd.Get() < 0)
    Fail("создать", FileName, errno);
  const auto Abandon = [&](int Err) {
    if (Fd.Get() >= 0)
      ::close(Fd.Release());
    ::unlink(Temp.c_str());
    Fail("записать", FileName, Err);
  };
  int Err = 0;
  if (!WriteAllPieces(Fd.Get(), Pieces, Err))
    Abandon(Err);
  ::fchmod(Fd.Get(), NewFileMode(FileName));
  // On disk before the rename, so that a crash leaves either the old file or the new one.
  if (::fsync(Fd.Get()) != 0)
    Abandon(errno);
  if (::close(Fd.Release()) != 0)
    Abandon(errno);
  if (::rename(Temp.c_str(), FileName.c_str()) != 0)
    Abandon(errno);
}
