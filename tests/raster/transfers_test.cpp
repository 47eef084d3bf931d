#include "transfers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "blend.h"
#include "color32.h"
#include "exceptions.h"
#include "geometry.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Helpers

// Named pixels for the small pictures below; o is the destination's background.
constexpr TColor32 A = 0xFF100000, B = 0xFF200000, C = 0xFF300000, D = 0xFF400000, E = 0xFF500000,
                   F = 0xFF600000, o = 0x11223344;

using PBitmap = std::unique_ptr<TBitmap32>;

PBitmap Sized(int32_t W, int32_t H) {
  auto Bmp = std::make_unique<TBitmap32>();
  Bmp->SetSize(W, H);
  return Bmp;
}

PBitmap Picture(int32_t W, int32_t H, const std::vector<TColor32>& Pixels) {
  auto Bmp = Sized(W, H);
  EXPECT_EQ(Pixels.size(), size_t(W) * size_t(H));
  for (int32_t I = 0; I < W * H; ++I) Bmp->Bits()[I] = Pixels[size_t(I)];
  return Bmp;
}

PBitmap Filled(int32_t W, int32_t H, TColor32 Color) {
  auto Bmp = Sized(W, H);
  Bmp->Clear(Color);
  return Bmp;
}

std::vector<TColor32> PixelsOf(const PBitmap& Bmp) {
  return {Bmp->Bits(), Bmp->Bits() + size_t(Bmp->Width()) * size_t(Bmp->Height())};
}

PBitmap Copy(const PBitmap& Src) {
  auto Bmp = std::make_unique<TBitmap32>();
  Bmp->Assign(Src.get());
  return Bmp;
}

// Channel values biased towards 0 and 255, where the rounding and copy cases live.
struct TRandom {
  uint32_t Seed;
  uint32_t Next() { return Seed = Seed * 1664525u + 1013904223u; }
  TColor32 Channel() {
    const uint32_t R = Next() >> 24;
    if (R < 48)
      return 0;
    if (R < 96)
      return 255;
    return Next() >> 24;
  }
  TColor32 Color() { return (Channel() << 24) | (Channel() << 16) | (Channel() << 8) | Channel(); }
  void Fill(const PBitmap& Bmp) {
    for (int32_t I = 0; I < Bmp->Width() * Bmp->Height(); ++I) Bmp->Bits()[I] = Color();
  }
};

::testing::AssertionResult SamePixels(const PBitmap& Want, const PBitmap& Got) {
  for (int32_t Y = 0; Y < Want->Height(); ++Y)
    for (int32_t X = 0; X < Want->Width(); ++X)
      if (Want->GetPixel(X, Y) != Got->GetPixel(X, Y)) {
        char Msg[96];
        std::snprintf(Msg, sizeof Msg, "first difference at (%d, %d): want %08X, got %08X", X, Y,
                      Want->GetPixel(X, Y), Got->GetPixel(X, Y));
        return ::testing::AssertionFailure() << Msg;
      }
  return ::testing::AssertionSuccess();
}

// Restores the stretch forms when a test ends.
struct TFormsGuard {
  TBlendForms Saved = TransferForms();
  ~TFormsGuard() { SetTransferForms(Saved); }
};

std::vector<TBlendForms> SupportedForms() {
  std::vector<TBlendForms> Forms = {TBlendForms::Scalar};
  if (BlendFormsSupported(TBlendForms::SSE2))
    Forms.push_back(TBlendForms::SSE2);
  if (BlendFormsSupported(TBlendForms::AVX2))
    Forms.push_back(TBlendForms::AVX2);
  return Forms;
}

const char* FormsName(TBlendForms Forms) {
  switch (Forms) {
    case TBlendForms::Scalar:
      return "scalar";
    case TBlendForms::SSE2:
      return "sse2";
    case TBlendForms::AVX2:
      return "avx2";
  }
  return "?";
}

// A combiner whose result depends on all three arguments and that logs every call, so that two
// transfers agree only when they call it with the same values in the same order.
struct TEventLog {
  std::vector<TColor32> Calls;
  TPixelCombineEvent Event() {
    return [this](TColor32 F, TColor32& Bk, TColor32 M) {
      Calls.push_back(F);
      Calls.push_back(Bk);
      Calls.push_back(M);
      Bk = (F & 0xFF00FF00) | ((Bk + M * 0x00010001) & 0x00FF00FF);
    };
  }
};

