#pragma once
// The frame dialog's work on the card: its target (the selected photo, else the canvas), the
// state saved when the dialog opens, "Просмотр", "OK" with the start of its undo step and
// "Cancel". Qt-free;
// the dialog only collects the tile, the percentage and the check box.
#include <cstdint>
#include <string>

#include "bitmap32.h"
#include "card_document.h"
#include "document_state.h"
#include "undo.h"

// A frame built for the card's target and not yet put on it.
struct TBuiltFrame {
  // The canvas inside its frame ((Tw + 2G) x (Th + 2G)), or for a photo the frame alone, of the
  // size of the photo's visible part.
  TBitmap32 Picture;
  TBitmapLayer* Photo = nullptr;  // the framed photo, none for the canvas
  // The frame's place in the photo's location (see TLayerFrame).
  TSingleRect Box = {0, 0, 1, 1};
};

// The bounds of the bitmap's pixels that are not fully transparent; the whole bitmap when there
// are none.
TRect VisibleBounds(const TBitmap32& B);

// Frames the card's target in a new picture without touching the card. A selected photo (or
// the photo of a selected frame) gets a frame of its own that lies over the edges of its
// visible pixels (a masked photo's mask bounds); the canvas is replaced by the canvas inside
// the frame, which grows it.
void BuildFrameFor(TCardDocument& Doc, const TBitmap32& Tile, int32_t Percent, TBuiltFrame& F);
// Puts a built frame on the card: the canvas; or the photo's frame layer, made anew directly
// above the photo or, when the photo has one, replacing its pixels. The photo is then selected
// anew, so that the selection frame stays on top.
void PutFrame(TCardDocument& Doc, TBuiltFrame& Frame);
// Reads a frame tile; a non-square picture gives its top-left square. The reader's error
// propagates; no file at all is an error too.
void LoadFrameTile(const std::string& FileName, TBitmap32& Tile);

class TFrameSession {
 public:
  explicit TFrameSession(TCardDocument& Doc) : FDoc(Doc) {}

  // The dialog opens: saves the card as it is.
  void Begin();
  bool Active() const { return FActive; }
  // Puts the saved card back, the selection included.
  void Restore();
  // "Просмотр": the saved state, then the frame of TileFile at Percent on it. A tile that
  // cannot be read or a frame that cannot be built leaves the card as restored.
  void Preview(const std::string& TileFile, int32_t Percent);
  // "OK": the saved state, Start (one undo step) and the frame; the session ends. On failure
  // the card stays as restored, Start is not called and the session goes on.
  void Ok(const std::string& TileFile, int32_t Percent, const TChangeStart& Start);
  // "Cancel" (also closing the dialog any other way): the saved state; the session ends.
  void Cancel();

 private:
  void Build(const std::string& TileFile, int32_t Percent, TBuiltFrame& F);
  void End();

  TCardDocument& FDoc;
  TPixelStore FStore;
  TDocumentState FSaved;
  bool FActive = false;
};
