#pragma once
// A copy of the card's target (the selected bitmap layer, else the canvas) taken when a dialog
// opens, put back before each preview, on "OK" and on "Cancel". The dialogs are modal, so the
// layer at the saved index is the one that was copied.
#include <cstdint>

#include "bitmap32.h"
#include "card_document.h"

class TTargetSnapshot {
 public:
  // Copies the target's bitmap and, for a layer, its index and location.
  void Take(TCardDocument& Doc);
  bool Taken() const { return FTaken; }
  bool IsLayer() const { return FTaken && FLayerIndex >= 0; }
  // The saved bitmap back on its target, a layer's location too. Returns the layer, or nullptr
  // for the canvas (and when nothing was taken or the layer is gone).
  TBitmapLayer* PutBack(TCardDocument& Doc) const;
  // Forgets the copy.
  void Drop();

 private:
  bool FTaken = false;
  int32_t FLayerIndex = -1;  // -1: the canvas
  TBitmap32 FSaved;
  TSingleRect FSavedLocation = {0, 0, 0, 0};
};
