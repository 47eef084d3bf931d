// JPEG files decoded straight into a bitmap: the same pixels as the picture assigned to it, for
// every EXIF orientation, grey, CMYK, progressive and arithmetic-coded files, whatever the
// bitmap held before; a damaged file leaves the bitmap as it was and costs only what it decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "exceptions.h"
#include "file_builders.h"
#include "jpeg_codec.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "test_support.h"

namespace {

// 61 x 37: no side a whole number of blocks, and turned pictures change shape.
void DrawSample(TBitmap32& B) {
  B.SetSize(61, 37);
  for (int Y = 0; Y < 37; ++Y)
    for (int X = 0; X < 61; ++X)
      B.SetPixel(X, Y, 0xFF000000u | uint32_t(X * 4) << 16 | uint32_t(Y * 6) << 8 | uint32_t(X ^ Y));
}

const TBitmap32& Sample() {
  static TBitmap32 B;
  if (B.IsEmpty())
    DrawSample(B);
  return B;
}

// An APP1 EXIF block holding only an orientation tag, inserted after SOI.
TBytes WithOrientation(const TBytes& Jpeg, uint16_t Orientation) {
  TBytes E = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3,
              0,   0,   0,   1, 0, uint8_t(Orientation), 0, 0, 0, 0, 0, 0};
  TBytes Out(Jpeg.begin(), Jpeg.begin() + 2);
  const size_t Len = E.size() + 2;
  Append(Out, {0xFF, 0xE1, uint8_t(Len >> 8), uint8_t(Len)});
  Append(Out, E);
  Out.insert(Out.end(), Jpeg.begin() + 2, Jpeg.end());
  return Out;
}

// Target.Assign(ReadJpegImage(...)) against LoadJpegImage into a copy of Target.
void ExpectLoadedAsAssigned(const TBytes& File, const TBitmap32& Before, const std::string& Name) {
  TBitmap32 Assigned;
  Assigned.Assign(&Before);
  Assigned.Assign(ReadJpegImage(File.data(), File.size()));
  TBitmap32 Loaded;
  Loaded.Assign(&Before);
  LoadJpegImage(File.data(), File.size(), Loaded);
  ASSERT_EQ(Loaded.Width(), Assigned.Width()) << Name;
  ASSERT_EQ(Loaded.Height(), Assigned.Height()) << Name;
  EXPECT_EQ(Loaded.SaveToBytes(), Assigned.SaveToBytes()) << Name;
}

size_t Find(const TBytes& F, std::initializer_list<uint8_t> Marker) {
  const TBytes M(Marker);
  return size_t(std::search(F.begin(), F.end(), M.begin(), M.end()) - F.begin());
}

// Starts a new peak of this process's resident memory; false where Linux does not allow it.
bool ResetPeakMemory() {
  std::ofstream F("/proc/self/clear_refs");
  F << "5";
  F.flush();
  return bool(F);
}

// The peak resident memory of this process in bytes; -1 when unknown.
int64_t PeakMemory() {
  std::ifstream F("/proc/self/status");
  std::string Line;
  while (std::getline(F, Line))
    if (Line.rfind("VmHWM:", 0) == 0)
      return std::stoll(Line.substr(6)) * 1024;
  return -1;
}

}  // namespace

TEST(JpegLoader, EveryOrientationAsAssigned) {
  const TBytes Jpeg = EncodeJpeg(Sample(), 90);
  TBitmap32 SameSize, Other;
  DrawSample(SameSize);
  Other.SetSize(5, 5);
  Other.Clear(0x80112233);
  for (uint16_t O = 0; O <= 9; ++O) {
    const TBytes File = WithOrientation(Jpeg, O);
    for (const TBitmap32* Before : {&Other, &SameSize}) {
      ExpectLoadedAsAssigned(File, *Before, "orientation " + std::to_string(O));
      TBitmap32 Empty;
      ExpectLoadedAsAssigned(File, Empty, "orientation " + std::to_string(O));
    }
  }
}

TEST(JpegLoader, SharedFilesAsAssigned) {
  PELMORA_REQUIRE_TESTDATA();
  const char* Names[] = {
      "pillow/hopper.jpg",         "pillow/hopper_gray.jpg",      "pillow/pil_sample_cmyk.jpg",
      "pillow/hopper_orientation_2.jpg", "pillow/hopper_orientation_3.jpg",
      "pillow/hopper_orientation_4.jpg", "pillow/hopper_orientation_5.jpg",
      "pillow/hopper_orientation_6.jpg", "pillow/hopper_orientation_7.jpg",
      "pillow/hopper_orientation_8.jpg", "libjpeg-turbo/testimgari.jpg",
      "derived/testorig-progressive.jpg", "image-rs/progressive-test.jpg",
  };
  for (const char* N : Names) {
    const TBytes File = ReadBytes(TestDataDir() / "images" / "jpeg" / N);
    TBitmap32 Empty;
    ExpectLoadedAsAssigned(File, Empty, N);
  }
}

TEST(JpegLoader, TheRegistryLoadsJpegFilesStraightIn) {
  RegisterPictureCodecs();
  const TTempDir Dir;
  const TBytes File = WithOrientation(EncodeJpeg(Sample(), 80), 6);
  const std::string Name = Dir.File("photo.JPG");
  std::ofstream(Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(File.data()), std::streamsize(File.size()));
  TBitmap32 Loaded;
  int Resized = 0;
  Loaded.OnResize = [&](TObject*) { ++Resized; };
  Loaded.LoadFromFile(Name);
  TBitmap32 Assigned;
  Assigned.Assign(ReadPictureFile(Name));
  EXPECT_EQ(Resized, 1);
  EXPECT_EQ(Loaded.Width(), 37);
  EXPECT_EQ(Loaded.SaveToBytes(), Assigned.SaveToBytes());
}

TEST(JpegLoader, ATruncatedHugeFileLeavesTheBitmapAndCostsLittle) {
  // A valid small file whose frame header declares 16384 x 16384, cut inside the first scan.
  TBytes Jpeg = EncodeJpeg(Sample(), 80);
  const size_t Sof = Find(Jpeg, {0xFF, 0xC0});
  ASSERT_LT(Sof + 9, Jpeg.size());
  for (const size_t At : {Sof + 5, Sof + 7}) {
    Jpeg[At] = 0x40;
    Jpeg[At + 1] = 0x00;
  }
  const size_t Sos = Find(Jpeg, {0xFF, 0xDA});
  const TBytes Cut(Jpeg.begin(), Jpeg.begin() + ptrdiff_t(Sos + 40));
  TBitmap32 Target;
  DrawSample(Target);
  const std::vector<uint8_t> Was = Target.SaveToBytes();
  const bool Measured = ResetPeakMemory();
  const int64_t Start = PeakMemory();
  EXPECT_THROW(LoadJpegImage(Cut.data(), Cut.size(), Target), EInvalidGraphic);
  const int64_t Peak = PeakMemory();
  EXPECT_EQ(Target.SaveToBytes(), Was);
  // The picture would need 1 GiB; only its first rows are ever written. (The address
  // sanitizer's shadow of the buffer, an eighth of it, is written when it is freed.)
  if (Measured && Start > 0) {
    EXPECT_LT(Peak - Start, int64_t{256} << 20);
  }
}
