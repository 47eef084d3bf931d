#include "thumb_picture.h"

#include <algorithm>

#include "bitmap32.h"
#include "colour_chunks.h"
#include "file_io.h"
#include "jpeg_thumbnail.h"
#include "picture_formats.h"
#include "picture_readers.h"
#include "thumb_layout.h"
#include "transfers.h"

namespace {

bool IsJpegName(const std::string& Path) {
  return PictureFormatOf(Path) == TPictureFormat::Jpeg;
}

// Large enough for any picture the readers accept.
constexpr size_t MaxThumbFileSize = (size_t{1} << 30) + (size_t{1} << 20);

}  // namespace

TThumbPicture LoadThumbPicture(const std::string& Path, int32_t MaxWidth, int32_t MaxHeight,
                               bool MinMemory) {
  TBitmap32 Decoded;
  int32_t FullW = 0, FullH = 0;
  if (IsJpegName(Path)) {
    const std::vector<uint8_t> Data = ReadFileBytes(Path, MaxThumbFileSize);
    TJpegThumbnail T = ReadJpegThumbnail(Data.data(), Data.size(), MaxWidth, MaxHeight);
    // The thumbnail shows the colours the photo will have on the card.
    ApplyColourProfile(TPictureFormat::Jpeg, Data.data(), Data.size(), T.Picture);
    FullW = T.FullWidth;
    FullH = T.FullHeight;
    Decoded.Assign(T.Picture);
  } else {
    const TPicture P = ReadPictureFile(Path);
    FullW = P.Width;
    FullH = P.Height;
    Decoded.Assign(P);
  }
  Decoded.MakeOpaque();

  const TSize Reduced = ReducedPictureSize(FullW, FullH, MaxWidth, MaxHeight);
  const bool Keep = KeepsPictureSize(FullW, FullH, Reduced);
  TThumbPicture Result;
  Result.Size = MinMemory && !Keep ? Reduced : TSize{FullW, FullH};

  // A sliver of a picture still gets a pixel of each side.
  const TSize ShownSize = Keep ? TSize{Decoded.Width(), Decoded.Height()}
                               : TSize{std::max(1, Reduced.cx), std::max(1, Reduced.cy)};
  if (ShownSize.cx == Decoded.Width() && ShownSize.cy == Decoded.Height()) {
    Result.Shown = TBitmap24(Decoded);
    return Result;
  }
  TBitmap32 Small;
  Small.SetSize(ShownSize.cx, ShownSize.cy);
  StretchTransfer(&Small, Small.BoundsRect(), &Decoded, Decoded.BoundsRect(), sfLinear2, dmOpaque);
  Result.Shown = TBitmap24(Small);
  return Result;
}
