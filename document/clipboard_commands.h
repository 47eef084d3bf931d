#pragma once
// The commands of the menu "Правка" that move pictures through the clipboard, and the two that
// make a selection area. The window keeps the handlers and calls one function each:
//
//   N20Click "Вырезать"                Cut()            -> a message to show, or ""
//   N21Click "Копировать"              Copy()
//   N22Click "Вставить"                Paste()          -> a message to show, or ""
//   N47Click "Вставить как новый"      ReadPasteAsNew() first, then (after the question
//                                      about saving) PasteAsNewCanvas(picture)
//   N71Click "Выделить"                Select()
//   N98Click "Выделить всё"            SelectAll()
//   menu refresh                       CanCut(), CanCopy(), CanPaste(), CanPasteAsNew(),
//                                      CanSelect()
#include <string>

#include "card_document.h"
#include "picture_clipboard.h"
#include "undo.h"

// The message "Вырезать" shows when a selection area is selected while photos are on the card.
extern const char* const CutNeedsFlatCardMessage;

class TClipboardCommands {
 public:
  TClipboardCommands(TCardDocument& Doc, TUndoStack& Undo, TPictureClipboard& Clipboard);
  TClipboardCommands(const TClipboardCommands&) = delete;
  TClipboardCommands& operator=(const TClipboardCommands&) = delete;

  // A selected bitmap layer goes to the clipboard and is deleted; a selection area on a card
  // without other layers is cut out of the canvas, leaving
  // transparent white, and the area is removed. Either is an undo step. Returns the message to
  // show, or "".
  std::string Cut();
  // The flat card, as it looks without the grey of an area layer, goes to the clipboard.
  void Copy();
  // The clipboard's picture as a new selected layer at its own size around the view centre (an
  // undo step). Returns NoPictureMessage when the clipboard holds no picture; a picture that cannot
  // be read raises its error and the card stays as it was.
  std::string Paste();
  // The first half of "Вставить как новый": the clipboard's picture, read before anything of
  // the card changes. False when there is none.
  bool ReadPasteAsNew(TBitmap32& Picture);
  // The second half: the card becomes the picture alone (no layers, no selection); Picture is
  // left empty. The window empties the undo history, as for a new card.
  void PasteAsNewCanvas(TBitmap32& Picture);
  // A 64 x 64 selection area around the view centre, selected; an earlier area is removed.
  TPositionedLayer* Select();
  // A selection area over the whole canvas, selected.
  TPositionedLayer* SelectAll();

  // Enabling of the items of "Правка" and the tool buttons.
  bool CanCut() const;
  bool CanCopy() const { return !FDoc.IsEmpty(); }
  bool CanPaste() const { return !FDoc.IsEmpty() && FClipboard.HasPicture(); }
  bool CanPasteAsNew() const { return FClipboard.HasPicture(); }
  bool CanSelect() const { return !FDoc.IsEmpty(); }

 private:
  // The flat image with every area layer's grey hidden.
  std::unique_ptr<TBitmap32> RenderWithoutAreaGrey();
  void CutArea(TPositionedLayer& Area);

  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TPictureClipboard& FClipboard;
};

// Makes a new area layer (Tag TagSelectionArea or TagCropArea) of 64 x 64 canvas pixels around
// the view centre, painted grey by the document, and selects it; an earlier area is removed.
TPositionedLayer* CreateAreaLayer(TCardDocument& Doc, int32_t Tag);
