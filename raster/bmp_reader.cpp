#include "bmp_format.h"
#include "exceptions.h"

// Minimal reader of the 32-bit form our writer produces; the full reader replaces it.
TPicture ReadBmpImage(const uint8_t* Data, size_t Size) {
  if (Size < 54 || Data[0] != 'B' || Data[1] != 'M') throw EInvalidGraphic("Bitmap image is not valid");
  auto Get32 = [&](size_t O) {
    return static_cast<int32_t>(uint32_t{Data[O]} | (uint32_t{Data[O + 1]} << 8) |
                                (uint32_t{Data[O + 2]} << 16) | (uint32_t{Data[O + 3]} << 24));
  };
  TPicture P;
  P.Width = Get32(18);
  P.Height = Get32(22);
  if (P.Width <= 0 || P.Height <= 0 || P.Width > 65535 || P.Height > 65535 ||
      size_t(P.Width) * size_t(P.Height) * 4 + 54 > Size)
    throw EInvalidGraphic("Bitmap image is not valid");
  P.Pixels.resize(size_t(P.Width) * size_t(P.Height));
  for (int32_t Y = 0; Y < P.Height; ++Y)
    for (int32_t X = 0; X < P.Width; ++X)
      P.Pixels[size_t(Y) * P.Width + X] =
          static_cast<TColor32>(Get32(54 + (size_t(P.Height - 1 - Y) * P.Width + X) * 4));
  return P;
}
