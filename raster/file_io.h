#pragma once
// Whole-file reads with a size limit, and writes that never leave a half-written file behind.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Owns an open file descriptor and closes it unless released.
class TFd {
 public:
  explicit TFd(int Fd) : FFd(Fd) {}
  ~TFd() {
    if (FFd >= 0)
      ::close(FFd);
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

// Raises EFileError "Не удалось открыть файл "name": <reason>" or "Файл "name" слишком велик".
std::vector<uint8_t> ReadFileBytes(const std::string& FileName, size_t MaxSize);
// One stretch of bytes of a file written in pieces.
struct TFilePiece {
  const uint8_t* Data;
  size_t Size;
};

// Writes to an unnamed file in the same folder (a named temporary file where the file system has
// no unnamed ones), flushes it to disk and gives it FileName only when all of it was written, so
// that a write that fails or is killed midway leaves no file behind; on failure the old file is
// intact and EFileError is raised. A replaced file's permissions are kept; a new file gets those
// of a new document (0666 less the umask).
// A FileName that is a symbolic link (or a chain of them) is followed: the file it points to is
// replaced, beside itself, and the link stays as it was.
void WriteFileAtomically(const std::string& FileName, const uint8_t* Data, size_t Size);
// The same for a file made of pieces, written with as few system calls as possible.
void WriteFileAtomically(const std::string& FileName, const std::vector<TFilePiece>& Pieces);
// The file a write to FileName lands on: FileName itself, or the end of the chain of symbolic
// links it starts (which need not exist yet). Raises EFileError for a loop of links.
std::string ResolveWriteTarget(const std::string& FileName);
