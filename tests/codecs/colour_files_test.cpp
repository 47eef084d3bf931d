// Pictures whose files carry a real colour profile (Adobe RGB, ProPhoto from Debian's
// colord-data, Display P3 as phones write it) come out of the readers in sRGB, as Little CMS
// converts the same samples; the profile is put into files that the codecs wrote, in each format's
// own place for it.
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
#include "tagged_files.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace fs = std::filesystem;

namespace {

const fs::path Colord = "/usr/share/color/icc/colord";

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
  for (const char* Name : {"AdobeRGB1998.icc", "ProPhotoRGB.icc", "Display P3"}) {
    const bool Made = std::string(Name) == "Display P3";
    if (!Made && !fs::exists(Colord / Name))
      GTEST_SKIP() << "colord-data is not installed";
    const std::vector<uint8_t> Icc = Made ? DisplayP3Profile() : ReadBytes(Colord / Name);
    for (const TTaggedFile& C : TaggedFiles(Photo, Icc, Dir / "t.tif")) {
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
