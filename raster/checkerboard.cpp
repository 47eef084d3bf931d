#include "checkerboard.h"

#include <algorithm>

void FillCheckerboard(TBitmap32& Dest, int32_t Size, TColor32 Even, TColor32 Odd) {
  if (Size < 1 || Dest.IsEmpty())
    return;
  const int32_t W = Dest.Width();
  for (int32_t Y = 0; Y < Dest.Height(); ++Y) {
    TColor32* Row = Dest.RowAddress(Y);
    // Each row is runs of Size pixels; odd square rows start with the other colour.
    bool First = ((Y / Size) & 1) == 0;
    for (int32_t X = 0; X < W; X += Size, First = !First)
      std::fill_n(Row + X, std::min(Size, W - X), First ? Even : Odd);
  }
}
