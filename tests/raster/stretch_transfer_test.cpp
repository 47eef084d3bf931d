// Stretched transfers: mapping tables, the kernel resampler, and the rules every filter shares,
// each fast form against the slow reference.
#include <gtest/gtest.h>

#include "transfers.h"
#include "transfers_test_support.h"

using namespace transfers_test;

// ---------------------------------------------------------------------------------------------
// Mapping tables and the kernel resampler

TEST(MappingTable, WorkedClusters) {
  using TC = TCluster;
  struct TCase {
    const char* Name;
    int32_t DstSize, SrcSize, SrcLo, SrcHi;
    TStretchFilter Filter;
    TMappingTable Want;
  };
  const TCase Cases[] = {
      {"2 -> 4 triangle",
       4,
       2,
       0,
       2,
       sfLinear2,
       {TC{{0, 256}}, TC{{0, 171}, {1, 85}}, TC{{0, 85}, {1, 171}}, TC{{1, 256}}}},
      {"equal rows keep one tap", 2, 2, 0, 2, sfLinear2, {TC{{0, 256}}, TC{{1, 256}}}},
      {"4 -> 2 triangle, clamped into the row",
       2,
       4,
       0,
       4,
       sfLinear2,
       {TC{{0, 28}, {0, 57}, {0, 85}, {1, 57}, {2, 28}},
        TC{{1, 28}, {2, 57}, {3, 85}, {3, 57}, {3, 28}}}},
      // B-spline times 256: 2/3 and 1/6 at distances 0 and 1; 235/384, 121/384, 9/128 at 0.25,
      // 0.75, 1.25; 23/48 and 1/48 at 0.5 and 1.5. The enlargement window 1 / 1.5 leaves out the
      // tap at 1.75 (weight 1).
      {"2 -> 5 spline",
       5,
       2,
       0,
       2,
       sfSpline,
       {TC{{0, 43}, {0, 171}, {1, 43}}, TC{{0, 18}, {0, 157}, {1, 81}},
        TC{{0, 5}, {0, 123}, {1, 123}, {1, 5}}, TC{{0, 81}, {1, 157}, {1, 18}},
        TC{{0, 43}, {1, 171}, {1, 43}}}},
      // Halving: the window 1.5 / 0.5 = 3 each side; weights round(k(d / 2) * 255 / 2).
      {"5 -> 3 spline",
       3,
       5,
       0,
       5,
       sfSpline,
       {TC{{0, 3}, {0, 21}, {0, 61}, {0, 85}, {1, 61}, {2, 21}, {3, 3}},
        TC{{0, 3}, {0, 21}, {1, 61}, {2, 85}, {3, 61}, {4, 21}, {4, 3}},
        TC{{1, 3}, {2, 21}, {3, 61}, {4, 85}, {4, 61}, {4, 21}, {4, 3}}}},
      {"one source pixel", 3, 1, 0, 1, sfSpline, {TC{{0, 255}}, TC{{0, 255}}, TC{{0, 255}}}},
      {"no source", 3, 0, 0, 0, sfLinear2, {}},
      {"one destination pixel", 1, 1000, 0, 1000, sfLinear2, {TC{}}},
      {"reversed range", 2, 10, 6, 4, sfLinear2, {TC{}, TC{}}},
  };
  for (const TCase& Case : Cases)
    EXPECT_EQ(BuildMappingTable(Case.DstSize, Case.SrcSize, Case.SrcLo, Case.SrcHi, Case.Filter),
              Case.Want)
        << Case.Name;
}

