// Damaged and hostile files: every reader fails with EInvalidGraphic and a message, never a
// crash, a hang or a huge allocation (the sanitizer build would report those).
#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <functional>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "color_reduction.h"
#include "exceptions.h"
#include "file_builders.h"
#include "gif_codec.h"
#include "ico_reader.h"
#include "jpeg_codec.h"
#include "pcx_reader.h"
#include "png_codec.h"
#include "tga_reader.h"
#include "tiff_codec.h"

namespace {

using TReader = std::function<TPicture(const uint8_t*, size_t)>;

// A 40 x 24 picture of gradients.
const TBitmap32& SampleBitmap() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(40, 24);
    for (int Y = 0; Y < 24; ++Y)
      for (int X = 0; X < 40; ++X)
        P->SetPixel(
            X, Y,
            0xFF000000u | uint32_t(X * 6) << 16 | uint32_t(Y * 10) << 8 | uint32_t((X ^ Y) * 4));
    return P;
  }();
  return B;
}

TBytes SampleGif() {
  return EncodeGif(ReducePixelFormat(TBitmap24(SampleBitmap()), pf8bit));
}

TBytes SampleTga() {
  TBytes F = TgaHeader(10, 40, 24, 24, 0x20);
  for (int I = 0; I < 40 * 24 / 8; ++I) Append(F, {0x87, uint8_t(I), 20, 30});
  return F;
}

TBytes SamplePcx() {
  TBytes F = PcxHeader(40, 24, 8, 3, 40);
  for (int I = 0; I < 24 * 3 * 40 / 20; ++I) Append(F, {0xD4, uint8_t(I)});
  return F;
}

TBytes SampleIco() {
  TBytes D = IcoDibHeader(40, 24, 24);
  D.resize(D.size() + 120 * 24 + 8 * 24, 0x33);
  return IcoFile({D});
}

struct TFormat {
  const char* Name;
  TReader Read;
  TBytes Sample;
  // Rewrites the sample so that it declares a picture of 60000 x 60000 pixels.
  std::function<void(TBytes&)> MakeHuge;
};

void PutBE16(TBytes& F, size_t At, uint16_t V) {
  F[At] = uint8_t(V >> 8);
  F[At + 1] = uint8_t(V);
}

size_t Find(const TBytes& F, std::initializer_list<uint8_t> Marker) {
  const TBytes M(Marker);
  return size_t(std::search(F.begin(), F.end(), M.begin(), M.end()) - F.begin());
}

std::vector<TFormat> Formats() {
  const TBitmap32& Bitmap = SampleBitmap();
  return {
      {"JPEG", [](const uint8_t* D, size_t S) { return ReadJpegImage(D, S); },
       EncodeJpeg(Bitmap, 80),
       [](TBytes& F) {
         const size_t Sof = Find(F, {0xFF, 0xC0});
         PutBE16(F, Sof + 5, 60000);
         PutBE16(F, Sof + 7, 60000);
       }},
      {"PNG", [](const uint8_t* D, size_t S) { return ReadPngImage(D, S); }, EncodePng(Bitmap),
       [](TBytes& F) {
         for (size_t I = 16; I < 24; I += 4) {
           F[I] = 0;
           F[I + 1] = 0;
           PutBE16(F, I + 2, 60000);
         }
         const uLong Crc = crc32(0, F.data() + 12, 17);
         for (int I = 0; I < 4; ++I) F[29 + size_t(I)] = uint8_t(Crc >> (24 - 8 * I));
       }},
      {"GIF", [](const uint8_t* D, size_t S) { return ReadGifImage(D, S); }, SampleGif(),
       [](TBytes& F) {
         F[6] = F[8] = 0x60;
         F[7] = F[9] = 0xEA;
         const size_t Desc = Find(F, {0x2C, 0, 0, 0, 0});
         F[Desc + 5] = F[Desc + 7] = 0x60;
         F[Desc + 6] = F[Desc + 8] = 0xEA;
       }},
      {"TIFF", [](const uint8_t* D, size_t S) { return ReadTiffImage(D, S); }, EncodeTiff(Bitmap),
       [](TBytes& F) {
         // Width (tag 256) and length (257) as SHORT or LONG values in the first IFD.
         const size_t Ifd = F[4] | F[5] << 8 | F[6] << 16 | size_t(F[7]) << 24;
         const size_t Count = F[Ifd] | F[Ifd + 1] << 8;
         for (size_t I = 0; I < Count; ++I) {
           const size_t E = Ifd + 2 + I * 12;
           const int Tag = F[E] | F[E + 1] << 8;
           if (Tag == 256 || Tag == 257) {
             F[E + 8] = 0x60;
             F[E + 9] = 0xEA;
           }
         }
       }},
      {"TGA", [](const uint8_t* D, size_t S) { return ReadTgaImage(D, S); }, SampleTga(),
       [](TBytes& F) {
         F[12] = F[14] = 0x60;
         F[13] = F[15] = 0xEA;
       }},
      {"PCX", [](const uint8_t* D, size_t S) { return ReadPcxImage(D, S); }, SamplePcx(),
       [](TBytes& F) {
         F[8] = F[10] = 0x5F;
         F[9] = F[11] = 0xEA;
         F[66] = 0x60;
         F[67] = 0xEA;
       }},
      {"ICO", [](const uint8_t* D, size_t S) { return ReadIcoImage(D, S); }, SampleIco(),
       [](TBytes& F) {
         // The bitmap header after the one directory entry: width, then twice the height.
         const size_t Dib = 22;
         for (int I = 0; I < 4; ++I) {
           F[Dib + 4 + size_t(I)] = uint8_t(60000u >> (8 * I));
           F[Dib + 8 + size_t(I)] = uint8_t(120000u >> (8 * I));
         }
       }},
  };
}

