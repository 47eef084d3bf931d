#include "transfers.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "exceptions.h"
#include "geometry.h"
#include "stretch_common.h"

void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src) {
  if (Dst == nullptr || Dst->IsEmpty())
    throw ETransformError("Destination bitmap is nil or empty");
  if (Src == nullptr || Src->IsEmpty())
    throw ETransformError("Source bitmap is nil or empty");
}

bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect) {
  if (SrcRect.Right <= SrcRect.Left || SrcRect.Bottom <= SrcRect.Top)
    return false;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() ||
      SrcRect.Bottom > Src->Height())
    throw ETransformError("Source rectangle is invalid");
  return true;
}

namespace Stretch {

// round(A * B / C), half away from zero, for A >= 0, B > 0, C > 0. Equal to MulDivRound wherever
// A fits 32 bits and the quotient fits 31; beyond that the 16.16 positions are kept in 64 bits
// instead of wrapping.
int64_t MulDivRound64(int64_t A, int64_t B, int64_t C) {
  const int64_t Part = (A % C) * B;  // below C * B <= 2^32 * 2^16
  int64_t Q = (A / C) * B + Part / C;
  if (2 * (Part % C) >= C)
    ++Q;
  return Q;
}

bool PrepareStretch(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                    const TRect& SrcRect, TStretchArea& A) {
  CheckBitmaps(Dst, Src);
  if (!CheckSrcRect(Src, SrcRect))
    return false;
  if (IsRectEmpty(DstRect))
    return false;
  if (!IntersectRect(A.C, DstRect, Dst->BoundsRect()) || IsRectEmpty(A.C))
    return false;
  A.SW = int64_t(SrcRect.Right) - SrcRect.Left;
  A.SH = int64_t(SrcRect.Bottom) - SrcRect.Top;
  A.DW = int64_t(DstRect.Right) - DstRect.Left;
  A.DH = int64_t(DstRect.Bottom) - DstRect.Top;
  A.OffX = int64_t(A.C.Left) - DstRect.Left;
  A.OffY = int64_t(A.C.Top) - DstRect.Top;
  A.CW = A.C.Right - A.C.Left;
  A.CH = A.C.Bottom - A.C.Top;
  A.Master = Src->MasterAlpha();
  A.SameSize = A.DW == A.SW && A.DH == A.SH;
  A.Alias = Dst == Src;
  A.Coverage = Dst->CoverageAlpha;
  return true;
}

bool PrepareScaledDraw(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                       const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event,
                       TStretchArea& A) {
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A) || A.Master == 0)
    return false;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, Op, Event);
    return false;
  }
  return true;
}

// Gives each pixel of Row to the combine step of a non-opaque mode; BlendRow and BlendRowMaster
// are the row forms of BlendOnto and BlendOntoMaster.
void CombineRow(const TColor32* Row, TColor32* D, int32_t Count, TDrawMode Op, TColor32 Master,
                bool MasterForm, bool Coverage, const TPixelCombineEvent& Event) {
  if (Op == dmCustom) {
    for (int32_t K = 0; K < Count; ++K) Event(Row[K], D[K], Master);
  } else if (Coverage) {
    for (int32_t K = 0; K < Count; ++K) BlendCoverage(Row[K], D[K], Master, MasterForm);
  } else if (MasterForm) {
    BlendRowMaster(Row, D, Count, Master);
  } else {
    BlendRow(Row, D, Count);
  }
}

}  // namespace Stretch

using namespace Stretch;

