#pragma once
// PNG pictures: reading every colour type and depth (palette and tRNS transparency, 16-bit,
// Adam7 interlacing) through libpng, and writing 8-bit RGB or RGBA with zlib on every core.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;

// Decodes one PNG file image into a pkGraphic picture with its own alpha (opaque where the file
// has none). 16-bit samples are scaled to 8 bits with rounding; gamma and colour chunks are
// ignored, the samples are taken as they are stored. A damaged or truncated file (a missing
// IEND included), or one larger than MaxPixels, raises EInvalidGraphic.
TPicture ReadPngImage(const uint8_t* Data, size_t Size, int64_t MaxPixels = MaxPicturePixels);
// The same picture decoded straight into Target, as Target.Assign(ReadPngImage(...)) leaves
// it; Target is unchanged on failure.
void LoadPngImage(const uint8_t* Data, size_t Size, TBitmap32& Target,
                  int64_t MaxPixels = MaxPicturePixels);

// The filter a PNG scan line is stored with; pngAdaptive picks, row by row, the one whose
// output has the least sum of bytes taken as signed (libpng's choice).
enum TPngFilter { pngNone, pngSub, pngUp, pngAverage, pngPaeth, pngAdaptive };
// zlib's strategies: default, filtered, Huffman codes only, runs only; pzAuto compresses each
// part with runs only and again, filtered, when that shrank it four times or more, keeping the
// smaller.
enum TPngStrategy { pzDefault, pzFiltered, pzHuffman, pzRle, pzAuto };

// How EncodePng compresses. The defaults are the export's, chosen by size and time on
// photo-like and flat-colour cards (bench/codecs_bench).
struct TPngOptions {
  // zlib level, 0..9. Level 4 keeps smooth photographs within a few percent of level 6 at less
  // than half its time; flat colour comes out the same.
  int Level = 4;
  TPngStrategy Strategy = pzAuto;
  TPngFilter Filters = pngAdaptive;
  // Threads that compress parts of the picture; 0 for one per core.
  int Threads = 0;
  // The zlib stream is cut into parts of about this many pixels (whole rows), compressed side
  // by side; the number of parts depends on the picture's size only.
  int64_t PixelsPerPart = int64_t{1} << 20;
};

// Number of parts EncodePng cuts a Width x Height picture into.
int32_t PngPartCount(int32_t Width, int32_t Height, int64_t PixelsPerPart);

// A PNG file image of the bitmap: 8-bit RGB when every pixel is opaque, 8-bit RGBA (straight
// alpha) otherwise. Raises Exception for an empty bitmap or an encoder failure.
std::vector<uint8_t> EncodePng(const TBitmap32& Bitmap, const TPngOptions& Options = {});
std::vector<uint8_t> EncodePng(const TColor32* Pixels, int32_t Width, int32_t Height,
                               const TPngOptions& Options = {});

// EncodePng written atomically: on failure an existing file is left as it was.
void SavePng(const TBitmap32& Bitmap, const std::string& FileName);
