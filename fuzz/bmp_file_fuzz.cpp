// Reads arbitrary bytes as a BMP file straight into a bitmap, in chunks of a size the input
// picks, and checks the result against the in-memory reader: both refuse, or both give the
// same pixels. A difference, a crash, a sanitizer report or a hang is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bitmap32.h"
#include "bmp_format.h"
#include "exceptions.h"

namespace {

// One scratch file for the whole run, rewritten for every input.
const std::string& ScratchFile() {
  static const std::string Name = [] {
    std::string N = "/tmp/pelmora_bmp_file_fuzz_XXXXXX";
    const int Fd = ::mkstemp(N.data());
    if (Fd < 0)
      std::abort();
    ::close(Fd);
    return N;
  }();
  return Name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string& Name = ScratchFile();
  const int Fd = ::open(Name.c_str(), O_WRONLY | O_TRUNC);
  if (Fd < 0 || ::write(Fd, Data, Size) != ssize_t(Size) || ::close(Fd) != 0)
    std::abort();
  const size_t Chunk = Size > 0 ? 1 + size_t(Data[Size - 1]) * 37 : BmpReadChunkBytes;

  TPicture Picture;
  bool Decoded = true;
  try {
    Picture = ReadBmpImage(Data, Size);
  } catch (const Exception&) {
    Decoded = false;
  }
  TBitmap32 Loaded;
  bool FileDecoded = true;
  try {
    LoadBmpFile(Name, Loaded, Chunk);
  } catch (const Exception&) {
    FileDecoded = false;
  }
  if (Decoded != FileDecoded)
    __builtin_trap();
  if (Decoded) {
    TBitmap32 Expected;
    Expected.Assign(Picture);
    const size_t N = size_t(Expected.Width()) * size_t(Expected.Height());
    if (Loaded.Width() != Expected.Width() || Loaded.Height() != Expected.Height() ||
        !std::equal(Loaded.Bits(), Loaded.Bits() + N, Expected.Bits()))
      __builtin_trap();
  }
  return 0;
}
