#include "save_flat_image.h"

#include "bitmap24.h"
#include "bitmap32.h"
#include "exceptions.h"
#include "gif_codec.h"
#include "jpeg_codec.h"
#include "picture_formats.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tiff_codec.h"
#include "webp_codec.h"

const char* SaveFormatExtension(TSaveFormat Format) {
  switch (Format) {
    case TSaveFormat::Project:
      return ".kvt";
    case TSaveFormat::Bmp:
      return ".bmp";
    case TSaveFormat::Jpeg:
      return ".jpg";
    case TSaveFormat::Gif:
      return ".gif";
    case TSaveFormat::Png:
      return ".png";
    case TSaveFormat::Tiff:
      return ".tif";
    case TSaveFormat::Webp:
      return ".webp";
  }
  return "";
}

std::optional<TSaveFormat> PictureFormatForFile(const std::string& FileName) {
  // An unknown extension gets none, as a format that is only read does.
  switch (PictureFormatOf(FileName).value_or(TPictureFormat::Pcx)) {
    case TPictureFormat::Bmp:
      return TSaveFormat::Bmp;
    case TPictureFormat::Jpeg:
      return TSaveFormat::Jpeg;
    case TPictureFormat::Gif:
      return TSaveFormat::Gif;
    case TPictureFormat::Png:
      return TSaveFormat::Png;
    case TPictureFormat::Tiff:
      return TSaveFormat::Tiff;
    case TPictureFormat::Webp:
      return TSaveFormat::Webp;
    default:  // read only, or unknown
      return std::nullopt;
  }
}

void SaveFlatImage(TSaveFormat Format, const TSaveOptions& Options, const TBitmap32& Flat,
                   const std::string& FileName) {
  if (Flat.IsEmpty())
    throw Exception("Нечего сохранять: изображение пустое (\"" + FileName + "\")");
  switch (Format) {
    case TSaveFormat::Bmp:
      Flat.SaveToFile(FileName);
      return;
    case TSaveFormat::Jpeg:
      SaveJpeg(Flat, FileName, Options.JpegQuality);
      return;
    case TSaveFormat::Gif:
      SaveGif(ReducePixelFormat(TBitmap24(Flat), Options.GifFormat), FileName);
      return;
    case TSaveFormat::Png:
      SavePng(Flat, FileName);
      return;
    case TSaveFormat::Tiff:
      SaveTiff(Flat, FileName);
      return;
    case TSaveFormat::Webp:
      SaveWebp(Flat, FileName, Options.WebpQuality);
      return;
    case TSaveFormat::Project:
      break;
  }
  throw Exception("A project is not written as a flat image");
}
