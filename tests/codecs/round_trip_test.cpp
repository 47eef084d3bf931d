// What each writer writes, the matching reader reads back; failed writes leave no file.
#include <gtest/gtest.h>

#include <fstream>

#include "bitmap24.h"
#include "bitmap32.h"
#include "codec_test_support.h"
#include "color_reduction.h"
#include "exceptions.h"
#include "gif_codec.h"
#include "jpeg_codec.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tiff_codec.h"

namespace {

namespace fs = std::filesystem;

// A photo-like picture: smooth gradients with a little deterministic noise.
void FillPhoto(TBitmap32& B, int32_t W, int32_t H, bool Alpha = false) {
  B.SetSize(W, H);
  uint32_t Seed = 12345;
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      Seed = Seed * 134775813u + 1;
      const int Noise = int(Seed >> 29) - 4;
      const auto Clamp = [](int V) { return uint32_t(std::min(255, std::max(0, V))); };
      const uint32_t R = Clamp(X * 255 / std::max(1, W - 1) + Noise);
      const uint32_t G = Clamp(Y * 255 / std::max(1, H - 1) - Noise);
      const uint32_t Bl = Clamp(128 + (X - Y) / 2 + Noise);
      const uint32_t A = Alpha ? (X * 37 + Y * 11) & 0xFF : 0xFF;
      B.SetPixel(X, Y, (A << 24) | (R << 16) | (G << 8) | Bl);
    }
}

TPicture Picture(const TBitmap32& B) {
  TPicture P;
  P.Kind = TPicture::pkGraphic;
  P.Width = B.Width();
  P.Height = B.Height();
  P.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * size_t(B.Height()));
  return P;
}

TPicture Opaque(TPicture P) {
  for (TColor32& C : P.Pixels) C |= 0xFF000000u;
  return P;
}

struct TTestSize {
  int32_t W, H;
};
const TTestSize Sizes[] = {{1, 1}, {3, 5}, {37, 19}, {64, 64}, {255, 3}};

}  // namespace

TEST(RoundTrip, LosslessFormatsByExtension) {
  RegisterPictureCodecs();
  TTempDir Dir;
  // BMP, PNG and TIFF come back exactly; TIFF and GIF go through the 24-bit bitmap (opaque).
  for (const char* Ext : {".bmp", ".png", ".PNG", ".tif", ".tiff"})
    for (const TTestSize S : Sizes) {
      TBitmap32 B;
      FillPhoto(B, S.W, S.H);
      const std::string Name = Dir.File(std::string("a") + Ext);
      SavePictureByExtension(B, Name);
      const TPictureDiff D = ComparePictures(ReadPictureFile(Name), Picture(B));
      EXPECT_TRUE(D.SameSize && D.MaxColor == 0 && D.MaxAlpha == 0)
          << Ext << " " << S.W << "x" << S.H << ": " << D.Where;
    }
}

TEST(RoundTrip, PngKeepsStraightAlphaExactly) {
  for (const TTestSize S : Sizes) {
    TBitmap32 B;
    FillPhoto(B, S.W, S.H, true);
    const std::vector<uint8_t> Data = EncodePng(B);
    const TPicture P = ReadPngImage(Data.data(), Data.size());
    EXPECT_EQ(P.Pixels, Picture(B).Pixels) << S.W << "x" << S.H;
  }
}

TEST(RoundTrip, GifOfFewColoursIsExact) {
  TTempDir Dir;
  TBitmap32 B;
  B.SetSize(45, 17);
  for (int32_t Y = 0; Y < 17; ++Y)
    for (int32_t X = 0; X < 45; ++X)
      B.SetPixel(X, Y, 0xFF000000u | uint32_t(((X * 7 + Y * 3) % 256) * 0x010203u & 0xFFFFFF));
  ASSERT_LE(CountColors(TBitmap24(B)), 256);
  struct Case {
    const char* Name;
    TPixelFormat Format;
  };
  for (const Case C : {Case{"Auto", pf24bit}, Case{"256", pf8bit}}) {
    const std::string Name = Dir.File("a.gif");
    SavePictureByExtension(B, Name, TSaveOptions{70, C.Format});
    RegisterPictureCodecs();
    const TPictureDiff D = ComparePictures(ReadPictureFile(Name), Picture(B));
    EXPECT_TRUE(D.SameSize && D.MaxColor == 0 && D.MaxAlpha == 0) << C.Name << ": " << D.Where;
  }
  // Through the 24-bit writer directly, and 16 colours at 4 bits.
  TBitmap32 Sixteen;
  Sixteen.SetSize(16, 4);
  for (int I = 0; I < 64; ++I) Sixteen.Bits()[I] = 0xFF000000u | uint32_t((I % 16) * 0x0F0D0B);
  SaveGif(TBitmap24(Sixteen), Dir.File("b.gif"));
  const std::vector<uint8_t> Four = EncodeGif(ReducePixelFormat(TBitmap24(Sixteen), pf4bit));
  for (const std::vector<uint8_t>& Data : {Four, ReadBytes(Dir.File("b.gif"))}) {
    const TPicture P = ReadGifImage(Data.data(), Data.size());
    EXPECT_EQ(P.Pixels, Picture(Sixteen).Pixels);
  }
}

