#include "file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

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

namespace {

// The folder a file is made in: the part of FileName before its last slash.
std::string FolderOf(const std::string& FileName) {
  const size_t Slash = FileName.rfind('/');
  if (Slash == std::string::npos)
    return ".";
  return Slash == 0 ? "/" : FileName.substr(0, Slash);
}

// FileName with a dot and six random letters or digits after it: a name for the moment between
// the link and the rename.
std::string TemporaryName(const std::string& FileName) {
  static constexpr char Letters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint8_t Random[6] = {};
  if (::getrandom(Random, sizeof(Random), 0) != ssize_t(sizeof(Random))) {
    // Without random bytes: the time and the process, which only a retry after EEXIST needs.
    const uint64_t Seed = uint64_t(::time(nullptr)) * 2654435761u ^ uint64_t(::getpid());
    for (size_t I = 0; I < sizeof(Random); ++I) Random[I] = uint8_t(Seed >> (8 * I));
  }
  std::string Name = FileName + ".";
  for (const uint8_t R : Random) Name += Letters[R % (sizeof(Letters) - 1)];
  return Name;
}

// Writes the pieces to Fd, gives it Mode and flushes it to disk; returns 0 or the error.
int FillFile(int Fd, const std::vector<TFilePiece>& Pieces, mode_t Mode) {
  int Err = 0;
  if (!WriteAllPieces(Fd, Pieces, Err))
    return Err;
  ::fchmod(Fd, Mode);
  // On disk before the rename, so that a crash leaves either the old file or the new one.
  if (::fsync(Fd) != 0)
    return errno;
  return 0;
}

// Gives the unnamed file Fd a temporary name beside FileName (through /proc, or by the
// descriptor itself where /proc is absent); the name, or nothing when it cannot be linked.
std::optional<std::string> LinkUnnamed(int Fd, const std::string& FileName) {
  const std::string Proc = "/proc/self/fd/" + std::to_string(Fd);
  for (int Try = 0; Try < 100; ++Try) {
    std::string Temp = TemporaryName(FileName);
    if (::linkat(AT_FDCWD, Proc.c_str(), AT_FDCWD, Temp.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        ::linkat(Fd, "", AT_FDCWD, Temp.c_str(), AT_EMPTY_PATH) == 0)
      return Temp;
    if (errno != EEXIST)
      return std::nullopt;
  }
  return std::nullopt;
}

// The write into an unnamed file in the target's folder (O_TMPFILE): a write killed midway
// leaves nothing behind, as the file has no name until it is whole. False when the file system
// has no unnamed files, or the file cannot be named, and nothing was left.
bool WriteThroughUnnamedFile(const std::string& FileName, const std::vector<TFilePiece>& Pieces,
                             mode_t Mode) {
#ifdef O_TMPFILE
  TFd Fd(::open(FolderOf(FileName).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, Mode));
  if (Fd.Get() < 0)
    return false;
  if (const int Err = FillFile(Fd.Get(), Pieces, Mode))
    Fail("записать", FileName, Err);
  const std::optional<std::string> Temp = LinkUnnamed(Fd.Get(), FileName);
  if (!Temp)
    return false;
  if (::close(Fd.Release()) != 0 || ::rename(Temp->c_str(), FileName.c_str()) != 0) {
    const int Err = errno;
    ::unlink(Temp->c_str());
    Fail("записать", FileName, Err);
  }
  return true;
#else
  (void)FileName, (void)Pieces, (void)Mode;
  return false;
#endif
}

// The same through a named temporary file, for file systems without unnamed files.
void WriteThroughNamedFile(const std::string& FileName, const std::vector<TFilePiece>& Pieces,
                           mode_t Mode) {
  std::string Temp = FileName + ".XXXXXX";
  TFd Fd(::mkstemp(Temp.data()));
  if (Fd.Get() < 0)
    Fail("создать", FileName, errno);
  int Err = FillFile(Fd.Get(), Pieces, Mode);
  if (Err == 0 && ::close(Fd.Release()) != 0)
    Err = errno;
  if (Err == 0 && ::rename(Temp.c_str(), FileName.c_str()) != 0)
    Err = errno;
  if (Err != 0) {
    if (Fd.Get() >= 0)
      ::close(Fd.Release());
    ::unlink(Temp.c_str());
    Fail("записать", FileName, Err);
  }
}

}  // namespace

void WriteFileAtomically(const std::string& LinkOrFile, const std::vector<TFilePiece>& Pieces) {
  const std::string FileName = ResolveWriteTarget(LinkOrFile);
  const mode_t Mode = NewFileMode(FileName);
  if (!WriteThroughUnnamedFile(FileName, Pieces, Mode))
    WriteThroughNamedFile(FileName, Pieces, Mode);
}
