#pragma once
// The libjpeg decoding steps shared by the full JPEG reader and the thumbnail reader (not part
// of the library's interface). Include after <cstdio>, as jpeglib.h needs it.
//
// libjpeg reports errors through error_exit, which must not return. Ours longjmps back to the
// setjmp of the function that made the libjpeg call. Those functions hold only trivially
// destructible locals, and the error becomes a C++ exception in their caller, after the
// libjpeg frames are gone.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <memory>

#include "colour_profile.h"
#include "types.h"

namespace jpeg_detail {

struct TJpegError {
  jpeg_error_mgr Mgr;  // first, so that libjpeg's err pointer is also ours
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Error;
  jpeg_progress_mgr Progress;
};

// Installs our error handlers: errors and running out of data longjmp to E.Jump.
void SetUpErrors(TJpegError& E, jpeg_error_mgr*& Err);

// Header phase: the markers up to the first scan, with APP1 (EXIF) kept; output BGRA (or CMYK
// for CMYK and YCCK files) at full size. False on an error (message in D.Error).
bool ReadHeader(TJpegDecoder& D, const uint8_t* Data, size_t Size);

// Output at 1/Denom of the full size (Denom 1, 2, 4 or 8) through libjpeg's DCT scaling.
bool SetOutputScale(TJpegDecoder& D, unsigned Denom);

// Start phase: for a progressive file libjpeg reads every scan here, so a truncated one fails
// before the picture is allocated.
bool StartDecompress(TJpegDecoder& D);

// Decoding phase: every scan line straight into Pixels (BGRA) or through CmykRow (4 bytes per
// pixel of one output row) when the output is CMYK; a CMYK row goes through the file's CMYK
// profile when Cmyk is given, else through the plain formula.
bool DecodeRows(TJpegDecoder& D, TColor32* Pixels, uint8_t* CmykRow,
                const TCmykToSrgb* Cmyk = nullptr);

// DecodeRows with what a CMYK file needs (a row buffer, its profile's converter), raising the
// decoder's error when it stops. Data, Size: the whole file.
void DecodeAllRows(TJpegDecoder& D, TColor32* Pixels, const uint8_t* Data, size_t Size);

// The converter of a CMYK file's rows when its header says CMYK and it carries a usable CMYK
// profile (Data, Size: the whole file); null otherwise.
std::unique_ptr<TCmykToSrgb> CmykConverterOf(const TJpegDecoder& D, const uint8_t* Data,
                                             size_t Size);

// Raises EInvalidGraphic "JPEG picture is damaged: <libjpeg's message>".
[[noreturn]] void FailJpeg(const TJpegDecoder& D);

// The header of a file every reader starts with: refuses an empty or damaged file and a picture
// over MaxPixels (the full size, whatever the output scale: a progressive file keeps every
// coefficient), and sets libjpeg's memory allowance. Raises EInvalidGraphic.
void ReadCheckedHeader(TJpegDecoder& D, const uint8_t* Data, size_t Size, int64_t MaxPixels);

// The first EXIF orientation other than 1 among the saved APP1 markers; 1 when there is none.
int FindExifOrientation(const jpeg_decompress_struct& Info);

// A file being read: the decompressor with our error handlers, the header read and checked
// (ReadCheckedHeader, which raises) and the EXIF orientation found. The decompressor is
// destroyed when the reading function is left, also by an exception.
class TOpenedJpeg {
 public:
  TOpenedJpeg(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
    SetUpErrors(D.Error, D.Info.err);
    ReadCheckedHeader(D, Data, Size, MaxPixels);
    Orientation = FindExifOrientation(D.Info);
  }
  TOpenedJpeg(const TOpenedJpeg&) = delete;
  TOpenedJpeg& operator=(const TOpenedJpeg&) = delete;

  TJpegDecoder D{};
  int Orientation = 1;

 private:
  // Declared after D: built when D is zeroed, so a header that fails destroys the decompressor.
  struct TGuard {
    TJpegDecoder& D;
    ~TGuard() { jpeg_destroy_decompress(&D.Info); }
  } FGuard{D};
};

// libjpeg's own allowance for a picture of MaxPixels pixels: the whole-picture coefficient
// buffer of a progressive file is the largest allocation it makes.
long DecoderMemoryLimit(int64_t MaxPixels);

}  // namespace jpeg_detail
