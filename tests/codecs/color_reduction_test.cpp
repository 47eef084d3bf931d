// The 24-bit platform bitmap and its reduction to palette images.
#include "color_reduction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "bitmap24.h"
#include "bitmap32.h"
#include "exceptions.h"

namespace {

TBitmap24 FromColors(int32_t W, int32_t H, const std::vector<TColor32>& Colors) {
  TBitmap32 B;
  B.SetSize(W, H);
  std::copy(Colors.begin(), Colors.end(), B.Bits());
  return TBitmap24(B);
}

// A smooth picture with many colours (every pixel distinct in its 24 bits).
TBitmap24 Gradient(int32_t W, int32_t H) {
  TBitmap24 B(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      uint8_t* P = B.ScanLine(Y) + X * 3;
      P[0] = uint8_t(X * 255 / (W - 1));
      P[1] = uint8_t(Y * 255 / (H - 1));
      P[2] = uint8_t((X + Y) * 127 / (W + H - 2) + 64);
    }
  return B;
}

TColor32 PixelOf(const TBitmap24& B, int32_t X, int32_t Y) {
  const uint8_t* P = B.ScanLine(Y) + X * 3;
  return 0xFF000000u | (TColor32(P[2]) << 16) | (TColor32(P[1]) << 8) | P[0];
}

}  // namespace

TEST(Bitmap24, DropsAlphaAndRestoresItOpaque) {
  const TBitmap24 B = FromColors(2, 2, {0x00102030, 0x80405060, 0xFF708090, 0x01A0B0C0});
  ASSERT_EQ(B.Width(), 2);
  ASSERT_EQ(B.Stride(), 6u);
  // Rows of blue, green, red.
  EXPECT_EQ(std::vector<uint8_t>(B.ScanLine(0), B.ScanLine(0) + 6),
            (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x60, 0x50, 0x40}));
  TBitmap32 Back;
  B.AssignTo(Back);
  EXPECT_EQ(std::vector<TColor32>(Back.Bits(), Back.Bits() + 4),
            (std::vector<TColor32>{0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0}));
  EXPECT_THROW(TBitmap24(70000, 70000), EBitmapError);
}

TEST(ColorReduction, FewColoursAreKeptExactly) {
  const std::vector<TColor32> Colors = {0xFF112233, 0xFF445566, 0xFF112233,
                                        0xFFFF0000, 0xFF00FF00, 0xFF445566};
  const TBitmap24 B = FromColors(3, 2, Colors);
  struct Case {
    TPixelFormat Format;
    int32_t Bits;
  };
  for (const Case C : {Case{pf4bit, 4}, Case{pf8bit, 8}, Case{pf24bit, 8}}) {
    const TIndexedBitmap I = ReducePixelFormat(B, C.Format);
    EXPECT_EQ(I.BitsPerPixel, C.Bits);
    ASSERT_EQ(I.Palette.size(), 4u) << C.Bits;
    for (size_t P = 0; P < Colors.size(); ++P) EXPECT_EQ(I.Palette[I.Indices[P]], Colors[P]);
  }
  // Two colours, neither black nor white, keep their colours at 1 bit.
  const TIndexedBitmap Two = ReducePixelFormat(FromColors(2, 1, {0xFFFF0000, 0xFF0000FF}), pf1bit);
  EXPECT_EQ(Two.Palette, (std::vector<TColor32>{0xFFFF0000, 0xFF0000FF}));
  EXPECT_EQ(Two.Indices, (std::vector<uint8_t>{0, 1}));
}

TEST(ColorReduction, ExactUpToTheDepthsLimit) {
  // 256 distinct colours fit 8 bits exactly; 257 do not.
  TBitmap24 B(16, 16);
  for (int I = 0; I < 256; ++I) {
    uint8_t* P = B.ScanLine(I / 16) + (I % 16) * 3;
    P[0] = uint8_t(I);
    P[1] = uint8_t(255 - I);
    P[2] = uint8_t(I * 7);
  }
  const TIndexedBitmap I8 = ReducePixelFormat(B, pf8bit);
  ASSERT_EQ(I8.Palette.size(), 256u);
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X)
      ASSERT_EQ(I8.Palette[I8.Indices[size_t(Y * 16 + X)]], PixelOf(B, X, Y));
  EXPECT_EQ(CountColors(B), 256);
}

TEST(ColorReduction, OneBitDithersToBlackAndWhite) {
  TBitmap24 Grey(64, 64);
  for (int Y = 0; Y < 64; ++Y)
    for (int X = 0; X < 64; ++X) std::fill_n(Grey.ScanLine(Y) + X * 3, 3, uint8_t(X * 4));
  const TIndexedBitmap I = ReducePixelFormat(Grey, pf1bit);
  EXPECT_EQ(I.Palette, (std::vector<TColor32>{0xFF000000, 0xFFFFFFFF}));
  // Error diffusion keeps the mean brightness of each column band.
  for (int Band = 0; Band < 4; ++Band) {
    double White = 0, Level = 0;
    for (int Y = 0; Y < 64; ++Y)
      for (int X = Band * 16; X < Band * 16 + 16; ++X) {
        White += I.Indices[size_t(Y * 64 + X)];
        Level += X * 4 / 255.0;
      }
    EXPECT_NEAR(White / 1024, Level / 1024, 0.03) << "band " << Band;
  }
  // A column of black on the left stays black, white on the right stays white.
  const TIndexedBitmap Edge = ReducePixelFormat(Gradient(64, 64), pf1bit);
  EXPECT_EQ(Edge.BitsPerPixel, 1);
}

TEST(ColorReduction, PalettesOfSixteenAndTwoHundredFiftySix) {
  const TBitmap24 B = Gradient(96, 64);
  EXPECT_EQ(CountColors(B), 96 * 64);
  struct Case {
    TPixelFormat Format;
    size_t MaxColors;
    double MaxMeanError;  // dithering trades a little mean error for no banding
  };
  for (const Case C : {Case{pf4bit, 16, 24.0}, Case{pf8bit, 256, 6.0}}) {
    const TIndexedBitmap I = ReducePixelFormat(B, C.Format);
    ASSERT_LE(I.Palette.size(), C.MaxColors);
    ASSERT_GT(I.Palette.size(), C.MaxColors / 2);
    double Sum = 0;
    for (int32_t Y = 0; Y < B.Height(); ++Y)
      for (int32_t X = 0; X < B.Width(); ++X) {
        const uint8_t Index = I.Indices[size_t(Y * B.Width() + X)];
        ASSERT_LT(Index, I.Palette.size());
        const TColor32 Got = I.Palette[Index], Want = PixelOf(B, X, Y);
        for (int S = 0; S < 24; S += 8)
          Sum += std::abs(int((Got >> S) & 0xFF) - int((Want >> S) & 0xFF));
      }
    EXPECT_LT(Sum / (B.Width() * B.Height() * 3), C.MaxMeanError) << C.MaxColors;
  }
}
