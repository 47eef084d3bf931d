// BMP files read straight into a bitmap: the header with one small read, then the pixel data
// with few large ones. Our own 32-bit rows go from the file into the bitmap's pixels with no
// copy in between (one vectored read per IOV_MAX rows); other uncompressed depths are decoded
// from a small buffer that stays in the cache; run-length data is read whole. The new pixels
// are never cleared first: the decoder writes every one of them.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "bitmap32.h"
#include "bmp_format.h"
#include "exceptions.h"
#include "file_io.h"
#include "little_endian.h"
#include "picture_readers.h"
#include "system_error_text.h"

namespace {

// Large enough for the biggest picture a reader accepts (2^28 pixels of 32 bits) plus headers.
constexpr size_t MaxBmpFileSize = (size_t{1} << 30) + (size_t{1} << 20);
// The first read takes this much (or BmpHeadBytes when the chunks are smaller); a palette that
// reaches further is read again in full.
constexpr size_t HeadReadBytes = 4096;

[[noreturn]] void FailFile(const char* Action, const std::string& FileName, int Err) {
  throw EFileError(FileErrorText(Action, FileName, Err), SystemErrorText(Err));
}

// A file that ends before the data its header promised: it shrank after it was measured.
[[noreturn]] void FailShort() {
  throw EInvalidGraphic("Bitmap image is not valid: the file is shorter than its header says");
}

class TBmpFile {
 public:
  TBmpFile(const std::string& FileName)
      : FName(FileName), FFd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (FFd.Get() < 0)
      FailFile("открыть", FName, errno);
    struct stat St {};
    if (::fstat(FFd.Get(), &St) != 0)
      FailFile("открыть", FName, errno);
    if (!S_ISREG(St.st_mode))
      FailFile("открыть", FName, EISDIR);
    if (static_cast<uint64_t>(St.st_size) > MaxBmpFileSize)
      throw EFileError("Файл \"" + FName + "\" слишком велик");
    FSize = static_cast<size_t>(St.st_size);
  }

  size_t Size() const { return FSize; }

  // The byte count of one read call, made again when a signal interrupted it. A failure, and
  // the end of the file before the bytes wanted, are raised.
  template <class F>
  size_t Arrived(F&& Call) {
    for (;;) {
      const ssize_t N = Call();
      if (N > 0)
        return static_cast<size_t>(N);
      if (N == 0)
        FailShort();
      if (errno != EINTR)
        FailFile("прочитать", FName, errno);
    }
  }

  // Exactly Count bytes from Offset.
  void Read(uint8_t* Out, size_t Count, size_t Offset) {
    size_t Done = 0;
    while (Done < Count) {
      Done += Arrived(
          [&] { return ::pread(FFd.Get(), Out + Done, Count - Done, off_t(Offset + Done)); });
    }
  }

  // Consecutive bytes from Offset into the pieces, IOV_MAX pieces per system call.
  void ReadPieces(std::vector<iovec>& Pieces, size_t Offset) {
    size_t First = 0;
    while (First < Pieces.size()) {
      const size_t Count = std::min<size_t>(Pieces.size() - First, IOV_MAX);
      // Step over what arrived; a short read resumes inside a piece.
      size_t Left = Arrived(
          [&] { return ::preadv(FFd.Get(), Pieces.data() + First, int(Count), off_t(Offset)); });
      Offset += Left;
      while (Left > 0) {
        iovec& P = Pieces[First];
        if (Left < P.iov_len) {
          P.iov_base = static_cast<uint8_t*>(P.iov_base) + Left;
          P.iov_len -= Left;
          Left = 0;
        } else {
          Left -= P.iov_len;
          ++First;
        }
      }
    }
  }

 private:
  std::string FName;
  TFd FFd;
  size_t FSize = 0;
};

}  // namespace

void LoadBmpFile(const std::string& FileName, TBitmap32& Target, size_t ChunkBytes) {
  TBmpFile File(FileName);
  const size_t Size = File.Size();
  size_t HeadSize = std::min(Size, std::max(BmpHeadBytes, std::min(ChunkBytes, HeadReadBytes)));
  std::vector<uint8_t> Head(HeadSize);
  File.Read(Head.data(), HeadSize, 0);
  if (HeadSize < Size && GetLE32(Head.data() + 10) > HeadSize) {
    HeadSize = std::min<size_t>(Size, GetLE32(Head.data() + 10));
    Head.resize(HeadSize);
    File.Read(Head.data(), HeadSize, 0);
  }
  const TBmpDecoder Decoder(Head.data(), HeadSize, Size);
  const int32_t W = Decoder.Width(), H = Decoder.Height();
  const size_t Offset = Decoder.PixelOffset();

  TBitmap32 Fresh;
  Fresh.SetSizeForOverwrite(W, H);
  TColor32* const Pixels = Fresh.Bits();
  if (Decoder.RunLength()) {
    const size_t Bytes = Decoder.RunLengthBytes();
    const std::unique_ptr<uint8_t[]> Data(new uint8_t[std::max<size_t>(Bytes, 1)]);
    File.Read(Data.get(), Bytes, Offset);
    Decoder.DecodeRunLength(Data.get(), Pixels);
  } else if (Decoder.RawRows()) {
    // Stored rows are the pixels' bytes and follow one another without padding.
    const size_t RowBytes = size_t(W) * sizeof(TColor32);
    std::vector<iovec> Rows(static_cast<size_t>(H));
    for (int32_t R = 0; R < H; ++R)
      Rows[size_t(R)] = {Fresh.RowAddress(Decoder.TopDown() ? R : H - 1 - R), RowBytes};
    File.ReadPieces(Rows, Offset);
  } else {
    const size_t Stride = Decoder.Stride();
    const int64_t RowsPerChunk = int64_t(std::max<size_t>(1, ChunkBytes / Stride));
    const std::unique_ptr<uint8_t[]> Chunk(new uint8_t[size_t(RowsPerChunk) * Stride]);
    for (int64_t R = 0; R < H; R += RowsPerChunk) {
      const int64_t Count = std::min<int64_t>(RowsPerChunk, H - R);
      // The last stored row may end where its pixels end.
      File.Read(Chunk.get(), size_t(Count - 1) * Stride + Decoder.RowBytes(),
                Offset + size_t(R) * Stride);
      Decoder.DecodeRows(Chunk.get(), R, Count, Pixels);
    }
  }

  // The pixels move into Target as Assign would bring them: a resize, then a change.
  TakeLoadedPixels(Fresh, Target);
}
