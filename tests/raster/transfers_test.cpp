// Block and nearest transfers: argument errors, clipping, draw modes and master alpha.
#include "transfers.h"

#include <gtest/gtest.h>

#include "transfers_test_support.h"

using namespace transfers_test;

// ---------------------------------------------------------------------------------------------
// Errors and quiet returns

TEST(Transfers, ErrorsNameTheFaultyArgument) {
  TBitmap32 Empty;
  auto Bmp = Filled(100, 100, clWhite32);
  auto Dst = Filled(10, 10, clBlack32);
  const TRect All = Bmp->BoundsRect(), To = {0, 0, 20, 20};
  struct TCase {
    const char* Name;
    std::function<void()> Fn;
    const char* Message;
  };
  const TCase Cases[] = {
      {"block, no destination", [&] { BlockTransfer(nullptr, 0, 0, Bmp.get(), All, dmOpaque); },
       "Destination bitmap is nil or empty"},
      {"block, empty destination", [&] { BlockTransfer(&Empty, 0, 0, Bmp.get(), All, dmBlend); },
       "Destination bitmap is nil or empty"},
      {"block, both empty", [&] { BlockTransfer(&Empty, 0, 0, &Empty, All, dmBlend); },
       "Destination bitmap is nil or empty"},
      {"block, empty source", [&] { BlockTransfer(Dst.get(), 0, 0, &Empty, All, dmOpaque); },
       "Source bitmap is nil or empty"},
      {"stretch, no source",
       [&] { StretchTransfer(Dst.get(), To, nullptr, All, sfLinear, dmOpaque); },
       "Source bitmap is nil or empty"},
      {"stretch, empty destination",
       [&] { StretchTransfer(&Empty, To, Bmp.get(), All, sfSpline, dmBlend); },
       "Destination bitmap is nil or empty"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    ExpectTransformError(Case.Fn, Case.Message);
  }
}

TEST(Transfers, SourceRectangleOutsideTheSourceIsAnError) {
  auto Src = Filled(100, 100, clWhite32);
  for (TStretchFilter Filter : {sfNearest, sfLinear, sfLinear2, sfSpline})
    for (TDrawMode Op : {dmOpaque, dmBlend}) {
      auto Dst = Filled(50, 50, clBlack32);
      ExpectTransformError(
          [&] {
            StretchTransfer(Dst.get(), {0, 0, 30, 30}, Src.get(), {0, 0, 101, 100}, Filter, Op);
          },
          "Source rectangle is invalid");
      ExpectTransformError(
          [&] {
            StretchTransfer(Dst.get(), {0, 0, 30, 30}, Src.get(), {-1, 0, 10, 10}, Filter, Op);
          },
          "Source rectangle is invalid");
      // Empty rectangles and destinations outside Dst are quiet.
      StretchTransfer(Dst.get(), {0, 0, 30, 30}, Src.get(), {5, 5, 5, 50}, Filter, Op);
      StretchTransfer(Dst.get(), {0, 0, 30, 30}, Src.get(), {5, 50, 200, 40}, Filter, Op);
      StretchTransfer(Dst.get(), {30, 0, 0, 30}, Src.get(), {0, 0, 10, 10}, Filter, Op);
      StretchTransfer(Dst.get(), {50, 0, 90, 30}, Src.get(), {0, 0, 10, 10}, Filter, Op);
      EXPECT_EQ(PixelsOf(Dst), PixelsOf(Filled(50, 50, clBlack32)));
    }
}

// ---------------------------------------------------------------------------------------------
// Block transfer

TEST(BlockTransfer, OpaqueCopyIsClippedToBothBitmaps) {
  // clang-format off
  const auto Src = Picture(3, 2, {A, B, C,
                                  D, E, F});
  struct TCase {
    const char* Name;
    TPoint At;
    TRect SrcRect;
    std::vector<TColor32> Want;  // 4 x 3
  };
  const TCase Cases[] = {
      {"inside", {1, 1}, {0, 0, 3, 2}, {o, o, o, o,
                                        o, A, B, C,
                                        o, D, E, F}},
      {"over the top right", {2, -1}, {0, 0, 3, 2}, {o, o, D, E,
                                                     o, o, o, o,
                                                     o, o, o, o}},
      {"over the left", {-2, 0}, {0, 0, 3, 2}, {C, o, o, o,
                                                F, o, o, o,
                                                o, o, o, o}},
      {"part of the source", {0, 0}, {1, 1, 3, 2}, {E, F, o, o,
                                                    o, o, o, o,
                                                    o, o, o, o}},
      {"source rect beyond the source", {0, 0}, {-1, -1, 5, 5}, {o, o, o, o,
                                                                 o, A, B, C,
                                                                 o, D, E, F}},
      {"nothing left", {4, 0}, {0, 0, 3, 2}, {o, o, o, o,
                                              o, o, o, o,
                                              o, o, o, o}},
  };
  // clang-format on
  for (const TCase& Case : Cases) {
    auto Dst = Filled(4, 3, o);
    BlockTransfer(Dst.get(), Case.At.X, Case.At.Y, Src.get(), Case.SrcRect, dmOpaque);
    EXPECT_EQ(PixelsOf(Dst), Case.Want) << Case.Name;
  }
}

TEST(BlockTransfer, BlendedSourceRectStartingOutsideLandsShifted) {
  auto Src = Sized(100, 100);
  TRandom Rng{7};
  Rng.Fill(Src);
  Src->SetMasterAlpha(200);
  auto Dst = Filled(80, 80, 0xFF336699);
  const auto Before = Copy(Dst);
  BlockTransfer(Dst.get(), 0, 0, Src.get(), {-10, -10, 50, 50}, dmBlend);
  for (int32_t Y = 0; Y < 80; ++Y)
    for (int32_t X = 0; X < 80; ++X) {
      TColor32 Want = Before->GetPixel(X, Y);
      if (X >= 10 && X < 60 && Y >= 10 && Y < 60)
        BlendOntoMaster(Src->GetPixel(X - 10, Y - 10), Want, 200);
      ASSERT_EQ(Dst->GetPixel(X, Y), Want) << X << ", " << Y;
    }
}

TEST(BlockTransfer, ModesAndMasterAlpha) {
  // clang-format off
  const auto Base = Picture(2, 2, {0xFFFFFFFF, 0x80FF0000,
                                   0x00FFFFFF, 0xFF102030});
  const TColor32 Bg = 0xFF000000;
  struct TCase {
    const char* Name;
    TDrawMode Op;
    uint32_t Master;
    std::vector<TColor32> Want;
  };
  const TCase Cases[] = {
      {"opaque copies all four bytes", dmOpaque, 255, {0xFFFFFFFF, 0x80FF0000,
                                                       0x00FFFFFF, 0xFF102030}},
      {"opaque ignores master 0", dmOpaque, 0, {0xFFFFFFFF, 0x80FF0000,
                                                0x00FFFFFF, 0xFF102030}},
      {"blend at 255 copies opaque pixels", dmBlend, 255, {0xFFFFFFFF, 0xC0800000,
                                                           0xFF000000, 0xFF102030}},
      {"blend with master 0 draws nothing", dmBlend, 0, {Bg, Bg,
                                                         Bg, Bg}},
      {"custom without a handler copies", dmCustom, 0, {0xFFFFFFFF, 0x80FF0000,
                                                        0x00FFFFFF, 0xFF102030}},
  };
  // clang-format on
  for (const TCase& Case : Cases) {
    auto Src = Copy(Base);
    Src->SetMasterAlpha(Case.Master);
    auto Dst = Filled(2, 2, Bg);
    BlockTransfer(Dst.get(), 0, 0, Src.get(), Src->BoundsRect(), Case.Op);
    EXPECT_EQ(PixelsOf(Dst), Case.Want) << Case.Name;
  }

  // Below 255 every pixel goes through BlendOntoMaster, opaque ones included: at 254 the weight
  // of an opaque pixel is (255 * 254) >> 8 = 253, of the red (128 * 254) >> 8 = 127.
  auto Src = Copy(Base);
  Src->SetMasterAlpha(254);
  auto Dst = Filled(2, 2, Bg);
  BlockTransfer(Dst.get(), 0, 0, Src.get(), Src->BoundsRect(), dmBlend);
  // clang-format off
  EXPECT_EQ(PixelsOf(Dst), (std::vector<TColor32>{0xFFFCFCFC, 0xC07F0000,
                                                  0xFF000000, 0xFF10202F}));
  // clang-format on

  // The event sees every pixel once, row by row, with the master alpha, also at 0.
  Src->SetMasterAlpha(0);
  Dst = Filled(2, 2, Bg);
  TEventLog Log;
  BlockTransfer(Dst.get(), 0, 0, Src.get(), Src->BoundsRect(), dmCustom, Log.Event());
  EXPECT_EQ(Log.Calls, (std::vector<TColor32>{0xFFFFFFFF, Bg, 0, 0x80FF0000, Bg, 0, 0x00FFFFFF, Bg,
                                              0, 0xFF102030, Bg, 0}));
}

TEST(BlockTransfer, OpaqueCopyOntoItselfIsExact) {
  // clang-format off
  auto Bmp = Picture(3, 3, {A, B, C,
                            D, E, F,
                            o, o, o});
  BlockTransfer(Bmp.get(), 1, 1, Bmp.get(), {0, 0, 2, 2}, dmOpaque);
  EXPECT_EQ(PixelsOf(Bmp), (std::vector<TColor32>{A, B, C,
                                                  D, A, B,
                                                  o, D, E}));
  // clang-format on
}

// ---------------------------------------------------------------------------------------------
// Nearest-pixel stretch

TEST(StretchNearest, DoublingRepeatsEveryPixelTwice) {
  // clang-format off
  const auto Src = Picture(3, 2, {A, B, C,
                                  D, E, F});
  const std::vector<TColor32> Want = {A, A, B, B, C, C,
                                      A, A, B, B, C, C,
                                      D, D, E, E, F, F,
                                      D, D, E, E, F, F};
  // clang-format on
  for (TDrawMode Op : {dmOpaque, dmBlend}) {
    auto Dst = Filled(6, 4, o);
    StretchTransfer(Dst.get(), {0, 0, 6, 4}, Src.get(), Src->BoundsRect(), sfNearest, Op);
    EXPECT_EQ(PixelsOf(Dst), Want) << Op;
  }
}

TEST(StretchNearest, ClippedLeftEdgeMayStartOnePixelEarlier) {
  // The start offsets scale by 65535, the steps by 65536. 3 -> 5 opaque: unclipped, columns 2..4
  // take B B C; with columns 0 and 1 outside Dst the start is 2 * 2 * 65535 / 4, just short of
  // B. 2 -> 4 combining: A A B B unclipped; the start 2 * 2 * 65535 / 4 falls short of B again.
  struct TCase {
    const char* Name;
    std::vector<TColor32> Src;
    TRect DstRect;
    TDrawMode Op;
    std::vector<TColor32> Want;
  };
  const TCase Cases[] = {
      {"3 -> 5 opaque, clipped", {A, B, C}, {-2, 0, 3, 1}, dmOpaque, {A, B, C}},
      {"3 -> 5 opaque, unclipped", {A, B, C}, {0, 0, 5, 1}, dmOpaque, {A, A, B, B, C}},
      {"2 -> 4 combining, clipped", {A, B}, {-2, 0, 2, 1}, dmBlend, {A, B}},
      {"2 -> 4 combining, unclipped", {A, B}, {0, 0, 4, 1}, dmBlend, {A, A, B, B}},
  };
  for (const TCase& Case : Cases) {
    const auto Src = Picture(int32_t(Case.Src.size()), 1, Case.Src);
    auto Dst = Filled(int32_t(Case.Want.size()), 1, o);
    StretchTransfer(Dst.get(), Case.DstRect, Src.get(), Src->BoundsRect(), sfNearest, Case.Op);
    EXPECT_EQ(PixelsOf(Dst), Case.Want) << Case.Name;
  }
}

TEST(StretchNearest, WideSourcesKeepTheirPositions) {
  // 16.16 positions past 32768 source pixels, and start offsets whose products pass 2^31, are
  // kept exact rather than wrapping.
  auto Src = Sized(40000, 1);
  for (int32_t X = 0; X < 40000; ++X) Src->SetPixel(X, 0, 0xFF000000 | TColor32(X));
  auto Dst = Filled(20000, 1, o);
  StretchTransfer(Dst.get(), Dst->BoundsRect(), Src.get(), Src->BoundsRect(), sfNearest, dmOpaque);
  for (int32_t X = 0; X < 20000; ++X)
    ASSERT_EQ(Dst->GetPixel(X, 0), 0xFF000000 | TColor32(2 * X)) << X;

  // DstRect 200000 wide, starting 100000 left of Dst: x0 = 40000 * 100000 * 65535 / 200000.
  Dst = Filled(8, 1, o);
  StretchTransfer(Dst.get(), {-100000, 0, 100000, 1}, Src.get(), Src->BoundsRect(), sfNearest,
                  dmBlend);
  const int64_t X0 = 1310700000, DX = (int64_t(40000) << 16) / 200000;
  for (int32_t X = 0; X < 8; ++X)
    EXPECT_EQ(Dst->GetPixel(X, 0), 0xFF000000 | TColor32((X0 + X * DX) >> 16)) << X;

  // Bilinear over the same range mixes neighbours of equal colour, which gives the colour back.
  Src->Clear(0xFF808080);
  Dst = Filled(30000, 1, o);
  StretchTransfer(Dst.get(), {-10000, 0, 30000, 1}, Src.get(), Src->BoundsRect(), sfLinear,
                  dmOpaque);
  EXPECT_EQ(PixelsOf(Dst), std::vector<TColor32>(30000, 0xFF808080));
}
