#pragma once
// The canvas crop: "Обрезать холст" puts a crop area on the card (which shows the panel
// "Обрезка холста"), the panel's proportions shape it, "ОК" cuts the canvas to it and
// "Отмена" removes it. The window keeps the handlers:
//
//   N114Click "Обрезать холст"     StartCanvasCrop(Doc)
//   CropsPChange (CropsP, Obrat)   ApplyCropProportion(Doc, item, Obrat checked)
//   Button1Click "ОК"              CropCanvas(Doc, Start), run by the card runner
//   Button2Click "Отмена"          Doc.RemoveAreaLayer()
#include <cstdint>

#include "card_document.h"
#include "undo.h"

// The message of "ОК" when the crop area lies wholly off the canvas.
extern const char* const CropOutsideMessage;

// A crop area over the card less a tenth at each side, selected. Nothing, and nullptr, while a
// crop area is selected already.
TPositionedLayer* StartCanvasCrop(TCardDocument& Doc);
// With a crop area selected and a proportion other than "Свободные" (item 0): the area's
// height follows its width, height = round(|width| / proportion), and the frame follows.
void ApplyCropProportion(TCardDocument& Doc, int32_t Item, bool Portrait);
// Crops the canvas to the selected crop area (nothing without one); see CropCanvasTo.
void CropCanvas(TCardDocument& Doc, const TChangeStart& Start = {});
// Crops the canvas to Area clamped to the canvas: Start (the undo step); with
// the offset (round(left), round(top)); the canvas becomes that rectangle; the area layer is
// removed; every other layer moves by minus the offset and bitmap layers become clipped at the
// canvas edge. An area that does not reach onto the canvas raises CropOutsideMessage and
// changes nothing.
void CropCanvasTo(TCardDocument& Doc, const TChangeStart& Start, TSingleRect Area);