TEST(MappingTable, StrongReductions) {
  // 500 -> 2: weight 1 at the 21 positions nearest each centre (clamped at the ends), scaled
  // by 255 / 21 to 12 each.
  const TMappingTable T = BuildMappingTable(2, 500, 0, 500, sfLinear2);
  ASSERT_EQ(T.size(), 2u);
  for (size_t I = 0; I < 2; ++I) {
    ASSERT_EQ(T[I].size(), 21u) << I;
    for (size_t J = 0; J < 21; ++J) {
      EXPECT_EQ(T[I][J].Weight, 12) << I << " " << J;
      EXPECT_EQ(T[I][J].Pos, I == 0 ? std::max<int32_t>(int32_t(J) - 10, 0)
                                    : std::min<int32_t>(489 + int32_t(J), 499));
    }
  }
  // 1000 -> 2: 255 / 999 rounds to 0 even at the centre.
  ExpectTransformError([] { BuildMappingTable(2, 1000, 0, 1000, sfLinear2); }, "Assertion failure");
}

TEST(StretchKernel, WorkedExamples) {
  // Black | white, 2 x 2 -> 4 x 2.
  // clang-format off
  auto Src = Picture(2, 2, {clBlack32, clWhite32,
                            clBlack32, clWhite32});
  auto Dst = Filled(4, 2, o);
  StretchTransfer(Dst.get(), {0, 0, 4, 2}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
  const std::vector<TColor32> Greys = {GrayColor(0), GrayColor(84), GrayColor(170), GrayColor(255),
                                       GrayColor(0), GrayColor(84), GrayColor(170), GrayColor(255)};
  // clang-format on
  EXPECT_EQ(PixelsOf(Dst), Greys);

  // White 4 x 1 -> 2 x 1: 255 * 255 * 255 >> 16 = 253 in all four channels.
  Src = Filled(4, 1, clWhite32);
  Dst = Filled(2, 1, o);
  StretchTransfer(Dst.get(), {0, 0, 2, 1}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
  EXPECT_EQ(PixelsOf(Dst), (std::vector<TColor32>{0xFDFDFDFD, 0xFDFDFDFD}));

  // White 500 x 1 -> 2 x 1: weights adding up to 252, 252 * 255 * 255 >> 16 = 250.
  Src = Filled(500, 1, clWhite32);
  StretchTransfer(Dst.get(), {0, 0, 2, 1}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
  EXPECT_EQ(PixelsOf(Dst), (std::vector<TColor32>{0xFAFAFAFA, 0xFAFAFAFA}));

  // 1000 -> 2 fails before drawing anything; 1000 -> 1 gets empty clusters and stores 0.
  Src = Filled(1000, 1, clWhite32);
  Dst = Filled(2, 1, o);
  ExpectTransformError(
      [&] {
        StretchTransfer(Dst.get(), {0, 0, 2, 1}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
      },
      "Assertion failure");
  EXPECT_EQ(PixelsOf(Dst), (std::vector<TColor32>{o, o}));
  StretchTransfer(Dst.get(), {0, 0, 1, 1}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
  EXPECT_EQ(PixelsOf(Dst), (std::vector<TColor32>{0, o}));
}

TEST(StretchKernel, SplineEnlargementClampsItsOverweight) {
  // The corner clusters of 2 -> 3 weigh 43 + 171 + 43 = 257 in each direction; 257 * 257 * 255
  // is above 0xFF0000 and is limited to 255 rather than wrapping.
  const auto Src = Filled(2, 2, clWhite32);
  auto Dst = Filled(3, 3, o);
  StretchTransfer(Dst.get(), {0, 0, 3, 3}, Src.get(), Src->BoundsRect(), sfSpline, dmOpaque);
  EXPECT_EQ(PixelsOf(Dst), std::vector<TColor32>(9, clWhite32));
}

TEST(StretchKernel, WholeTableIsCheckedBeforeDrawing) {
  // 1020 -> 3: the centres 0 and 1019 meet a source pixel and keep the weight 1; the middle
  // centre 509.5 falls between two and every weight rounds to 0. Only the first column is
  // visible, yet the failing cluster of the third stops the transfer.
  ExpectTransformError([] { BuildMappingTable(3, 1020, 0, 1020, sfLinear2); }, "Assertion failure");
  const auto Src = Filled(1020, 1, clWhite32);
  auto Dst = Filled(1, 1, o);
  ExpectTransformError(
      [&] {
        StretchTransfer(Dst.get(), {0, 0, 3, 1}, Src.get(), Src->BoundsRect(), sfLinear2, dmOpaque);
      },
      "Assertion failure");
  EXPECT_EQ(PixelsOf(Dst), std::vector<TColor32>{o});
}

// ---------------------------------------------------------------------------------------------
// Rules shared by every filter

TEST(StretchTransfer, MasterAlphaZero) {
  auto Src = Sized(5, 4);
  TRandom Rng{3};
  Rng.Fill(Src);
  Src->SetMasterAlpha(0);
  const TColor32 Bg = 0xFF445566;
  struct TCase {
    TStretchFilter Filter;
    TDrawMode Op;
    bool Draws;
  };
  const TCase Cases[] = {
      {sfNearest, dmBlend, false}, {sfLinear, dmBlend, false},  {sfLinear2, dmBlend, false},
      {sfSpline, dmBlend, false},  {sfNearest, dmOpaque, true}, {sfLinear, dmOpaque, false},
      {sfLinear2, dmOpaque, true}, {sfSpline, dmOpaque, true},
  };
  for (const TRect& To : {TRect{0, 0, 9, 7}, TRect{0, 0, 5, 4}})
    for (const TCase& Case : Cases) {
      auto Dst = Filled(9, 7, Bg);
      StretchTransfer(Dst.get(), To, Src.get(), Src->BoundsRect(), Case.Filter, Case.Op);
      bool Changed = false;
      for (TColor32 P : PixelsOf(Dst)) Changed |= P != Bg;
      EXPECT_EQ(Changed, Case.Draws)
          << "filter " << Case.Filter << ", mode " << Case.Op << ", width " << To.Right;
    }
  auto Dst = Filled(9, 7, Bg);
  BlockTransfer(Dst.get(), 0, 0, Src.get(), Src->BoundsRect(), dmBlend);
  EXPECT_EQ(PixelsOf(Dst), PixelsOf(Filled(9, 7, Bg)));
}

TEST(StretchTransfer, EqualSizeIsTheBlockTransfer) {
  auto Src = Sized(100, 100);
  TRandom Rng{11};
  Rng.Fill(Src);
  auto Back = Sized(120, 110);
  Rng.Fill(Back);
  TEventLog BlockLog, StretchLog;
  for (uint32_t Master : {1u, 128u, 255u})
    for (TDrawMode Op : {dmOpaque, dmBlend, dmCustom})
      for (TStretchFilter Filter : {sfNearest, sfLinear, sfLinear2, sfSpline}) {
        Src->SetMasterAlpha(Master);
        auto Want = Copy(Back);
        auto Got = Copy(Back);
        BlockLog.Calls.clear();
        StretchLog.Calls.clear();
        BlockTransfer(Want.get(), 7, -3, Src.get(), Src->BoundsRect(), Op, BlockLog.Event());
        StretchTransfer(Got.get(), {7, -3, 107, 97}, Src.get(), Src->BoundsRect(), Filter, Op,
                        StretchLog.Event());
        EXPECT_TRUE(SamePixels(Want, Got))
            << "filter " << Filter << ", mode " << Op << ", master " << Master;
        EXPECT_EQ(BlockLog.Calls, StretchLog.Calls);
      }
}

// The fast stretches against the one-pixel-at-a-time forms, in every instruction form.
TEST(StretchTransfer, MatchesReferenceOverSizes) {
  struct TSize {
    const char* Name;
    int32_t SrcW, SrcH;
    TRect SrcRect;
    int32_t DstW, DstH;
    TRect DstRect;
  };
  const TSize Sizes[] = {
      {"1x1 up", 1, 1, {0, 0, 1, 1}, 7, 5, {1, 1, 6, 4}},
      {"odd up", 3, 2, {0, 0, 3, 2}, 9, 7, {1, 1, 8, 6}},
      {"odd down", 7, 5, {0, 0, 7, 5}, 4, 4, {0, 1, 3, 3}},
      {"one column", 1, 5, {0, 0, 1, 5}, 6, 12, {1, 0, 5, 11}},
      {"one row", 5, 1, {0, 0, 5, 1}, 12, 6, {0, 1, 11, 5}},
      {"one destination pixel", 6, 4, {1, 1, 5, 4}, 3, 3, {1, 1, 2, 2}},
      {"down across, up along", 17, 3, {0, 0, 17, 3}, 6, 31, {0, 0, 4, 29}},
      {"width 2", 2, 2, {0, 0, 2, 2}, 11, 11, {1, 0, 10, 9}},
      {"rect inside, clipped all round", 13, 11, {2, 3, 11, 10}, 16, 12, {-4, -3, 20, 17}},
      {"partly outside right and bottom", 9, 9, {0, 0, 9, 9}, 20, 20, {5, 6, 40, 30}},
      {"wholly covering", 6, 5, {1, 0, 6, 5}, 8, 8, {-30, -20, 40, 30}},
      {"about twice", 33, 21, {0, 0, 33, 21}, 70, 45, {1, 2, 67, 43}},
      {"about half", 64, 48, {0, 0, 64, 48}, 40, 30, {3, 1, 34, 25}},
      {"strong reduction", 200, 30, {0, 0, 200, 30}, 9, 9, {1, 1, 8, 5}},
      {"left of Dst", 5, 5, {0, 0, 5, 5}, 8, 8, {-12, 0, 3, 8}},
  };
  TFormsGuard Guard;
  TRandom Rng{2024};
  for (const TSize& Size : Sizes) {
    auto Src = Sized(Size.SrcW, Size.SrcH);
    auto Back = Sized(Size.DstW, Size.DstH);
    Rng.Fill(Src);
    Rng.Fill(Back);
    for (TStretchFilter Filter : {sfNearest, sfLinear, sfLinear2, sfSpline})
      for (int Mode = 0; Mode < 4; ++Mode)
        for (uint32_t Master : {0u, 1u, 128u, 255u}) {
          Src->SetMasterAlpha(Master);
          const TDrawMode Op = Mode == 3 ? dmCustom : TDrawMode(Mode);
          const bool WithEvent = Mode == 2;
          auto Want = Copy(Back);
          TEventLog WantLog;
          RefStretch(*Want, Size.DstRect, *Src, Size.SrcRect, Filter, Op,
                     WithEvent ? WantLog.Event() : TPixelCombineEvent());
          for (TBlendForms Forms : SupportedForms()) {
            SetTransferForms(Forms);
            auto Got = Copy(Back);
            TEventLog GotLog;
            StretchTransfer(Got.get(), Size.DstRect, Src.get(), Size.SrcRect, Filter, Op,
                            WithEvent ? GotLog.Event() : TPixelCombineEvent());
            const std::string Where = std::string(Size.Name) + ", filter " +
                                      std::to_string(Filter) + ", mode " + std::to_string(Mode) +
                                      ", master " + std::to_string(Master) + ", " +
                                      FormsName(Forms);
            ASSERT_TRUE(SamePixels(Want, Got)) << Where;
            ASSERT_EQ(WantLog.Calls, GotLog.Calls) << Where;
          }
        }
  }
}

// Rows long enough for every vector loop and its tail, in both mixing orders.
TEST(StretchTransfer, InstructionFormsAgreeOnLongRows) {
  TFormsGuard Guard;
  TRandom Rng{99};
  auto Src = Sized(123, 77);
  Rng.Fill(Src);
  auto Back = Sized(300, 200);
  Rng.Fill(Back);
  for (const TRect& To : {TRect{-5, -3, 290, 197}, TRect{2, 1, 63, 40}})
    for (TStretchFilter Filter : {sfLinear, sfLinear2, sfSpline})
      for (uint32_t Master : {128u, 255u}) {
        Src->SetMasterAlpha(Master);
        auto Want = Copy(Back);
        RefStretch(*Want, To, *Src, {3, 2, 120, 77}, Filter, dmBlend, {});
        for (TBlendForms Forms : SupportedForms()) {
          SetTransferForms(Forms);
          auto Got = Copy(Back);
          StretchTransfer(Got.get(), To, Src.get(), {3, 2, 120, 77}, Filter, dmBlend);
          EXPECT_TRUE(SamePixels(Want, Got))
              << "filter " << Filter << ", master " << Master << ", " << FormsName(Forms)
              << ", width " << To.Right - To.Left;
        }
      }
}

// dmBlend's bilinear rows blended straight onto the destination, against the reference: every
// visible width from 1 to 21 (the four-pixel loop and each tail), clipped on all sides, in the
// three row plans (a mild change of size samples a vertically mixed span, a strong reduction
// samples the source rows directly, master alpha below 255 mixes sampled rows, straight from
// the source rows when no two destination rows share one), over a source with transparent and
// opaque areas wider than a vector and every alpha in between.
TEST(StretchTransfer, BilinearBlendRowsOverWidthsAndMasters) {
  TFormsGuard Guard;
  TRandom Rng{77};
  auto Src = Sized(61, 47);
  Rng.Fill(Src);
  for (int32_t Y = 0; Y < Src->Height(); ++Y)
    for (int32_t X = 0; X < Src->Width(); ++X) {
      TColor32& P = *Src->PixelAddress(X, Y);
      if (X < 20)
        P &= 0x00FFFFFF;
      else if (X >= 40)
        P |= 0xFF000000;
    }
  for (int32_t Width = 1; Width <= 21; ++Width) {
    auto Back = Sized(Width, 9);
    Rng.Fill(Back);
    const TRect To{-3, -2, Width + 2, 12};  // visible: the whole of Back
    const struct {
      const char* Name;
      TRect From;
    } Plans[] = {
        {"enlarged", {14, 1, 14 + std::max(2, Width / 2 + 1), 20}},
        {"reduced a little", {0, 0, std::min(61, Width + 9), 23}},
        {"strong reduction", {0, 0, 61, 23}},
        {"to less than half the height", {0, 0, 61, 47}},
    };
    for (const auto& Plan : Plans)
      for (uint32_t Master : {0u, 1u, 128u, 254u, 255u}) {
        Src->SetMasterAlpha(Master);
        auto Want = Copy(Back);
        RefStretch(*Want, To, *Src, Plan.From, sfLinear, dmBlend, {});
        for (TBlendForms Forms : SupportedForms()) {
          SetTransferForms(Forms);
          auto Got = Copy(Back);
          StretchTransfer(Got.get(), To, Src.get(), Plan.From, sfLinear, dmBlend);
          ASSERT_TRUE(SamePixels(Want, Got)) << Plan.Name << ", width " << Width << ", master "
                                             << Master << ", " << FormsName(Forms);
        }
      }
  }
}

// Drawing a bitmap onto itself reads pixels that earlier pixels of the same transfer wrote.
TEST(StretchTransfer, OntoItselfReadsWhatItWrote) {
  TRandom Rng{5};
  for (const TRect& To : {TRect{2, 1, 14, 11}, TRect{-6, 0, 8, 12}})
    for (TStretchFilter Filter : {sfNearest, sfLinear, sfLinear2, sfSpline})
      for (TDrawMode Op : {dmOpaque, dmBlend}) {
        auto Want = Sized(16, 12);
        Rng.Fill(Want);
        Want->SetMasterAlpha(200);
        auto Got = Copy(Want);
        RefStretch(*Want, To, *Want, {0, 0, 7, 6}, Filter, Op, {});
        StretchTransfer(Got.get(), To, Got.get(), {0, 0, 7, 6}, Filter, Op);
        EXPECT_TRUE(SamePixels(Want, Got))
            << "filter " << Filter << ", mode " << Op << ", left " << To.Left;
      }
}
