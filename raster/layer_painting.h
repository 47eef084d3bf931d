#pragma once
// Painting a run of bitmap layers on two threads with the result of painting them in order.
#include <cstdint>
#include <vector>

#include "bitmap32.h"
#include "custom_layer.h"
#include "types.h"

// How the layer stage paints bitmap layers (plain TBitmapLayer without handlers). Each of them
// writes only its own rectangle, so layers whose rectangles do not meet may be painted in any
// order or at the same time, with the same result as painting all of them in order.
enum class TLayerPaintMode {
  InOrder,         // one after another on the calling thread
  Concurrent,      // on two threads once their painted area reaches MinPixels (the default)
  LastReadyFirst,  // on the calling thread, always the last layer whose overlaps are done: the
                   // most reordering the overlaps allow, for checking that rule
};
void SetLayerPaintMode(TLayerPaintMode Mode, int64_t MinPixels = 1 << 18);
TLayerPaintMode GetLayerPaintMode();
// The painted area from which a run of layers is worth a second thread.
int64_t ConcurrentLayerMinPixels();

// A plain bitmap layer without a paint or combine handler: it writes only its rectangle.
bool PaintsOnlyItsRect(TCustomLayer* L);

struct TLayerTask {
  TCustomLayer* Layer;
  TRect Rect;                 // the pixels of Dest it may write; empty when none
  std::vector<size_t> After;  // earlier tasks whose rectangles meet Rect
};

// Paints the tasks on two threads, or with LastReadyFirst on the calling thread alone, taking
// each time the last layer that may be painted. An error of any layer reaches the caller.
void PaintConcurrently(std::vector<TLayerTask>& Tasks, TBitmap32& Dest, bool LastReadyFirst);
