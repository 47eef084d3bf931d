#include "preview_snapshot.h"

void TPreviewSnapshot::Take(const TBitmap32& Pixels) {
  FPixels.Assign(&Pixels);
  FTaken = true;
}

void TPreviewSnapshot::PutBack(TBitmap32& Pixels) const {
  if (FTaken)
    Pixels.Assign(&FPixels);
}

void TPreviewSnapshot::Drop() {
  FPixels.SetSize(0, 0);
  FTaken = false;
}
