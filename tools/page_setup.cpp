#include "page_setup.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double MmPerInch = 25.4;

// Nearest integer, ties to even (the rounding mode is left at its default).
int64_t RoundEven(double V) {
  return static_cast<int64_t>(std::nearbyint(V));
}

int32_t ClampSide(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, PageSideMin, PageSideMax));
}

// The result sizes stay far inside 32 bits: at most 32000 mm at 1600 dpi is 2015748 pixels.
int32_t ToPixels(double V) {
  return static_cast<int32_t>(std::clamp<int64_t>(RoundEven(V), 0, INT32_MAX));
}

}  // namespace

int32_t MmToPixels(double Mm, int32_t Dpi) {
  return ToPixels(Mm / MmPerInch * Dpi);
}

int32_t PixelsToMm(int32_t Px, int32_t Dpi) {
  return ToPixels(Px * MmPerInch / std::max(Dpi, 1));
}

int64_t SizeKilobytes(int64_t Width, int64_t Height) {
  if (Width <= 0 || Height <= 0)
    return 0;
  // At most 2015748 squared times 4: exact in a double.
  return RoundEven(static_cast<double>(Width * Height * 4) / 1024);
}

const std::array<TPageFormat, PageFormatCount>& PageFormats() {
  using K = TPageFormat;
  static const std::array<TPageFormat, PageFormatCount> Table = {{
      {"Вариант пользователя", K::pkNone, 0, 0, true},
      {"Лист A4 (210 x 297 мм)", K::pkPaper, 297, 210, true},
      // The A2 sheet, under the name the list has always used.
      {"Почтовая карточка", K::pkPaper, 594, 420, true},
      {"Фото 9 x 13 см ", K::pkPaper, 130, 90, true},
      {"Фото 10 x 15 см", K::pkPaper, 150, 100, true},
      {"Фото 15 x 21 см", K::pkPaper, 210, 150, true},
      {"Фото 20 x 30 см", K::pkPaper, 300, 200, true},
      {"640 x 480", K::pkScreen, 640, 480, false},
      {"800 x 600", K::pkScreen, 800, 600, false},
      {"720 x 576 (DV)", K::pkScreen, 720, 576, false},
      {"1024 x 768", K::pkScreen, 1024, 768, false},
      {"Квадрат 12 x 12 см", K::pkPaper, 120, 120, true},
      {"Лист A5 (148 x 210 мм)", K::pkPaper, 148, 210, true},
      {"Лист A6 (105 x 148 мм)", K::pkPaper, 105, 148, true},
  }};
  return Table;
}

TPagePreview PagePreview(int32_t ShownWidth, int32_t ShownHeight) {
  const double Q = static_cast<double>(ShownWidth) / std::max(ShownHeight, 1);
  if (Q >= 0.95) {
    const auto H = static_cast<int32_t>(RoundEven(257 / Q));
    return {360, static_cast<int32_t>(RoundEven((305 - H) / 2.0)) + 8, 257, H};
  }
  const auto W = static_cast<int32_t>(RoundEven(270 * Q));
  return {static_cast<int32_t>(RoundEven((289 - W) / 2.0)) + 344, 27, W, 270};
}

TPageSetup::TPageSetup() {
  Tick();
}

void TPageSetup::SetShownWidth(int32_t V) {
  FShownWidth = ClampSide(V);
}

void TPageSetup::SetShownHeight(int32_t V) {
  FShownHeight = ClampSide(V);
}

void TPageSetup::SetResolution(int32_t Dpi) {
  FResolution = std::clamp(Dpi, ResolutionMin, ResolutionMax);
  FResolutionChosen = true;
  Tick();
}

int32_t TPageSetup::Shown(int32_t Pixels) const {
  return ClampSide(FUnit == puPoints ? Pixels : PixelsToMm(Pixels, FResolution));
}

void TPageSetup::ShowResult() {
  FShownWidth = Shown(FResultWidth);
  FShownHeight = Shown(FResultHeight);
}

void TPageSetup::SetUnit(TPageUnit Unit) {
  FUnit = Unit;
  ShowResult();
}

void TPageSetup::ChooseFormat(int32_t Index) {
  if (Index < 0 || Index >= PageFormatCount)
    return;
  FFormat = Index;
  const TPageFormat& F = PageFormats()[static_cast<size_t>(Index)];
  if (F.Kind == TPageFormat::pkPaper) {
    if (!FResolutionChosen)
      FResolution = PaperDpi;
    FResultWidth = MmToPixels(F.Width, FResolution);
    FResultHeight = MmToPixels(F.Height, FResolution);
  } else if (F.Kind == TPageFormat::pkScreen) {
    FResultWidth = F.Width;
    FResultHeight = F.Height;
  }
  if (F.ToMillimetres)
    FUnit = puMillimetres;
  ShowResult();
}

void TPageSetup::Tick() {
  if (FUnit == puPoints) {
    FResultWidth = FShownWidth;
    FResultHeight = FShownHeight;
  } else {
    FResultWidth = MmToPixels(FShownWidth, FResolution);
    FResultHeight = MmToPixels(FShownHeight, FResolution);
  }
  if (FResultWidth < FResultHeight)
    FOrientation = poPortrait;
  else if (FResultHeight < FResultWidth)
    FOrientation = poLandscape;
}

bool TPageSetup::ClickPortrait() {
  FOrientation = poPortrait;
  if (!(FResultHeight < FResultWidth))
    return false;
  const int32_t W = Shown(FResultHeight), H = Shown(FResultWidth);
  FShownWidth = W;
  FShownHeight = H;
  return true;
}

bool TPageSetup::ClickLandscape() {
  FOrientation = poLandscape;
  if (!(FResultWidth < FResultHeight))
    return false;
  const int32_t W = Shown(FResultHeight), H = Shown(FResultWidth);
  FShownWidth = W;
  FShownHeight = H;
  return true;
}
