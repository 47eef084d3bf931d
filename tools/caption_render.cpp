#include "caption_render.h"

#include <algorithm>
#include <cmath>

#include "caption_layer.h"
#include "color32.h"
#include "geometry.h"
#include "picture.h"
#include "utf8.h"

namespace {

// A line as drawn: the number of leading tabs, and the rest with inner tabs as spaces.
struct TLineText {
  int32_t Tabs = 0;
  std::string Text;
};

TLineText SplitIndent(const std::string& Line) {
  TLineText R;
  size_t I = 0;
  while (I < Line.size() && Line[I] == '\t') ++I;
  R.Tabs = static_cast<int32_t>(std::min<size_t>(I, 100000));
  R.Text.reserve(Line.size() - I);
  for (; I < Line.size(); ++I) {
    if (Line[I] == '\t')
      R.Text.append(InnerTabSpaces, ' ');
    else if (Line[I] != '\r' && Line[I] != '\n')
      R.Text += Line[I];
  }
  return R;
}

[[noreturn]] void TooLarge() {
  throw ECaptionError("Надпись слишком велика: уменьшите размер шрифта или сократите текст.");
}

}  // namespace

TCaptionLayout LayOutCaption(const TBitmap32& Measure, const std::vector<TCaptionLine>& Lines,
                             int32_t Margin) {
  TCaptionLayout L;
  // The height is known before any line is measured: a caption far too tall is refused at once.
  L.LineHeight = Lines.empty() ? Measure.TextHeight("") : Measure.TextHeight(Lines[0].Text);
  const int64_t Height = int64_t{L.LineHeight} * int64_t(Lines.size()) + 10;
  if (!PictureWithinLimits(0, Height + 2 * int64_t{Margin}))
    TooLarge();
  std::vector<TLineText> Texts;
  Texts.reserve(Lines.size());
  std::vector<int32_t> Widths;
  Widths.reserve(Lines.size());
  for (const TCaptionLine& Line : Lines) {
    Texts.push_back(SplitIndent(Line.Text));
    Widths.push_back(Measure.TextWidth(Texts.back().Text));
    L.MaxWidth = std::max(L.MaxWidth, Widths.back());
  }
  const int64_t Space2 = Measure.TextWidth("  ");
  const int64_t Space = Measure.TextWidth(" ");
  const int64_t W = L.MaxWidth;
  int64_t Width = Space2 + W;

  L.Places.reserve(Lines.size());
  int64_t Y = 5;
  for (size_t I = 0; I < Lines.size(); ++I) {
    const int64_t T = Texts[I].Tabs;
    const int64_t Wl = Widths[I];
    int64_t X;
    switch (Lines[I].Align) {
      case TCaptionAlign::Right:
        X = W + TabIndent * T - Wl;
        break;
      case TCaptionAlign::Centre:
        X = Round(static_cast<double>(W - Wl) / 2) + TabIndent * T;
        break;
      default:
        X = TabIndent * T + 1;
        break;
    }
    // An indented line may reach beyond the widest line: the bitmap grows to hold it.
    if (T > 0)
      Width = std::max(Width, X + Space + Wl + Space);
    if (X > MaxPictureSide)
      TooLarge();
    TCaptionLinePlace P;
    P.X = static_cast<int32_t>(X);
    P.Y = static_cast<int32_t>(Y);
    P.Drawn = " " + Texts[I].Text;
    L.Places.push_back(std::move(P));
    Y += L.LineHeight;
  }
  // The bitmap, with the room the outline and the shadow take, must be one the project reader
  // takes back.
  if (!PictureWithinLimits(Width + 2 * int64_t{Margin}, Height + 2 * int64_t{Margin}))
    TooLarge();
  L.Width = static_cast<int32_t>(Width);
  L.Height = static_cast<int32_t>(Height);
  return L;
}

void ApplyCaptionFont(TFont& Font, const TCaption& Caption) {
  TFont F;
  F.SetName(Caption.FontName);
  F.SetSize(Caption.Size);
  F.SetStyle(Caption.Style);
  F.SetColor(ToSystemColor(Caption.TextColor));
  F.SetCharset(RussianCharset);
  if (!Font.SameAttributes(F))
    Font.Assign(F);
}

void CheckCaptionText(const TCaption& Caption) {
  for (const TCaptionLine& Line : Caption.Lines)
    if (!IsWellFormedUtf8(Line.Text))
      throw ECaptionError("Текст надписи не в кодировке UTF-8: в нём есть недопустимые байты.");
  if (!IsWellFormedUtf8(Caption.FontName))
    throw ECaptionError("Имя шрифта надписи не в кодировке UTF-8.");
}

