#pragma once
// Helpers of the transfer tests: small pictures, a biased random source, the instruction forms,
// a logging combiner, and slow, obvious forms of every transfer to compare the fast ones with.
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
#include "transfers.h"

namespace transfers_test {

// ---------------------------------------------------------------------------------------------
// Helpers

// Named pixels for the small pictures below; o is the destination's background.
inline constexpr TColor32 A = 0xFF100000, B = 0xFF200000, C = 0xFF300000, D = 0xFF400000,
                          E = 0xFF500000, F = 0xFF600000, o = 0x11223344;

using PBitmap = std::unique_ptr<TBitmap32>;

inline PBitmap Sized(int32_t W, int32_t H) {
  auto Bmp = std::make_unique<TBitmap32>();
  Bmp->SetSize(W, H);
  return Bmp;
}

inline PBitmap Picture(int32_t W, int32_t H, const std::vector<TColor32>& Pixels) {
  auto Bmp = Sized(W, H);
  EXPECT_EQ(Pixels.size(), size_t(W) * size_t(H));
  for (int32_t I = 0; I < W * H; ++I) Bmp->Bits()[I] = Pixels[size_t(I)];
  return Bmp;
}

inline PBitmap Filled(int32_t W, int32_t H, TColor32 Color) {
  auto Bmp = Sized(W, H);
  Bmp->Clear(Color);
  return Bmp;
}

inline std::vector<TColor32> PixelsOf(const PBitmap& Bmp) {
  return {Bmp->Bits(), Bmp->Bits() + size_t(Bmp->Width()) * size_t(Bmp->Height())};
}

inline PBitmap Copy(const PBitmap& Src) {
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

inline ::testing::AssertionResult SamePixels(const PBitmap& Want, const PBitmap& Got) {
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

inline std::vector<TBlendForms> SupportedForms() {
  std::vector<TBlendForms> Forms = {TBlendForms::Scalar};
  if (BlendFormsSupported(TBlendForms::SSE2))
    Forms.push_back(TBlendForms::SSE2);
  if (BlendFormsSupported(TBlendForms::AVX2))
    Forms.push_back(TBlendForms::AVX2);
  return Forms;
}

inline const char* FormsName(TBlendForms Forms) {
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

inline void ExpectTransformError(const std::function<void()>& Fn, const std::string& Message) {
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

inline void RefCombine(TColor32 Fg, TColor32& Bg, TDrawMode Op, TColor32 M, bool MasterForm,
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

inline void RefBlock(TBitmap32& Dst, int32_t DstX, int32_t DstY, const TBitmap32& Src,
                     TRect SrcRect, TDrawMode Op, const TPixelCombineEvent& Event) {
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

inline TColor32 RefMix(TColor32 X, TColor32 Y, TColor32 W) {
  return MixColor(X, Y, W);
}

// The colour of a resampled pixel that came out partly transparent: the source colours weighted
// by weight times alpha, rounded; the alpha stays. Weights of 0 and wholly opaque sources leave
// Mixed as it is, as do sources that are all transparent and a result that is.
struct TRefEdge {
  int64_t S = 0, R = 0, G = 0, B = 0;
  bool Edge = false;
  void Add(int64_t W, TColor32 P) {
    if (W == 0)
      return;
    const int64_t Wa = W * AlphaOf(P);
    Edge = Edge || AlphaOf(P) != 255;
    S += Wa;
    R += Wa * RedOf(P);
    G += Wa * GreenOf(P);
    B += Wa * BlueOf(P);
  }
  TColor32 Colour(TColor32 Mixed) const {
    if (!Edge || S <= 0 || AlphaOf(Mixed) == 0)
      return Mixed;
    const auto Ch = [this](int64_t V) {
      return static_cast<TColor32>(std::clamp<int64_t>((V + S / 2) / S, 0, 255));
    };
    return (Mixed & 0xFF000000) | (Ch(R) << 16) | (Ch(G) << 8) | Ch(B);
  }
};

// A bilinear mix of P00, P10 (next column), P01 (next row), P11 at the weights Wx, Wy of the
// first column and row, in 256ths; mended where it came out less than opaque.
inline TColor32 RefBilinearEdge(TColor32 Mixed, TColor32 P00, TColor32 P10, TColor32 P01,
                                TColor32 P11, TColor32 Wx, TColor32 Wy) {
  if (AlphaOf(Mixed) == 255 || AlphaOf(Mixed) == 0)
    return Mixed;
  TRefEdge E;
  E.Add(int64_t(Wx) * Wy, P00);
  E.Add(int64_t(256 - Wx) * Wy, P10);
  E.Add(int64_t(Wx) * (256 - Wy), P01);
  E.Add(int64_t(256 - Wx) * (256 - Wy), P11);
  // Every source counts here, transparent or not, as a mix below opaque has one.
  E.Edge = true;
  return E.Colour(Mixed);
}

inline void RefStretch(TBitmap32& Dst, TRect DstRect, const TBitmap32& Src, TRect SrcRect,
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
        const TColor32 P00 = Src.GetPixel(I, Up), P10 = Src.GetPixel(I1, Up);
        const TColor32 P01 = Src.GetPixel(I, Low), P11 = Src.GetPixel(I1, Low);
        if (RowsFirst)
          Color = RefMix(RefMix(P00, P10, Wx), RefMix(P01, P11, Wx), Wy);
        else
          Color = RefMix(RefMix(P00, P01, Wy), RefMix(P10, P11, Wy), Wx);
        Color = RefBilinearEdge(Color, P00, P10, P01, P11, Wx, Wy);
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
      TRefEdge Edge;
      for (const TPointRec& Py : VT[size_t(Row - DstRect.Top)])
        for (const TPointRec& Px : HT[size_t(Col - DstRect.Left)]) {
          const int32_t W = Px.Weight * Py.Weight;
          const TColor32 P = Src.GetPixel(Px.Pos, Py.Pos);
          Edge.Add(W, P);
          SumA += W * AlphaOf(P);
          SumR += W * RedOf(P);
          SumG += W * GreenOf(P);
          SumB += W * BlueOf(P);
        }
      SumA = SumA > 0xFFFFFF ? 0xFF0000 : SumA & 0xFF0000;
      SumR = SumR > 0xFF0000 ? 0xFF0000 : SumR & 0xFF0000;
      SumG = SumG > 0xFF0000 ? 0xFF0000 : SumG & 0xFF0000;
      SumB = SumB > 0xFF0000 ? 0xFF0000 : SumB & 0xFF0000;
      const TColor32 Color = Edge.Colour((TColor32(SumA) << 8) | TColor32(SumR) |
                                         (TColor32(SumG) >> 8) | (TColor32(SumB) >> 16));
      RefCombine(Color, *Dst.PixelAddress(Col, Row), Op, M, true, Event);
    }
}

}  // namespace transfers_test
