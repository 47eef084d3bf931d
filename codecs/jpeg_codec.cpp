#include "jpeg_codec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_support.h"
#include "exceptions.h"
#include "exif_orientation.h"
#include "file_io.h"
#include "jpeg_support.h"
#include "picture_readers.h"

using namespace codec_detail;
using namespace jpeg_detail;

namespace {

struct TJpegEncoder {
  jpeg_compress_struct Info;
  TJpegError Error;
  unsigned char* Buffer;
  unsigned long Size;
};

bool EncodeRows(TJpegEncoder& E, const uint8_t* Bits, size_t Stride, int32_t Width, int32_t Height,
                J_COLOR_SPACE Space, int Components, int Quality) {
  if (setjmp(E.Error.Jump))
    return false;
  jpeg_create_compress(&E.Info);
  jpeg_mem_dest(&E.Info, &E.Buffer, &E.Size);
  E.Info.image_width = JDIMENSION(Width);
  E.Info.image_height = JDIMENSION(Height);
  E.Info.input_components = Components;
  E.Info.in_color_space = Space;
  jpeg_set_defaults(&E.Info);
  jpeg_set_quality(&E.Info, Quality, TRUE);
  E.Info.optimize_coding = TRUE;
  if (Quality >= 90) {
    // Full-resolution chroma: at high quality, halving it would be the largest error left.
    E.Info.comp_info[0].h_samp_factor = 1;
    E.Info.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&E.Info, TRUE);
  while (E.Info.next_scanline < E.Info.image_height) {
    JSAMPROW Rows[8];
    const JDIMENSION Left = E.Info.image_height - E.Info.next_scanline;
    const JDIMENSION N = Left < 8 ? Left : 8;
    for (JDIMENSION I = 0; I < N; ++I)
      Rows[I] = const_cast<JSAMPROW>(Bits + size_t(E.Info.next_scanline + I) * Stride);
    jpeg_write_scanlines(&E.Info, Rows, N);
  }
  jpeg_finish_compress(&E.Info);
  return true;
}

std::vector<uint8_t> EncodeJpegRows(const uint8_t* Bits, size_t Stride, int32_t Width,
                                    int32_t Height, J_COLOR_SPACE Space, int Components,
                                    int Quality) {
  if (Width < 1 || Height < 1)
    throw Exception("Пустую картинку нельзя сохранить как JPEG");
  if (Quality < 1 || Quality > 100)
    throw Exception("Качество JPEG должно быть от 1 до 100 (" + std::to_string(Quality) + ")");
  TJpegEncoder E;
  std::memset(&E, 0, sizeof(E));
  SetUpErrors(E.Error, E.Info.err);
  const bool Ok = EncodeRows(E, Bits, Stride, Width, Height, Space, Components, Quality);
  jpeg_destroy_compress(&E.Info);
  std::vector<uint8_t> Result;
  if (Ok && E.Buffer)
    Result.assign(E.Buffer, E.Buffer + E.Size);
  std::free(E.Buffer);
  if (!Ok)
    throw Exception(std::string("Не удалось записать картинку JPEG"));
  return Result;
}

}  // namespace

TPicture ReadJpegImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TJpegDecoder D;
  std::memset(&D, 0, sizeof(D));
  SetUpErrors(D.Error, D.Info.err);
  TDecoderGuard Guard(D);
  ReadCheckedHeader(D, Data, Size, MaxPixels);
  const int Orientation = FindExifOrientation(D.Info);
  if (!StartDecompress(D))
    FailJpeg(D);
  TPicture P = MakeGraphic(int32_t(D.Info.output_width), int32_t(D.Info.output_height));
  std::vector<uint8_t> CmykRow;
  if (D.Info.out_color_space == JCS_CMYK)
    CmykRow.resize(size_t(D.Info.output_width) * 4);
  if (!DecodeRows(D, P.Pixels.data(), CmykRow.empty() ? nullptr : CmykRow.data()))
    FailJpeg(D);
  ApplyExifOrientation(P, Orientation);
  return P;
}

void LoadJpegImage(const uint8_t* Data, size_t Size, TBitmap32& Target, int64_t MaxPixels) {
  TBitmap32 Fresh;
  {
    TJpegDecoder D;
    std::memset(&D, 0, sizeof(D));
    SetUpErrors(D.Error, D.Info.err);
    TDecoderGuard Guard(D);
    ReadCheckedHeader(D, Data, Size, MaxPixels);
    const int Orientation = FindExifOrientation(D.Info);
    if (!StartDecompress(D))
      FailJpeg(D);
    // libjpeg writes every pixel (alpha 255 included), so the rows are not cleared first: a
    // damaged file costs only the rows decoded before it failed.
    Fresh.SetSizeForOverwrite(int32_t(D.Info.output_width), int32_t(D.Info.output_height));
    std::vector<uint8_t> CmykRow;
    if (D.Info.out_color_space == JCS_CMYK)
      CmykRow.resize(size_t(D.Info.output_width) * 4);
    if (!DecodeRows(D, Fresh.Bits(), CmykRow.empty() ? nullptr : CmykRow.data()))
      FailJpeg(D);
    ApplyExifOrientation(Fresh, Orientation);
  }
  TakeLoadedPixels(Fresh, Target);
}

std::vector<uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как JPEG");
  return EncodeJpegRows(reinterpret_cast<const uint8_t*>(Bitmap.Bits()), size_t(Bitmap.Width()) * 4,
                        Bitmap.Width(), Bitmap.Height(), JCS_EXT_BGRX, 4, Quality);
}

std::vector<uint8_t> EncodeJpeg(const TBitmap24& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как JPEG");
  return EncodeJpegRows(Bitmap.ScanLine(0), Bitmap.Stride(), Bitmap.Width(), Bitmap.Height(),
                        JCS_EXT_BGR, 3, Quality);
}

void SaveJpeg(const TBitmap32& Bitmap, const std::string& FileName, int Quality) {
  const std::vector<uint8_t> Data = EncodeJpeg(Bitmap, Quality);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}

void SaveJpeg(const TBitmap24& Bitmap, const std::string& FileName, int Quality) {
  const std::vector<uint8_t> Data = EncodeJpeg(Bitmap, Quality);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}
