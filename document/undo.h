#pragma once
// One undo step and one redo step of the card document. A record keeps one full copy of a
// layer bitmap or of the canvas; putting a record back exchanges pixel buffers with the
// document instead of copying them, so the pair of records never costs more than the two
// copies they hold.
#include <cstdint>
#include <functional>

#include "bitmap32.h"
#include "types.h"

class TCardDocument;

// What a record holds and how it is put back.
enum TUndoKind : uint8_t {
  ukNone,    // nothing: the command is disabled
  ukEffect,  // one layer's bitmap (Target = its index) or the canvas (Target = CanvasTarget)
  ukSize,    // the canvas before an image resize; layer locations are scaled back
  ukHolst,   // the canvas
  ukGeom,    // one layer's bitmap and location
  ukCrop,    // the canvas before a canvas crop, and the crop offset (Dx, Dy)
};

// The short name of a kind: "none", "effect", "size", "holst", "geom" or "crop".
const char* UndoKindName(TUndoKind Kind);

// The target of a record that holds the canvas rather than a layer.
constexpr int32_t CanvasTarget = 777;

struct TUndoRecord {
  TUndoKind Kind = ukNone;
  // A stack index at the time of recording; a record refers to whatever layer is at that
  // index when it is put back.
  int32_t Target = 0;
  // The stored picture. Empty while Kind is ukNone.
  TBitmap32 Bitmap;
  TSingleRect Location = {0, 0, 0, 0};
  // Top-left corner of the crop rectangle in old canvas pixels.
  int32_t Dx = 0;
  int32_t Dy = 0;
};

// The undo record U and the redo record R of one document. Every command that changes pixels
// or geometry calls one Record...Step just before it changes anything; recording replaces U
// and leaves R alone.
class TUndoStack {
 public:
  // Follows the document's deletions: takes over Doc.OnLayerDeleting (and clears it when
  // destroyed), so the document must outlive the stack.
  explicit TUndoStack(TCardDocument& Doc);
  ~TUndoStack();
  TUndoStack(const TUndoStack&) = delete;
  TUndoStack& operator=(const TUndoStack&) = delete;

  const TUndoRecord& UndoRecord() const { return FU; }
  const TUndoRecord& RedoRecord() const { return FR; }

  // "effect": the selected bitmap layer's index and bitmap; with no bitmap layer selected (none,
  // or an area layer) the canvas with Target = CanvasTarget.
  void RecordLayerStep();
  // "size": the canvas, before "Размер изображения" changes its size.
  void RecordSizeStep();
  // "holst": the canvas.
  void RecordCanvasStep();
  // "geom": the selected bitmap layer's bitmap, location and index. Records nothing and
  // returns false when no bitmap layer is selected.
  bool RecordGeometryStep();
  // "crop": the canvas, before a canvas crop; the crop then tells its offset.
  void RecordCropStep();
  void SetCropOffset(int32_t Dx, int32_t Dy);

  // "Отменить" / "Повторить": put the stored state back and move the state it replaces into
  // the other record; the record put back becomes "none". A record whose target index no
  // longer holds a bitmap layer is only emptied. True when the document changed.
  bool Undo();
  bool Redo();
  // The enabling of "Отменить" and "Повторить".
  bool CanUndo() const { return FU.Kind != ukNone; }
  bool CanRedo() const { return FR.Kind != ukNone; }

  // Both records become "none" (a document was opened or made anew).
  void Reset();
  // The layer at Index is about to be deleted: a record aimed at it becomes "none", a record
  // aimed above it follows its layer down by one. Canvas records are left alone. Called
  // through Doc.OnLayerDeleting.
  void LayerDeleted(int32_t Index);

  // Asked to release the mouse capture when a geometry step is put back on the selected layer
  // (the frame is rebuilt around the restored shape while a drag may be going on).
  std::function<void()> OnReleaseCapture;

 private:
  bool PutBack(TUndoRecord& From, TUndoRecord& To, bool IsUndo);
  TBitmap32* TargetBitmap(const TUndoRecord& Rec) const;
  void Store(TUndoRecord& Rec, TUndoKind Kind, int32_t Target, const TBitmap32& Source);

  TCardDocument& FDoc;
  TUndoRecord FU;
  TUndoRecord FR;
};
