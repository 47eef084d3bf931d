#include "pdf_page.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bitmap32.h"
#include "colour_profile.h"
#include "exceptions.h"
#include "file_io.h"

namespace {

// A deflate stream fed piece by piece, so that a large picture is never held uncompressed.
class TDeflater {
 public:
  TDeflater() {
    if (deflateInit(&FZ, 6) != Z_OK)
      throw Exception("Не удалось сжать картинку для файла PDF");
  }
  ~TDeflater() { deflateEnd(&FZ); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  void Add(const uint8_t* Data, size_t Size) { Run(Data, Size, Z_NO_FLUSH); }
  std::vector<uint8_t> Finish() {
    Run(nullptr, 0, Z_FINISH);
    FOut.shrink_to_fit();
    return std::move(FOut);
  }

 private:
  void Run(const uint8_t* Data, size_t Size, int Flush) {
    FZ.next_in = const_cast<Bytef*>(Data);
    FZ.avail_in = uInt(Size);
    for (;;) {
      if (FOut.size() - FUsed < 65536)
        FOut.resize(std::max(FOut.size() * 2, FUsed + (size_t{1} << 20)));
      FZ.next_out = FOut.data() + FUsed;
      FZ.avail_out = uInt(std::min<size_t>(FOut.size() - FUsed, size_t{1} << 30));
      const uInt Room = FZ.avail_out;
      const int R = deflate(&FZ, Flush);
      FUsed += Room - FZ.avail_out;
      if (R == Z_STREAM_END)
        break;
      if (R != Z_OK && R != Z_BUF_ERROR)
        throw Exception("Не удалось сжать картинку для файла PDF");
      if (Flush == Z_NO_FLUSH && FZ.avail_in == 0)
        break;
    }
    FOut.resize(FUsed);
  }

  z_stream FZ{};
  std::vector<uint8_t> FOut;
  size_t FUsed = 0;
};

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& Raw) {
  TDeflater D;
  D.Add(Raw.data(), Raw.size());
  return D.Finish();
}

// Numbers as PDF writes them: plain decimals, no exponent.
std::string Num(double V) {
  char Buf[64];
  std::snprintf(Buf, sizeof(Buf), "%.4f", V);
  std::string S = Buf;
  while (!S.empty() && S.back() == '0') S.pop_back();
  if (!S.empty() && S.back() == '.')
    S.pop_back();
  return S == "-0" ? "0" : S;
}

class TPdfBuilder {
 public:
  TPdfBuilder() { Text("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"); }

  void BeginObject(int Number) {
    if (int(FOffsets.size()) < Number)
      FOffsets.resize(size_t(Number));
    FOffsets[size_t(Number - 1)] = FOut.size();
    Text(std::to_string(Number) + " 0 obj\n");
  }
  void Object(int Number, const std::string& Body) {
    BeginObject(Number);
    Text(Body + "\nendobj\n");
  }
  void Stream(int Number, const std::string& Dictionary, const std::vector<uint8_t>& Data) {
    BeginObject(Number);
    Text("<< " + Dictionary + " /Length " + std::to_string(Data.size()) + " >>\nstream\n");
    FOut.insert(FOut.end(), Data.begin(), Data.end());
    Text("\nendstream\nendobj\n");
  }
  std::vector<uint8_t> Finish(int Root) {
    const size_t XrefAt = FOut.size();
    Text("xref\n0 " + std::to_string(FOffsets.size() + 1) + "\n0000000000 65535 f \n");
    for (const size_t Offset : FOffsets) {
      char Line[32];
      std::snprintf(Line, sizeof(Line), "%010zu 00000 n \n", Offset);
      Text(Line);
    }
    Text("trailer\n<< /Size " + std::to_string(FOffsets.size() + 1) + " /Root " +
         std::to_string(Root) + " 0 R >>\nstartxref\n" + std::to_string(XrefAt) + "\n%%EOF\n");
    return std::move(FOut);
  }

 private:
  void Text(const std::string& S) {
    const size_t At = FOut.size();
    FOut.resize(At + S.size());
    std::memcpy(FOut.data() + At, S.data(), S.size());
  }

  std::vector<uint8_t> FOut;
  std::vector<size_t> FOffsets;
};

bool Positive(double V) {
  return std::isfinite(V) && V > 0;
}

}  // namespace

