#pragma once
// The commands on the selected layer: the menu "Выделение", the view's context menu and the
// buttons of the layer panel, the frame's resize handler and the colour-pick mode. The window
// keeps the handlers and calls one function each:
//
//   mnReorder (Tag 1..4)                      Reorder(Tag)
//   mnDeleteClick, Delete key                 DeleteSelected()
//   Button8Click "Удалить слой"               DeleteSelected(), then Doc.Modified = true
//   N88Click, Button7Click "Создать копию"    CloneSelected()
//   N901Click "На 90° вправо"                 RotateRight()
//   N902Click "На 90° влево"                  RotateLeft()
//   N24Click (top to bottom)                  FlipTopToBottom()
//   N53Click (left to right, mirror)          FlipLeftToRight()
//   N109Click "Снять маску"                   RemoveMask()
//   mnArrangeClick, view change notification  ArrangeMenuEnabled()  -> enable entries 0..15
//   LayerPopupPopup                           LayerPopupEnabled()   -> enable entries 0..15
//   ImgViewContextPopup                       LayerPopup while UsesLayerPopup()
//   ImgViewMouseDown in pick mode             PickTransparentColor(ControlToBitmap(press)),
//                                             then default cursor and close TSTC
//   ImgViewMouseDown otherwise                ViewMouseDown(layer hit by the press); when
//                                             nothing was hit also release the mouse capture
//   ImgViewMouseMove while TSTC is shown      PickColorAt(ControlToBitmap(point), Colour)
//   RBResizing (the document's OnResizing)    RBResizing(..., options from the check boxes)
//   ApplyTransparentColor, LayerRescaleClick, LayerResetScaleClick: same names here.
#include <array>
#include <cstdint>
#include <string>

#include "card_document.h"
#include "undo.h"

// The check boxes that steer RBResizing, read by the window when the frame is dragged.
struct TResizeOptions {
  bool Propos = true;  // "Соблюдать пропорции": a bitmap layer keeps its bitmap's proportions
  int32_t CropsP = 0;  // item of the crop proportion list; 0 "Свободные"
  bool Obrat = false;  // "Портрет": the crop proportions turned upright
};

// Width / height of the crop proportion list's Item, landscape or portrait; 0 for "Свободные"
// and for an item outside the list (no constraint).
double CropProportion(int32_t Item, bool Portrait);

// The bitmap pixel shown at canvas point P by a layer at Location showing a W x H bitmap:
// x = round((P.x - L) * (W / |R - L|)), y = round((P.y - T) * (H / |T - B|)). A degenerate
// location gives (-1, -1), outside the bitmap.
TPoint PickPixelPos(const TSingleRect& Location, int32_t W, int32_t H, TPoint P);
// The colour the pick mode takes from the layer at canvas point P: that bitmap pixel (the
// bitmap's OuterColor outside it) with alpha forced to 255.
TColor32 PickColor(const TBitmapLayer& Layer, TPoint P);

// The entries 0..15 of the menu "Выделение" and of the context menu (the same sixteen, the
// separators at 2, 5 and 11 included).
using TLayerMenuEnabling = std::array<bool, 16>;

class TLayerCommands {
 public:
  TLayerCommands(TCardDocument& Doc, TUndoStack& Undo);
  // Without Undo the edits record nothing: they are part of a command whose step the card
  // runner took (or of the batch tool, which keeps no history).
  TLayerCommands(TCardDocument& Doc, TUndoStack* Undo);
  TLayerCommands(const TLayerCommands&) = delete;
  TLayerCommands& operator=(const TLayerCommands&) = delete;

  // Tag 1 "Поместить вперёд" (index n - 2, below the frame), 2 "Поместить назад" (index 0),
  // 3 "Вверх на один уровень", 4 "Вниз на один уровень". Nothing without a selection; a bitmap
  // layer's move is an undo step. A photo and its frame move as one, over or under another
  // photo with its frame as a whole.
  void Reorder(int32_t Tag);
  // The document's DeleteSelected: the selection is cleared and the layer destroyed; a bitmap
  // layer's deletion is an undo step.
  void DeleteSelected();
  // A copy 30 pixels down and right, selected (so it sits right below the frame): a bitmap
  // layer's copy (an undo step), or for an area layer an empty positioned layer with Tag 2.
  void CloneSelected();
  // Quarter turns of the selected bitmap layer (an undo step): the top-left corner of the
  // location stays, width and height swap, and the layer is selected anew. A photo's frame turns
  // with it; the mirror images below take it along too.
  void RotateRight();
  void RotateLeft();
  // Mirror images of the selected bitmap layer (undo steps).
  void FlipTopToBottom();
  void FlipLeftToRight();
  // Every alpha of the selected bitmap layer to 255 (an undo step).
  void RemoveMask();
  // Pixels equal to Key in all 32 bits become fully transparent, every other pixel fully
  // opaque; colour channels stay. Nothing without a selected bitmap layer; else an undo
  // step first.
  void ApplyTransparentColor(TColor32 Key);

  // A press in pick mode at canvas point P: takes the colour there (PickColor) and makes it
  // transparent. False, and nothing changes, when no bitmap layer is selected.
  bool PickTransparentColor(TPoint P);
  // The colour under canvas point P for the pick window's preview; false without a selected
  // bitmap layer.
  bool PickColorAt(TPoint P, TColor32& Colour) const;
  // A press on the view outside pick mode, after the hit layer (Hit, none when the press missed
  // every layer) has had its own mouse handling. A hit with a content layer selected removes
  // the area layer; a miss clears the selection and removes the area layer.
  void ViewMouseDown(TCustomLayer* Hit);

  // Resamples the selected bitmap layer's pixels (linear filter) to its displayed size, then
  // LayerResetScaleClick. Sets Modified.
  void LayerRescaleClick();
  // Shows the selected bitmap layer at 1:1: the frame keeps its top-left corner and takes the
  // bitmap's size, moving the layer with it. Sets Modified.
  void LayerResetScaleClick();

  // The frame's resize handler: corrects New during a drag of a handle (Ctrl: symmetric about
  // Old's centre; Propos with a bitmap layer: the bitmap's proportions; a crop area: the crop
  // proportions). Sets Modified. Returns the crop area's size as "w x h" text without spaces
  // (as "640x480") for the second status panel while a crop area is resized, else "".
  std::string RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState DragState,
                         TShiftState Shift, const TResizeOptions& Options);

  // Enabling of the menu "Выделение" when it opens and on every view change while the canvas
  // is not empty: 0 and 3 for a bitmap layer below n - 2, 1 and 4 for a bitmap layer above
  // index 0, 6..13 for a bitmap layer, 14 and 15 for any selection; separators 2 and 5 on.
  TLayerMenuEnabling ArrangeMenuEnabled() const;
  // Enabling of the context menu when it opens: 0..13 for a bitmap layer; 14 and 15 always.
  TLayerMenuEnabling LayerPopupEnabled() const;
  // The view's context menu is the layer menu while a layer is selected, none otherwise.
  bool UsesLayerPopup() const { return FDoc.Selected() != nullptr; }

 private:
  void Rotate90(bool Right);
  void Flip(bool Vertical);
  void ResetScale();
  // After the layer's location changed: a frame takes its new place in its photo, a photo's
  // frame follows it.
  void Follow(const TBitmapLayer& L);
  // The edit's undo step, when there is a history.
  void Record(TUndoStep Step);

  TCardDocument& FDoc;
  TUndoStack* FUndo;
};
