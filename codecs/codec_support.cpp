#include "codec_support.h"

#include "exceptions.h"
#include "file_io.h"

namespace codec_detail {

namespace {

std::string SizeText(int64_t Width, int64_t Height) {
  return " (" + std::to_string(Width) + " × " + std::to_string(Height) + ")";
}

}  // namespace

void CheckPictureSize(const char* Format, int64_t Width, int64_t Height, int64_t MaxPixels) {
  if (Width < 1 || Height < 1)
    throw EInvalidGraphic("Картинка " + std::string(Format) + " неверного размера" +
                          SizeText(Width, Height));
  if (Width > MaxPictureSide || Height > MaxPictureSide || Width * Height > MaxPixels ||
      Width * Height > MaxPicturePixels)
    throw EInvalidGraphic("Картинка " + std::string(Format) + " слишком велика" +
                          SizeText(Width, Height));
}

TPicture MakeGraphic(int32_t Width, int32_t Height) {
  TPicture P;
  P.Kind = TPicture::pkGraphic;
  P.BitsPerPixel = 32;
  P.Width = Width;
  P.Height = Height;
  P.Pixels.assign(size_t(Width) * size_t(Height), 0);
  return P;
}

// The problem is told in the decoders' own (English) words, which are no text for the user:
// the message names the format only.
void FailPicture(const char* Format, const std::string& /*Problem*/) {
  throw EInvalidGraphic("Картинка " + std::string(Format) +
                        " повреждена или записана в неподдерживаемом виде");
}

std::vector<uint8_t> ReadPictureBytes(const std::string& FileName) {
  constexpr size_t MaxFileSize = (size_t{1} << 30) + (size_t{1} << 20);
  return ReadFileBytes(FileName, MaxFileSize);
}

}  // namespace codec_detail
