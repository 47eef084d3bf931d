// Colour management: pictures with real profiles (Debian's colord-data and icc-profiles-free)
// converted to sRGB as Little CMS converts them at full precision; profiles found in the files'
// own bytes; damaged and truncated profiles ignored.
#include "colour_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codec_test_support.h"
#include "colour_chunks.h"
#include "picture_codecs.h"
#include "picture_readers.h"

namespace fs = std::filesystem;

namespace {

const fs::path Colord = "/usr/share/color/icc/colord";
const fs::path IccFree = "/usr/share/color/icc";
const fs::path Photo = fs::path(PELMORA_TESTDATA_DIR) / "images/jpeg/pillow/pil_sample_rgb.jpg";

std::vector<uint8_t> Profile(const fs::path& P) {
  return fs::exists(P) ? ReadBytes(P) : std::vector<uint8_t>{};
}

// A real photo's pixels, with a transparent band to show that alpha is left alone.
TPicture PhotoPixels() {
  RegisterPictureCodecs();
  TPicture P = ReadPictureFile(Photo.string());
  for (int32_t X = 0; X < P.Width; ++X) P.Pixels[size_t(X)] &= 0x00FFFFFFu;
  return P;
}

bool Convert(TPicture& P, const TColourProfile& Profile) {
  return ConvertToSrgb(P.Pixels.data(), P.Width, P.Height, P.Width, Profile);
}

int MaxAlphaChange(const TPicture& A, const TPicture& B) {
  int M = 0;
  for (size_t I = 0; I < A.Pixels.size(); ++I)
    M = std::max(M, std::abs(int(A.Pixels[I] >> 24) - int(B.Pixels[I] >> 24)));
  return M;
}

TEST(ColourProfile, RealProfilesConvertAsLittleCmsDoes) {
  const TPicture In = PhotoPixels();
  for (const char* Name : {"AdobeRGB1998.icc", "ProPhotoRGB.icc", "WideGamutRGB.icc"}) {
    SCOPED_TRACE(Name);
    TColourProfile Tag;
    Tag.Icc = Profile(Colord / Name);
    if (Tag.Icc.empty())
      GTEST_SKIP() << "colord-data is not installed";
    TPicture Out = In;
    ASSERT_TRUE(Convert(Out, Tag));
    const TPictureDiff D = ComparePictures(Out, LcmsReference(In, Tag.Icc));
    EXPECT_LE(D.MaxColor, 1) << D.Where;
    EXPECT_EQ(MaxAlphaChange(Out, In), 0);
    // A wide gamut really moves the colours.
    EXPECT_GT(ComparePictures(Out, In).MaxColor, 10);
  }
}

TEST(ColourProfile, SwappedRedAndGreenGivesTheOriginalBack) {
  TColourProfile Tag;
  Tag.Icc = Profile(Colord / "SwappedRedAndGreen.icc");
  if (Tag.Icc.empty())
    GTEST_SKIP() << "colord-data is not installed";
  const TPicture Original = PhotoPixels();
  TPicture Stored = Original;
  for (TColor32& C : Stored.Pixels)
    C = (C & 0xFF0000FFu) | ((C >> 8) & 0xFF) << 16 | ((C >> 16) & 0xFF) << 8;
  ASSERT_TRUE(Convert(Stored, Tag));
  EXPECT_LE(ComparePictures(Stored, Original).MaxColor, 1);
}

TEST(ColourProfile, NothingChangesWithoutAUsableProfile) {
  const TPicture In = PhotoPixels();
  const std::vector<uint8_t> Adobe = Profile(Colord / "AdobeRGB1998.icc");
  if (Adobe.empty())
    GTEST_SKIP() << "colord-data is not installed";
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Icc;
  };
  const std::vector<TCase> Cases = {
      {"none", {}},
      {"truncated", std::vector<uint8_t>(Adobe.begin(), Adobe.begin() + long(Adobe.size() / 2))},
      {"garbage", std::vector<uint8_t>(600, 0x5A)},
      {"sRGB itself", Profile(Colord / "sRGB.icc")},
      {"sRGB of icc-profiles-free", Profile(IccFree / "sRGB.icc")},
      {"a grey profile on colour pixels", Profile(IccFree / "Gray.icc")},
      {"a Lab profile", Profile(IccFree / "LCMSLABI.ICM")},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TColourProfile Tag;
    Tag.Icc = C.Icc;
    TPicture Out = In;
    EXPECT_FALSE(Convert(Out, Tag));
    EXPECT_EQ(Out.Pixels, In.Pixels);
  }
}

