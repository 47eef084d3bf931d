#pragma once
// The card commands "Размер изображения" (the canvas resampled, every layer moved with it) and
// "Произвольный угол" (the selected layer turned by a free angle), as the editor and the batch
// tool run them. Qt-free; the dialogs only collect the values.
#include <cstdint>
#include <vector>

#include "card_document.h"
#include "effect_commands.h"
#include "image_size.h"
#include "undo.h"

// "Размер изображения" closed with OK, through the card runner: the undo step (when Undo is given
// and the size differs), then, unless Width x Height is the canvas's size already, resamples the
// canvas with the method's filter (kept on the canvas) and divides every positioned layer's
// location by the factors old / new size (each edge rounded, a layer keeping at least one pixel). A
// size that cannot be made leaves the card as it was, with the error propagating.
void ResizeImage(TCardDocument& Doc, TUndoStack* Undo, int32_t Width, int32_t Height,
                 TResampleMethod Method);

// The free rotation of the selected bitmap layer as its dialog runs it: Begin takes a copy of
// the layer's bitmap and location; every Preview and the final Ok start again from that copy,
// so previews never add up; Cancel puts the copy back. The document and the undo stack must
// outlive the session; without Undo nothing is recorded.
class TFreeRotation {
 public:
  TFreeRotation(TCardDocument& Doc, TUndoStack& Undo) : TFreeRotation(Doc, &Undo) {}
  TFreeRotation(TCardDocument& Doc, TUndoStack* Undo);
  TFreeRotation(const TFreeRotation&) = delete;
  TFreeRotation& operator=(const TFreeRotation&) = delete;

  // The dialog opens on the selected bitmap layer; false (and no session) without one.
  bool Begin();
  bool Active() const { return FLayer != nullptr; }
  // "Preview": the layer shows the copy turned by Angle.
  void Preview(int32_t Angle, bool Bilinear);
  // "OK": the copy and its location back, an undo step, then the turn.
  void Ok(int32_t Angle, bool Bilinear);
  // "Cancel" (and the close box): the copy and its location back, the layer selected again.
  void Cancel();
  // The dialog closed: the copy is dropped.
  void End();

 private:
  void Restore();
  void Turn(int32_t Angle, bool Bilinear);

  TCardDocument& FDoc;
  TUndoStack* FUndo;
  TBitmapLayer* FLayer = nullptr;
  TBitmap32 FCopy;
  TSingleRect FLocation = {0, 0, 0, 0};
};

// Turns the selected bitmap layer once, as "OK" of the dialog does (undo step included).
// Nothing happens without a selected bitmap layer.
void RotateSelectedLayer(TCardDocument& Doc, TUndoStack* Undo, int32_t Angle, bool Bilinear);

// The batch tool's commands "ImageSize width= height= [method=nearest|bilinear|spline]" and
// "FreeRotation angle= [bilinear=0|1]" (the latter on the layer chosen with layer=N).
std::vector<TCardCommand> ImageGeometryCommands();
