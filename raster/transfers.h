#pragma once
// Block and stretch transfers of one bitmap onto another, with the four resampling filters.
#include <cstdint>
#include <vector>

#include "bitmap32.h"
#include "blend.h"
#include "types.h"

// Draws SrcRect of Src with its top-left corner at (DstX, DstY) of Dst, clipped to both
// bitmaps. The master alpha is Src's. Does not notify Dst.
void BlockTransfer(TBitmap32* Dst, int32_t DstX, int32_t DstY, const TBitmap32* Src, TRect SrcRect,
                   TDrawMode CombineOp, const TPixelCombineEvent& CombineEvent = {});

// Draws SrcRect of Src into DstRect of Dst with the given filter. Equal sizes fall through to
// the block transfer. Does not notify Dst.
void StretchTransfer(TBitmap32* Dst, TRect DstRect, const TBitmap32* Src, TRect SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp,
                     const TPixelCombineEvent& CombineEvent = {});

// "Destination bitmap is nil or empty", then "Source bitmap is nil or empty".
void CheckBitmaps(const TBitmap32* Dst, const TBitmap32* Src);
// False for an empty SrcRect, true inside Src, else "Source rectangle is invalid".
bool CheckSrcRect(const TBitmap32* Src, const TRect& SrcRect);

// One (source position, integer weight) pair of a resampling cluster.
struct TPointRec {
  int32_t Pos;
  int32_t Weight;
  friend bool operator==(const TPointRec&, const TPointRec&) = default;
};
using TCluster = std::vector<TPointRec>;
using TMappingTable = std::vector<TCluster>;

// The clusters of one direction for sfLinear2 or sfSpline. Raises "Assertion failure" when a
// reduction is so strong that a cluster gets no weight.
TMappingTable BuildMappingTable(int32_t DstSize, int32_t SrcSize, int32_t SrcLo, int32_t SrcHi,
                                TStretchFilter Filter);

// The instruction forms of the stretch inner loops; every form gives the same result to the bit.
// Setting an unsupported form selects the scalar one. Returns the previous choice.
TBlendForms TransferForms();
TBlendForms SetTransferForms(TBlendForms Forms);
