#include "blend.h"

#include <gtest/gtest.h>

#include "blend_scalar.h"

// The plain per-channel formula, written out channel by channel.
static TColor32 RefMix(TColor32 X, TColor32 Y, uint32_t W) {
  TColor32 R = 0;
  for (int S = 0; S < 32; S += 8) {
    const uint32_t XC = (X >> S) & 0xFF, YC = (Y >> S) & 0xFF;
    R |= ((XC * W + YC * (256 - W) + 128) >> 8) << S;
  }
  return R;
}

TEST(Blend, MixMatchesChannelFormula) {
  uint32_t Seed = 12345;
  const auto Next = [&] { return Seed = Seed * 1664525u + 1013904223u; };
  for (int I = 0; I < 100000; ++I) {
    const TColor32 X = Next(), Y = Next();
    const uint32_t W = Next() >> 24;
    ASSERT_EQ(BlendScalar::MixColor(X, Y, W), RefMix(X, Y, W))
        << std::hex << X << " " << Y << " " << W;
  }
}

TEST(Blend, DocumentedResults) {
  EXPECT_EQ(MixColor(0xFFFFFFFF, 0x00000000, 255), 0xFEFEFEFEu);
  EXPECT_EQ(MixColor(0xFFFFFFFF, 0x00000000, 0), 0x00000000u);
  TColor32 Y = 0;
  MixOnto(0xFFFFFFFF, Y, 255);
  EXPECT_EQ(Y, 0xFFFFFFFFu);
  Y = 0x12345678;
  MixOnto(0xFFFFFFFF, Y, 0);
  EXPECT_EQ(Y, 0x12345678u);

  TColor32 B = 0x00000000;
  BlendOnto(0x80FF0000, B);
  EXPECT_EQ(B, 0x40800000u);
  B = 0x7F123456;
  BlendOnto(0x00FFFFFF, B);
  EXPECT_EQ(B, 0x7F123456u);
  B = 0xFF000000;
  BlendOnto(0xFF102030, B);
  EXPECT_EQ(B, 0xFF102030u);

  B = 0xFF000000;
  BlendOntoMaster(0xFFFFFFFF, B, 255);
  EXPECT_EQ(B, 0xFFFDFDFDu);
  B = 0xFF000000;
  BlendOntoMaster(0xFFFFFFFF, B, 1);
  EXPECT_EQ(B, 0xFF000000u);
  EXPECT_EQ(BlendColorMaster(0xFFFFFFFF, 0xFF000000, 0), 0xFF000000u);
  EXPECT_EQ(BlendColor(0x00FFFFFF, 0xFF000000), 0xFF000000u);
  // BlendColor has no copy case: alpha 255 goes through the mix.
  EXPECT_EQ(BlendColor(0xFFFFFFFF, 0x00000000), 0xFEFEFEFEu);
}

TEST(Blend, RowsFollowThePixelForms) {
  const TColor32 Src[4] = {0x00FFFFFF, 0xFF112233, 0x80FF0000, 0x01FFFFFF};
  TColor32 Dst[4] = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
  TColor32 Want[4];
  for (int I = 0; I < 4; ++I) {
    Want[I] = Dst[I];
    BlendScalar::BlendOnto(Src[I], Want[I]);
  }
  BlendRow(Src, Dst, 0);
  EXPECT_EQ(Dst[1], 0xFF000000u);
  BlendRow(Src, Dst, -3);
  EXPECT_EQ(Dst[1], 0xFF000000u);
  BlendRow(Src, Dst, 4);
  for (int I = 0; I < 4; ++I) EXPECT_EQ(Dst[I], Want[I]) << I;
}
