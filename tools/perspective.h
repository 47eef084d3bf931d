#pragma once
// Perspective geometry: the four-corner state of the window "Геометрия", its preview drawing
// and mapping the full-size picture onto the dragged quadrilateral. Qt-free, shared by the
// window, the batch tool and the benchmarks.
#include <array>
#include <cstdint>

#include "bitmap32.h"
#include "transformation.h"
#include "types.h"
#include "undo.h"

class TCardDocument;

// Corners 0..3 receive the picture's top-left, top-right, bottom-right and bottom-left corners.
using TPerspectiveCorners = std::array<TPoint, 4>;

// The dragged part: a corner 0..3, the whole shape, or nothing.
constexpr int32_t DragNothing = -1;
constexpr int32_t DragShape = 4;

// Size of the reduced preview of a SrcW x SrcH picture in a ClientW x ClientH view: with
// q = SrcW / SrcH, width cw - 50 and height round(width / q) when q >= cw / ch, else height
// ch - 50 and width round(height * q). Each side at least 1.
TPoint PerspectivePreviewSize(int32_t SrcW, int32_t SrcH, int32_t ClientW, int32_t ClientH);
// (0, 0), (w - 1, 0), (w - 1, h - 1), (0, h - 1).
TPerspectiveCorners ResetCorners(int32_t W, int32_t H);
// What a press at (X, Y) drags: the first corner with |xi - X| < 3 and |yi - Y| < 3, else the
// whole shape.
int32_t CornerAt(const TPerspectiveCorners& C, int32_t X, int32_t Y);
// Moves corner Dragged, or all four for DragShape, by (Dx, Dy); nothing for DragNothing.
void MoveCorners(TPerspectiveCorners& C, int32_t Dragged, int32_t Dx, int32_t Dy);

// Why four corners make no quadrilateral a picture can be mapped onto: two corners on the
// same place, three corners on one line, or sides 0-1 and 2-3 (or 1-2 and 3-0) crossing.
enum class TQuadFault { None, Coincident, Collinear, Crossing };
TQuadFault QuadrilateralFault(const TPerspectiveCorners& C);
// The user's message for a fault; empty for TQuadFault::None.
const char* QuadrilateralFaultText(TQuadFault Fault);
// Raises the fault's message when the corners make no quadrilateral.
void CheckQuadrilateral(const TPerspectiveCorners& C);

// The preview transformation: PreviewW x PreviewH's rectangle (0, 0)-(w - 1, h - 1) onto the
// corners.
void SetPreviewMapping(TProjectiveTransformation& T, const TPerspectiveCorners& C, int32_t PreviewW,
                       int32_t PreviewH);
// The view's picture: a checkerboard of 16 x 16 squares (grey 127 at the top left and where
// column and row have the same parity, white elsewhere), then Preview drawn through the corners
// with the nearest or the bilinear filter. Corners that make no quadrilateral (see
// QuadrilateralFault) leave the bare checkerboard and return false.
bool DrawPerspectivePreview(TBitmap32& View, TBitmap32& Preview, const TPerspectiveCorners& C,
                            bool Bilinear, TProjectiveTransformation& T);
// The crawling outline over the view: black, black, white, white dashes (step 0.5, starting at
// DashOffset) from corner 3 to 0, 0 to 1, 1 to 2 and 2 to 3, and at each corner a white
// square (x - 2, y - 2, x + 2, y + 2) in a black frame (x - 3, y - 3, x + 3, y + 3).
void DrawPerspectiveOutline(TBitmap32& Buffer, const TPerspectiveCorners& C, float DashOffset);
// The dash offset's step at each pass of the animation.
constexpr float DashStep = 0.05f;

// The size of the mapped picture for corners in preview pixels and the scale K of the full
// picture to the preview: round(|min(x0, x3) - max(x1, x2)| * K) x round(|min(y0, y1) -
// max(y2, y3)| * K).
TPoint PerspectiveResultSize(const TPerspectiveCorners& C, double K);

struct TPerspectiveOptions {
  bool Bilinear = true;              // "Билинейная интерполяция"
  TColor32 Background = 0xFFFFFFFF;  // "Цвет фона": the uncovered part of a canvas
};

// Maps Source onto the corners (preview pixels, scaled by K = source width / preview width and
// moved to the reference point (min(x0, x3), min(y0, y1))) into Result, which is first sized
// and filled with Fill. Source is prepared on the way: draw mode blend, its one-pixel outline
// made transparent so that the mapped edges fade, the filter of Options. Raises the Russian
// error of CheckQuadrilateral when the corners make no quadrilateral, ETransformError when
// they still cannot be mapped, and a Russian error when the result would be empty.
void MapPerspective(TBitmap32& Source, const TPerspectiveCorners& C, double K,
                    const TPerspectiveOptions& Options, TColor32 Fill, TBitmap32& Result);

// "OK" of the window: maps a copy of Source (the picture taken when the window opened) onto the
// corners given in the preview's pixels (the preview being PreviewW wide) and puts the result
// on the target: the selected bitmap layer (Start, an undo step; transparent around the shape;
// the location keeps its left, top and display scale, and the layer is selected anew), or the
// canvas when nothing is selected (Start; the uncovered part in the background colour; the
// canvas takes the result's size). Start is called only once the result is made, so a failure
// changes nothing.
void ApplyPerspective(TCardDocument& Doc, const TChangeStart& Start, const TBitmap32& Source,
                      int32_t PreviewW, const TPerspectiveCorners& C,
                      const TPerspectiveOptions& Options);
