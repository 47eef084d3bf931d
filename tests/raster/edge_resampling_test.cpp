// Resampling a picture with transparent parts: colours are weighted by their alpha, so the colour
// of transparent pixels does not reach the edges, while wholly opaque neighbourhoods keep the
// plain arithmetic to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "transfers.h"
#include "transfers_test_support.h"
#include "transformation.h"

using namespace transfers_test;

namespace {

uint64_t Hash(const TBitmap32& B, uint64_t H = 1469598103934665603ull) {
  for (int32_t I = 0; I < B.Width() * B.Height(); ++I) {
    H ^= B.Bits()[I];
    H *= 1099511628211ull;
  }
  return H;
}

// A white disk of radius R on transparent black, with a one-pixel soft rim.
PBitmap WhiteDisk(int32_t Size, float R) {
  auto Bmp = Filled(Size, Size, 0x00000000);
  const float C = Size / 2.0f;
  for (int32_t Y = 0; Y < Size; ++Y)
    for (int32_t X = 0; X < Size; ++X) {
      const float D = std::hypot(X + 0.5f - C, Y + 0.5f - C);
      const float Cover = std::clamp(R + 0.5f - D, 0.0f, 1.0f);
      const auto A = static_cast<TColor32>(std::lround(Cover * 255));
      if (A > 0)
        *Bmp->PixelAddress(X, Y) = (A << 24) | 0x00FFFFFF;
    }
  return Bmp;
}

// The darkest colour channel of B.
TColor32 DarkestChannel(const TBitmap32& B) {
  TColor32 Min = 255;
  for (int32_t I = 0; I < B.Width() * B.Height(); ++I) {
    const TColor32 P = B.Bits()[I];
    Min = std::min({Min, TColor32(RedOf(P)), TColor32(GreenOf(P)), TColor32(BlueOf(P))});
  }
  return Min;
}

}  // namespace

// Opaque pictures come out exactly as they always did, in every filter, mode, master alpha, row
// plan and instruction form: the sums below were taken before colours were weighted by alpha.
TEST(EdgeResampling, OpaquePicturesKeepTheirBytes) {
  TFormsGuard Guard;
  TRandom Rng{4242};
  auto Src = Sized(97, 61);
  Rng.Fill(Src);
  for (int32_t I = 0; I < Src->Width() * Src->Height(); ++I) Src->Bits()[I] |= 0xFF000000;
  auto Back = Sized(260, 170);
  Rng.Fill(Back);
  const TRect Targets[] = {{-7, -5, 250, 166}, {3, 2, 80, 49}, {1, 1, 12, 9}, {0, 0, 97, 61}};
  uint64_t Stretches = 1469598103934665603ull;
  for (TBlendForms Forms : SupportedForms()) {
    SetTransferForms(Forms);
    uint64_t H = 1469598103934665603ull;
    for (const TRect& To : Targets)
      for (TStretchFilter Filter : {sfLinear, sfLinear2, sfSpline})
        for (TDrawMode Op : {dmOpaque, dmBlend})
          for (uint32_t Master : {255u, 128u}) {
            Src->SetMasterAlpha(Master);
            auto Got = Copy(Back);
            StretchTransfer(Got.get(), To, Src.get(), {2, 1, 95, 60}, Filter, Op);
            H = Hash(*Got, H);
          }
    if (Forms == TBlendForms::Scalar)
      Stretches = H;
    EXPECT_EQ(H, Stretches) << FormsName(Forms);
  }
  EXPECT_EQ(Stretches, 3423264729959095356ull);

  // A turned picture's border mixes with the transparent outside and is an edge; the hash takes
  // the pixels drawn from inside the picture alone, those an opaque draw onto transparent black
  // leaves opaque.
  Src->SetMasterAlpha(255);
  TAffineTransformation Turn;
  Turn.SetSrcRect({0, 0, 97, 61});
  Turn.Rotate(48, 30, 23);
  Turn.Translate(40, 50);
  TProjectiveTransformation Quad;
  Quad.SetSrcRect({0, 0, 97, 61});
  Quad.SetCorners({{10, 5}, {240, 20}, {200, 160}, {30, 130}});
  const auto Inside = [&](const TBitmap32& Got, TTransformation& T, uint64_t H) {
    auto Mask = Filled(Back->Width(), Back->Height(), 0);
    Src->SetDrawMode(dmOpaque);
    TransformBitmap(*Mask, *Src, T);
    for (int32_t I = 0; I < Got.Width() * Got.Height(); ++I)
      if (AlphaOf(Mask->Bits()[I]) == 255) {
        H ^= Got.Bits()[I] + (uint64_t(I) << 32);
        H *= 1099511628211ull;
      }
    return H;
  };
  uint64_t Transforms = 1469598103934665603ull;
  for (TBlendForms Forms : SupportedForms()) {
    SetTransformForms(Forms);
    uint64_t H = 1469598103934665603ull;
    for (TDrawMode Op : {dmOpaque, dmBlend})
      for (TTransformation* T : std::initializer_list<TTransformation*>{&Turn, &Quad}) {
        Src->SetStretchFilter(sfLinear);
        Src->SetDrawMode(Op);
        auto Got = Copy(Back);
        TransformBitmap(*Got, *Src, *T);
        H = Inside(*Got, *T, H);
      }
    if (Forms == TBlendForms::Scalar)
      Transforms = H;
    EXPECT_EQ(H, Transforms) << FormsName(Forms);
  }
  EXPECT_EQ(Transforms, 4218587048689700818ull);
}

