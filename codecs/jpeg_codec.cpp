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

using namespace codec_detail;

// libjpeg reports errors through error_exit, which must not return. Ours longjmps back to the
// setjmp of the function that made the libjpeg call. Those functions hold only trivially
// destructible locals, and the error becomes a C++ exception in their caller, after the
// libjpeg frames are gone.

namespace {

// Legitimate progressive files have a dozen scans; thousands of tiny scans over a large
// picture are a way to make decoding take forever.
constexpr int MaxScans = 1000;

struct TJpegError {
  jpeg_error_mgr Mgr;  // first, so that libjpeg's err pointer is also ours
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOut(j_common_ptr Info) {
  auto* E = reinterpret_cast<TJpegError*>(Info->err);
  (*Info->err->format_message)(Info, E->Message);
  std::longjmp(E->Jump, 1);
}

void ErrorExit(j_common_ptr Info) {
  JumpOut(Info);
}

// Warnings (level -1) about data that ran out are failures: libjpeg would otherwise fill the
// rest of the picture with grey. Other warnings (extraneous bytes, ...) are ignored quietly.
void EmitMessage(j_common_ptr Info, int Level) {
  if (Level >= 0)
    return;
  const int Code = Info->err->msg_code;
  if (Code == JWRN_JPEG_EOF || Code == JWRN_HIT_MARKER)
    JumpOut(Info);
  Info->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Error;
  jpeg_progress_mgr Progress;
};

void CheckScans(j_common_ptr Info) {
  auto* D = reinterpret_cast<j_decompress_ptr>(Info);
  if (D->input_scan_number > MaxScans) {
    auto* E = reinterpret_cast<TJpegError*>(Info->err);
    std::snprintf(E->Message, sizeof(E->Message), "more than %d scans", MaxScans);
    std::longjmp(E->Jump, 1);
  }
}

void SetUpErrors(TJpegError& E, jpeg_error_mgr*& Err) {
  Err = jpeg_std_error(&E.Mgr);
  E.Mgr.error_exit = ErrorExit;
  E.Mgr.emit_message = EmitMessage;
  E.Mgr.output_message = OutputMessage;
  E.Message[0] = 0;
}

// Header phase: the markers up to the first scan, with APP1 (EXIF) kept.
bool ReadHeader(TJpegDecoder& D, const uint8_t* Data, size_t Size) {
  if (setjmp(D.Error.Jump))
    return false;
  jpeg_create_decompress(&D.Info);
  D.Progress.progress_monitor = CheckScans;
  D.Info.progress = &D.Progress;
  jpeg_mem_src(&D.Info, Data, static_cast<unsigned long>(Size));
  jpeg_save_markers(&D.Info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&D.Info, TRUE);
  if (D.Info.jpeg_color_space == JCS_CMYK || D.Info.jpeg_color_space == JCS_YCCK)
    D.Info.out_color_space = JCS_CMYK;
  else
    D.Info.out_color_space = JCS_EXT_BGRA;  // the byte order of TColor32, alpha 255
  jpeg_calc_output_dimensions(&D.Info);
  return true;
}

// Adobe writes CMYK inverted (0 = full ink); plain CMYK files store the ink itself.
inline void CmykRowToColor32(const uint8_t* Src, TColor32* Dst, JDIMENSION Width, bool Inverted) {
  for (JDIMENSION X = 0; X < Width; ++X, Src += 4) {
    uint32_t C = Src[0], M = Src[1], Y = Src[2], K = Src[3];
    if (!Inverted) {
      C = 255 - C;
      M = 255 - M;
      Y = 255 - Y;
      K = 255 - K;
    }
    const uint32_t R = (C * K + 127) / 255, G = (M * K + 127) / 255, B = (Y * K + 127) / 255;
    Dst[X] = 0xFF000000u | (R << 16) | (G << 8) | B;
  }
}

// Start phase: for a progressive file libjpeg reads every scan here, so a truncated one fails
// before the picture is allocated.
bool StartDecompress(TJpegDecoder& D) {
  if (setjmp(D.Error.Jump))
    return false;
  jpeg_start_decompress(&D.Info);
  return true;
}

// Decoding phase: every scan line straight into the picture (BGRA) or through a CMYK row.
bool DecodeRows(TJpegDecoder& D, TColor32* Pixels, uint8_t* CmykRow) {
  if (setjmp(D.Error.Jump))
    return false;
  const JDIMENSION W = D.Info.output_width;
  const bool Inverted = D.Info.saw_Adobe_marker;
  while (D.Info.output_scanline < D.Info.output_height) {
    TColor32* Dst = Pixels + size_t(D.Info.output_scanline) * W;
    if (CmykRow) {
      JSAMPROW Row = CmykRow;
      if (jpeg_read_scanlines(&D.Info, &Row, 1) != 1)
        return false;
      CmykRowToColor32(CmykRow, Dst, W, Inverted);
    } else {
      JSAMPROW Rows[4];
      const JDIMENSION Left = D.Info.output_height - D.Info.output_scanline;
      const JDIMENSION N = Left < 4 ? Left : 4;
      for (JDIMENSION I = 0; I < N; ++I) Rows[I] = reinterpret_cast<JSAMPROW>(Dst + size_t(I) * W);
      if (jpeg_read_scanlines(&D.Info, Rows, N) == 0)
        return false;
    }
  }
  jpeg_finish_decompress(&D.Info);
  return true;
}

class TDecoderGuard {
 public:
  explicit TDecoderGuard(TJpegDecoder& D) : FD(D) {}
  ~TDecoderGuard() { jpeg_destroy_decompress(&FD.Info); }
  TDecoderGuard(const TDecoderGuard&) = delete;
  TDecoderGuard& operator=(const TDecoderGuard&) = delete;

