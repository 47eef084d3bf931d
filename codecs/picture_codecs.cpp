#include "picture_codecs.h"

#include <mutex>
#include <utility>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_support.h"
#include "colour_chunks.h"
#include "exceptions.h"
#include "gif_codec.h"
#include "heif_codec.h"
#include "ico_reader.h"
#include "jpeg_codec.h"
#include "metafile_reader.h"
#include "pcx_reader.h"
#include "picture_formats.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tga_reader.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace {

using TDecoder = TPicture (*)(const uint8_t*, size_t, int64_t);
using TLoader = void (*)(const uint8_t*, size_t, TBitmap32&, int64_t);

// Every picture read from a file comes out in sRGB: a file's own colour profile is applied.
// A loader decodes straight into the bitmap; a file with a profile does so too when it is a
// JPEG (always opaque, so converting the loaded pixels is converting the picture), and goes
// through the picture otherwise, so that translucent pixels are converted before they are laid
// over the bitmap.
void Register(const char* Extension, TPictureFormat Format, TDecoder Decoder, TLoader Loader) {
  TBitmapLoader BitmapLoader;
  if (Loader != nullptr)
    BitmapLoader = [Format, Decoder, Loader](const std::string& FileName, TBitmap32& Target) {
      const std::vector<uint8_t> Data = codec_detail::ReadPictureBytes(FileName);
      const TColourProfile Profile = ColourProfileOf(Format, Data.data(), Data.size());
      if (Profile.IsUntagged() || Format == TPictureFormat::Jpeg) {
        Loader(Data.data(), Data.size(), Target, MaxPicturePixels);
        if (!Profile.IsUntagged() &&
            ConvertToSrgb(Target.Bits(), Target.Width(), Target.Height(), Target.Width(), Profile))
          Target.Changed();
        return;
      }
      TPicture P = Decoder(Data.data(), Data.size(), MaxPicturePixels);
      ConvertToSrgb(P, Profile);
      Target.Assign(P);
    };
  RegisterPictureReader(
      Extension,
      [Format, Decoder](const std::string& FileName) {
        const std::vector<uint8_t> Data = codec_detail::ReadPictureBytes(FileName);
        TPicture P = Decoder(Data.data(), Data.size(), MaxPicturePixels);
        ApplyColourProfile(Format, Data.data(), Data.size(), P);
        return P;
      },
      std::move(BitmapLoader));
}

// The readers by format; BMP is the registry's own. A loader decodes straight into a bitmap.
struct TFormatReader {
  TPictureFormat Format;
  TDecoder Decoder;
  TLoader Loader = nullptr;
};
constexpr TFormatReader FormatReaders[] = {
    {TPictureFormat::Jpeg, ReadJpegImage, LoadJpegImage},
    {TPictureFormat::Png, ReadPngImage, LoadPngImage},
    {TPictureFormat::Gif, ReadGifImage},
    {TPictureFormat::Tiff, ReadTiffImage, LoadTiffImage},
    {TPictureFormat::Webp, ReadWebpImage, LoadWebpImage},
    {TPictureFormat::Pcx, ReadPcxImage},
    {TPictureFormat::Tga, ReadTgaImage},
    {TPictureFormat::Ico, ReadIcoImage},
    {TPictureFormat::Heif, ReadHeifImage},
    {TPictureFormat::Wmf,
     [](const uint8_t* Data, size_t Size, int64_t) { return ReadWmfImage(Data, Size); }},
    {TPictureFormat::Emf,
     [](const uint8_t* Data, size_t Size, int64_t) { return ReadEmfImage(Data, Size); }},
};

void RegisterAll() {
  for (const TPictureExtension& E : PictureExtensions)
    for (const TFormatReader& R : FormatReaders)
      if (R.Format == E.Format)
        Register(E.Extension, R.Format, R.Decoder, R.Loader);
}

}  // namespace

void RegisterPictureCodecs() {
  static std::once_flag Once;
  std::call_once(Once, RegisterAll);
}

void SavePictureByExtension(const TBitmap32& Bitmap, const std::string& FileName,
                            const TSaveOptions& Options) {
  const std::optional<TPictureFormat> Format = PictureFormatOf(FileName);
  if (!Format)
    throw Exception("Картинки такого вида сохранить нельзя (" + LowerExtension(FileName) + ")");
  SavePicture(*Format, Bitmap, FileName, Options);
}

namespace {

// The writers by format; the formats that are only read have none.
using TWriter = void (*)(const TBitmap32& B, const std::string& FileName, const TSaveOptions& O);
struct TFormatWriter {
  TPictureFormat Format;
  TWriter Write;
};
constexpr TFormatWriter FormatWriters[] = {
    {TPictureFormat::Bmp,
     [](const TBitmap32& B, const std::string& FileName, const TSaveOptions&) {
       if (B.IsEmpty())
         throw Exception("Пустую картинку нельзя сохранить как BMP");
       B.SaveToFile(FileName);
     }},
    {TPictureFormat::Jpeg, [](const TBitmap32& B, const std::string& FileName,
                              const TSaveOptions& O) { SaveJpeg(B, FileName, O.JpegQuality); }},
    {TPictureFormat::Png, [](const TBitmap32& B, const std::string& FileName,
                             const TSaveOptions&) { SavePng(B, FileName); }},
    {TPictureFormat::Tiff, [](const TBitmap32& B, const std::string& FileName,
                              const TSaveOptions&) { SaveTiff(TBitmap24(B), FileName); }},
    {TPictureFormat::Webp, [](const TBitmap32& B, const std::string& FileName,
                              const TSaveOptions& O) { SaveWebp(B, FileName, O.WebpQuality); }},
    {TPictureFormat::Gif,
     [](const TBitmap32& B, const std::string& FileName, const TSaveOptions& O) {
       if (B.IsEmpty())
         throw Exception("Пустую картинку нельзя сохранить как GIF");
       SaveGif(ReducePixelFormat(TBitmap24(B), O.GifFormat), FileName);
     }},
};

}  // namespace

void SavePicture(TPictureFormat Format, const TBitmap32& Bitmap, const std::string& FileName,
                 const TSaveOptions& Options) {
  for (const TFormatWriter& W : FormatWriters)
    if (W.Format == Format) {
      W.Write(Bitmap, FileName, Options);
      return;
    }
  throw Exception("Картинки такого вида сохранить нельзя (" + LowerExtension(FileName) + ")");
}