TColor32 OnPaper(TColor32 C) {
  const uint32_t A = C >> 24;
  if (A == 255)
    return C;
  // C x a + white x (1 - a) for each colour channel, rounded.
  auto Channel = [A](uint32_t V) { return (V * A + 255 * (255 - A) + 127) / 255; };
  return 0xFF000000u | Channel((C >> 16) & 0xFF) << 16 | Channel((C >> 8) & 0xFF) << 8 |
         Channel(C & 0xFF);
}

std::vector<uint8_t> BuildPdfPage(const TBitmap32& Picture, const TPdfPlacement& P,
                                  bool OnWhitePaper) {
  if (Picture.IsEmpty())
    throw Exception("Пустую картинку нельзя напечатать");
  if (!Positive(P.PageWidth) || !Positive(P.PageHeight) || !Positive(P.Width) ||
      !Positive(P.Height) || !std::isfinite(P.Left) || !std::isfinite(P.Top))
    throw Exception("У страницы или картинки нет размера");

  // The samples are made and compressed a band of rows at a time.
  const int32_t W = Picture.Width(), H = Picture.Height();
  constexpr int32_t Band = 64;
  std::vector<uint8_t> Rgb(size_t(W) * 3 * Band), Alpha(size_t(W) * Band);
  TDeflater RgbZ, AlphaZ;
  bool Translucent = false;
  for (int32_t Y0 = 0; Y0 < H; Y0 += Band) {
    const int32_t Rows = std::min(Band, H - Y0);
    const size_t Count = size_t(W) * size_t(Rows);
    const TColor32* S = Picture.RowAddress(Y0);
    for (size_t I = 0; I < Count; ++I) {
      const TColor32 C = OnWhitePaper ? OnPaper(S[I]) : S[I];
      Rgb[I * 3] = uint8_t(C >> 16);
      Rgb[I * 3 + 1] = uint8_t(C >> 8);
      Rgb[I * 3 + 2] = uint8_t(C);
      Alpha[I] = uint8_t(C >> 24);
      Translucent |= Alpha[I] != 255;
    }
    RgbZ.Add(Rgb.data(), Count * 3);
    AlphaZ.Add(Alpha.data(), Count);
  }
  std::vector<uint8_t> RgbStream = RgbZ.Finish();
  std::vector<uint8_t> AlphaStream = Translucent ? AlphaZ.Finish() : std::vector<uint8_t>();

  const std::string Size = " /Width " + std::to_string(W) + " /Height " + std::to_string(H) +
                           " /BitsPerComponent 8 /Filter /FlateDecode";
  // PDF's origin is the page's bottom-left corner; the image space is the unit square.
  const std::string Content = "q " + Num(P.Width) + " 0 0 " + Num(P.Height) + " " + Num(P.Left) +
                              " " + Num(P.PageHeight - P.Top - P.Height) + " cm /Im0 Do Q\n";

  TPdfBuilder B;
  B.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  B.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  B.Object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Num(P.PageWidth) + " " +
                  Num(P.PageHeight) +
                  "] /Resources << /XObject << /Im0 4 0 R >> >> /Contents 5 0 R >>");
  // The card's colours are sRGB: the image says so with the sRGB profile, so that a print
  // shop's software converts them as they are meant.
  const std::vector<uint8_t>& Srgb = SrgbIccProfile();
  const std::string Space = Srgb.empty() ? "/DeviceRGB" : "[/ICCBased 6 0 R]";
  B.Stream(4,
           "/Type /XObject /Subtype /Image /ColorSpace " + Space + Size +
               (Translucent ? " /SMask 7 0 R" : ""),
           RgbStream);
  RgbStream = {};
  B.Stream(5, "", std::vector<uint8_t>(Content.begin(), Content.end()));
  if (!Srgb.empty())
    B.Stream(6, "/N 3 /Alternate /DeviceRGB /Filter /FlateDecode", Deflate(Srgb));
  if (Translucent)
    B.Stream(Srgb.empty() ? 6 : 7, "/Type /XObject /Subtype /Image /ColorSpace /DeviceGray" + Size,
             AlphaStream);
  return B.Finish(1);
}

void WritePdfPage(const TBitmap32& Picture, const TPdfPlacement& Placement,
                  const std::string& FileName, bool OnWhitePaper) {
  const std::vector<uint8_t> Data = BuildPdfPage(Picture, Placement, OnWhitePaper);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}
