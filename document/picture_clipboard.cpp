#include "picture_clipboard.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "big_endian.h"
#include "bmp_format.h"
#include "colour_chunks.h"
#include "gif_codec.h"
#include "jpeg_codec.h"
#include "little_endian.h"
#include "picture.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tiff_codec.h"
#include "user_error_text.h"
#include "webp_codec.h"

const char* const NoPictureMessage = "В буфере обмена нет картинки.";

namespace {

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

enum TEncoded { enNone, enPng, enBmp, enJpeg, enGif, enTiff, enWebp };

TEncoded EncodedKind(const std::string& MimeType) {
  const std::string M = Lower(MimeType);
  if (M == "image/png")
    return enPng;
  if (M == "image/bmp" || M == "image/x-bmp" || M == "image/x-ms-bmp" || M == "image/x-win-bitmap")
    return enBmp;
  if (M == "image/jpeg" || M == "image/jpg" || M == "image/pjpeg")
    return enJpeg;
  if (M == "image/gif")
    return enGif;
  if (M == "image/tiff" || M == "image/x-tiff")
    return enTiff;
  if (M == "image/webp")
    return enWebp;
  return enNone;
}

int32_t LittleEndian32(const uint8_t* P) {
  return static_cast<int32_t>(GetLE32(P));
}

std::string SizeText(int64_t Width, int64_t Height) {
  return std::to_string(Width) + " × " + std::to_string(Height);
}

}  // namespace

bool IsTooLargeForClipboard(int64_t Width, int64_t Height) {
  return Width > MaxPictureSide || Height > MaxPictureSide || Width * Height > MaxPicturePixels;
}

std::string TooLargeMessage(int64_t Width, int64_t Height) {
  return "Картинка в буфере обмена слишком велика (" + SizeText(Width, Height) +
         " точек): вставить можно картинку не больше " + std::to_string(MaxPicturePixels) +
         " точек и не шире и не выше " + std::to_string(MaxPictureSide) + " точек.";
}

std::string ChooseEncodedPictureFormat(const std::vector<std::string>& MimeTypes) {
  for (const TEncoded Wanted : {enPng, enBmp, enJpeg, enGif, enTiff, enWebp})
    for (const std::string& M : MimeTypes)
      if (EncodedKind(M) == Wanted)
        return M;
  return {};
}

std::optional<std::pair<int64_t, int64_t>> DeclaredPictureSize(const std::string& MimeType,
                                                               const uint8_t* Data, size_t Size) {
  static const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  switch (EncodedKind(MimeType)) {
    case enPng:
      // Signature, then the IHDR chunk: length, "IHDR", width and height big-endian.
      if (Size >= 24 && std::memcmp(Data, PngSignature, 8) == 0 &&
          std::memcmp(Data + 12, "IHDR", 4) == 0)
        return std::pair<int64_t, int64_t>{GetBE32(Data + 16), GetBE32(Data + 20)};
      break;
    case enBmp:
      // File header (14 bytes), then an info header of 40 bytes or more: width, height (a
      // negative height marks a top-down bitmap).
      if (Size >= 26 && Data[0] == 'B' && Data[1] == 'M' && LittleEndian32(Data + 14) >= 40) {
        const int64_t W = LittleEndian32(Data + 18), H = LittleEndian32(Data + 22);
        return std::pair<int64_t, int64_t>{W < 0 ? -W : W, H < 0 ? -H : H};
      }
      break;
    default:
      break;
  }
  return std::nullopt;
}

void TakeClipboardPixels(const TColor32* Pixels, int32_t Width, int32_t Height, bool KeepAlpha,
                         TBitmap32& Out) {
  TBitmap32 B;
  try {
    B.SetSizeForOverwrite(Width, Height);
  } catch (const EBitmapError&) {
    throw Exception("Недостаточно памяти для картинки из буфера обмена (" +
                    SizeText(Width, Height) + " точек).");
  }
  if (B.IsEmpty())
    throw Exception("Картинка в буфере обмена пустая.");
  const size_t N = size_t(Width) * size_t(Height);
  std::memcpy(B.Bits(), Pixels, N * sizeof(TColor32));
  bool AnyAlpha = false;
  if (KeepAlpha)
    for (size_t I = 0; I < N && !AnyAlpha; ++I) AnyAlpha = (Pixels[I] >> 24) != 0;
  if (!AnyAlpha)
    B.MakeOpaque();
  Out.SwapContents(B);
  Out.Changed();
}