void RenderIt(TBitmap32& Work, const TCaption& Caption, int32_t Mode) {
  CheckCaptionText(Caption);
  ApplyCaptionFont(Work.Font(), Caption);
  const int32_t Margin = Caption.Outline.On || Caption.Shadow.On
                             ? CaptionEffectMargin(Caption.Outline, Caption.Shadow)
                             : 0;
  const TCaptionLayout L = LayOutCaption(Work, Caption.Lines, Margin);
  Work.SetSize(L.Width, L.Height);
  TColor32 TextColor;
  if (Mode == MaskRender) {
    Work.Clear(0);
    TextColor = 0xFFFFFFFF;
  } else {
    TextColor = Caption.TextColor | 0xFF000000;
    if (Caption.TransparentBackground) {
      Work.Clear(TextColor);
      return;
    }
    Work.Clear(Caption.BackColor | 0xFF000000);
  }
  for (const TCaptionLinePlace& P : L.Places)
    Work.DrawTextAntialiased(P.X, P.Y, P.Drawn, 0, TextColor);
  Work.Changed();
}

uint32_t CaptionMasterAlpha(int32_t TransparencyPercent) {
  const int32_t P = std::clamp(TransparencyPercent, 0, 100);
  return static_cast<uint32_t>(255 - Round(P / 100.0 * 255));
}

void RenderCaptionWithEffects(const TCaption& Caption, TBitmap32& Work, TBitmap32& Mask) {
  RenderIt(Mask, Caption, MaskRender);
  const int32_t M = CaptionEffectMargin(Caption.Outline, Caption.Shadow);
  TBitmap32 Coverage;
  Coverage.SetSize(Mask.Width() + 2 * M, Mask.Height() + 2 * M);
  Coverage.Clear(0xFF000000);
  for (int32_t Y = 0; Y < Mask.Height(); ++Y)
    std::copy_n(Mask.RowAddress(Y), Mask.Width(), Coverage.RowAddress(Y + M) + M);
  ApplyCaptionFont(Work.Font(), Caption);
  const TColor32 Back = Caption.TransparentBackground ? 0 : (Caption.BackColor | 0xFF000000);
  ComposeCaptionEffects(Coverage, Caption.TextColor | 0xFF000000, Back, Caption.Outline,
                        Caption.Shadow, Work, Mask);
}

TCardDocument::TTextLayerSource RenderCaptionSource(const TCaption& Caption, TBitmap32& Work,
                                                    TBitmap32& Mask) {
  TCardDocument::TTextLayerSource Source;
  Source.Preview = &Work;
  if (Caption.Outline.On || Caption.Shadow.On) {
    RenderCaptionWithEffects(Caption, Work, Mask);
    Source.Mask = &Mask;
  } else {
    RenderIt(Work, Caption, NormalRender);
    if (Caption.TransparentBackground) {
      RenderIt(Mask, Caption, MaskRender);
      Source.Mask = &Mask;
    }
  }
  Source.TransparencyPercent = std::clamp(Caption.Transparency, 0, MaxCaptionTransparency);
  return Source;
}

TBitmapLayer* PlaceCaption(TCardDocument& Doc, const TCaption& Caption, TBitmap32& Work,
                           TBitmap32& Mask, int32_t RememberedCount) {
  TCardDocument::TTextLayerSource Source = RenderCaptionSource(Caption, Work, Mask);
  Source.RememberedCount = RememberedCount;
  TBitmapLayer* L = Doc.InsertTextLayer(Source);
  if (L != nullptr)
    RememberCaption(Doc, *L, Caption);
  return L;
}

bool DropCaptionPreview(TCardDocument& Doc, int32_t RememberedCount) {
  if (Doc.Layers().Count() <= RememberedCount || Doc.Selected() == nullptr)
    return false;
  Doc.DeleteSelected();
  return true;
}

int32_t SuggestedCaptionSize(int32_t VisibleHeight, int32_t VisibleWidth) {
  // A line takes about 1.15 of the font's pixel size, which is 96 / 72 of its points; a letter
  // is about 0.55 of it wide, and 16 letters may take 0.9 of the width.
  const double ByHeight = VisibleHeight / 10.0 / 1.15;
  const double ByWidth = 0.9 * VisibleWidth / (16 * 0.55);
  const double Points = std::min(ByHeight, ByWidth) * 72.0 / 96.0;
  return std::clamp(static_cast<int32_t>(std::lround(Points)), 8, 400);
}