// A white disk on transparent black drawn enlarged and reduced over white: nothing comes out
// darker than white, in every filter, master alpha and instruction form. The kernel filters'
// weights may sum to a little less than one, which darkens an opaque white picture as well; the
// disk is no darker than that.
TEST(EdgeResampling, WhiteDiskOverWhiteStaysWhite) {
  TFormsGuard Guard;
  const PBitmap Disk = WhiteDisk(100, 40);
  const PBitmap White = Filled(100, 100, 0xFFFFFFFF);
  const TRect Targets[] = {{0, 0, 250, 250}, {-30, 10, 220, 260}, {3, 4, 40, 41}, {0, 0, 9, 9}};
  for (TBlendForms Forms : SupportedForms()) {
    SetTransferForms(Forms);
    for (const TRect& To : Targets)
      for (TStretchFilter Filter : {sfLinear, sfLinear2, sfSpline})
        for (uint32_t Master : {255u, 200u}) {
          Disk->SetMasterAlpha(Master);
          auto Back = Filled(250, 250, 0xFFFFFFFF);
          StretchTransfer(Back.get(), To, Disk.get(), Disk->BoundsRect(), Filter, dmBlend);
          White->SetMasterAlpha(Master);
          auto Opaque = Filled(250, 250, 0xFFFFFFFF);
          StretchTransfer(Opaque.get(), To, White.get(), White->BoundsRect(), Filter, dmBlend);
          const TColor32 Floor = DarkestChannel(*Opaque);
          if (Filter == sfLinear) {
            EXPECT_EQ(Floor, 255u);
          }
          EXPECT_GE(DarkestChannel(*Back), Floor)
              << FormsName(Forms) << ", filter " << Filter << ", master " << Master << ", to "
              << To.Right - To.Left;
        }
  }
}

