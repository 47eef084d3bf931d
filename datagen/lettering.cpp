#include "lettering.h"

#include <sstream>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  std::stringstream S(Text);
  std::string L;
  while (std::getline(S, L)) Lines.push_back(L);
  if (Lines.empty())
    Lines.push_back("");
  return Lines;
}

// Coverage of the text, white on black, in a plane of the given size; lines centred.
TPlane TextPlane(const std::vector<std::string>& Lines, const std::string& Font, TFontStyles Style,
                 int Points, int Margin, int& LineHeight) {
  TBitmap32 M;
  M.Font().SetName(Font);
  M.Font().SetStyle(Style);
  M.Font().SetSize(Points);
  M.Font().SetColor(0xFFFFFF);
  int W = 0;
  LineHeight = 0;
  for (const auto& L : Lines) {
    const TSize E = M.TextExtent(L);
    W = std::max(W, E.cx);
    LineHeight = std::max(LineHeight, E.cy);
  }
  // Script faces reach beyond their advance; leave room on both sides.
  const int Pad = Margin + LineHeight / 4;
  M.SetSize(W + 2 * Pad, LineHeight * static_cast<int>(Lines.size()) + 2 * Margin);
  M.Clear(clBlack32);
  for (size_t I = 0; I < Lines.size(); ++I) {
    const int LW = M.TextWidth(Lines[I]);
    M.DrawText(Pad + (W - LW) / 2, Margin + static_cast<int>(I) * LineHeight, Lines[I]);
  }
  TPlane P(M.Width(), M.Height());
  for (int Y = 0; Y < M.Height(); ++Y)
    for (int X = 0; X < M.Width(); ++X) P.At(X, Y) = ((M.GetPixel(X, Y) >> 16) & 255) / 255.0f;
  return P;
}

// Measures the ink width and height of the text at a size.
void Measure(const std::vector<std::string>& Lines, const std::string& Font, TFontStyles Style,
             int Points, int& W, int& H) {
  TBitmap32 M;
  M.Font().SetName(Font);
  M.Font().SetStyle(Style);
  M.Font().SetSize(Points);
  W = 0;
  H = 0;
  for (const auto& L : Lines) {
    const TSize E = M.TextExtent(L);
    W = std::max(W, E.cx);
    H += E.cy;
  }
}

}  // namespace

int DrawLettering(TBitmap32& B, const std::string& Text, float CX, float CY, float MaxW, float MaxH,
                  const TLetterStyle& S) {
  const auto Lines = SplitLines(Text);
  // Largest point size that fits, found from one measurement and a correction.
  int Points = 40, W = 0, H = 0;
  Measure(Lines, S.Font, S.Style, Points, W, H);
  if (W <= 0 || H <= 0)
    return static_cast<int>(CY);
  Points = static_cast<int>(Points * std::min(MaxW / (W * 1.04f), MaxH / (H * 1.0f)));
  Points = std::max(Points, 6);
  for (int Tries = 0; Tries < 6; ++Tries) {
    Measure(Lines, S.Font, S.Style, Points, W, H);
    if (W * 1.04f <= MaxW && H <= MaxH)
      break;
    Points = std::max(6, Points * 92 / 100);
  }
  const float Em = Points * 96.0f / 72.0f / 100.0f;  // one hundredth of the em in pixels
  const int Margin = static_cast<int>(std::ceil(Em * (S.OutlineWidth + S.ShadowOffset +
                                                      3 * S.ShadowBlur + S.GlowRadius))) +
                     4;
  int LineHeight = 0;
  const TPlane Ink = TextPlane(Lines, S.Font, S.Style, Points, Margin, LineHeight);
  const int OX = static_cast<int>(std::lround(CX - Ink.W / 2.0f)),
            OY = static_cast<int>(std::lround(CY - Ink.H / 2.0f));

  // The outlined shape: ink grown by the outline width, with a smooth edge.
  TPlane Outer = Ink;
  if (S.OutlineWidth > 0) {
    const TPlane D = DistanceOutside(Ink);
    const float R = S.OutlineWidth * Em;
    for (size_t I = 0; I < Outer.V.size(); ++I)
      Outer.V[I] = std::max(Ink.V[I], Clamp01(R + 0.5f - D.V[I]));
  }
  if (S.GlowRadius > 0 && S.Glow.A > 0) {
    TPlane G = Outer;
    BlurPlane(G, std::max(1, static_cast<int>(S.GlowRadius * Em / 2)));
    for (float& V : G.V) V = Clamp01(V * 2.2f);
    PaintPlane(B, G, OX, OY, S.Glow);
  }
  if (S.Shadow.A > 0) {
    TPlane Sh = Outer;
    BlurPlane(Sh, std::max(1, static_cast<int>(S.ShadowBlur * Em / 2)));
    const int D = static_cast<int>(std::lround(S.ShadowOffset * Em));
    PaintPlane(B, Sh, OX + D, OY + D, S.Shadow);
  }
  if (S.OutlineWidth > 0)
    PaintPlane(B, Outer, OX, OY, S.Outline);
  const float Lines0 = static_cast<float>(Margin);
  PaintPlaneWith(B, Ink, OX, OY, [&](float, float Y) {
    const float InLine =
        std::fmod(std::max(0.0f, Y - Lines0), static_cast<float>(LineHeight)) / LineHeight;
    const float T = Clamp01((InLine - 0.2f) / 0.6f);
    TRgb C = Mix(S.Top, S.Bottom, T);
    if (S.Shine && InLine > 0.25f && InLine < 0.47f)
      C = Lighten(C, 0.25f);
    return C;
  });
  int Bottom = 0;
  for (int Y = 0; Y < Outer.H; ++Y)
    for (int X = 0; X < Outer.W; ++X)
      if (Outer.At(X, Y) > 0.05f) {
        Bottom = Y + 1;
        break;
      }
  return OY + Bottom;
}
