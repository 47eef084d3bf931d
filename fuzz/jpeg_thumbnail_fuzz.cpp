// libFuzzer target: the reduced-size JPEG reader of the thumbnails on arbitrary bytes. The
// first byte picks the box (so every DCT scale is reached); the rest is the file. Clean
// failures are EInvalidGraphic; anything else is a finding.
#include <cstddef>
#include <cstdint>

#include "exceptions.h"
#include "jpeg_thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1)
    return 0;
  const int32_t Box = 1 + Data[0];
  try {
    const TJpegThumbnail T = ReadJpegThumbnail(Data + 1, Size - 1, Box, Box, int64_t{1} << 22);
    const TPicture& P = T.Picture;
    if (P.Pixels.size() != size_t(P.Width) * size_t(P.Height))
      __builtin_trap();
    if (T.Scale != 1 && T.Scale != 2 && T.Scale != 4 && T.Scale != 8)
      __builtin_trap();
    // The picture is the full size divided by the scale, sides rounded up.
    if (P.Width != (T.FullWidth + T.Scale - 1) / T.Scale ||
        P.Height != (T.FullHeight + T.Scale - 1) / T.Scale)
      __builtin_trap();
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
