#include "jpeg_codec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_support.h"
#include "colour_profile.h"
#include "exceptions.h"
#include "exif_orientation.h"
#include "file_io.h"
#include "jpeg_support.h"
#include "picture_readers.h"

using namespace codec_detail;
using namespace jpeg_detail;

namespace {

// The encoder's output in a chain of blocks, each twice the size of the one before up to 4 MiB:
// nothing written is moved or copied while the file grows, and the blocks go to the file as
// they are.
struct TOutBlock {
  TOutBlock* Next;
  size_t Capacity;
  size_t Used;
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
};

constexpr size_t FirstOutBlock = size_t{64} << 10;
constexpr size_t LargestOutBlock = size_t{4} << 20;

struct TJpegEncoder {
  jpeg_compress_struct Info;  // first, so that libjpeg's pointer is also ours
  TJpegError Error;
  jpeg_destination_mgr Dest;
  TOutBlock* First;
  TOutBlock* Last;
};

TJpegEncoder& EncoderOf(j_compress_ptr Info) {
  return *reinterpret_cast<TJpegEncoder*>(Info);
}

// Adds a block after the last one and points libjpeg at it.
void AddOutBlock(j_compress_ptr Info) {
  TJpegEncoder& E = EncoderOf(Info);
  const size_t Capacity =
      E.Last == nullptr ? FirstOutBlock : std::min(E.Last->Capacity * 2, LargestOutBlock);
  auto* B = static_cast<TOutBlock*>(std::malloc(sizeof(TOutBlock) + Capacity));
  if (B == nullptr)
    ERREXIT1(Info, JERR_OUT_OF_MEMORY, 10);
  *B = TOutBlock{nullptr, Capacity, 0};
  (E.Last != nullptr ? E.Last->Next : E.First) = B;
  E.Last = B;
  E.Dest.next_output_byte = B->Data();
  E.Dest.free_in_buffer = Capacity;
}

void InitDestination(j_compress_ptr Info) {
  AddOutBlock(Info);
}

// Called with the whole last block full.
boolean EmptyOutputBuffer(j_compress_ptr Info) {
  TJpegEncoder& E = EncoderOf(Info);
  E.Last->Used = E.Last->Capacity;
  AddOutBlock(Info);
  return TRUE;
}

void TermDestination(j_compress_ptr Info) {
  TJpegEncoder& E = EncoderOf(Info);
  E.Last->Used = E.Last->Capacity - E.Dest.free_in_buffer;
}

// An encoded file image: the blocks, freed with it.
class TJpegOutput {
 public:
  explicit TJpegOutput(TOutBlock* First) : FFirst(First) {}
  ~TJpegOutput() { FreeOutBlocks(FFirst); }
  TJpegOutput(const TJpegOutput&) = delete;
  TJpegOutput& operator=(const TJpegOutput&) = delete;

  static void FreeOutBlocks(TOutBlock* B) {
    while (B != nullptr) {
      TOutBlock* Next = B->Next;
      std::free(B);
      B = Next;
    }
  }
  std::vector<TFilePiece> Pieces() const {
    std::vector<TFilePiece> P;
    for (TOutBlock* B = FFirst; B != nullptr; B = B->Next) P.push_back({B->Data(), B->Used});
    return P;
  }
  std::vector<uint8_t> Bytes() const {
    size_t Size = 0;
    for (TOutBlock* B = FFirst; B != nullptr; B = B->Next) Size += B->Used;
    std::vector<uint8_t> Result;
    Result.reserve(Size);
    for (TOutBlock* B = FFirst; B != nullptr; B = B->Next)
      Result.insert(Result.end(), B->Data(), B->Data() + B->Used);
    return Result;
  }