void ExpectTransformError(const std::function<void()>& Fn, const std::string& Message) {
  try {
    Fn();
    ADD_FAILURE() << "no error, expected \"" << Message << "\"";
  } catch (const ETransformError& Err) {
    EXPECT_EQ(Err.what(), Message);
  }
}

// ---------------------------------------------------------------------------------------------
// Slow, obvious forms of the transfers: one pixel at a time, each step written out as the rules
// of each transfer state it, with the 32-bit helpers and the dispatched primitives.

void RefCombine(TColor32 Fg, TColor32& Bg, TDrawMode Op, TColor32 M, bool MasterForm,
                const TPixelCombineEvent& Event) {
  switch (Op) {
    case dmOpaque:
      Bg = Fg;
      break;
    case dmBlend:
      if (MasterForm)
        BlendOntoMaster(Fg, Bg, M);
      else
        BlendOnto(Fg, Bg);
      break;
    case dmCustom:
      Event(Fg, Bg, M);
      break;
  }
}

void RefBlock(TBitmap32& Dst, int32_t DstX, int32_t DstY, const TBitmap32& Src, TRect SrcRect,
              TDrawMode Op, const TPixelCombineEvent& Event) {
  if (Op == dmCustom && !Event)
    Op = dmOpaque;
  const TColor32 M = Src.MasterAlpha();
  if (Op == dmBlend && M == 0)
    return;
  for (int32_t Y = 0; Y < Dst.Height(); ++Y)
    for (int32_t X = 0; X < Dst.Width(); ++X) {
      const int32_t Sx = X - DstX + SrcRect.Left, Sy = Y - DstY + SrcRect.Top;
      if (Sx < std::max(SrcRect.Left, 0) || Sx >= std::min(SrcRect.Right, Src.Width()) ||
          Sy < std::max(SrcRect.Top, 0) || Sy >= std::min(SrcRect.Bottom, Src.Height()))
        continue;
      TColor32& Bg = *Dst.PixelAddress(X, Y);
      RefCombine(Src.GetPixel(Sx, Sy), Bg, Op, M, M < 255, Event);
    }
}

TColor32 RefMix(TColor32 X, TColor32 Y, TColor32 W) {
  return MixColor(X, Y, W);
}