 private:
  TJpegDecoder& FD;
};

[[noreturn]] void FailJpeg(const TJpegDecoder& D) {
  const char* M = D.Error.Message[0] ? D.Error.Message : "the decoder stopped";
  FailPicture("JPEG", M);
}

int FindExifOrientation(const jpeg_decompress_struct& Info) {
  for (jpeg_saved_marker_ptr M = Info.marker_list; M; M = M->next)
    if (M->marker == JPEG_APP0 + 1) {
      const int O = ReadExifOrientation(M->data, M->data_length);
      if (O != 1)
        return O;
    }
  return 1;
}

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
    throw Exception("Cannot save an empty picture as JPEG");
  if (Quality < 1 || Quality > 100)
    throw Exception("JPEG quality must be between 1 and 100 (" + std::to_string(Quality) + ")");
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
    throw Exception(std::string("Cannot write the JPEG picture: ") + E.Error.Message);
  return Result;
}

}  // namespace

TPicture ReadJpegImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TJpegDecoder D;
  std::memset(&D, 0, sizeof(D));
  SetUpErrors(D.Error, D.Info.err);
  TDecoderGuard Guard(D);
  if (Size == 0)
    FailPicture("JPEG", "the file is empty");
  if (!ReadHeader(D, Data, Size))
    FailJpeg(D);
  CheckPictureSize("JPEG", D.Info.output_width, D.Info.output_height, MaxPixels);
  // The whole-picture coefficient buffer of a progressive file is the largest allocation
  // libjpeg makes: about 6 bytes per pixel for 4:4:4 colour, 8 for CMYK.
  D.Info.mem->max_memory_to_use = long(MaxPixels * 8 + (int64_t{64} << 20));
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

std::vector<uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Cannot save an empty picture as JPEG");
  return EncodeJpegRows(reinterpret_cast<const uint8_t*>(Bitmap.Bits()), size_t(Bitmap.Width()) * 4,
                        Bitmap.Width(), Bitmap.Height(), JCS_EXT_BGRX, 4, Quality);
}

std::vector<uint8_t> EncodeJpeg(const TBitmap24& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Cannot save an empty picture as JPEG");
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
