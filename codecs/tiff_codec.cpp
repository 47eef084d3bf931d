#include "tiff_codec.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_support.h"
#include "colour_profile.h"
#include "exceptions.h"
#include "file_io.h"
#include "picture_readers.h"

using namespace codec_detail;

// libtiff reports failures through handlers and return codes. The handlers of each opened file
// record the first error message; the caller raises it once the libtiff call has returned.

namespace {

struct TTiffStream {
  const uint8_t* Data = nullptr;        // reading: the file image
  std::vector<uint8_t>* Out = nullptr;  // writing: the growing file image
  size_t Size = 0;
  size_t Pos = 0;
  char Message[512] = {};
};

int ErrorHandler(TIFF*, void* User, const char* Module, const char* Format, va_list Args) {
  auto* S = static_cast<TTiffStream*>(User);
  if (S->Message[0] == 0) {
    char Text[400];
    std::vsnprintf(Text, sizeof(Text), Format, Args);
    if (Module && *Module)
      std::snprintf(S->Message, sizeof(S->Message), "%s: %s", Module, Text);
    else
      std::snprintf(S->Message, sizeof(S->Message), "%s", Text);
  }
  return 1;
}

int WarningHandler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

tmsize_t ReadProc(thandle_t H, void* Buf, tmsize_t Count) {
  auto* S = static_cast<TTiffStream*>(H);
  if (!S->Data || Count <= 0 || S->Pos >= S->Size)
    return 0;
  const size_t N = std::min(size_t(Count), S->Size - S->Pos);
  std::memcpy(Buf, S->Data + S->Pos, N);
  S->Pos += N;
  return tmsize_t(N);
}

tmsize_t WriteProc(thandle_t H, void* Buf, tmsize_t Count) {
  auto* S = static_cast<TTiffStream*>(H);
  if (!S->Out || Count < 0)
    return 0;
  try {
    const size_t End = S->Pos + size_t(Count);
    if (End > S->Out->size())
      S->Out->resize(End);
    std::memcpy(S->Out->data() + S->Pos, Buf, size_t(Count));
    S->Pos = End;
    S->Size = S->Out->size();
  } catch (...) {
    return 0;  // libtiff reports a failed write
  }
  return Count;
}

toff_t SeekProc(thandle_t H, toff_t Offset, int Whence) {
  auto* S = static_cast<TTiffStream*>(H);
  uint64_t Base = 0;
  if (Whence == SEEK_CUR)
    Base = S->Pos;
  if (Whence == SEEK_END)
    Base = S->Size;
  const uint64_t Pos = Base + Offset;
  // Reading may seek anywhere (reads past the end return nothing); writing never needs to go
  // further than a few bytes past the end.
  if (Pos > (uint64_t{1} << 40))
    return toff_t(-1);
  S->Pos = size_t(Pos);
  return Pos;
}

int CloseProc(thandle_t) {
  return 0;
}

toff_t SizeProc(thandle_t H) {
  return static_cast<TTiffStream*>(H)->Size;
}

int MapProc(thandle_t H, void** Base, toff_t* Size) {
  auto* S = static_cast<TTiffStream*>(H);
  if (!S->Data)
    return 0;
  *Base = const_cast<uint8_t*>(S->Data);
  *Size = S->Size;
  return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

struct TTiffCloser {
  void operator()(TIFF* T) const { TIFFClose(T); }
};

struct TOptionsDeleter {
  void operator()(TIFFOpenOptions* O) const { TIFFOpenOptionsFree(O); }
};

std::unique_ptr<TIFF, TTiffCloser> OpenStream(TTiffStream& S, const char* Mode, int64_t MaxAlloc) {
  std::unique_ptr<TIFFOpenOptions, TOptionsDeleter> Options(TIFFOpenOptionsAlloc());
  if (!Options)
    throw Exception("Не удалось открыть картинку TIFF: недостаточно памяти");
  TIFFOpenOptionsSetErrorHandlerExtR(Options.get(), ErrorHandler, &S);
  TIFFOpenOptionsSetWarningHandlerExtR(Options.get(), WarningHandler, &S);
  TIFFOpenOptionsSetMaxSingleMemAlloc(Options.get(), tmsize_t(MaxAlloc));
  return std::unique_ptr<TIFF, TTiffCloser>(
      TIFFClientOpenExt("picture", Mode, &S, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                        MapProc, UnmapProc, Options.get()));
}

[[noreturn]] void FailTiff(const TTiffStream& S, const char* Fallback) {
  FailPicture("TIFF", S.Message[0] ? S.Message : Fallback);
}

// libtiff's R, G, B, A bytes (premultiplied) to TColor32 (straight alpha). The first pass
// only swaps red and blue, which is all an opaque picture needs; pixels with alpha below 255
// are divided out in a second pass.
void ToStraightColor32(TColor32* Pixels, size_t N) {
  uint32_t AllAlpha = 0xFF000000u;
  for (size_t I = 0; I < N; ++I) {
    TColor32& P = Pixels[I];
    AllAlpha &= P;
    P = (P & 0xFF00FF00u) | ((P & 0xFFu) << 16) | ((P >> 16) & 0xFFu);
  }
  if (AllAlpha == 0xFF000000u)
    return;
  for (size_t I = 0; I < N; ++I) {
    TColor32& P = Pixels[I];
    const uint32_t A = P >> 24;
    if (A == 255)
      continue;
    if (A == 0) {
      P = 0;
      continue;
    }
    const auto Div = [A](uint32_t C) { return std::min<uint32_t>(255, (C * 255 + A / 2) / A); };
    P = (A << 24) | (Div((P >> 16) & 0xFF) << 16) | (Div((P >> 8) & 0xFF) << 8) | Div(P & 0xFF);
  }
}

// Decodes the file into the cleared W x H buffer that Pixels(W, H) gives.
template <class TPixels>
void DecodeTiff(const uint8_t* Data, size_t Size, int64_t MaxPixels, TPixels&& Pixels) {
  if (Size < 8)
    FailPicture("TIFF", "the file is too short");
  TTiffStream S;
  S.Data = Data;
  S.Size = Size;
  // libtiff's own buffers hold at most a strip or tile of 16-bit RGBA samples, which for a
  // one-strip picture is the whole picture.
  const auto Tiff = OpenStream(S, "r", MaxPixels * 8 + (int64_t{1} << 20));
  if (!Tiff)
    FailTiff(S, "not a TIFF file");
  uint32_t W = 0, H = 0;
  if (!TIFFGetField(Tiff.get(), TIFFTAG_IMAGEWIDTH, &W) ||
      !TIFFGetField(Tiff.get(), TIFFTAG_IMAGELENGTH, &H))
    FailTiff(S, "the picture size is missing");
  CheckPictureSize("TIFF", W, H, MaxPixels);
  char Problem[1024] = {};
  if (!TIFFRGBAImageOK(Tiff.get(), Problem))
    FailPicture("TIFF", Problem);
  TColor32* const Out = Pixels(int32_t(W), int32_t(H));
  if (!TIFFReadRGBAImageOriented(Tiff.get(), W, H, Out, ORIENTATION_TOPLEFT, 1))
    FailTiff(S, "the picture data cannot be decoded");
  if (S.Message[0])
    FailTiff(S, "");
  ToStraightColor32(Out, size_t(W) * size_t(H));
}

}  // namespace

TPicture ReadTiffImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TPicture P;
  DecodeTiff(Data, Size, MaxPixels, TPictureRows{P});
  return P;
}

