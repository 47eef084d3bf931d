#include "codec_support.h"

#include "exceptions.h"
#include "file_io.h"

namespace codec_detail {

namespace {

std::string SizeText(int64_t Width, int64_t Height) {
  return " (" + std::to_string(Width) + " x " + std::to_string(Height) + ")";
}

}  // namespace

void CheckPictureSize(const char* Format, int64_t Width, int64_t Height, int64_t MaxPixels) {
  if (Width < 1 || Height < 1)
    throw EInvalidGraphic(std::string(Format) + " picture has an invalid size" +
                          SizeText(Width, Height));
  if (Width > MaxPictureSide || Height > MaxPictureSide || Width * Height > MaxPixels ||
      Width * Height > MaxPicturePixels)
    throw EInvalidGraphic(std::string(Format) + " picture is too large" + SizeText(Width, Height));
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

void FailPicture(const char* Format, const std::string& Problem) {
  throw EInvalidGraphic(std::string(Format) + " picture is damaged: " + Problem);
}

std::vector<uint8_t> ReadPictureBytes(const std::string& FileName) {
  constexpr size_t MaxFileSize = (size_t{1} << 30) + (size_t{1} << 20);
  return ReadFileBytes(FileName, MaxFileSize);
}

}  // namespace codec_detail