TEST(ColourProfile, GreyProfileOnGreySamples) {
  TColourProfile Tag;
  Tag.Icc = Profile(IccFree / "Gray-CIE_L.icc");
  if (Tag.Icc.empty())
    GTEST_SKIP() << "icc-profiles-free is not installed";
  TPicture In = PhotoPixels();
  for (TColor32& C : In.Pixels) C = (C & 0xFF000000u) | (C & 0xFF) * 0x010101u;
  TPicture Out = In;
  ASSERT_TRUE(Convert(Out, Tag));
  EXPECT_LE(ComparePictures(Out, LcmsReference(In, Tag.Icc, true)).MaxColor, 1);
  EXPECT_GT(ComparePictures(Out, In).MaxColor, 2);
}

TEST(ColourProfile, PngChunksMakeAProfile) {
  // gAMA with cHRM of the Adobe RGB primaries converts; either alone, or with sRGB, does not.
  TColourProfile Tag;
  Tag.Gamma = 1 / 2.2;
  Tag.HasChromaticities = true;
  Tag.WhiteX = 0.3127, Tag.WhiteY = 0.3290, Tag.RedX = 0.64, Tag.RedY = 0.33;
  Tag.GreenX = 0.21, Tag.GreenY = 0.71, Tag.BlueX = 0.15, Tag.BlueY = 0.06;
  TPicture In = PhotoPixels(), Out = In;
  ASSERT_TRUE(Convert(Out, Tag));
  EXPECT_GT(ComparePictures(Out, In).MaxColor, 10);
  TColourProfile NoChroma = Tag;
  NoChroma.HasChromaticities = false;
  Out = In;
  EXPECT_FALSE(Convert(Out, NoChroma));
  TColourProfile Broken = Tag;
  Broken.WhiteY = 0;
  EXPECT_FALSE(Convert(Out, Broken));
  EXPECT_EQ(Out.Pixels, In.Pixels);
}

TEST(ColourProfile, TheSrgbProfileOfExportsIsSrgb) {
  const std::vector<uint8_t>& Icc = SrgbIccProfile();
  ASSERT_GT(Icc.size(), 128u);
  // Made the same on every run, so that exports are too.
  EXPECT_EQ(Icc[24], 0x07);
  EXPECT_EQ(Icc[25], 0xEA);
  TColourProfile Tag;
  Tag.Icc = Icc;
  TPicture In = PhotoPixels(), Out = In;
  EXPECT_FALSE(Convert(Out, Tag));  // recognised as sRGB: nothing to do
}

// JPEG headers with APP2 "ICC_PROFILE" markers, the profile cut into parts.
std::vector<uint8_t> JpegHeader(const std::vector<uint8_t>& Icc, int Parts, int Skip = -1,
                                bool Reverse = false) {
  std::vector<uint8_t> J = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'};
  const size_t Step = (Icc.size() + Parts - 1) / Parts;
  for (int K = 0; K < Parts; ++K) {
    const int I = Reverse ? Parts - 1 - K : K;
    if (I == Skip)
      continue;
    const size_t From = I * Step, To = std::min(Icc.size(), From + Step);
    const size_t Length = 2 + 14 + (To - From);
    const char Tag[] = "ICC_PROFILE";
    J.insert(J.end(), {0xFF, 0xE2, uint8_t(Length >> 8), uint8_t(Length)});
    J.insert(J.end(), Tag, Tag + 12);
    J.push_back(uint8_t(I + 1));
    J.push_back(uint8_t(Parts));
    J.insert(J.end(), Icc.begin() + long(From), Icc.begin() + long(To));
  }
  J.insert(J.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
  return J;
}

TEST(ColourChunks, JpegProfileOverSeveralMarkers) {
  const std::vector<uint8_t> Icc = Profile(Colord / "ProPhotoRGB.icc");
  if (Icc.empty())
    GTEST_SKIP() << "colord-data is not installed";
  for (int Parts : {1, 3}) {
    const auto J = JpegHeader(Icc, Parts);
    EXPECT_EQ(JpegColourProfile(J.data(), J.size()).Icc, Icc) << Parts;
    const auto R = JpegHeader(Icc, Parts, -1, true);
    EXPECT_EQ(JpegColourProfile(R.data(), R.size()).Icc, Icc) << "parts in any order";
  }
  const auto Missing = JpegHeader(Icc, 3, 1);
  EXPECT_TRUE(JpegColourProfile(Missing.data(), Missing.size()).IsUntagged());
  // Cut anywhere, the header gives nothing or the whole profile, and reads nothing past its end.
  const auto J = JpegHeader(Icc, 3);
  for (size_t N = 0; N < J.size(); N += 97) {
    const std::vector<uint8_t> Cut(J.begin(), J.begin() + long(N));
    const TColourProfile P = JpegColourProfile(Cut.data(), Cut.size());
    EXPECT_TRUE(P.Icc.empty() || P.Icc == Icc);
  }
}

}  // namespace
