// Feeds arbitrary bytes to the BMP reader. Refusing them with one of our exceptions is fine;
// a crash, a sanitizer report, a hang or a huge allocation is a finding.
#include <cstddef>
#include <cstdint>

#include "bmp_format.h"
#include "exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    const TPicture Picture = ReadBmpImage(Data, Size);
    if (Picture.Pixels.size() != size_t(Picture.Width) * size_t(Picture.Height))
      __builtin_trap();
  } catch (const Exception&) {
  }
  return 0;
}