 private:
  TOutBlock* FFirst;
};

bool EncodeRows(TJpegEncoder& E, const uint8_t* Bits, size_t Stride, int32_t Width, int32_t Height,
                J_COLOR_SPACE Space, int Components, int Quality) {
  if (setjmp(E.Error.Jump))
    return false;
  jpeg_create_compress(&E.Info);
  E.Dest.init_destination = InitDestination;
  E.Dest.empty_output_buffer = EmptyOutputBuffer;
  E.Dest.term_destination = TermDestination;
  E.Info.dest = &E.Dest;
  E.Info.image_width = JDIMENSION(Width);
  E.Info.image_height = JDIMENSION(Height);
  E.Info.input_components = Components;
  E.Info.in_color_space = Space;
  jpeg_set_defaults(&E.Info);
  jpeg_set_quality(&E.Info, Quality, TRUE);
  // The standard Huffman tables, as libjpeg and the photo tools write by default: tables
  // optimised for the picture make a file at quality 100 about a seventh smaller but take a
  // second pass over every coefficient, 2.7 times the time of the whole encoding, and a buffer
  // of all coefficients (1.5 times the bitmap). The pixels a reader gets are the same.
  if (Quality >= 90) {
    // Full-resolution chroma: at high quality, halving it would be the largest error left.
    E.Info.comp_info[0].h_samp_factor = 1;
    E.Info.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&E.Info, TRUE);
  // The card's colours are sRGB; the embedded profile says so.
  const std::vector<uint8_t>& Srgb = SrgbIccProfile();
  if (!Srgb.empty())
    jpeg_write_icc_profile(&E.Info, Srgb.data(), static_cast<unsigned int>(Srgb.size()));
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

std::unique_ptr<TJpegOutput> EncodeJpegRows(const uint8_t* Bits, size_t Stride, int32_t Width,
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
  if (!Ok) {
    TJpegOutput::FreeOutBlocks(E.First);
    throw Exception(std::string("Не удалось записать картинку JPEG"));
  }
  return std::make_unique<TJpegOutput>(E.First);
}

std::unique_ptr<TJpegOutput> EncodeJpegOutput(const TBitmap32& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как JPEG");
  return EncodeJpegRows(reinterpret_cast<const uint8_t*>(Bitmap.Bits()), size_t(Bitmap.Width()) * 4,
                        Bitmap.Width(), Bitmap.Height(), JCS_EXT_BGRX, 4, Quality);
}

std::unique_ptr<TJpegOutput> EncodeJpegOutput(const TBitmap24& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как JPEG");
  return EncodeJpegRows(Bitmap.ScanLine(0), Bitmap.Stride(), Bitmap.Width(), Bitmap.Height(),
                        JCS_EXT_BGR, 3, Quality);
}

}  // namespace

TPicture ReadJpegImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TOpenedJpeg File(Data, Size, MaxPixels);
  TJpegDecoder& D = File.D;
  if (!StartDecompress(D))
    FailJpeg(D);
  TPicture P = MakeGraphic(int32_t(D.Info.output_width), int32_t(D.Info.output_height));
  DecodeAllRows(D, P.Pixels.data(), Data, Size);
  ApplyExifOrientation(P, File.Orientation);
  return P;
}

void LoadJpegImage(const uint8_t* Data, size_t Size, TBitmap32& Target, int64_t MaxPixels) {
  TBitmap32 Fresh;
  {
    TOpenedJpeg File(Data, Size, MaxPixels);
    TJpegDecoder& D = File.D;
    if (!StartDecompress(D))
      FailJpeg(D);
    // libjpeg writes every pixel (alpha 255 included), so the rows are not cleared first: a
    // damaged file costs only the rows decoded before it failed.
    Fresh.SetSizeForOverwrite(int32_t(D.Info.output_width), int32_t(D.Info.output_height));
    DecodeAllRows(D, Fresh.Bits(), Data, Size);
    ApplyExifOrientation(Fresh, File.Orientation);
  }
  TakeLoadedPixels(Fresh, Target);
}

std::vector<uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality) {
  return EncodeJpegOutput(Bitmap, Quality)->Bytes();
}

std::vector<uint8_t> EncodeJpeg(const TBitmap24& Bitmap, int Quality) {
  return EncodeJpegOutput(Bitmap, Quality)->Bytes();
}

void SaveJpeg(const TBitmap32& Bitmap, const std::string& FileName, int Quality) {
  WriteFileAtomically(FileName, EncodeJpegOutput(Bitmap, Quality)->Pieces());
}

void SaveJpeg(const TBitmap24& Bitmap, const std::string& FileName, int Quality) {
  WriteFileAtomically(FileName, EncodeJpegOutput(Bitmap, Quality)->Pieces());
}
