// libFuzzer target: the TIFF reader on arbitrary bytes. Clean failures are
// EInvalidGraphic; anything else (a crash, a leak, another exception) is a finding.
#include <cstddef>
#include <cstdint>

#include "colour_chunks.h"
#include "exceptions.h"
#include "tiff_codec.h"

// Pictures are capped at 2^22 pixels here so that a small input cannot make the run exceed
// its memory budget; the reader's checks are the same at the full 2^28.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    TPicture P = ReadTiffImage(Data, Size, int64_t{1} << 22);
    // The colour profile the file carries, found and applied as every read does.
    ApplyColourProfile(TPictureFormat::Tiff, Data, Size, P);
    if (P.Pixels.size() != size_t(P.Width) * size_t(P.Height))
      __builtin_trap();
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
