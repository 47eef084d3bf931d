#pragma once
// The effects catalogue: nine effects shown as previews computed from a thumbnail of the
// target, and the effect of each grid position applied to the whole target.
#include <cstdint>
#include <memory>
#include <vector>

#include "bitmap32.h"
#include "effect_shell.h"

// One cell of the catalogue grid.
struct TCataloguePreview {
  const char* FileName;  // the name the preview is known by ("Blur.bmp", ...)
  const char* Title;     // the cell's title ("Размытие", ...)
  std::unique_ptr<TBitmap32> Picture;
};

// The thumbnail height for a target: round(H / W * 100), evaluated in extended precision.
int32_t CatalogueThumbHeight(int32_t Width, int32_t Height);

// A 100-pixel-wide thumbnail of the target drawn with its own draw mode and filter, then the
// nine previews computed from copies of it in the order Contrast, Blur, Spray, Mosaic, Color
// Noise, Mono Noise, GrayScale, Invert, Wave (so the random draws follow that order), returned
// in the grid's order: sorted by file name. Empty for an empty target.
std::vector<TCataloguePreview> MakeCataloguePreviews(const TBitmap32& Target);

// The effect of grid position Index (0 .. 8) on the whole target; other indexes change
// nothing. 24-bit effects make a canvas opaque; a layer keeps its alpha.
void ApplyCatalogueItem(int Index, const TEffectTarget& Target);