namespace {

// The SSE2 and AVX2 loops of the stretches are compiled where the SSE2 intrinsics are available.
bool FormsAvailable(TBlendForms Forms) {
#if !(defined(PELMORA_X86) && defined(__SSE2__))
  if (Forms != TBlendForms::Scalar)
    return false;
#endif
  return CpuSupports(Forms);
}

TBlendForms BestForms() {
  const TBlendForms Best = BestCpuForms();
  return FormsAvailable(Best) ? Best : TBlendForms::Scalar;
}

TBlendForms ActiveForms = BestForms();

// ---------------------------------------------------------------------------------------------
// Nearest-pixel stretches.

// Source column of each visible destination column, stepped in 16.16 from X0.
std::unique_ptr<int32_t[]> NearestColumns(int64_t X0, int64_t DX, int32_t Count, int32_t SrcLeft) {
  auto Idx = MakeBuffer<int32_t>(Count);
  int64_t X = X0;
  for (int32_t K = 0; K < Count; ++K, X += DX) Idx[K] = SrcLeft + static_cast<int32_t>(X >> 16);
  return Idx;
}

void StretchNearestOpaque(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                          const TRect& SrcRect) {
  TStretchArea A;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, A))
    return;
  if (A.SameSize) {
    BlockTransfer(Dst, DstRect.Left, DstRect.Top, Src, SrcRect, dmOpaque);
    return;
  }
  const int64_t X0 = A.DW > 1 ? MulDivRound64(A.OffX * (A.SW - 1), 65535, A.DW - 1) : 0;
  const int64_t Y0 = A.DH > 1 ? MulDivRound64(A.OffY * (A.SH - 1), 65535, A.DH - 1) : 0;
  const int64_t DX = (A.SW << 16) / A.DW, DY = (A.SH << 16) / A.DH;
  const auto Idx = NearestColumns(X0, DX, A.CW, SrcRect.Left);

  int64_t Y = Y0;
  int64_t PrevSy = -1;
  const TColor32* Prev = nullptr;
  for (int32_t R = A.C.Top; R < A.C.Bottom; ++R, Y += DY) {
    const int64_t Sy = SrcRect.Top + (Y >> 16);
    TColor32* D = Dst->PixelAddress(A.C.Left, R);
    // A repeated source row gives the same destination row; not when drawing onto itself,
    // where the source row may have been overwritten since.
    if (Sy == PrevSy && !A.Alias) {
      std::memcpy(D, Prev, sizeof(TColor32) * A.CW);
    } else {
      const TColor32* S = Src->RowAddress(static_cast<int32_t>(Sy));
      for (int32_t K = 0; K < A.CW; ++K) D[K] = S[Idx[K]];
    }
    PrevSy = Sy;
    Prev = D;
  }
}

void StretchNearestCombine(TBitmap32* Dst, const TRect& DstRect, const TBitmap32* Src,
                           const TRect& SrcRect, TDrawMode Op, const TPixelCombineEvent& Event) {
  TStretchArea A;
  if (!PrepareScaledDraw(Dst, DstRect, Src, SrcRect, Op, Event, A))
    return;
  const int64_t X0 = MulDivRound64(A.SW * A.OffX, 65535, A.DW);
  const int64_t Y0 = MulDivRound64(A.SH * A.OffY, 65535, A.DH);
  const int64_t DX = (A.SW << 16) / A.DW, DY = (A.SH << 16) / A.DH;
  const auto Idx = NearestColumns(X0, DX, A.CW, SrcRect.Left);
  const bool MasterForm = A.Master < 255;

  auto Row = MakeBuffer<TColor32>(A.CW);
  int64_t Y = Y0;
  int64_t PrevSy = -1;
  for (int32_t R = A.C.Top; R < A.C.Bottom; ++R, Y += DY) {
    const int64_t Sy = SrcRect.Top + (Y >> 16);
    const TColor32* S = Src->RowAddress(static_cast<int32_t>(Sy));
    TColor32* D = Dst->PixelAddress(A.C.Left, R);
    if (A.Alias) {
      // Pixel by pixel, so that reads see the writes before them.
      for (int32_t K = 0; K < A.CW; ++K)
        CombinePixel(S[Idx[K]], D[K], Op, A.Master, MasterForm, A.Coverage, Event);
      continue;
    }
    if (Sy != PrevSy)
      for (int32_t K = 0; K < A.CW; ++K) Row[K] = S[Idx[K]];
    PrevSy = Sy;
    CombineRow(Row.get(), D, A.CW, Op, A.Master, MasterForm, A.Coverage, Event);
  }
}

}  // namespace

