#include "tagged_files.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "colour_profile.h"
#include "jpeg_codec.h"
#include "png_codec.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace {

void Put32(std::vector<uint8_t>& B, uint32_t V, bool Big) {
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (Big ? 24 - 8 * I : 8 * I)));
}

}  // namespace

std::vector<uint8_t> WithoutApp2(const std::vector<uint8_t>& J) {
  std::vector<uint8_t> Out(J.begin(), J.begin() + 2);
  size_t P = 2;
  while (P + 4 <= J.size() && J[P] == 0xFF && J[P + 1] != 0xDA) {
    const size_t Length = size_t(J[P + 2]) << 8 | J[P + 3];
    if (J[P + 1] != 0xE2)
      Out.insert(Out.end(), J.begin() + long(P), J.begin() + long(P + 2 + Length));
    P += 2 + Length;
  }
  Out.insert(Out.end(), J.begin() + long(P), J.end());
  return Out;
}

std::vector<uint8_t> JpegWithProfile(std::vector<uint8_t> J, const std::vector<uint8_t>& Icc) {
  J = WithoutApp2(J);
  std::vector<uint8_t> Markers;
  const size_t Step = 60000;
  const int Parts = int((Icc.size() + Step - 1) / Step);
  for (int I = 0; I < Parts; ++I) {
    const size_t From = I * Step, To = std::min(Icc.size(), From + Step);
    const size_t Length = 16 + To - From;
    Markers.insert(Markers.end(), {0xFF, 0xE2, uint8_t(Length >> 8), uint8_t(Length)});
    const char Tag[] = "ICC_PROFILE";
    Markers.insert(Markers.end(), Tag, Tag + 12);
    Markers.push_back(uint8_t(I + 1));
    Markers.push_back(uint8_t(Parts));
    Markers.insert(Markers.end(), Icc.begin() + long(From), Icc.begin() + long(To));
  }
  J.insert(J.begin() + 2, Markers.begin(), Markers.end());
  return J;
}

std::vector<uint8_t> PngWithProfile(std::vector<uint8_t> P, const std::vector<uint8_t>& Icc) {
  uLongf Size = compressBound(uLong(Icc.size()));
  std::vector<uint8_t> Z(Size);
  EXPECT_EQ(compress(Z.data(), &Size, Icc.data(), uLong(Icc.size())), Z_OK);
  Z.resize(Size);
  std::vector<uint8_t> Body = {'i', 'C', 'C', 'P', 'x', 0, 0};
  Body.insert(Body.end(), Z.begin(), Z.end());
  std::vector<uint8_t> Chunk;
  Put32(Chunk, uint32_t(Body.size() - 4), true);
  Chunk.insert(Chunk.end(), Body.begin(), Body.end());
  Put32(Chunk, uint32_t(crc32(0, Body.data(), uInt(Body.size()))), true);
  const size_t AfterHeader = 8 + 8 + 13 + 4;
  P.insert(P.begin() + long(AfterHeader), Chunk.begin(), Chunk.end());
  return P;
}

std::vector<uint8_t> WebpWithProfile(const std::vector<uint8_t>& W, const std::vector<uint8_t>& Icc,
                                     int32_t Width, int32_t Height) {
  std::vector<uint8_t> Out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
  size_t Rest = 12;
  if (std::memcmp(W.data() + 12, "VP8X", 4) == 0) {
    Out.insert(Out.end(), W.begin() + 12, W.begin() + 30);
    Out[20] |= 0x20;
    Rest = 30;
  } else {
    Out.insert(Out.end(), {'V', 'P', '8', 'X', 10, 0, 0, 0, 0x20, 0, 0, 0});
    for (int32_t V : {Width - 1, Height - 1})
      Out.insert(Out.end(), {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16)});
  }
  Out.insert(Out.end(), {'I', 'C', 'C', 'P'});
  Put32(Out, uint32_t(Icc.size()), false);
  Out.insert(Out.end(), Icc.begin(), Icc.end());
  if (Icc.size() % 2)
    Out.push_back(0);
  Out.insert(Out.end(), W.begin() + long(Rest), W.end());
  const uint32_t Riff = uint32_t(Out.size() - 8);
  for (int I = 0; I < 4; ++I) Out[4 + I] = uint8_t(Riff >> (8 * I));
  return Out;
}

std::vector<uint8_t> TiffWithProfile(const TBitmap32& B, const std::vector<uint8_t>& Icc,
                                     const std::filesystem::path& Path) {
  TIFF* T = TIFFOpen(Path.string().c_str(), "w");
  EXPECT_NE(T, nullptr);
  TIFFSetField(T, TIFFTAG_IMAGEWIDTH, uint32_t(B.Width()));
  TIFFSetField(T, TIFFTAG_IMAGELENGTH, uint32_t(B.Height()));
  TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(T, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(T, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(T, TIFFTAG_ICCPROFILE, uint32_t(Icc.size()), Icc.data());
  std::vector<uint8_t> Row(size_t(B.Width()) * 3);
  for (int32_t Y = 0; Y < B.Height(); ++Y) {
    for (int32_t X = 0; X < B.Width(); ++X) {
      const TColor32 C = B.GetPixel(X, Y);
      Row[size_t(X) * 3] = uint8_t(C >> 16), Row[size_t(X) * 3 + 1] = uint8_t(C >> 8);
      Row[size_t(X) * 3 + 2] = uint8_t(C);
    }
    TIFFWriteScanline(T, Row.data(), uint32_t(Y), 0);
  }
  TIFFClose(T);
  return ReadBytes(Path);
}

std::vector<uint8_t> DisplayP3Profile() {
  const double Chromaticities[8] = {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
  const double Srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return RgbProfileBytes(Chromaticities, 4, Srgb);
}

std::vector<TTaggedFile> TaggedFiles(const TBitmap32& Photo, const std::vector<uint8_t>& Icc,
                                     const std::filesystem::path& Scratch) {
  return {
      {"p.jpg", JpegWithProfile(EncodeJpeg(Photo, 95), Icc), ReadJpegImage},
      {"p.png", PngWithProfile(EncodePng(Photo), Icc), ReadPngImage},
      {"p.webp", WebpWithProfile(EncodeWebp(Photo, 90), Icc, Photo.Width(), Photo.Height()),
       ReadWebpImage},
      {"p.tif", TiffWithProfile(Photo, Icc, Scratch), ReadTiffImage},
  };
}