// Where to cut the sample inside its picture data and just before the data ends: the middle of
// the file and its last bytes, but for a TIFF (whose directory and colour profile may take most
// of a small file, and whose profile may come last) the middle and the end of its strip. A cut
// that only spoils the colour profile leaves a readable picture, read as sRGB.
std::pair<size_t, size_t> PictureDataCuts(const TFormat& F) {
  const TBytes& B = F.Sample;
  if (std::string(F.Name) != "TIFF" || B.size() < 8 || B[0] != 'I')
    return {B.size() / 2, B.size() - 3};
  auto Le = [&B](size_t At, int Bytes) {
    size_t V = 0;
    for (int I = Bytes - 1; I >= 0; --I) V = V << 8 | B.at(At + size_t(I));
    return V;
  };
  const size_t Ifd = Le(4, 4);
  size_t Offset = 0, Count = 0;
  for (size_t I = 0, N = Le(Ifd, 2); I < N; ++I) {
    const size_t E = Ifd + 2 + 12 * I;
    if (Le(E, 2) == TIFFTAG_STRIPOFFSETS)
      Offset = Le(E + 8, 4);
    if (Le(E, 2) == TIFFTAG_STRIPBYTECOUNTS)
      Count = Le(E + 8, 4);
  }
  return {Offset + Count / 2, Offset + Count - 3};
}

// Runs the reader and returns the message of the EInvalidGraphic it must raise.
std::string Failure(const TFormat& F, const TBytes& Data, const std::string& What) {
  try {
    static const uint8_t Dummy = 0;
    F.Read(Data.empty() ? &Dummy : Data.data(), Data.size());
  } catch (const EInvalidGraphic& E) {
    EXPECT_STRNE(E.what(), "") << F.Name << ", " << What;
    return E.what();
  } catch (const std::exception& E) {
    ADD_FAILURE() << F.Name << ", " << What << ": raised another error: " << E.what();
    return {};
  }
  ADD_FAILURE() << F.Name << ", " << What << ": was read";
  return {};
}

}  // namespace

TEST(DamagedFiles, SamplesAreReadable) {
  for (const TFormat& F : Formats()) {
    const TPicture P = F.Read(F.Sample.data(), F.Sample.size());
    EXPECT_EQ(P.Width, 40) << F.Name;
    EXPECT_EQ(P.Height, 24) << F.Name;
  }
}

TEST(DamagedFiles, EmptyWrongMagicAndTruncated) {
  for (const TFormat& F : Formats()) {
    Failure(F, {}, "zero bytes");
    TBytes Magic = F.Sample;
    Magic[0] ^= 0x55;
    Magic[1] ^= 0x55;
    Failure(F, Magic, "wrong magic");
    // Cut inside the header, inside the picture data and just before the end.
    const auto [Middle, NearEnd] = PictureDataCuts(F);
    for (const size_t Keep : {size_t{3}, size_t{20}, Middle, NearEnd}) {
      const TBytes Cut(F.Sample.begin(), F.Sample.begin() + ptrdiff_t(Keep));
      Failure(F, Cut, "truncated to " + std::to_string(Keep) + " bytes");
    }
  }
}

