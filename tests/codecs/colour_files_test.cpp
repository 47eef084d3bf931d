// Pictures whose files carry a real colour profile (Adobe RGB, ProPhoto from Debian's
// colord-data) come out of the readers in sRGB, as Little CMS converts the same samples; the
// profile is put into files that the codecs wrote, in each format's own place for it.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <gtest/gtest.h>
#include <lcms2.h>
#include <tiffio.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "colour_chunks.h"
#include "jpeg_codec.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace fs = std::filesystem;

namespace {

const fs::path Colord = "/usr/share/color/icc/colord";

void Put32(std::vector<uint8_t>& B, uint32_t V, bool Big) {
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (Big ? 24 - 8 * I : 8 * I)));
}

// The JPEG without its APP2 markers (the writer's own sRGB profile).
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

// The profile in APP2 markers right after the start of the image, in place of the writer's.
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

// An iCCP chunk right after IHDR.
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

// The WebP made extended (VP8X with its ICC flag) with an ICCP chunk before the image.
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
                                     const fs::path& Path) {
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

struct TColourFiles : ::testing::Test {
  fs::path Dir = fs::temp_directory_path() / ("pelmora_colour_" + std::to_string(::getpid()));
  TBitmap32 Photo;
  void SetUp() override {
    RegisterPictureCodecs();
    fs::create_directories(Dir);
    Photo.LoadFromFile(
        (fs::path(PELMORA_TESTDATA_DIR) / "images/jpeg/pillow/pil_sample_rgb.jpg").string());
  }
  void TearDown() override { fs::remove_all(Dir); }
  fs::path Write(const std::string& Name, const std::vector<uint8_t>& Bytes) {
    const fs::path P = Dir / Name;
    std::ofstream(P, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    return P;
  }
};

TEST_F(TColourFiles, EveryFormatsProfileConvertsToSrgb) {
  for (const char* Name : {"AdobeRGB1998.icc", "ProPhotoRGB.icc"}) {
    if (!fs::exists(Colord / Name))
      GTEST_SKIP() << "colord-data is not installed";
    const std::vector<uint8_t> Icc = ReadBytes(Colord / Name);
    struct TCase {
      const char* File;
      std::vector<uint8_t> Bytes;
      TPicture (*Decode)(const uint8_t*, size_t, int64_t);
    };
    const std::vector<TCase> Cases = {
        {"p.jpg", JpegWithProfile(EncodeJpeg(Photo, 95), Icc), ReadJpegImage},
        {"p.png", PngWithProfile(EncodePng(Photo), Icc), ReadPngImage},
        {"p.webp", WebpWithProfile(EncodeWebp(Photo, 90), Icc, Photo.Width(), Photo.Height()),
         ReadWebpImage},
        {"p.tif", TiffWithProfile(Photo, Icc, Dir / "t.tif"), ReadTiffImage},
    };
    for (const TCase& C : Cases) {
      SCOPED_TRACE(std::string(Name) + " in " + C.File);
      const fs::path File = Write(C.File, C.Bytes);
      // The samples as stored, without the profile applied, and what the profile makes of them.
      const TPicture Stored = C.Decode(C.Bytes.data(), C.Bytes.size(), MaxPicturePixels);
      const TPicture Read = ReadPictureFile(File.string());
      const TPictureDiff D = ComparePictures(Read, LcmsReference(Stored, Icc));
      EXPECT_TRUE(D.SameSize);
      EXPECT_LE(D.MaxColor, 1) << D.Where;
      EXPECT_GT(ComparePictures(Read, Stored).MaxColor, 10);
    }
  }
}

TEST_F(TColourFiles, UntaggedAndDamagedProfilesReadAsToday) {
  const std::vector<uint8_t> Jpeg = WithoutApp2(EncodeJpeg(Photo, 95));
  const TPicture Plain = ReadJpegImage(Jpeg.data(), Jpeg.size());
  EXPECT_EQ(ReadPictureFile(Write("plain.jpg", Jpeg).string()).Pixels, Plain.Pixels);
  if (!fs::exists(Colord / "AdobeRGB1998.icc"))
    GTEST_SKIP() << "colord-data is not installed";
  std::vector<uint8_t> Cut = ReadBytes(Colord / "AdobeRGB1998.icc");
  Cut.resize(Cut.size() - 40);
  EXPECT_EQ(ReadPictureFile(Write("cut.jpg", JpegWithProfile(Jpeg, Cut)).string()).Pixels,
            Plain.Pixels);
  const std::vector<uint8_t> Png = EncodePng(Photo);
  EXPECT_EQ(ReadPictureFile(Write("cut.png", PngWithProfile(Png, Cut)).string()).Pixels,
            ReadPngImage(Png.data(), Png.size()).Pixels);
}

// A CMYK JPEG as libjpeg writes it (with Adobe's marker, so 255 stands for no ink), from the
// photo: C, M, Y from red, green, blue and no black ink. And its samples read back raw.
std::vector<uint8_t> CmykJpeg(const TBitmap32& B) {
  jpeg_compress_struct C{};
  jpeg_error_mgr Err{};
  C.err = jpeg_std_error(&Err);
  jpeg_create_compress(&C);
  unsigned char* Out = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&C, &Out, &Size);
  C.image_width = JDIMENSION(B.Width());
  C.image_height = JDIMENSION(B.Height());
  C.input_components = 4;
  C.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&C);
  jpeg_set_quality(&C, 95, TRUE);
  jpeg_start_compress(&C, TRUE);
  std::vector<uint8_t> Row(size_t(B.Width()) * 4);
  while (C.next_scanline < C.image_height) {
    for (int32_t X = 0; X < B.Width(); ++X) {
      const TColor32 P = B.GetPixel(X, int32_t(C.next_scanline));
      Row[size_t(X) * 4] = uint8_t(P >> 16), Row[size_t(X) * 4 + 1] = uint8_t(P >> 8);
      Row[size_t(X) * 4 + 2] = uint8_t(P), Row[size_t(X) * 4 + 3] = 255;
    }
    JSAMPROW R = Row.data();
    jpeg_write_scanlines(&C, &R, 1);
  }
  jpeg_finish_compress(&C);
  jpeg_destroy_compress(&C);
  std::vector<uint8_t> J(Out, Out + Size);
  free(Out);
  return J;
}

