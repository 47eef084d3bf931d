#include "jpeg_support.h"

#include <jerror.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "codec_support.h"
#include "colour_chunks.h"
#include "exif_orientation.h"

namespace jpeg_detail {

namespace {

// Legitimate progressive files have a dozen scans; thousands of tiny scans over a large
// picture are a way to make decoding take forever.
constexpr int MaxScans = 1000;

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

void CheckScans(j_common_ptr Info) {
  auto* D = reinterpret_cast<j_decompress_ptr>(Info);
  if (D->input_scan_number > MaxScans) {
    auto* E = reinterpret_cast<TJpegError*>(Info->err);
    std::snprintf(E->Message, sizeof(E->Message), "more than %d scans", MaxScans);
    std::longjmp(E->Jump, 1);
  }
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

}  // namespace

void SetUpErrors(TJpegError& E, jpeg_error_mgr*& Err) {
  Err = jpeg_std_error(&E.Mgr);
  E.Mgr.error_exit = ErrorExit;
  E.Mgr.emit_message = EmitMessage;
  E.Mgr.output_message = OutputMessage;
  E.Message[0] = 0;
}

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

bool StartDecompress(TJpegDecoder& D) {
  if (setjmp(D.Error.Jump))
    return false;
  jpeg_start_decompress(&D.Info);
  return true;
}

std::unique_ptr<TCmykToSrgb> CmykConverterOf(const TJpegDecoder& D, const uint8_t* Data,
                                             size_t Size) {
  if (D.Info.out_color_space != JCS_CMYK)
    return nullptr;
  return TCmykToSrgb::Make(JpegColourProfile(Data, Size), D.Info.saw_Adobe_marker);
}

void DecodeAllRows(TJpegDecoder& D, TColor32* Pixels, const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> CmykRow;
  if (D.Info.out_color_space == JCS_CMYK)
    CmykRow.resize(size_t(D.Info.output_width) * 4);
  const auto Cmyk = CmykConverterOf(D, Data, Size);
  if (!DecodeRows(D, Pixels, CmykRow.empty() ? nullptr : CmykRow.data(), Cmyk.get()))
    FailJpeg(D);
}

bool DecodeRows(TJpegDecoder& D, TColor32* Pixels, uint8_t* CmykRow, const TCmykToSrgb* Cmyk) {
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
      if (Cmyk != nullptr)
        Cmyk->Row(CmykRow, Dst, int32_t(W));
      else
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

[[noreturn]] void FailJpeg(const TJpegDecoder& D) {
  const char* M = D.Error.Message[0] ? D.Error.Message : "the decoder stopped";
  codec_detail::FailPicture("JPEG", M);
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

void ReadCheckedHeader(TJpegDecoder& D, const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size == 0)
    codec_detail::FailPicture("JPEG", "the file is empty");
  if (!ReadHeader(D, Data, Size))
    FailJpeg(D);
  codec_detail::CheckPictureSize("JPEG", D.Info.output_width, D.Info.output_height, MaxPixels);
  D.Info.mem->max_memory_to_use = DecoderMemoryLimit(MaxPixels);
}

long DecoderMemoryLimit(int64_t MaxPixels) {
  // About 6 bytes per pixel for 4:4:4 colour, 8 for CMYK.
  return long(MaxPixels * 8 + (int64_t{64} << 20));
}

bool SetOutputScale(TJpegDecoder& D, unsigned Denom) {
  if (setjmp(D.Error.Jump))
    return false;
  D.Info.scale_num = 1;
  D.Info.scale_denom = Denom;
  jpeg_calc_output_dimensions(&D.Info);
  return true;
}

}  // namespace jpeg_detail
