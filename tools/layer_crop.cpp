#include "layer_crop.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "bitmap_layer.h"
#include "card_document.h"
#include "color_adjust.h"
#include "undo.h"

double CropFitScale(int32_t PicW, int32_t PicH, int32_t ClientW, int32_t ClientH) {
  if (PicW <= 0 || PicH <= 0 || ClientW <= 0 || ClientH <= 0)
    return 1.0;
  const double Scale = double(PicW) / PicH >= double(ClientW) / ClientH ? double(ClientW) / PicW
                                                                        : double(ClientH) / PicH;
  return Scale / 1.1;
}

TSingleRect CropStartFrame(int32_t W, int32_t H) {
  if (W <= 0 || H <= 0)
    return {};
  // The margin on each side: half of what the frame leaves out.
  const auto Margin = [](int32_t Side) {
    return std::min<int32_t>(int32_t(std::lround(Side * (100 - CropStartPercent) / 200.0)),
                             (Side - 1) / 2);
  };
  const int32_t X = Margin(W), Y = Margin(H);
  return {float(X), float(Y), float(W - X), float(H - Y)};
}

void BrightenArea(TBitmap32& B, const TRect& R, int32_t Amount) {
  const int32_t L = std::max(R.Left, 0), T = std::max(R.Top, 0);
  const int32_t Rt = std::min(R.Right, B.Width()), Bt = std::min(R.Bottom, B.Height());
  if (B.IsEmpty() || L >= Rt || T >= Bt)
    return;
  uint8_t Table[256];
  for (int32_t V = 0; V < 256; ++V) Table[V] = BrightnessValue(V, Amount);
  for (int32_t Y = T; Y < Bt; ++Y) {
    TColor32* P = B.PixelAddress(L, Y);
    for (int32_t X = L; X < Rt; ++X, ++P) {
      const TColor32 C = *P;
      *P = (C & 0xFF000000u) | uint32_t(Table[(C >> 16) & 0xFF]) << 16 |
           uint32_t(Table[(C >> 8) & 0xFF]) << 8 | Table[C & 0xFF];
    }
  }
}

TSingleRect ClipCropFrame(const TSingleRect& Frame, int32_t W, int32_t H) {
  TSingleRect C = Frame;
  C.Left = std::max(C.Left, 0.0f);
  C.Top = std::max(C.Top, 0.0f);
  C.Right = std::min(C.Right, float(W));
  C.Bottom = std::min(C.Bottom, float(H));
  return C;
}

TPoint CroppedSize(const TSingleRect& C) {
  // A frame that lies wholly beside the bitmap keeps nothing, whatever its size.
  if (!(C.Right > C.Left) || !(C.Bottom > C.Top))
    return {0, 0};
  return {int32_t(std::fabs(std::nearbyint(C.Right - C.Left))),
          int32_t(std::fabs(std::nearbyint(C.Bottom - C.Top)))};
}

bool CropBitmap(const TBitmap32& Src, const TSingleRect& Frame, TBitmap32& Dst) {
  if (Src.IsEmpty())
    return false;
  const TSingleRect C = ClipCropFrame(Frame, Src.Width(), Src.Height());
  const TPoint Size = CroppedSize(C);
  if (Size.X <= 0 || Size.Y <= 0)
    return false;
  Dst.SetSize(Size.X, Size.Y);
  Dst.Clear(0);
  const auto X0 = int32_t(std::nearbyint(C.Left)), Y0 = int32_t(std::nearbyint(C.Top));
  // The kept pixels are copied as they are: a crop changes no pixel it keeps, translucent ones
  // included (blending them onto the new, transparent bitmap would darken and thin them).
  const int32_t Cols = std::min(Size.X, Src.Width() - X0);
  const int32_t Rows = std::min(Size.Y, Src.Height() - Y0);
  for (int32_t Y = 0; Y < Rows && Cols > 0; ++Y)
    std::memcpy(Dst.RowAddress(Y), Src.PixelAddress(X0, Y0 + Y), size_t(Cols) * 4);
  return true;
}

bool CropSelectedLayer(TCardDocument& Doc, const TChangeStart& Start, const TSingleRect& Frame) {
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  TBitmap32& B = *L->Bitmap();
  TBitmap32 Kept;
  if (!CropBitmap(B, Frame, Kept))
    return false;
  StartChange(Start);
  const TSingleRect Loc = L->Location();
  const double Sx = std::fabs(double(Loc.Right) - Loc.Left) / B.Width();
  const double Sy = std::fabs(double(Loc.Bottom) - Loc.Top) / B.Height();
  B.SetSize(Kept.Width(), Kept.Height());
  std::memcpy(B.Bits(), Kept.Bits(), size_t(Kept.Width()) * Kept.Height() * 4);
  B.SetDrawMode(dmBlend);
  B.Changed();
  L->SetLocation({Loc.Left, Loc.Top, float(Loc.Left + Kept.Width() * Sx),
                  float(Loc.Top + Kept.Height() * Sy)});
  Doc.SetSelection(nullptr);
  Doc.SetSelection(L);
  Doc.Modified = true;
  return true;
}