std::vector<uint8_t> RawCmyk(const std::vector<uint8_t>& J, int32_t& W, int32_t& H) {
  jpeg_decompress_struct D{};
  jpeg_error_mgr Err{};
  D.err = jpeg_std_error(&Err);
  jpeg_create_decompress(&D);
  jpeg_mem_src(&D, J.data(), static_cast<unsigned long>(J.size()));
  jpeg_read_header(&D, TRUE);
  D.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&D);
  W = int32_t(D.output_width), H = int32_t(D.output_height);
  std::vector<uint8_t> Samples(size_t(W) * size_t(H) * 4);
  while (D.output_scanline < D.output_height) {
    JSAMPROW R = Samples.data() + size_t(D.output_scanline) * size_t(W) * 4;
    jpeg_read_scanlines(&D, &R, 1);
  }
  jpeg_finish_decompress(&D);
  jpeg_destroy_decompress(&D);
  return Samples;
}

TEST_F(TColourFiles, CmykJpegGoesThroughItsCmykProfile) {
  const fs::path Cmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
  if (!fs::exists(Cmyk))
    GTEST_SKIP() << "libgs-common is not installed";
  const std::vector<uint8_t> Icc = ReadBytes(Cmyk);
  const std::vector<uint8_t> Plain = CmykJpeg(Photo);
  const std::vector<uint8_t> Tagged = JpegWithProfile(Plain, Icc);
  const TPicture Read = ReadPictureFile(Write("cmyk.jpg", Tagged).string());
  // The reference: Little CMS on the raw samples, 255 meaning no ink.
  int32_t W = 0, H = 0;
  const std::vector<uint8_t> Samples = RawCmyk(Tagged, W, H);
  cmsHPROFILE From = cmsOpenProfileFromMem(Icc.data(), cmsUInt32Number(Icc.size()));
  cmsHPROFILE To = cmsCreate_sRGBProfile();
  cmsHTRANSFORM T =
      cmsCreateTransform(From, TYPE_CMYK_8_REV, To, TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC,
                         cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOOPTIMIZE);
  TPicture Want;
  Want.Width = W, Want.Height = H;
  Want.Pixels.resize(size_t(W) * size_t(H));
  cmsDoTransform(T, Samples.data(), Want.Pixels.data(), cmsUInt32Number(Want.Pixels.size()));
  for (TColor32& C : Want.Pixels) C |= 0xFF000000u;
  cmsDeleteTransform(T);
  cmsCloseProfile(From);
  cmsCloseProfile(To);
  const TPictureDiff D = ComparePictures(Read, Want);
  EXPECT_TRUE(D.SameSize);
  EXPECT_LE(D.MaxColor, 2) << D.Where;
  // Without the profile the plain formula stays, as before.
  const std::vector<uint8_t> Untagged = WithoutApp2(Plain);
  EXPECT_EQ(ReadPictureFile(Write("plain_cmyk.jpg", Untagged).string()).Pixels,
            ReadJpegImage(Untagged.data(), Untagged.size()).Pixels);
  EXPECT_GT(ComparePictures(Read, ReadJpegImage(Untagged.data(), Untagged.size())).MaxColor, 10);
}

TEST_F(TColourFiles, ExportsSayTheyAreSrgb) {
  const std::vector<uint8_t> Png = EncodePng(Photo);
  EXPECT_TRUE(PngColourProfile(Png.data(), Png.size()).Srgb);
  const std::vector<uint8_t> Tiff = EncodeTiff(Photo);
  EXPECT_EQ(TiffColourProfile(Tiff.data(), Tiff.size()).Icc, SrgbIccProfile());
  const std::vector<uint8_t> Webp = EncodeWebp(Photo, 90);
  EXPECT_EQ(WebpColourProfile(Webp.data(), Webp.size()).Icc, SrgbIccProfile());
  const std::vector<uint8_t> Jpeg = EncodeJpeg(Photo, 90);
  EXPECT_EQ(JpegColourProfile(Jpeg.data(), Jpeg.size()).Icc, SrgbIccProfile());
  // And they read back as they were written: the tag changes nothing.
  for (const auto& [Name, Bytes] : {std::pair{"e.png", Png}, std::pair{"e.tif", Tiff}}) {
    TBitmap32 Back;
    Back.LoadFromFile(Write(Name, Bytes).string());
    EXPECT_EQ(Back.GetPixel(10, 10), Photo.GetPixel(10, 10)) << Name;
  }
}

}  // namespace
