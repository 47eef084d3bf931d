// WebP, HEIC and AVIF photos: files made by the formats' own tools (cwebp, img2webp, webpmux,
// heif-enc) from a picture written here, read back by our readers; our WebP writer; damaged
// files. The tools come with the test set-up; without them the tests are skipped, except in CI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "exceptions.h"
#include "heif_codec.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "webp_codec.h"

namespace {

bool HaveTool(const char* Name) {
  return std::system((std::string("command -v ") + Name + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_TOOL(Name)                                               \
  do {                                                                   \
    if (!HaveTool(Name)) {                                               \
      if (std::getenv("CI") && std::string(std::getenv("CI")) == "true") \
        FAIL() << Name << " is missing: scripts/deps installs it";       \
      GTEST_SKIP() << Name << " is not installed";                       \
    }                                                                    \
  } while (0)

void RunTool(const std::string& Command) {
  ASSERT_EQ(std::system((Command + " >/dev/null 2>&1").c_str()), 0) << Command;
}

// Smooth colour with a soft alpha ramp and a sharp opaque block: lossy codecs keep it close.
TPicture Source(int32_t W, int32_t H, bool Alpha) {
  return MakePicture(W, H, [&](int32_t X, int32_t Y) -> TColor32 {
    const uint32_t R = uint32_t(X * 255 / (W - 1));
    const uint32_t G = uint32_t(Y * 255 / (H - 1));
    const uint32_t B = (X < W / 4 && Y < H / 4) ? 255u : 96u;
    const uint32_t A = Alpha ? 64u + uint32_t(X * 191 / (W - 1)) : 255u;
    return (A << 24) | (R << 16) | (G << 8) | B;
  });
}

void WritePng(const TPicture& P, const std::string& FileName) {
  const std::vector<uint8_t> Data = EncodePng(P.Pixels.data(), P.Width, P.Height);
  std::ofstream(FileName, std::ios::binary)
      .write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

// A TIFF-structured EXIF block holding only the Orientation tag.
std::vector<uint8_t> ExifWithOrientation(uint16_t Orientation) {
  return {'I',  'I',  42, 0, 8, 0, 0, 0,  // header, first directory at 8
          1,    0,                        // one entry
          0x12, 0x01, 3,  0, 1, 0, 0, 0, uint8_t(Orientation), 0, 0, 0,  // 0x0112 SHORT 1
          0,    0,    0,  0};                                            // no next directory
}

TEST(PhoneFormats, WebpFromCwebpLosslessIsExactAndLossyIsClose) {
  REQUIRE_TOOL("cwebp");
  TTempDir Dir;
  const TPicture Src = Source(48, 32, true);
  WritePng(Src, Dir.File("src.png"));
  RunTool("cwebp -quiet -lossless -exact " + Dir.File("src.png") + " -o " + Dir.File("ll.webp"));
  RunTool("cwebp -quiet -q 95 -alpha_q 100 " + Dir.File("src.png") + " -o " +
          Dir.File("lossy.webp"));

  const std::vector<uint8_t> Lossless = ReadBytes(Dir.File("ll.webp"));
  const TPictureDiff Exact = ComparePictures(ReadWebpImage(Lossless.data(), Lossless.size()), Src);
  EXPECT_TRUE(Exact.SameSize);
  EXPECT_EQ(Exact.MaxColor, 0) << Exact.Where;
  EXPECT_EQ(Exact.MaxAlpha, 0) << Exact.Where;

  const std::vector<uint8_t> Lossy = ReadBytes(Dir.File("lossy.webp"));
  const TPictureDiff Close = ComparePictures(ReadWebpImage(Lossy.data(), Lossy.size()), Src);
  EXPECT_TRUE(Close.SameSize);
  EXPECT_LT(Close.MeanColor, 4.0);  // 4:2:0 chroma of a smooth ramp
  EXPECT_LE(Close.MaxAlpha, 2);     // alpha at quality 100 is lossless up to filtering
}

TEST(PhoneFormats, WebpExifOrientationTurnsThePictureUpright) {
  REQUIRE_TOOL("webpmux");
  TTempDir Dir;
  const TPicture Src = Source(6, 4, false);
  WritePng(Src, Dir.File("src.png"));
  RunTool("cwebp -quiet -lossless " + Dir.File("src.png") + " -o " + Dir.File("plain.webp"));
  const std::vector<uint8_t> Exif = ExifWithOrientation(6);  // stored turned left: turn right
  std::ofstream(Dir.File("exif.bin"), std::ios::binary)
      .write(reinterpret_cast<const char*>(Exif.data()), std::streamsize(Exif.size()));
  RunTool("webpmux -set exif " + Dir.File("exif.bin") + " " + Dir.File("plain.webp") + " -o " +
          Dir.File("turned.webp"));

  const std::vector<uint8_t> Data = ReadBytes(Dir.File("turned.webp"));
  const TPicture P = ReadWebpImage(Data.data(), Data.size());
  ASSERT_EQ(P.Width, 4);
  ASSERT_EQ(P.Height, 6);
  // Turned 90 degrees clockwise: the stored bottom-left corner is now top-left.
  EXPECT_EQ(P.Pixels[0], Src.Pixels[size_t(3 * 6 + 0)]);
  EXPECT_EQ(P.Pixels[3], Src.Pixels[0]);
}

TEST(PhoneFormats, AnimatedWebpIsReadAsItsFirstFrame) {
  REQUIRE_TOOL("img2webp");
  TTempDir Dir;
  const TPicture First = Source(20, 10, false);
  const TPicture Second = MakePicture(20, 10, [](int32_t, int32_t) { return 0xFF00FF00u; });
  WritePng(First, Dir.File("a.png"));
  WritePng(Second, Dir.File("b.png"));
  RunTool("img2webp -lossless " + Dir.File("a.png") + " " + Dir.File("b.png") + " -o " +
          Dir.File("anim.webp"));
  const std::vector<uint8_t> Data = ReadBytes(Dir.File("anim.webp"));
  const TPictureDiff D = ComparePictures(ReadWebpImage(Data.data(), Data.size()), First);
  EXPECT_TRUE(D.SameSize);
  EXPECT_EQ(D.MaxColor, 0) << D.Where;
}

TEST(PhoneFormats, HeicAndAvifFromHeifEncAreClose) {
  REQUIRE_TOOL("heif-enc");
  TTempDir Dir;
  const TPicture Src = Source(64, 48, false);
  WritePng(Src, Dir.File("src.png"));
  struct TCase {
    const char* Name;
    const char* Options;
  };
  for (const TCase& C : {TCase{"photo.heic", "-q 95"}, TCase{"photo.avif", "-A -q 95"}}) {
    RunTool(std::string("heif-enc ") + C.Options + " -o " + Dir.File(C.Name) + " " +
            Dir.File("src.png"));
    const std::vector<uint8_t> Data = ReadBytes(Dir.File(C.Name));
    const TPicture P = ReadHeifImage(Data.data(), Data.size());
    const TPictureDiff D = ComparePictures(P, Src);
    EXPECT_TRUE(D.SameSize) << C.Name;
    EXPECT_LT(D.MeanColor, 4.0) << C.Name;
    EXPECT_EQ(D.MaxAlpha, 0) << C.Name << ": photos without alpha read opaque";
  }
}

TEST(PhoneFormats, OurWebpWriterRoundTrips) {
  TBitmap32 B;
  B.SetSize(33, 17);
  for (int32_t Y = 0; Y < 17; ++Y)
    for (int32_t X = 0; X < 33; ++X)
      B.SetPixel(
          X, Y,
          (uint32_t(X * 7 + 10) << 24) | (uint32_t(X * 7) << 16) | (uint32_t(Y * 15) << 8) | 0x40);
  TPicture Src;
  Src.Width = 33;
  Src.Height = 17;
  Src.Pixels.assign(B.Bits(), B.Bits() + 33 * 17);

  const std::vector<uint8_t> Lossless = EncodeWebp(B, 100);
  const TPictureDiff Exact = ComparePictures(ReadWebpImage(Lossless.data(), Lossless.size()), Src);
  EXPECT_EQ(Exact.MaxColor, 0) << Exact.Where;
  EXPECT_EQ(Exact.MaxAlpha, 0) << Exact.Where;

  const std::vector<uint8_t> Lossy = EncodeWebp(B, 90);
  const TPictureDiff Close = ComparePictures(ReadWebpImage(Lossy.data(), Lossy.size()), Src);
  EXPECT_TRUE(Close.SameSize);
  EXPECT_LT(Close.MeanColor, 6.0);

  EXPECT_THROW(EncodeWebp(B, 0), Exception);
  EXPECT_THROW(EncodeWebp(B, 101), Exception);
  EXPECT_THROW(EncodeWebp(TBitmap32(), 90), Exception);
}

TEST(PhoneFormats, RegistryOpensAndSavesThemByExtension) {
  RegisterPictureCodecs();
  TTempDir Dir;
  TBitmap32 B;
  B.SetSize(5, 3);
  B.Clear(0xFF336699);
  SavePictureByExtension(B, Dir.File("card.WEBP"), TSaveOptions{70, pf24bit, 100});
  TBitmap32 Back;
  Back.LoadFromFile(Dir.File("card.WEBP"));
  EXPECT_EQ(Back.Width(), 5);
  EXPECT_EQ(Back.Height(), 3);
  EXPECT_EQ(Back.GetPixel(2, 1), 0xFF336699u);
}

TEST(PhoneFormats, DamagedFilesFailCleanly) {
  TTempDir Dir;
  TBitmap32 B;
  B.SetSize(40, 30);
  B.Clear(0xFF808080);
  const std::vector<uint8_t> Good = EncodeWebp(B, 80);
  const std::vector<uint8_t> Empty;
  const std::vector<uint8_t> Garbage(64, 0x5A);
  std::vector<uint8_t> Cut(Good.begin(), Good.begin() + std::ptrdiff_t(Good.size() / 2));
  const std::vector<const std::vector<uint8_t>*> Inputs{&Empty, &Garbage, &Cut};
  for (const std::vector<uint8_t>* Data : Inputs) {
    EXPECT_THROW(ReadWebpImage(Data->data(), Data->size()), EInvalidGraphic);
    EXPECT_THROW(ReadHeifImage(Data->data(), Data->size()), EInvalidGraphic);
  }
  // Larger than the caller's limit: refused before any pixel memory is taken.
  EXPECT_THROW(ReadWebpImage(Good.data(), Good.size(), 40 * 30 - 1), EInvalidGraphic);

  // A HEIF whose data was cut off after the header boxes.
  if (HaveTool("heif-enc")) {
    WritePng(Source(32, 32, false), Dir.File("src.png"));
    RunTool("heif-enc -q 50 -o " + Dir.File("p.heic") + " " + Dir.File("src.png"));
    std::vector<uint8_t> Heic = ReadBytes(Dir.File("p.heic"));
    EXPECT_THROW(ReadHeifImage(Heic.data(), Heic.size(), 32 * 32 - 1), EInvalidGraphic);
    Heic.resize(Heic.size() * 2 / 3);
    EXPECT_THROW(ReadHeifImage(Heic.data(), Heic.size()), EInvalidGraphic);
  }
}

}  // namespace
