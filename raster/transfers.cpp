#include "transfers.h"

#include "exceptions.h"

void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src) {
  if (Dst == nullptr || Dst->IsEmpty()) throw ETransformError("Destination bitmap is nil or empty");
  if (Src == nullptr || Src->IsEmpty()) throw ETransformError("Source bitmap is nil or empty");
}

bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect) {
  if (SrcRect.Right <= SrcRect.Left || SrcRect.Bottom <= SrcRect.Top) return false;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Src->Width() ||
      SrcRect.Bottom > Src->Height())
    throw ETransformError("Source rectangle is invalid");
  return true;
}

// Placeholder bodies, replaced by the real transfers.
void BlockTransfer(TBitmap32*, int32_t, int32_t, const TBitmap32*, TRect, TDrawMode,
                   const TPixelCombineEvent&) {}
void StretchTransfer(TBitmap32*, TRect, const TBitmap32*, TRect, TStretchFilter, TDrawMode,
                     const TPixelCombineEvent&) {}
TMappingTable BuildMappingTable(int32_t, int32_t, int32_t, int32_t, TStretchFilter) { return {}; }
