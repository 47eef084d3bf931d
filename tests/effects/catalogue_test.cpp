#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "color32.h"
#include "color_adjust.h"
#include "effects_catalogue.h"

namespace {

bool Same(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

void MakeTarget(TBitmap32& B, int32_t W, int32_t H) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X)
      B.SetPixel(X, Y, ColorFromRGBA(X * 5, Y * 3, (X ^ Y) & 255, 255 - (X + Y) % 200));
}

}  // namespace

TEST(Catalogue, NineCellsInNameOrderWithTitlesAndThumbnailSize) {
  TBitmap32 T;
  MakeTarget(T, 50, 200);
  const auto Cells = MakeCataloguePreviews(T);
  ASSERT_EQ(Cells.size(), 9u);
  const char* Names[] = {"Blur.bmp",      "Color Noise.bmp", "Contrast.bmp",
                         "GrayScale.bmp", "Invert.bmp",      "Mono Noise.bmp",
                         "Mosaic.bmp",    "Spray.bmp",       "Wave.bmp"};
  const char* Titles[] = {"Размытие",       "Цветной шум",    "Контраст",
                          "Оттенки серого", "Негатив",        "Чёрный шум",
                          "Мозаика",        "Разбрызгивание", "Волна"};
  for (size_t I = 0; I < 9; ++I) {
    EXPECT_STREQ(Cells[I].FileName, Names[I]);
    EXPECT_STREQ(Cells[I].Title, Titles[I]);
    EXPECT_EQ(Cells[I].Picture->Width(), 100);
    EXPECT_EQ(Cells[I].Picture->Height(), 400);
  }
  EXPECT_EQ(CatalogueThumbHeight(300, 200), 67);
  EXPECT_EQ(CatalogueThumbHeight(8, 1), 12);  // 12.5 to even

  // The 32-bit cells keep the thumbnail's alpha; the 24-bit ones are opaque.
  EXPECT_EQ(Cells[4].Picture->GetPixel(0, 0) >> 24, Cells[2].Picture->GetPixel(0, 0) >> 24);
  EXPECT_EQ(Cells[0].Picture->GetPixel(0, 0) >> 24, 255u);

  // A second opening draws new random numbers: noise and spray differ, blur does not.
  const auto Again = MakeCataloguePreviews(T);
  EXPECT_TRUE(Same(*Cells[0].Picture, *Again[0].Picture));
  EXPECT_FALSE(Same(*Cells[1].Picture, *Again[1].Picture));
  EXPECT_FALSE(Same(*Cells[5].Picture, *Again[5].Picture));
}

TEST(Catalogue, ApplyingAnItemKeepsALayersAlpha) {
  TBitmap32 T, Want;
  MakeTarget(T, 30, 20);
  Want.Assign(&T);
  ApplyCatalogueItem(-1, {&T, true});
  ApplyCatalogueItem(9, {&T, true});
  EXPECT_TRUE(Same(T, Want));

  ApplyCatalogueItem(4, {&T, true});
  InvertColors(Want);
  EXPECT_TRUE(Same(T, Want));

  TBitmap32 Layer, Canvas;
  MakeTarget(Layer, 30, 20);
  MakeTarget(Canvas, 30, 20);
  ApplyCatalogueItem(3, {&Layer, true});
  ApplyCatalogueItem(3, {&Canvas, false});
  for (int32_t I = 0; I < 600; ++I) {
    EXPECT_EQ(Layer.Bits()[I] & 0xFFFFFF, Canvas.Bits()[I] & 0xFFFFFF);
    EXPECT_EQ(Canvas.Bits()[I] >> 24, 255u);
    EXPECT_EQ(Layer.Bits()[I] >> 24, T.Bits()[I] >> 24);
  }
}
