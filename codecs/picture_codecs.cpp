#include "picture_codecs.h"

#include <mutex>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_support.h"
#include "exceptions.h"
#include "gif_codec.h"
#include "heif_codec.h"
#include "ico_reader.h"
#include "jpeg_codec.h"
#include "metafile_reader.h"
#include "pcx_reader.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tga_reader.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace {

using TDecoder = TPicture (*)(const uint8_t*, size_t, int64_t);

void Register(const char* Extension, TDecoder Decoder) {
  RegisterPictureReader(Extension, [Decoder](const std::string& FileName) {
    const std::vector<uint8_t> Data = codec_detail::ReadPictureBytes(FileName);
    return Decoder(Data.data(), Data.size(), MaxPicturePixels);
  });
}

void RegisterAll() {
  for (const char* Ext : {".jpg", ".jpeg", ".jpe", ".jfif"}) Register(Ext, ReadJpegImage);
  Register(".png", ReadPngImage);
  Register(".gif", ReadGifImage);
  Register(".pcx", ReadPcxImage);
  Register(".tga", ReadTgaImage);
  Register(".ico", ReadIcoImage);
  Register(".cur", ReadIcoImage);
  Register(".tif", ReadTiffImage);
  Register(".tiff", ReadTiffImage);
  Register(".webp", ReadWebpImage);
  for (const char* Ext : {".heic", ".heif", ".hif", ".avif"}) Register(Ext, ReadHeifImage);
  Register(".wmf",
           [](const uint8_t* Data, size_t Size, int64_t) { return ReadWmfImage(Data, Size); });
  Register(".emf",
           [](const uint8_t* Data, size_t Size, int64_t) { return ReadEmfImage(Data, Size); });
}

}  // namespace

void RegisterPictureCodecs() {
  static std::once_flag Once;
  std::call_once(Once, RegisterAll);
}

void SavePictureByExtension(const TBitmap32& Bitmap, const std::string& FileName,
                            const TSaveOptions& Options) {
  const std::string Ext = LowerExtension(FileName);
  if (Ext == ".bmp") {
    if (Bitmap.IsEmpty())
      throw Exception("Пустую картинку нельзя сохранить как BMP");
    Bitmap.SaveToFile(FileName);
  } else if (Ext == ".jpg" || Ext == ".jpeg" || Ext == ".jpe" || Ext == ".jfif") {
    SaveJpeg(TBitmap24(Bitmap), FileName, Options.JpegQuality);
  } else if (Ext == ".png") {
    SavePng(Bitmap, FileName);
  } else if (Ext == ".tif" || Ext == ".tiff") {
    SaveTiff(TBitmap24(Bitmap), FileName);
  } else if (Ext == ".webp") {
    SaveWebp(Bitmap, FileName, Options.WebpQuality);
  } else if (Ext == ".gif") {
    if (Bitmap.IsEmpty())
      throw Exception("Пустую картинку нельзя сохранить как GIF");
    SaveGif(ReducePixelFormat(TBitmap24(Bitmap), Options.GifFormat), FileName);
  } else {
    throw Exception("Картинки такого вида сохранить нельзя (" + Ext + ")");
  }
}
