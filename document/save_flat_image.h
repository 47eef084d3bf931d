#pragma once
// The formats a card is written in by "Сохранить как..." and export, and the one writer of the
// flat image that the editor and the batch tool share.
#include <optional>
#include <string>

#include "picture_codecs.h"

class TBitmap32;

// In the order of the save dialog's filter list: the value is the filter's index.
enum class TSaveFormat { Project = 1, Bmp = 2, Jpeg = 3, Gif = 4, Png = 5, Tiff = 6, Webp = 7 };

// The extension "Сохранить как..." appends for the format: ".kvt", ".bmp", ".jpg", ".gif",
// ".png", ".tif", ".webp".
const char* SaveFormatExtension(TSaveFormat Format);

// The picture format a file's extension names, in any letter case: .bmp; .jpg, .jpeg, .jpe,
// .jfif; .gif; .png; .tif, .tiff; .webp. None for any other name, a project's included.
std::optional<TSaveFormat> PictureFormatForFile(const std::string& FileName);

// Writes the flat image in a picture format: BMP keeps the 32-bit pixels with their alpha,
// PNG and WebP (Options.WebpQuality) keep the alpha, JPEG (Options.JpegQuality) drops it while
// it reads the 32-bit rows, TIFF and GIF (reduced to Options.GifFormat) take the 24-bit platform
// bitmap. The write is atomic; a failure
// raises the writer's error and leaves an existing file as it was. An empty image or the project
// format is refused.
void SaveFlatImage(TSaveFormat Format, const TSaveOptions& Options, const TBitmap32& Flat,
                   const std::string& FileName);