// A picture of one colour whose transparent pixels hold any colour at all: every resampled
// pixel that is not wholly transparent has that one colour, in every filter, row plan and form.
TEST(EdgeResampling, TransparentColoursDoNotLeak) {
  TFormsGuard Guard;
  constexpr TColor32 Colour = 0x3366CC;
  TRandom Rng{31};
  auto Src = Sized(61, 37);
  for (int32_t I = 0; I < Src->Width() * Src->Height(); ++I) {
    const TColor32 A = Rng.Channel();
    Src->Bits()[I] = A == 0 ? Rng.Color() & 0x00FFFFFF : (A << 24) | Colour;
  }
  const auto Check = [&](const TBitmap32& Got, const std::string& Where) {
    for (int32_t I = 0; I < Got.Width() * Got.Height(); ++I)
      if (AlphaOf(Got.Bits()[I]) != 0 && (Got.Bits()[I] & 0x00FFFFFF) != Colour) {
        ADD_FAILURE() << Where << ": pixel " << I << " is " << std::hex << Got.Bits()[I];
        return;
      }
  };
  const TRect Targets[] = {{-5, -3, 150, 90}, {2, 1, 50, 30}, {1, 1, 8, 7}, {0, 0, 61, 80}};
  for (TBlendForms Forms : SupportedForms()) {
    SetTransferForms(Forms);
    for (const TRect& To : Targets)
      for (TStretchFilter Filter : {sfLinear, sfLinear2, sfSpline}) {
        auto Got = Filled(150, 90, 0);
        StretchTransfer(Got.get(), To, Src.get(), {1, 2, 60, 37}, Filter, dmOpaque);
        Check(*Got, std::string(FormsName(Forms)) + ", filter " + std::to_string(Filter));
      }
  }
  Src->SetDrawMode(dmOpaque);
  Src->SetStretchFilter(sfLinear);
  for (TBlendForms Forms : SupportedForms()) {
    SetTransformForms(Forms);
    TAffineTransformation Turn;
    Turn.SetSrcRect({0, 0, 61, 37});
    Turn.Rotate(30, 18, 31);
    Turn.Scale(1.7f, 1.3f);
    auto Got = Filled(150, 90, 0);
    TransformBitmap(*Got, *Src, Turn);
    Check(*Got, std::string("rotation, ") + FormsName(Forms));
    TProjectiveTransformation Quad;
    Quad.SetSrcRect({0, 0, 61, 37});
    Quad.SetCorners({{3, 2}, {140, 10}, {120, 85}, {10, 70}});
    Got = Filled(150, 90, 0);
    TransformBitmap(*Got, *Src, Quad);
    Check(*Got, std::string("perspective, ") + FormsName(Forms));
  }
}

// A mix that comes out opaque keeps the plain sums even where a source pixel is not quite opaque:
// its colour is the one the same picture gives with that pixel opaque, in every filter and form.
TEST(EdgeResampling, OpaqueMixesKeepThePlainSums) {
  TFormsGuard Guard;
  auto Src = Filled(10, 2, 0xFF000000);
  *Src->PixelAddress(2, 0) = 0xFAFFFFFF;
  auto Plain = Copy(Src);
  *Plain->PixelAddress(2, 0) = 0xFFFFFFFF;
  const TRect Targets[] = {{0, 0, 5, 2}, {0, 0, 3, 1}, {0, 0, 23, 5}};
  for (TBlendForms Forms : SupportedForms()) {
    SetTransferForms(Forms);
    for (const TRect& To : Targets)
      for (TStretchFilter Filter : {sfLinear, sfLinear2, sfSpline}) {
        SCOPED_TRACE(testing::Message() << FormsName(Forms) << ", filter " << Filter << ", "
                                        << To.Right << " x " << To.Bottom);
        auto Got = Filled(To.Right, To.Bottom, 0);
        auto Want = Filled(To.Right, To.Bottom, 0);
        StretchTransfer(Got.get(), To, Src.get(), Src->BoundsRect(), Filter, dmOpaque);
        StretchTransfer(Want.get(), To, Plain.get(), Plain->BoundsRect(), Filter, dmOpaque);
        for (int32_t I = 0; I < To.Right * To.Bottom; ++I) {
          if (AlphaOf(Got->Bits()[I]) == 255) {
            EXPECT_EQ(Got->Bits()[I] & 0x00FFFFFF, Want->Bits()[I] & 0x00FFFFFF) << "pixel " << I;
          }
        }
        if (Filter == sfLinear2 && To.Right == 5) {
          EXPECT_EQ(Got->GetPixel(0, 0), 0xFF0C0C0Cu);
        }
      }
  }
}

