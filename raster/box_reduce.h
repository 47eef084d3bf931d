#pragma once
// Area-average reduction: the step before the kernel resampler when a picture shrinks by more
// than the kernel can carry (its weights would round to nothing), and for one-pixel results.
#include <cstdint>

#include "bitmap32.h"

// Dst (already sized, no larger than Src on either axis) becomes the area average of Src:
// each pixel the mean of the source block [x * Sw / W, (x + 1) * Sw / W) by the same rows.
// A plain colour stays exactly that colour.
void BoxReduce(const TBitmap32& Src, TBitmap32& Dst);

// The size an axis of Src pixels is averaged down to before the resampler makes T pixels of
// it: one pixel for a one-pixel result (the resampler gives such an axis no weight), twice T
// for a reduction stronger than MaxStep : 1, else Src as it is.
int32_t AveragedSize(int32_t Src, int32_t T, int32_t MaxStep);