void LoadTiffImage(const uint8_t* Data, size_t Size, TBitmap32& Target, int64_t MaxPixels) {
  TBitmap32 Fresh;
  DecodeTiff(Data, Size, MaxPixels, TFreshBitmapRows{Fresh});
  TakeLoadedGraphic(Fresh, Target);
}

TColourProfile TiffColourProfile(const uint8_t* Data, size_t Size) {
  TColourProfile Result;
  if (Data == nullptr || Size < 8)
    return Result;
  try {
    TTiffStream S;
    S.Data = Data;
    S.Size = Size;
    const auto Tiff = OpenStream(S, "r", int64_t{64} << 20);
    uint32_t Count = 0;
    const void* Bytes = nullptr;
    if (Tiff && TIFFGetField(Tiff.get(), TIFFTAG_ICCPROFILE, &Count, &Bytes) && Bytes != nullptr &&
        Count > 0 && Count <= MaxIccProfileSize) {
      const auto* B = static_cast<const uint8_t*>(Bytes);
      Result.Icc.assign(B, B + Count);
    }
  } catch (const std::exception&) {
    return {};
  }
  return Result;
}

namespace {

// Fills one row of 8-bit R, G, B samples.
using TRowSource = void (*)(const void* Bitmap, int32_t Y, uint8_t* Rgb);

void RowFrom24(const void* Bitmap, int32_t Y, uint8_t* Rgb) {
  const auto* B = static_cast<const TBitmap24*>(Bitmap);
  const uint8_t* Src = B->ScanLine(Y);
  for (int32_t X = 0; X < B->Width(); ++X, Src += 3, Rgb += 3) {
    Rgb[0] = Src[2];
    Rgb[1] = Src[1];
    Rgb[2] = Src[0];
  }
}

void RowFrom32(const void* Bitmap, int32_t Y, uint8_t* Rgb) {
  const auto* B = static_cast<const TBitmap32*>(Bitmap);
  const TColor32* Src = B->RowAddress(Y);
  for (int32_t X = 0; X < B->Width(); ++X, Rgb += 3) {
    Rgb[0] = uint8_t(Src[X] >> 16);
    Rgb[1] = uint8_t(Src[X] >> 8);
    Rgb[2] = uint8_t(Src[X]);
  }
}

std::vector<uint8_t> EncodeTiffRows(const void* Bitmap, int32_t Width, int32_t Height,
                                    TRowSource Source) {
  if (Width < 1 || Height < 1)
    throw Exception("Пустую картинку нельзя сохранить как TIFF");
  std::vector<uint8_t> Out;
  TTiffStream S;
  S.Out = &Out;
  auto Tiff = OpenStream(S, "w", int64_t{1} << 30);
  if (!Tiff)
    throw Exception(std::string("Не удалось записать картинку TIFF"));
  TIFF* T = Tiff.get();
  bool Ok = TIFFSetField(T, TIFFTAG_IMAGEWIDTH, uint32_t(Width)) &&
            TIFFSetField(T, TIFFTAG_IMAGELENGTH, uint32_t(Height)) &&
            TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, 8) &&
            TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, 3) &&
            TIFFSetField(T, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
            TIFFSetField(T, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(T, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(T, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
            TIFFSetField(T, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(T, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(T, 0));
  // The card's colours are sRGB; the embedded profile says so.
  const std::vector<uint8_t>& Srgb = SrgbIccProfile();
  if (Ok && !Srgb.empty())
    Ok = TIFFSetField(T, TIFFTAG_ICCPROFILE, uint32_t(Srgb.size()), Srgb.data());
  // The predictor works in place, so every row goes through this buffer.
  std::vector<uint8_t> Row(size_t(Width) * 3);
  for (int32_t Y = 0; Ok && Y < Height; ++Y) {
    Source(Bitmap, Y, Row.data());
    Ok = TIFFWriteScanline(T, Row.data(), uint32_t(Y), 0) == 1;
  }
  Ok = Ok && TIFFWriteDirectory(T);
  TIFFFlush(T);
  Tiff.reset();
  if (!Ok || S.Message[0])
    throw Exception(std::string("Не удалось записать картинку TIFF"));
  return Out;
}

}  // namespace

std::vector<uint8_t> EncodeTiff(const TBitmap24& Bitmap) {
  return EncodeTiffRows(&Bitmap, Bitmap.Width(), Bitmap.Height(), RowFrom24);
}

std::vector<uint8_t> EncodeTiff(const TBitmap32& Bitmap) {
  return EncodeTiffRows(&Bitmap, Bitmap.Width(), Bitmap.Height(), RowFrom32);
}

void SaveTiff(const TBitmap24& Bitmap, const std::string& FileName) {
  const std::vector<uint8_t> Data = EncodeTiff(Bitmap);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}

void SaveTiff(const TBitmap32& Bitmap, const std::string& FileName) {
  const std::vector<uint8_t> Data = EncodeTiff(Bitmap);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}