void DecodeClipboardPicture(const std::string& MimeType, const uint8_t* Data, size_t Size,
                            TBitmap32& Out) {
  if (const auto Declared = DeclaredPictureSize(MimeType, Data, Size))
    if (IsTooLargeForClipboard(Declared->first, Declared->second))
      throw Exception(TooLargeMessage(Declared->first, Declared->second));
  TPicture P;
  try {
    switch (EncodedKind(MimeType)) {
      case enPng:
        P = ReadPngImage(Data, Size);
        ApplyColourProfile(TPictureFormat::Png, Data, Size, P);
        break;
      case enBmp:
        P = ReadBmpImage(Data, Size);
        break;
      case enJpeg:
        P = ReadJpegImage(Data, Size);
        ApplyColourProfile(TPictureFormat::Jpeg, Data, Size, P);
        break;
      case enGif:
        P = ReadGifImage(Data, Size);
        break;
      case enTiff:
        P = ReadTiffImage(Data, Size);
        ApplyColourProfile(TPictureFormat::Tiff, Data, Size, P);
        break;
      case enWebp:
        P = ReadWebpImage(Data, Size);
        ApplyColourProfile(TPictureFormat::Webp, Data, Size, P);
        break;
      case enNone:
        throw EInvalidGraphic("неизвестный формат картинки " + MimeType);
    }
  } catch (const std::bad_alloc&) {
    throw Exception("Недостаточно памяти, чтобы прочитать картинку из буфера обмена.");
  } catch (const std::exception& E) {
    throw Exception("Не удалось прочитать картинку из буфера обмена (" + MimeType + ").\n" +
                    UserErrorText(E));
  }
  if (P.IsEmpty() || P.Pixels.size() < size_t(P.Width) * size_t(P.Height))
    throw Exception("Картинка в буфере обмена пустая.");
  // A platform bitmap of fewer than 32 bits carries no alpha; every other picture keeps its own.
  const bool KeepAlpha = P.Kind == TPicture::pkGraphic || P.BitsPerPixel == 32;
  TakeClipboardPixels(P.Pixels.data(), P.Width, P.Height, KeepAlpha, Out);
}

std::string FirstPictureFile(const std::vector<std::string>& Files) {
  for (const std::string& F : Files) {
    std::error_code Error;
    if (!F.empty() && HasPictureReader(F) && std::filesystem::is_regular_file(F, Error))
      return F;
  }
  return {};
}

void ReadClipboardPictureFile(const std::string& FileName, TBitmap32& Out) {
  TPicture P;
  try {
    P = ReadPictureFile(FileName);
  } catch (const std::bad_alloc&) {
    throw Exception("Недостаточно памяти, чтобы прочитать файл \"" + FileName + "\".");
  } catch (const std::exception& E) {
    throw Exception("Не удалось вставить картинку из файла \"" + FileName + "\".\n" +
                    UserErrorText(E));
  }
  if (P.IsEmpty() || P.Pixels.size() < size_t(P.Width) * size_t(P.Height))
    throw Exception("Картинка в файле \"" + FileName + "\" пустая.");
  const bool KeepAlpha = P.Kind == TPicture::pkGraphic || P.BitsPerPixel == 32;
  TakeClipboardPixels(P.Pixels.data(), P.Width, P.Height, KeepAlpha, Out);
}

std::vector<std::string> LocalFilesInText(const std::string& Text) {
  std::vector<std::string> Files;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos)
      End = Text.size();
    std::string Line = Text.substr(Start, End - Start);
    Start = End + 1;
    while (!Line.empty() && (Line.back() == '\r' || Line.back() == ' ' || Line.back() == '\0'))
      Line.pop_back();
    if (Line.empty() || Line[0] == '#')
      continue;
    if (Line[0] == '/') {
      Files.push_back(Line);
      continue;
    }
    const std::string Lowered = Lower(Line.substr(0, 7));
    if (Lowered != "file://")
      continue;
    // file:///path or file://localhost/path; other hosts are not local files.
    std::string Rest = Line.substr(7);
    if (Lower(Rest.substr(0, 9)) == "localhost")
      Rest = Rest.substr(9);
    if (Rest.empty() || Rest[0] != '/')
      continue;
    std::string Path;
    bool Bad = false;
    for (size_t I = 0; I < Rest.size(); ++I) {
      if (Rest[I] != '%') {
        Path += Rest[I];
        continue;
      }
      if (I + 2 >= Rest.size() || !std::isxdigit(static_cast<unsigned char>(Rest[I + 1])) ||
          !std::isxdigit(static_cast<unsigned char>(Rest[I + 2]))) {
        Bad = true;
        break;
      }
      Path += static_cast<char>(std::stoi(Rest.substr(I + 1, 2), nullptr, 16));
      I += 2;
    }
    if (!Bad && Path.find('\0') == std::string::npos)
      Files.push_back(Path);
  }
  return Files;
}