// Nothing near the declared size may be allocated (the sanitizer build watches every
// allocation; the samples themselves need well under a megabyte).
constexpr int64_t SmallAllocation = 16 << 20;

TEST(DamagedFiles, HugeDeclaredSizeIsRefusedBeforeAllocating) {
  for (const TFormat& F : Formats()) {
    TBytes Huge = F.Sample;
    F.MakeHuge(Huge);
    ResetLargestAllocation();
    const std::string Message = Failure(F, Huge, "60000 x 60000");
    EXPECT_LT(LargestAllocation(), SmallAllocation) << F.Name;
    EXPECT_NE(Message.find("слишком велика"), std::string::npos) << F.Name << ": " << Message;
  }
}

TEST(DamagedFiles, LowerPixelLimitsAreHonoured) {
  const TBitmap32& Bitmap = SampleBitmap();
  const TBytes Jpeg = EncodeJpeg(Bitmap, 80), Png = EncodePng(Bitmap);
  EXPECT_THROW(ReadJpegImage(Jpeg.data(), Jpeg.size(), 40 * 24 - 1), EInvalidGraphic);
  EXPECT_NO_THROW(ReadJpegImage(Jpeg.data(), Jpeg.size(), 40 * 24));
  EXPECT_THROW(ReadPngImage(Png.data(), Png.size(), 100), EInvalidGraphic);
}

TEST(DamagedFiles, CorruptJpegDataIsAnError) {
  // Cut the entropy-coded data short and end the file with EOI: libjpeg would warn and paint
  // the rest grey.
  const TBytes Jpeg = EncodeJpeg(SampleBitmap(), 80);
  const size_t Sos = Find(Jpeg, {0xFF, 0xDA});
  TBytes Cut(Jpeg.begin(), Jpeg.begin() + ptrdiff_t(Sos + 40));
  Append(Cut, {0xFF, 0xD9});
  EXPECT_THROW(ReadJpegImage(Cut.data(), Cut.size()), EInvalidGraphic);
}

TEST(DamagedFiles, FuzzerFindings) {
  // Inputs the fuzz targets turned up, rebuilt by hand; each must fail cleanly.
  TBytes PngHuge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  Append(PngHuge, {0xAB, 0xE3, 0x53, 0x93, 0xC2, 0x41, 0x6B, 0x26, 8, 6, 0, 0, 0});
  // A 1x1 grey PNG whose tEXt chunk declares 1.9 GB and ends after a few bytes.
  TBytes PngText = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  Append(PngText, {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
  const uLong Crc = crc32(0, PngText.data() + 12, 17);
  Append(PngText, {uint8_t(Crc >> 24), uint8_t(Crc >> 16), uint8_t(Crc >> 8), uint8_t(Crc)});
  Append(PngText, {0x74, 0x45, 0x58, 0x74, 't', 'E', 'X', 't', 'd', 'a', 't', 'e', 0, '2', '0'});
  const TReader Ico = [](const uint8_t* D, size_t S) { return ReadIcoImage(D, S); };
  const TReader Png = [](const uint8_t* D, size_t S) { return ReadPngImage(D, S); };
  struct Case {
    const char* Name;
    TReader Read;
    TBytes Data;
  };
  const Case Cases[] = {
      // The largest entry was chosen by multiplying the PNG's declared sides, which overflowed.
      {"icon with a PNG entry of sides near 2^32", Ico, IcoFile({PngHuge})},
      // libpng allocated a text chunk's declared length before reading it.
      {"PNG with a truncated text chunk of 1.9 GB", Png, PngText},
      {"icon holding that PNG", Ico, IcoFile({PngText})},
  };
  for (const Case& C : Cases) {
    const TFormat F{C.Name, C.Read, {}, nullptr};
    ResetLargestAllocation();
    Failure(F, C.Data, "fuzzer finding");
    EXPECT_LT(LargestAllocation(), SmallAllocation) << C.Name;
  }
}