// A white disk turned and put in perspective over white keeps a white rim.
TEST(EdgeResampling, TurnedDiskOverWhiteStaysWhite) {
  TFormsGuard Guard;
  const PBitmap Disk = WhiteDisk(100, 45);
  Disk->SetDrawMode(dmBlend);
  Disk->SetStretchFilter(sfLinear);
  for (TBlendForms Forms : SupportedForms()) {
    SetTransformForms(Forms);
    TAffineTransformation Turn;
    Turn.SetSrcRect({0, 0, 100, 100});
    Turn.Rotate(50, 50, 17);
    Turn.Scale(2.1f, 1.6f);
    auto Back = Filled(260, 200, 0xFFFFFFFF);
    TransformBitmap(*Back, *Disk, Turn);
    EXPECT_EQ(DarkestChannel(*Back), 255u) << "rotation, " << FormsName(Forms);
    TProjectiveTransformation Quad;
    Quad.SetSrcRect({0, 0, 100, 100});
    Quad.SetCorners({{10, 5}, {240, 20}, {200, 190}, {30, 160}});
    Back = Filled(260, 200, 0xFFFFFFFF);
    TransformBitmap(*Back, *Disk, Quad);
    EXPECT_EQ(DarkestChannel(*Back), 255u) << "perspective, " << FormsName(Forms);
  }
}

// A bitmap that composes alpha as coverage gets the colours of the plain blend in every transfer,
// filter, master alpha and form, and stays opaque where it was.
TEST(CoverageAlpha, BlendsKeepColoursAndOpaqueStaysOpaque) {
  TFormsGuard Guard;
  TRandom Rng{808};
  auto Src = Sized(53, 41);
  Rng.Fill(Src);
  auto Back = Sized(120, 90);
  Rng.Fill(Back);
  for (int32_t I = 0; I < Back->Width() * Back->Height(); ++I) Back->Bits()[I] |= 0xFF000000;
  const TRect Targets[] = {{-4, -3, 110, 88}, {2, 3, 55, 44}, {5, 6, 30, 20}, {1, 1, 9, 8}};
  for (TBlendForms Forms : SupportedForms()) {
    SetTransferForms(Forms);
    for (const TRect& To : Targets)
      for (TStretchFilter Filter : {sfNearest, sfLinear, sfLinear2, sfSpline})
        for (uint32_t Master : {255u, 254u, 128u, 1u}) {
          Src->SetMasterAlpha(Master);
          auto Plain = Copy(Back);
          StretchTransfer(Plain.get(), To, Src.get(), Src->BoundsRect(), Filter, dmBlend);
          auto Got = Copy(Back);
          Got->CoverageAlpha = true;
          StretchTransfer(Got.get(), To, Src.get(), Src->BoundsRect(), Filter, dmBlend);
          for (int32_t I = 0; I < Got->Width() * Got->Height(); ++I) {
            const TColor32 G = Got->Bits()[I], P = Plain->Bits()[I];
            if ((G & 0x00FFFFFF) != (P & 0x00FFFFFF) || AlphaOf(G) != 255) {
              ADD_FAILURE() << FormsName(Forms) << ", filter " << Filter << ", master " << Master
                            << ", width " << To.Right - To.Left << ": pixel " << I << " is "
                            << std::hex << G << ", the blend gives " << P;
              break;
            }
          }
        }
  }
  // Over a transparent background the picture's own weight is the alpha.
  auto Clear = Filled(20, 20, 0);
  Clear->CoverageAlpha = true;
  auto Half = Filled(20, 20, 0x80FF0000);
  BlockTransfer(Clear.get(), 0, 0, Half.get(), Half->BoundsRect(), dmBlend);
  EXPECT_EQ(AlphaOf(Clear->GetPixel(5, 5)), 128);
}
