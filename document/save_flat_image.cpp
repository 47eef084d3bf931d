#include "save_flat_image.h"

#include "bitmap32.h"
#include "exceptions.h"
#include "picture_formats.h"

namespace {

// The flat formats of the save dialog: their picture format and the extension they append.
struct TFlatFormat {
  TSaveFormat Save;
  TPictureFormat Picture;
  const char* Extension;
};
constexpr TFlatFormat FlatFormats[] = {
    {TSaveFormat::Bmp, TPictureFormat::Bmp, ".bmp"},
    {TSaveFormat::Jpeg, TPictureFormat::Jpeg, ".jpg"},
    {TSaveFormat::Gif, TPictureFormat::Gif, ".gif"},
    {TSaveFormat::Png, TPictureFormat::Png, ".png"},
    {TSaveFormat::Tiff, TPictureFormat::Tiff, ".tif"},
    {TSaveFormat::Webp, TPictureFormat::Webp, ".webp"},
};

const TFlatFormat* FlatFormatOf(TSaveFormat Format) {
  for (const TFlatFormat& F : FlatFormats)
    if (F.Save == Format)
      return &F;
  return nullptr;  // the project
}

}  // namespace

const char* SaveFormatExtension(TSaveFormat Format) {
  if (Format == TSaveFormat::Project)
    return ".kvt";
  const TFlatFormat* F = FlatFormatOf(Format);
  return F != nullptr ? F->Extension : "";
}

std::optional<TSaveFormat> PictureFormatForFile(const std::string& FileName) {
  const std::optional<TPictureFormat> Picture = PictureFormatOf(FileName);
  for (const TFlatFormat& F : FlatFormats)
    if (Picture == F.Picture)
      return F.Save;
  return std::nullopt;
}

void SaveFlatImage(TSaveFormat Format, const TSaveOptions& Options, const TBitmap32& Flat,
                   const std::string& FileName) {
  if (Flat.IsEmpty())
    throw Exception("Нечего сохранять: изображение пустое (\"" + FileName + "\")");
  const TFlatFormat* F = FlatFormatOf(Format);
  if (F == nullptr)
    throw Exception("A project is not written as a flat image");
  SavePicture(F->Picture, Flat, FileName, Options);
}