void RefStretch(TBitmap32& Dst, TRect DstRect, const TBitmap32& Src, TRect SrcRect,
                TStretchFilter Filter, TDrawMode Op, const TPixelCombineEvent& Event) {
  if (Op == dmCustom && !Event)
    Op = dmOpaque;
  if (!CheckSrcRect(&Src, SrcRect) || IsRectEmpty(DstRect))
    return;
  TRect Cl;
  if (!IntersectRect(Cl, DstRect, Dst.BoundsRect()) || IsRectEmpty(Cl))
    return;
  const int32_t SW = SrcRect.Width(), SH = SrcRect.Height();
  const int32_t DW = DstRect.Width(), DH = DstRect.Height();
  const TColor32 M = Src.MasterAlpha();
  const bool Nearest = Filter == sfNearest, Linear = Filter == sfLinear;
  if (Nearest && Op != dmOpaque && M == 0)
    return;
  if (Linear && M == 0)
    return;
  if (!Nearest && !Linear && Op == dmBlend && M == 0)
    return;
  if (DW == SW && DH == SH) {
    RefBlock(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, Op, Event);
    return;
  }
  const auto Check = [](bool Inside) { ASSERT_TRUE(Inside) << "sample outside SrcRect"; };

  if (Nearest) {
    int32_t X0, Y0;
    if (Op == dmOpaque) {
      X0 = DW > 1 ? MulDivRound((Cl.Left - DstRect.Left) * (SW - 1), 65535, DW - 1) : 0;
      Y0 = DH > 1 ? MulDivRound((Cl.Top - DstRect.Top) * (SH - 1), 65535, DH - 1) : 0;
    } else {
      X0 = MulDivRound(SW * (Cl.Left - DstRect.Left), 65535, DW);
      Y0 = MulDivRound(SH * (Cl.Top - DstRect.Top), 65535, DH);
    }
    const int32_t DX = (SW * 65536) / DW, DY = (SH * 65536) / DH;
    int32_t Y = Y0;
    for (int32_t Row = Cl.Top; Row < Cl.Bottom; ++Row, Y += DY) {
      int32_t X = X0;
      for (int32_t Col = Cl.Left; Col < Cl.Right; ++Col, X += DX) {
        Check((X >> 16) < SW && (Y >> 16) < SH);
        const TColor32 P = Src.GetPixel(SrcRect.Left + (X >> 16), SrcRect.Top + (Y >> 16));
        RefCombine(P, *Dst.PixelAddress(Col, Row), Op, M, M < 255, Event);
      }
    }
    return;
  }

  if (Linear) {
    const int32_t X0 = MulDivRound((Cl.Left - DstRect.Left) * (SW - 1), 65535, DW);
    const int32_t Y0 = MulDivRound((Cl.Top - DstRect.Top) * (SH - 1), 65535, DH);
    const int32_t DX = ((SW - 1) << 16) / DW, DY = ((SH - 1) << 16) / DH;
    const bool RowsFirst = Op == dmBlend && M < 255;
    int32_t Y = Y0;
    for (int32_t Row = Cl.Top; Row < Cl.Bottom; ++Row, Y += DY) {
      const int32_t Up = SrcRect.Top + Y / 65536;
      const int32_t Low = Up == SrcRect.Bottom - 1 ? Up : Up + 1;
      const TColor32 Wy = 255 - ((Y >> 8) & 255);
      int32_t X = X0;
      for (int32_t Col = Cl.Left; Col < Cl.Right; ++Col, X += DX) {
        const int32_t I = SrcRect.Left + (X >> 16);
        const int32_t I1 = SW == 1 ? I : I + 1;
        Check(I1 < SrcRect.Right);
        const TColor32 Wx = 255 - ((X >> 8) & 255);
        TColor32 Color;
        if (RowsFirst) {
          const TColor32 Top = RefMix(Src.GetPixel(I, Up), Src.GetPixel(I1, Up), Wx);
          const TColor32 Bottom = RefMix(Src.GetPixel(I, Low), Src.GetPixel(I1, Low), Wx);
          Color = RefMix(Top, Bottom, Wy);
        } else {
          const TColor32 Left = RefMix(Src.GetPixel(I, Up), Src.GetPixel(I, Low), Wy);
          const TColor32 Right = RefMix(Src.GetPixel(I1, Up), Src.GetPixel(I1, Low), Wy);
          Color = RefMix(Left, Right, Wx);
        }
        RefCombine(Color, *Dst.PixelAddress(Col, Row), Op, M, RowsFirst, Event);
      }
    }
    return;
  }

  const TMappingTable HT = BuildMappingTable(DW, Src.Width(), SrcRect.Left, SrcRect.Right, Filter);
  const TMappingTable VT = BuildMappingTable(DH, Src.Height(), SrcRect.Top, SrcRect.Bottom, Filter);
  if (HT.empty() || VT.empty())
    return;
  for (int32_t Row = Cl.Top; Row < Cl.Bottom; ++Row)
    for (int32_t Col = Cl.Left; Col < Cl.Right; ++Col) {
      int32_t SumA = 0, SumR = 0, SumG = 0, SumB = 0;
      for (const TPointRec& Py : VT[size_t(Row - DstRect.Top)])
        for (const TPointRec& Px : HT[size_t(Col - DstRect.Left)]) {
          const int32_t W = Px.Weight * Py.Weight;
          const TColor32 P = Src.GetPixel(Px.Pos, Py.Pos);
          SumA += W * AlphaOf(P);
          SumR += W * RedOf(P);
          SumG += W * GreenOf(P);
          SumB += W * BlueOf(P);
        }
      SumA = SumA > 0xFFFFFF ? 0xFF0000 : SumA & 0xFF0000;
      SumR = SumR > 0xFF0000 ? 0xFF0000 : SumR & 0xFF0000;
      SumG = SumG > 0xFF0000 ? 0xFF0000 : SumG & 0xFF0000;
      SumB = SumB > 0xFF0000 ? 0xFF0000 : SumB & 0xFF0000;
      const TColor32 Color =
          (TColor32(SumA) << 8) | TColor32(SumR) | (TColor32(SumG) >> 8) | (TColor32(SumB) >> 16);
      RefCombine(Color, *Dst.PixelAddress(Col, Row), Op, M, true, Event);
    }
}

}  // namespace

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
// samples the source rows directly, master alpha below 255 mixes sampled rows), over a source
// with transparent and opaque areas wider than a vector and every alpha in between.
TEST(StretchTransfer, BilinearBlendRowsOverWidthsAndMasters) {
  TFormsGuard Guard;
  TRandom Rng{77};
  auto Src = Sized(61, 23);
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
