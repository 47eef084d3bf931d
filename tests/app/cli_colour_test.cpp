// A photo saved with an embedded camera or phone profile, rendered by the batch tool, comes out
// in the colours Little CMS gives it, whatever format carried it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bitmap32.h"
#include "cli_fixture.h"
#include "codec_test_support.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "tagged_files.h"

namespace fs = std::filesystem;

namespace {

class CliColourTest : public TCliTest {
 protected:
  static void SetUpTestSuite() { RegisterPictureCodecs(); }
  void Write(const std::string& Name, const std::vector<uint8_t>& Bytes) const {
    std::ofstream(Path(Name), std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
  }
};

// The share of colour channels of opaque pixels that differ by more than Tolerance.
double ShareOff(const TPicture& A, const TPicture& B, int Tolerance) {
  size_t Off = 0;
  for (size_t I = 0; I < A.Pixels.size(); ++I)
    for (int Shift : {0, 8, 16}) {
      const int D = int(A.Pixels[I] >> Shift & 0xFF) - int(B.Pixels[I] >> Shift & 0xFF);
      Off += std::abs(D) > Tolerance;
    }
  return double(Off) / (3.0 * double(A.Pixels.size()));
}

TEST_F(CliColourTest, RenderGivesTheColoursOfTheEmbeddedProfile) {
  const fs::path Colord = "/usr/share/color/icc/colord";
  if (!fs::exists(Colord / "AdobeRGB1998.icc") || !fs::exists(Colord / "ProPhotoRGB.icc"))
    GTEST_SKIP() << "colord-data is not installed";
  TBitmap32 Photo;
  Photo.LoadFromFile(
      (fs::path(PELMORA_TESTDATA_DIR) / "images/jpeg/pillow/pil_sample_rgb.jpg").string());
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> Profiles = {
      {"Adobe RGB", ReadBytes(Colord / "AdobeRGB1998.icc")},
      {"ProPhoto", ReadBytes(Colord / "ProPhotoRGB.icc")},
      {"Display P3", DisplayP3Profile()},
  };
  for (const auto& [Name, Icc] : Profiles) {
    ASSERT_FALSE(Icc.empty()) << Name;
    for (const TTaggedFile& C : TaggedFiles(Photo, Icc, Path("t.tif"))) {
      SCOPED_TRACE(Name + " in " + C.File);
      Write(C.File, C.Bytes);
      const TCliRun R = RunCli({"render", Path(C.File), Path("out.png")});
      ASSERT_EQ(R.Status, 0) << R.Err;
      // The samples as stored, and what a colour-managed converter makes of them.
      const TPicture Stored = C.Decode(C.Bytes.data(), C.Bytes.size(), MaxPicturePixels);
      const TPicture Expected = LcmsReference(Stored, Icc);
      const TPicture Got = ReadPictureFile(Path("out.png"));
      ASSERT_EQ(Got.Width, Expected.Width);
      ASSERT_EQ(Got.Height, Expected.Height);
      EXPECT_LE(ShareOff(Got, Expected, 2), 0.01);
      EXPECT_GT(ShareOff(Got, Stored, 2), 0.1) << "the profile changed the colours";
    }
  }
}

}  // namespace
