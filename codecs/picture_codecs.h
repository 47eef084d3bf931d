#pragma once
// The picture codecs as a whole: registering the readers and saving by a file's extension.
#include <string>

#include "color_reduction.h"
#include "picture_formats.h"

class TBitmap32;

// Registers every reader of this library with the picture-reader registry (raster/
// picture_readers.h): .jpg .jpeg .jpe .jfif .png .gif .pcx .tga .ico .cur .tif .tiff .webp
// .heic .heif .hif .avif .wmf .emf (BMP is the registry's own). Safe to call any number of times
// from any thread.
void RegisterPictureCodecs();

struct TSaveOptions {
  int JpegQuality = 70;              // 1..100
  TPixelFormat GifFormat = pf24bit;  // pf24bit: the GIF writer builds its own palette
  int WebpQuality = 90;              // 1..99 lossy, 100 lossless
};

// Writes the bitmap in the format its extension names (any case): .bmp (the bitmap's own
// 32-bit writer), .jpg/.jpeg/.jpe/.jfif, .png, .tif/.tiff, .gif, .webp; JPEG reads the 32-bit
// rows and ignores alpha, TIFF and GIF go through the 24-bit platform bitmap. Raises Exception
// for an unknown extension or a failed write; the write is atomic.
void SavePictureByExtension(const TBitmap32& Bitmap, const std::string& FileName,
                            const TSaveOptions& Options = {});
// The same writers chosen by the format, whatever the name's extension: BMP, JPEG, PNG, TIFF, GIF
// and WebP; the formats that are only read raise Exception.
void SavePicture(TPictureFormat Format, const TBitmap32& Bitmap, const std::string& FileName,
                 const TSaveOptions& Options = {});
