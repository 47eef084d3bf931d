#pragma once
// The one table of picture file extensions and the formats they name. The readers register by
// it, the writers choose by it, and the document, the picker and the batch tool ask it.
#include <optional>
#include <string>

enum class TPictureFormat { Bmp, Jpeg, Png, Gif, Tiff, Webp, Pcx, Tga, Ico, Heif, Wmf, Emf };

struct TPictureExtension {
  const char* Extension;  // lower case, with the dot
  TPictureFormat Format;
};

// Every extension a picture can have here: .bmp .jpg .jpeg .jpe .jfif .png .gif .pcx .tga .ico
// .cur .tif .tiff .webp .heic .heif .hif .avif .wmf .emf.
inline constexpr TPictureExtension PictureExtensions[] = {
    {".bmp", TPictureFormat::Bmp},   {".jpg", TPictureFormat::Jpeg},
    {".jpeg", TPictureFormat::Jpeg}, {".jpe", TPictureFormat::Jpeg},
    {".jfif", TPictureFormat::Jpeg}, {".png", TPictureFormat::Png},
    {".gif", TPictureFormat::Gif},   {".pcx", TPictureFormat::Pcx},
    {".tga", TPictureFormat::Tga},   {".ico", TPictureFormat::Ico},
    {".cur", TPictureFormat::Ico},   {".tif", TPictureFormat::Tiff},
    {".tiff", TPictureFormat::Tiff}, {".webp", TPictureFormat::Webp},
    {".heic", TPictureFormat::Heif}, {".heif", TPictureFormat::Heif},
    {".hif", TPictureFormat::Heif},  {".avif", TPictureFormat::Heif},
    {".wmf", TPictureFormat::Wmf},   {".emf", TPictureFormat::Emf},
};

// The format the file name's extension names, in any case; none for an unknown extension.
std::optional<TPictureFormat> PictureFormatOf(const std::string& FileName);
