#pragma once
// Sharpening with a five-point kernel and blurring by four diagonal samples, on RgbImages.
#include <cstdint>

#include "rgb_image.h"

// Dest takes Source's size. The border rows and columns are copied; every other channel
// becomes ((centre * C + 32767) >> 16) - ((sum of the centre and its four neighbours * N +
// 32767) >> 16), clamped, with N = round(float((Strength - 1) / 5) * 65536) and
// C = round(Strength * 65536). Raises EEffectError "Bitmap must be at least 3x3" or "Alpha
// must be >1 and <6" before changing anything.
void SharpenFivePoint(const RgbImage& Source, RgbImage& Dest, double Strength);

// In place, rows top to bottom and pixels left to right, each reading the image as it stands:
// every channel becomes the floor of the mean of the pixels at columns x - d, x + d and rows
// y - d, y + d. Near the top and left the sample falls back to the pixel's own row or column;
// near the bottom and right to row H - y and column W - x, kept inside the image. Distance 0
// changes nothing.
void DiagonalAverageBlur(RgbImage& Image, int32_t Distance);

// The fixed-point weights of SharpenFivePoint for a strength.
struct TSharpenWeights {
  uint32_t N, C;
};
TSharpenWeights SharpenWeights(double Strength);
