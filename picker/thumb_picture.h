#pragma once
// Loading the picture of one thumbnail cell: decoded small where the format allows it, reduced
// in small-memory mode, and kept only as a copy no larger than the picker's largest cell.
#include <cstdint>
#include <string>

#include "bitmap24.h"
#include "font.h"

struct TThumbPicture {
  // The picture's size as the cell fits it: the reduced size in small-memory mode (unless the
  // picture is smaller than that), otherwise the picture's own size.
  TSize Size;
  // What the cell draws, stretched into its fitted rectangle: the picture reduced into the
  // MaxWidth x MaxHeight box (or as it is when it is smaller), opaque, 24 bits.
  TBitmap24 Shown;
};

// Reads the picture file Path for a picker whose largest cell is MaxWidth x MaxHeight. JPEG
// files are decoded at a reduced DCT scale; every other format through its reader at full
// size, then reduced. Raises the reader's Exception for a file that cannot be read.
TThumbPicture LoadThumbPicture(const std::string& Path, int32_t MaxWidth, int32_t MaxHeight,
                               bool MinMemory);