TEST(RoundTrip, GifAtEveryDepthKeepsThePaletteItWasGiven) {
  TBitmap32 B;
  FillPhoto(B, 50, 30);
  for (const TPixelFormat F : {pf1bit, pf4bit, pf8bit, pf24bit}) {
    const TIndexedBitmap I = ReducePixelFormat(TBitmap24(B), F);
    const std::vector<uint8_t> Data = EncodeGif(I);
    const TPicture P = ReadGifImage(Data.data(), Data.size());
    ASSERT_EQ(P.Pixels.size(), I.Indices.size());
    for (size_t K = 0; K < I.Indices.size(); ++K)
      ASSERT_EQ(P.Pixels[K], I.Palette[I.Indices[K]]) << "format " << F << ", pixel " << K;
  }
}

TEST(RoundTrip, JpegAtQuality100IsClose) {
  // Quality 100 with full-resolution chroma: the loss is the colour conversion and the DCT's
  // rounding, a few levels at most on this noisy picture.
  TBitmap32 B;
  FillPhoto(B, 123, 77);
  for (const bool Via24 : {false, true}) {
    const std::vector<uint8_t> Data = Via24 ? EncodeJpeg(TBitmap24(B), 100) : EncodeJpeg(B, 100);
    const TPictureDiff D =
        ComparePictures(ReadJpegImage(Data.data(), Data.size()), Opaque(Picture(B)));
    ASSERT_TRUE(D.SameSize);
    EXPECT_LE(D.MaxColor, 6) << D.Where;
    EXPECT_LE(D.MeanColor, 1.0);
  }
}

TEST(RoundTrip, JpegQualityRange) {
  TBitmap32 B;
  FillPhoto(B, 64, 48);
  size_t Previous = 0;
  for (const int Q : {1, 50, 90, 100}) {
    const std::vector<uint8_t> Data = EncodeJpeg(B, Q);
    EXPECT_GT(Data.size(), Previous) << "quality " << Q;
    Previous = Data.size();
    EXPECT_EQ(ReadJpegImage(Data.data(), Data.size()).Width, 64);
  }
  for (const int Q : {0, 101, -5}) EXPECT_THROW(EncodeJpeg(B, Q), Exception) << Q;
}

TEST(RoundTrip, FailedWritesLeaveNoFileAndKeepTheOldOne) {
  TTempDir Dir;
  TBitmap32 B, Empty;
  FillPhoto(B, 8, 8);
  const std::string Old = Dir.File("old.jpg");
  std::ofstream(Old) << "previous contents";
  EXPECT_THROW(SaveJpeg(B, Old, 0), Exception);
  EXPECT_THROW(SavePictureByExtension(Empty, Old), Exception);
  EXPECT_EQ(ReadBytes(Old).size(), std::string("previous contents").size());
  for (const char* Name : {"a.png", "a.tif", "a.gif", "a.jpg", "a.bmp"}) {
    EXPECT_THROW(SavePictureByExtension(Empty, Dir.File(Name)), Exception) << Name;
    EXPECT_THROW(SavePictureByExtension(B, Dir.File(std::string("missing/") + Name)), Exception)
        << Name;
  }
  EXPECT_THROW(SavePictureByExtension(B, Dir.File("a.psd")), Exception);
  // Only the old file is there: no half-written or temporary files.
  size_t Files = 0;
  for (const auto& E : fs::directory_iterator(Dir.Path())) {
    (void)E;
    ++Files;
  }
  EXPECT_EQ(Files, 1u);
}
