#include "print_layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

double Round(double V) {
  return std::nearbyint(V);  // ties to even in the default rounding mode
}

}  // namespace

double PixelsPerUnit(TPrintUnit Unit, double Dpi) {
  return Unit == TPrintUnit::Cm ? Dpi / 2.54 : Dpi;
}

double FitPageScale(int32_t PageW, int32_t PageH, int32_t ClientW, int32_t ClientH) {
  if (PageW <= 0 || PageH <= 0 || ClientW <= 0 || ClientH <= 0)
    return 1;
  const double Scale = double(PageW) / PageH >= double(ClientW) / ClientH ? double(ClientW) / PageW
                                                                          : double(ClientH) / PageH;
  return Scale / 1.2;
}

TSingleRect PlaceCard(TPrintPlace Place, int32_t PageW, int32_t PageH, int32_t CardW, int32_t CardH,
                      double CentreX, double CentreY) {
  switch (Place) {
    case TPrintPlace::Original:
      return {float(CentreX - CardW / 2.0), float(CentreY - CardH / 2.0),
              float(CentreX + CardW / 2.0), float(CentreY + CardH / 2.0)};
    case TPrintPlace::Fill:
      return {float(PrintMargin), float(PrintMargin), float(PageW - PrintMargin),
              float(PageH - PrintMargin)};
    case TPrintPlace::Fit: {
      const double BoxW = std::max(1.0, PageW - 2 * PrintMargin);
      const double BoxH = std::max(1.0, PageH - 2 * PrintMargin);
      const double R = CardH > 0 ? double(CardW) / CardH : 1;
      double W = BoxW, H = BoxW / R;
      if (H > BoxH) {
        H = BoxH;
        W = BoxH * R;
      }
      const double Left = PrintMargin + (BoxW - W) / 2, Top = PrintMargin + (BoxH - H) / 2;
      return {float(Left), float(Top), float(Left + W), float(Top + H)};
    }
    case TPrintPlace::Custom:
      break;
  }
  return {};
}

double PrintedWidth(const TSingleRect& L, double Ppu) {
  return std::fabs(Round(double(L.Right) - L.Left)) / Ppu;
}

double PrintedHeight(const TSingleRect& L, double Ppu) {
  return std::fabs(Round(double(L.Bottom) - L.Top)) / Ppu;
}

TSingleRect SizedLocation(const TSingleRect& L, double Width, double Height, double Ppu) {
  return {L.Left, L.Top, float(L.Left + Width * Ppu), float(L.Top + Height * Ppu)};
}

TSingleRect CentredSizedLocation(const TSingleRect& L, double Width, double Height, double Ppu) {
  const double Cx = (double(L.Left) + L.Right) / 2, Cy = (double(L.Top) + L.Bottom) / 2;
  const double HalfW = Width * Ppu / 2, HalfH = Height * Ppu / 2;
  return {float(Cx - HalfW), float(Cy - HalfH), float(Cx + HalfW), float(Cy + HalfH)};
}

double HeightForWidth(double Width, int32_t CardW, int32_t CardH) {
  return Width / (double(CardW) / CardH);
}

double WidthForHeight(double Height, int32_t CardW, int32_t CardH) {
  return Height * (double(CardW) / CardH);
}

std::optional<double> ParseScaleText(const std::string& Text) {
  std::string Digits;
  for (const char C : Text)
    if (C != '%' && C != ' ')
      Digits += C;
  if (Digits.empty())
    return std::nullopt;
  char* End = nullptr;
  const double V = std::strtod(Digits.c_str(), &End);
  if (End != Digits.c_str() + Digits.size() || !std::isfinite(V) || V < 1 || V > 2000)
    return std::nullopt;
  return V / 100;
}

std::string ScaleText(double Scale) {
  return std::to_string(static_cast<long long>(Round(Scale * 100))) + "%";
}

double WheelScale(double Scale, bool Up) {
  if (!Up)
    return Scale / 1.1;
  return std::min(20.0, Scale * 1.1);
}

TSingleRect ResizeCard(const TSingleRect& Old, const TSingleRect& Proposed, TDragState Drag,
                       bool Ctrl, bool KeepProportions, double Ratio) {
  if (Drag == DragNone || Drag == DragMove)
    return Proposed;
  const bool Left = Drag == DragLeft || Drag == DragTopLeft || Drag == DragBottomLeft;
  const bool Right = Drag == DragRight || Drag == DragTopRight || Drag == DragBottomRight;
  const bool Top = Drag == DragTop || Drag == DragTopLeft || Drag == DragTopRight;
  const bool Bottom = Drag == DragBottom || Drag == DragBottomLeft || Drag == DragBottomRight;
  TSingleRect R = Proposed;
  if (Ctrl) {
    const double Cx = (double(Old.Left) + Old.Right) / 2, Cy = (double(Old.Top) + Old.Bottom) / 2;
    double HalfW = (double(Old.Right) - Old.Left) / 2, HalfH = (double(Old.Bottom) - Old.Top) / 2;
    if (Left)
      HalfW = std::fabs(Cx - Proposed.Left);
    else if (Right)
      HalfW = std::fabs(Proposed.Right - Cx);
    if (Top)
      HalfH = std::fabs(Cy - Proposed.Top);
    else if (Bottom)
      HalfH = std::fabs(Proposed.Bottom - Cy);
    HalfW = std::max(HalfW, 2.0);
    HalfH = std::max(HalfH, 2.0);
    R = {float(Cx - HalfW), float(Cy - HalfH), float(Cx + HalfW), float(Cy + HalfH)};
  }
  if (KeepProportions && Ratio > 0) {
    const double H = Round(std::fabs(double(R.Right) - R.Left) / Ratio);
    if (Ctrl) {
      // The proportional height is shared about the centre, so the card stays centred.
      const double Cy = (double(R.Top) + R.Bottom) / 2;
      R.Top = float(Cy - H / 2);
      R.Bottom = float(Cy + H / 2);
    } else {
      R.Bottom = float(R.Top + H);
    }
  }
  return R;
}

TPrintRect PrintRectangle(const TSingleRect& L) {
  TPrintRect P;
  P.X = int32_t(Round(L.Left));
  P.Y = int32_t(Round(L.Top));
  P.Width = int32_t(std::fabs(Round(double(L.Right) - L.Left)));
  P.Height = int32_t(std::fabs(Round(double(L.Top) - L.Bottom)));
  return P;
}
