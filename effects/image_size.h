#pragma once
// "Размер изображения": the arithmetic of the size dialog's fields, resampling the canvas to a
// new pixel size, and moving the layers with it.
#include <cstdint>

#include "bitmap32.h"
#include "layer_collection.h"
#include "types.h"

// The ranges of the dialog's up-downs.
constexpr int32_t ImageSideMin = 1;
constexpr int32_t ImageSideMax = 10000;
constexpr int32_t ImageKilobytesMin = 1;
constexpr int32_t ImageKilobytesMax = 32000;

// The size of a 32-bit picture in kilobytes: (Width x Height x 4) / 1024, rounded (ties to even).
int32_t ImageKilobytes(int64_t Width, int64_t Height);

struct TImageSizeFields {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Kilobytes = 0;
  friend bool operator==(const TImageSizeFields&, const TImageSizeFields&) = default;
};

// The three linked fields of the size dialog. A value computed for one field from another is
// kept within that field's range (1 .. 10000 points, 1 .. 32000 kilobytes for a typed size; a
// computed size may exceed 32000, it is only what the canvas would weigh).
class TImageSizeModel {
 public:
  // The dialog opens: the canvas's own size and weight. The aspect ratio width / height is
  // taken from a non-empty canvas and kept otherwise.
  void Open(int32_t CanvasWidth, int32_t CanvasHeight);
  // The width was edited: with Prop and a known ratio the height follows; the size follows.
  void WidthChanged(int32_t Width, bool Prop);
  // The height was edited: with Prop and a known ratio the width follows; the size follows.
  void HeightChanged(int32_t Height, bool Prop);
  // The size was edited: width and height become the canvas's divided by
  // x = sqrt(canvas kilobytes / typed kilobytes), whatever Prop says; the size keeps the value.
  void KilobytesChanged(int32_t Kilobytes);

  const TImageSizeFields& Fields() const { return FFields; }
  double Ratio() const { return FRatio; }

 private:
  TImageSizeFields FFields;
  double FRatio = 0;  // 0 until the dialog first opens on a non-empty canvas
  int32_t FCanvasWidth = 0;
  int32_t FCanvasHeight = 0;
};

// The dialog's list "Метод ресэмплинга", in its order.
enum TResampleMethod : int32_t {
  rmNearest,   // "Ближайший сосед"
  rmBilinear,  // "Билинейная"
  rmSpline,    // "Сплайн"
};
// sfNearest, sfLinear2 (the triangle kernel of the resampler) or sfSpline.
TStretchFilter ResampleFilter(TResampleMethod Method);

// Canvas gets the filter (it keeps it afterwards) and becomes a Width x Height picture of the
// whole of itself drawn scaled with its draw mode and that filter. The new picture is made
// before the canvas changes: a size that cannot be allocated, or a reduction too strong for the
// resampler ("Assertion failure"), leaves the canvas as it was. Notifies nothing.
void ResampleCanvas(TBitmap32& Canvas, int32_t Width, int32_t Height, TStretchFilter Filter);

// One location moved with a canvas resized by the factors Kx = old width / new width and
// Ky = old height / new height: each edge divided by its factor and rounded. An edge pair that
// had a positive extent and would round to none keeps one pixel, so that a small layer stays on
// the card.
TSingleRect ScaleLocation(const TSingleRect& R, long double Kx, long double Ky);
// ScaleLocation for every positioned layer of the stack, the selection frame included (it is
// the top entry, so it comes last and carries its layer to the same rectangle).
void ScaleLayerLocations(TLayerCollection& Layers, long double Kx, long double Ky);
