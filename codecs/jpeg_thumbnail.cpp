#include "jpeg_thumbnail.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "codec_support.h"
#include "exif_orientation.h"
#include "jpeg_support.h"

using namespace codec_detail;
using namespace jpeg_detail;

int32_t JpegThumbnailScale(int32_t FullWidth, int32_t FullHeight, int32_t BoxWidth,
                           int32_t BoxHeight) {
  if (FullWidth < 1 || FullHeight < 1 || BoxWidth < 1 || BoxHeight < 1)
    return 1;
  const double F = std::min(double(BoxWidth) / FullWidth, double(BoxHeight) / FullHeight);
  if (F >= 1)
    return 1;
  // Rounded up, so the chosen scale is never a pixel short of the reduced size.
  const auto NeedW = int64_t(std::ceil(FullWidth * F - 1e-9));
  const auto NeedH = int64_t(std::ceil(FullHeight * F - 1e-9));
  for (const int64_t S : {8, 4, 2})
    if ((FullWidth + S - 1) / S >= NeedW && (FullHeight + S - 1) / S >= NeedH)
      return int32_t(S);
  return 1;
}

TJpegThumbnail ReadJpegThumbnail(const uint8_t* Data, size_t Size, int32_t BoxWidth,
                                 int32_t BoxHeight, int64_t MaxPixels) {
  TOpenedJpeg File(Data, Size, MaxPixels);
  TJpegDecoder& D = File.D;
  const int Orientation = File.Orientation;
  const bool Turned = Orientation >= 5 && Orientation <= 8;
  TJpegThumbnail T;
  T.FullWidth = int32_t(Turned ? D.Info.output_height : D.Info.output_width);
  T.FullHeight = int32_t(Turned ? D.Info.output_width : D.Info.output_height);
  T.Scale = JpegThumbnailScale(T.FullWidth, T.FullHeight, BoxWidth, BoxHeight);
  if (T.Scale != 1 && !SetOutputScale(D, unsigned(T.Scale)))
    FailJpeg(D);
  if (!StartDecompress(D))
    FailJpeg(D);
  T.Picture = MakeGraphic(int32_t(D.Info.output_width), int32_t(D.Info.output_height));
  DecodeAllRows(D, T.Picture.Pixels.data(), Data, Size);
  ApplyExifOrientation(T.Picture, Orientation);
  return T;
}
