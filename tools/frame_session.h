#pragma once
// The frame dialog's work on the card: its target (the selected bitmap layer, else the
// canvas), the state saved when the dialog opens, "Просмотр", "OK" with its undo step and
// "Cancel". Qt-free; the dialog only collects the tile, the percentage and the check box.
#include <cstdint>
#include <string>

#include "bitmap32.h"
#include "card_document.h"
#include "target_snapshot.h"
#include "undo.h"

// A frame built for the card's target and not yet put on it.
struct TBuiltFrame {
  TBitmap32 Picture;                    // the framed picture: (Tw + 2G) x (Th + 2G)
  TBitmapLayer* Layer = nullptr;        // the framed layer, none for the canvas
  uint32_t MasterAlpha = 255;           // the layer's master alpha, given back to it
  TSingleRect Location = {0, 0, 0, 0};  // the layer's new location
};

// Frames the card's target in a new picture without touching the card: the selected bitmap
// layer is framed at master alpha 255 and blended over the frame, the canvas replaces the
// frame under it. A layer's new location keeps its left and top and grows to the right and
// down at the layer's display scale.
void BuildFrameFor(TCardDocument& Doc, const TBitmap32& Tile, int32_t Percent, TBuiltFrame& F);
// Puts a built frame on the card: the canvas, or the layer's bitmap (drawn blended, with its
// master alpha) and location, the layer then deselected and selected again so that the
// selection frame follows.
void PutFrame(TCardDocument& Doc, TBuiltFrame& Frame);
// Reads a frame tile; a non-square picture gives its top-left square. The reader's error
// propagates; no file at all is an error too.
void LoadFrameTile(const std::string& FileName, TBitmap32& Tile);

class TFrameSession {
 public:
  TFrameSession(TCardDocument& Doc, TUndoStack& Undo) : FDoc(Doc), FUndo(Undo) {}

  // The dialog opens: saves a copy of the target's bitmap and, for a layer, its index and
  // location.
  void Begin();
  bool Active() const { return FSnapshot.Taken(); }
  // Puts the saved state back: the layer at the saved index gets its bitmap and location back
  // and is selected anew; or the canvas gets its bitmap back.
  void Restore();
  // "Просмотр": the saved state, then the frame of TileFile at Percent on it. A tile that
  // cannot be read or a frame that cannot be built leaves the card as restored.
  void Preview(const std::string& TileFile, int32_t Percent);
  // "OK": the saved state, one undo step and the
  // frame; the session ends. On failure the card stays as restored, nothing is recorded and
  // the session goes on.
  void Ok(const std::string& TileFile, int32_t Percent);
  // "Cancel" (also closing the dialog any other way): the saved state; the session ends.
  void Cancel();

 private:
  void Build(const std::string& TileFile, int32_t Percent, TBuiltFrame& F);

  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TTargetSnapshot FSnapshot;
};
