#pragma once
// What the newest undo step recorded, for the tests of the commands that record one.
#include <cstdint>
#include <vector>

#include "custom_layer.h"
#include "undo.h"

// The card as the newest step that can be undone took it.
inline const TDocumentState& LastRecorded(const TUndoStack& Undo) {
  return Undo.StateBefore(Undo.Position() - 1);
}

// The newest step's copy of a layer, found by identity; none when the layer was not there.
inline const TLayerState* RecordedLayer(const TUndoStack& Undo, const TCustomLayer* Layer) {
  for (const TLayerState& L : LastRecorded(Undo).Layers)
    if (L.Id == Layer->Id())
      return &L;
  return nullptr;
}

// The pixels the newest step holds of a layer, or of the canvas for none.
inline std::vector<TColor32> RecordedPixels(const TUndoStack& Undo,
                                            const TCustomLayer* Layer = nullptr) {
  const TBitmap32* B =
      Layer == nullptr ? LastRecorded(Undo).Canvas.get() : RecordedLayer(Undo, Layer)->Pixels.get();
  return std::vector<TColor32>(B->Bits(), B->Bits() + size_t(B->Width()) * B->Height());
}

inline const TBitmap32& RecordedCanvas(const TUndoStack& Undo) {
  return *LastRecorded(Undo).Canvas;
}
