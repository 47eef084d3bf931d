// JPEG, PNG, WebP and TIFF files decoded straight into a bitmap: the same pixels as the picture
// assigned to it (for JPEG every EXIF orientation, grey, CMYK, progressive and arithmetic-coded
// files; for the others transparency over whatever the bitmap held), and a damaged file leaves
// the bitmap as it was and costs only what it decoded.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "exceptions.h"
#include "file_builders.h"
#include "jpeg_codec.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "test_support.h"
#include "tiff_codec.h"
#include "webp_codec.h"

namespace {

// 61 x 37: no side a whole number of blocks, and turned pictures change shape.
void DrawSample(TBitmap32& B) {
  B.SetSize(61, 37);
  for (int Y = 0; Y < 37; ++Y)
    for (int X = 0; X < 61; ++X)
      B.SetPixel(X, Y,
                 0xFF000000u | uint32_t(X * 4) << 16 | uint32_t(Y * 6) << 8 | uint32_t(X ^ Y));
}

const TBitmap32& Sample() {
  static TBitmap32 B;
  if (B.IsEmpty())
    DrawSample(B);
  return B;
}

// An APP1 EXIF block holding only an orientation tag, inserted after SOI.
TBytes WithOrientation(const TBytes& Jpeg, uint16_t Orientation) {
  TBytes E = {'E', 'x', 'i', 'f',  0,    0, 'M', 'M', 0, 42, 0, 0, 0,
              8,   0,   1,   0x01, 0x12, 0, 3,   0,   0, 0,  1, 0, uint8_t(Orientation),
              0,   0,   0,   0,    0,    0};
  TBytes Out(Jpeg.begin(), Jpeg.begin() + 2);
  const size_t Len = E.size() + 2;
  Append(Out, {0xFF, 0xE1, uint8_t(Len >> 8), uint8_t(Len)});
  Append(Out, E);
  Out.insert(Out.end(), Jpeg.begin() + 2, Jpeg.end());
  return Out;
}

using TReader = TPicture (*)(const uint8_t*, size_t, int64_t);
using TLoader = void (*)(const uint8_t*, size_t, TBitmap32&, int64_t);

struct TFormat {
  const char* Name;
  TReader Read;
  TLoader Load;
};
const TFormat JpegFormat{"JPEG", ReadJpegImage, LoadJpegImage};
const TFormat PngFormat{"PNG", ReadPngImage, LoadPngImage};
const TFormat WebpFormat{"WebP", ReadWebpImage, LoadWebpImage};
const TFormat TiffFormat{"TIFF", ReadTiffImage, LoadTiffImage};

// Target.Assign(Read(...)) against Load into a copy of Target; a file the reader refuses is
// refused by the loader too, which leaves the bitmap as it was.
void ExpectLoadedAsAssigned(const TFormat& F, const TBytes& File, const TBitmap32& Before,
                            const std::string& Name) {
  TBitmap32 Assigned;
  Assigned.Assign(&Before);
  bool Refused = false;
  try {
    Assigned.Assign(F.Read(File.data(), File.size(), MaxPicturePixels));
  } catch (const EInvalidGraphic&) {
    Refused = true;
  }
  TBitmap32 Loaded;
  Loaded.Assign(&Before);
  if (Refused) {
    EXPECT_THROW(F.Load(File.data(), File.size(), Loaded, MaxPicturePixels), EInvalidGraphic)
        << Name;
    EXPECT_EQ(Loaded.SaveToBytes(), Before.SaveToBytes()) << Name;
    return;
  }
  F.Load(File.data(), File.size(), Loaded, MaxPicturePixels);
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

TEST(PictureLoader, JpegEveryOrientationAsAssigned) {
  const TBytes Jpeg = EncodeJpeg(Sample(), 90);
  TBitmap32 SameSize, Other;
  DrawSample(SameSize);
  Other.SetSize(5, 5);
  Other.Clear(0x80112233);
  for (uint16_t O = 0; O <= 9; ++O) {
    const TBytes File = WithOrientation(Jpeg, O);
    TBitmap32 Empty;
    for (const TBitmap32* Before : {&Other, &SameSize, &Empty})
      ExpectLoadedAsAssigned(JpegFormat, File, *Before, "orientation " + std::to_string(O));
  }
}

TEST(PictureLoader, JpegSharedFilesAsAssigned) {
  PELMORA_REQUIRE_TESTDATA();
  const char* Names[] = {
      "pillow/hopper.jpg",
      "pillow/hopper_gray.jpg",
      "pillow/pil_sample_cmyk.jpg",
      "pillow/hopper_orientation_2.jpg",
      "pillow/hopper_orientation_3.jpg",
      "pillow/hopper_orientation_4.jpg",
      "pillow/hopper_orientation_5.jpg",
      "pillow/hopper_orientation_6.jpg",
      "pillow/hopper_orientation_7.jpg",
      "pillow/hopper_orientation_8.jpg",
      "libjpeg-turbo/testimgari.jpg",
      "derived/testorig-progressive.jpg",
      "image-rs/progressive-test.jpg",
  };
  for (const char* N : Names) {
    const TBytes File = ReadBytes(TestDataDir() / "images" / "jpeg" / N);
    TBitmap32 Empty;
    ExpectLoadedAsAssigned(JpegFormat, File, Empty, N);
  }
}

// Every shared PNG and TIFF file (the damaged ones included), into an empty bitmap and into one
// of the same size whose pixels show through the transparent ones.
TEST(PictureLoader, SharedPngAndTiffFilesAsAssigned) {
  PELMORA_REQUIRE_TESTDATA();
  int Files = 0;
  for (const auto& [Folder, Format] : {std::pair{"png", &PngFormat}, {"tiff", &TiffFormat}})
    for (const auto& E :
         std::filesystem::recursive_directory_iterator(TestDataDir() / "images" / Folder)) {
      const std::string Ext = E.path().extension().string();
      if (Ext != ".png" && Ext != ".tif" && Ext != ".tiff")
        continue;
      const TBytes File = ReadBytes(E.path());
      TBitmap32 Empty;
      ExpectLoadedAsAssigned(*Format, File, Empty, E.path().string());
      TBitmap32 Under;
      try {
        Under.Assign(Format->Read(File.data(), File.size(), MaxPicturePixels));
      } catch (const EInvalidGraphic&) {
        continue;
      }
      Under.Clear(0xFF4080C0);
      ExpectLoadedAsAssigned(*Format, File, Under, E.path().string() + " over a colour");
      ++Files;
    }
  EXPECT_GT(Files, 100);
}

// Drawn pictures with every alpha, written by our own writers and read back.
TEST(PictureLoader, TransparentPicturesAsAssigned) {
  TBitmap32 B;
  B.SetSize(53, 29);
  for (int Y = 0; Y < 29; ++Y)
    for (int X = 0; X < 53; ++X)
      B.SetPixel(X, Y, uint32_t((X * 5 + Y * 3) & 0xFF) << 24 | uint32_t(X * 4) << 16 | 0x80);
  TBitmap32 Under;
  Under.SetSize(53, 29);
  Under.Clear(0xFF102030);
  const std::pair<const TFormat*, TBytes> Files[] = {{&PngFormat, EncodePng(B)},
                                                     {&WebpFormat, EncodeWebp(B, 100)},
                                                     {&WebpFormat, EncodeWebp(B, 80)},
                                                     {&TiffFormat, EncodeTiff(B)},
                                                     {&JpegFormat, EncodeJpeg(B, 75)}};
  for (const auto& [Format, File] : Files) {
    TBitmap32 Empty;
    ExpectLoadedAsAssigned(*Format, File, Empty, Format->Name);
    ExpectLoadedAsAssigned(*Format, File, Under, std::string(Format->Name) + " over a colour");
  }
}

TEST(PictureLoader, JpegTheRegistryLoadsJpegFilesStraightIn) {
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

TEST(PictureLoader, TruncatedHugeFilesLeaveTheBitmapAndCostLittle) {
  // Valid small files whose headers declare 16384 x 16384, cut inside the pixel data.
  TBytes J = EncodeJpeg(Sample(), 80);
  const size_t Sof = Find(J, {0xFF, 0xC0});
  ASSERT_LT(Sof + 9, J.size());
  for (const size_t At : {Sof + 5, Sof + 7}) {
    J[At] = 0x40;
    J[At + 1] = 0x00;
  }
  J.resize(Find(J, {0xFF, 0xDA}) + 40);
  TBytes P = EncodePng(Sample());
  for (const size_t At : {size_t(16), size_t(20)}) {
    P[At] = 0;
    P[At + 1] = 0;
    P[At + 2] = 0x40;
    P[At + 3] = 0;
  }
  const uint32_t Crc = uint32_t(crc32(0, P.data() + 12, 17));
  for (int I = 0; I < 4; ++I) P[size_t(29 + I)] = uint8_t(Crc >> (24 - 8 * I));
  P.resize(Find(P, {'I', 'D', 'A', 'T'}) + 30);
  for (const auto& [Format, File] : {std::pair{&JpegFormat, J}, {&PngFormat, P}}) {
    TBitmap32 Target;
    DrawSample(Target);
    const std::vector<uint8_t> Was = Target.SaveToBytes();
    const bool Measured = ResetPeakMemory();
    const int64_t Start = PeakMemory();
    EXPECT_THROW(Format->Load(File.data(), File.size(), Target, MaxPicturePixels), EInvalidGraphic)
        << Format->Name;
    const int64_t Peak = PeakMemory();
    EXPECT_EQ(Target.SaveToBytes(), Was) << Format->Name;
    // The picture would need 1 GiB; only its first rows are ever written. (The address
    // sanitizer's shadow of the buffer, an eighth of it, is written when it is freed.)
    if (Measured && Start > 0) {
      EXPECT_LT(Peak - Start, int64_t{256} << 20) << Format->Name;
    }
  }
}
