#pragma once
// The layer crop: the arithmetic of the crop window "Визуальная обрезка слоя" and cutting the
// selected photo layer down to a rectangle of its bitmap. Qt-free, shared by the window and the
// batch tool.
#include <cstdint>

#include "bitmap32.h"
#include "types.h"
#include "undo.h"

class TBitmapLayer;
class TCardDocument;

// Darkening of the picture in the crop window, and the brightening of the frame's inside.
constexpr int32_t CropDarken = -130;
constexpr int32_t CropBrighten = 200;
// The part of the layer the frame of a visit starts on, in percent of each side.
constexpr int32_t CropStartPercent = 80;

// The view scale that fits a PicW x PicH picture into a ClientW x ClientH view with a margin:
// the fitting scale (by width when the picture is relatively wider, else by height) / 1.1.
// 1 for an empty picture or view.
double CropFitScale(int32_t PicW, int32_t PicH, int32_t ClientW, int32_t ClientH);
// The frame a visit starts with: the middle CropStartPercent of a W x H layer bitmap, whole
// pixels, at least one pixel each way (an empty bitmap gives an empty frame).
TSingleRect CropStartFrame(int32_t W, int32_t H);

// Every colour channel c of the pixels of R (clipped to B) becomes c + Amount * c div 255,
// clamped to 0..255; alpha stays. No change notification.
void BrightenArea(TBitmap32& B, const TRect& R, int32_t Amount);

// The crop rectangle Frame (bitmap pixels, any order of the edges is taken as it comes) clipped
// to a W x H bitmap: left and top at least 0, right at most W, bottom at most H.
TSingleRect ClipCropFrame(const TSingleRect& Frame, int32_t W, int32_t H);
// The size of the bitmap a crop to the clipped frame C keeps: |round(right - left)| x
// |round(bottom - top)|; zero in either direction when the frame misses the bitmap.
TPoint CroppedSize(const TSingleRect& C);

// Cuts Src down to the part under Frame (clipped to it): the result starts at (round(left),
// round(top)) and takes the size CroppedSize gives, pixel for pixel (alpha included); a pixel
// past Src's edge stays transparent. False, and Dst is untouched, when nothing of Src is kept.
bool CropBitmap(const TBitmap32& Src, const TSingleRect& Frame, TBitmap32& Dst);

// "OK" of the crop window on the selected bitmap layer: Start (an undo step), the layer's
// bitmap becomes the kept part (draw mode blend) and its location keeps its left, top and
// display scale; the layer is then selected anew so that its frame follows. False, and nothing
// changes (Start is not called), without a selected bitmap layer or when Frame misses its
// bitmap.
bool CropSelectedLayer(TCardDocument& Doc, const TChangeStart& Start, const TSingleRect& Frame);
