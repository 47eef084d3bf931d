#include "effects_catalogue.h"

#include <cmath>
#include <functional>

#include "color_adjust.h"
#include "color_effects.h"
#include "distortions.h"
#include "sharpen_blur.h"

namespace {

// A 24-bit run: the bitmap to a working image, the routine, and back (every pixel opaque).
void Through24(TBitmap32& B, const std::function<void(RgbImage&)>& Routine) {
  RgbImage Work;
  BitmapToRgb(B, Work);
  Routine(Work);
  RgbToBitmap(Work, B);
}

}  // namespace

int32_t CatalogueThumbHeight(int32_t Width, int32_t Height) {
  if (Width <= 0)
    return 0;
  return int32_t(std::nearbyint(static_cast<long double>(Height) / Width * 100));
}

std::vector<TCataloguePreview> MakeCataloguePreviews(const TBitmap32& Target) {
  std::vector<TCataloguePreview> Cells;
  if (Target.IsEmpty())
    return Cells;
  TBitmap32 Thumb;
  Thumb.SetSize(100, CatalogueThumbHeight(Target.Width(), Target.Height()));
  if (Thumb.IsEmpty())
    return Cells;
  Target.DrawOnto(Thumb, Thumb.BoundsRect());

  struct TMaker {
    const char* FileName;
    const char* Title;
    std::function<void(TBitmap32&)> Make;
  };
  // In the order of computing, which is the order of the random draws.
  const TMaker Makers[] = {
      {"Contrast.bmp", "Контраст", [](TBitmap32& B) { ContrastStretch(B, 90); }},
      {"Blur.bmp", "Размытие",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { DiagonalAverageBlur(I, 1); }); }},
      {"Spray.bmp", "Разбрызгивание",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { ScatterPixels(I, 7); }); }},
      {"Mosaic.bmp", "Мозаика",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { BlockMosaic(I, 5); }); }},
      {"Color Noise.bmp", "Цветной шум",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { ChannelNoise(I, 70); }); }},
      {"Mono Noise.bmp", "Чёрный шум",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { GreyNoise(I, 70); }); }},
      {"GrayScale.bmp", "Оттенки серого",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { WeightedGrey(I); }); }},
      {"Invert.bmp", "Негатив", [](TBitmap32& B) { InvertColors(B); }},
      {"Wave.bmp", "Волна",
       [](TBitmap32& B) { Through24(B, [](RgbImage& I) { WaveShift(I, 7, 20, 1); }); }},
  };
  std::vector<TCataloguePreview> Made(9);
  for (int I = 0; I < 9; ++I) {
    TCataloguePreview& P = Made[size_t(I)];
    P.FileName = Makers[I].FileName;
    P.Title = Makers[I].Title;
    P.Picture = std::make_unique<TBitmap32>();
    P.Picture->Assign(&Thumb);
    Makers[I].Make(*P.Picture);
  }
  // The grid lists pictures by name: Blur, Color Noise, Contrast, GrayScale, Invert,
  // Mono Noise, Mosaic, Spray, Wave.
  for (int From : {1, 4, 0, 6, 7, 5, 3, 2, 8}) Cells.push_back(std::move(Made[size_t(From)]));
  return Cells;
}

void ApplyCatalogueItem(int Index, const TEffectTarget& Target) {
  if (Target.Bitmap == nullptr || Index < 0 || Index > 8 || Target.Bitmap->IsEmpty())
    return;
  TBitmap32& B = *Target.Bitmap;
  TBitmap32 Alpha;
  if (Target.IsLayer)
    SaveAlphaAsGrey(B, Alpha);
  B.BeginUpdate();
  switch (Index) {
    case 0:
      Through24(B, [](RgbImage& I) { DiagonalAverageBlur(I, 1); });
      break;
    case 1:
      Through24(B, [](RgbImage& I) { ChannelNoise(I, 70); });
      break;
    case 2:
      ContrastStretch(B, 90);
      break;
    case 3:
      Through24(B, [](RgbImage& I) { WeightedGrey(I); });
      break;
    case 4:
      InvertColors(B);
      break;
    case 5:
      Through24(B, [](RgbImage& I) { GreyNoise(I, 70); });
      break;
    case 6:
      Through24(B, [](RgbImage& I) { BlockMosaic(I, 5); });
      break;
    case 7:
      Through24(B, [](RgbImage& I) { ScatterPixels(I, 7); });
      break;
    case 8:
      Through24(B, [](RgbImage& I) { WaveShift(I, 27, 20, 1); });
      break;
  }
  if (Target.IsLayer)
    RestoreAlphaFromGrey(Alpha, B);
  B.EndUpdate();
  B.Changed();
}