TBlendForms TransferForms() {
  return ActiveForms;
}

TBlendForms SetTransferForms(TBlendForms Forms) {
  const TBlendForms Previous = ActiveForms;
  ActiveForms = FormsAvailable(Forms) ? Forms : TBlendForms::Scalar;
  return Previous;
}

void BlockTransfer(TBitmap32* Dst, int32_t DstX, int32_t DstY, const TBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineEvent) {
  CheckBitmaps(Dst, Src);
  if (CombineOp == dmCustom && !CombineEvent)
    CombineOp = dmOpaque;
  const TColor32 Master = Src->MasterAlpha();
  if (CombineOp == dmBlend && Master == 0)
    return;

  TRect S;
  if (!IntersectRect(S, SrcRect, Src->BoundsRect()) || IsRectEmpty(S))
    return;
  const int64_t OffX = int64_t(DstX) - SrcRect.Left, OffY = int64_t(DstY) - SrcRect.Top;
  const int64_t L = std::max<int64_t>(S.Left + OffX, 0);
  const int64_t T = std::max<int64_t>(S.Top + OffY, 0);
  const int64_t R = std::min<int64_t>(S.Right + OffX, Dst->Width());
  const int64_t B = std::min<int64_t>(S.Bottom + OffY, Dst->Height());
  if (L >= R || T >= B)
    return;
  const auto W = static_cast<int32_t>(R - L);
  const auto H = static_cast<int32_t>(B - T);
  const auto DX = static_cast<int32_t>(L), DY = static_cast<int32_t>(T);
  const auto SX = static_cast<int32_t>(L - OffX), SY = static_cast<int32_t>(T - OffY);

  switch (CombineOp) {
    case dmOpaque: {
      // An exact copy also when Src is Dst: rows go bottom-up when moving down, and each row is
      // moved as a whole.
      const bool Up = Dst == Src && DY > SY;
      for (int32_t I = 0; I < H; ++I) {
        const int32_t Y = Up ? H - 1 - I : I;
        std::memmove(Dst->PixelAddress(DX, DY + Y), Src->PixelAddress(SX, SY + Y),
                     sizeof(TColor32) * W);
      }
      break;
    }
    case dmBlend:
      for (int32_t Y = 0; Y < H; ++Y) {
        if (Dst->CoverageAlpha)
          CombineRow(Src->PixelAddress(SX, SY + Y), Dst->PixelAddress(DX, DY + Y), W, dmBlend,
                     Master, Master < 255, true, {});
        else if (Master >= 255)
          BlendRow(Src->PixelAddress(SX, SY + Y), Dst->PixelAddress(DX, DY + Y), W);
        else
          BlendRowMaster(Src->PixelAddress(SX, SY + Y), Dst->PixelAddress(DX, DY + Y), W, Master);
      }
      break;
    case dmCustom:
      for (int32_t Y = 0; Y < H; ++Y) {
        const TColor32* P = Src->PixelAddress(SX, SY + Y);
        TColor32* D = Dst->PixelAddress(DX, DY + Y);
        for (int32_t X = 0; X < W; ++X) CombineEvent(P[X], D[X], Master);
      }
      break;
  }
}

void StretchTransfer(TBitmap32* Dst, TRect DstRect, const TBitmap32* Src, TRect SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineEvent) {
  if (CombineOp == dmCustom && !CombineEvent)
    CombineOp = dmOpaque;
  switch (StretchFilter) {
    case sfNearest:
      if (CombineOp == dmOpaque)
        StretchNearestOpaque(Dst, DstRect, Src, SrcRect);
      else
        StretchNearestCombine(Dst, DstRect, Src, SrcRect, CombineOp, CombineEvent);
      break;
    case sfLinear:
      StretchBilinear(Dst, DstRect, Src, SrcRect, CombineOp, CombineEvent);
      break;
    case sfLinear2:
    case sfSpline:
      Resample(Dst, DstRect, Src, SrcRect, StretchFilter, CombineOp, CombineEvent);
      break;
  }
}
