#include "image_size.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "box_reduce.h"
#include "custom_layer.h"
#include "exceptions.h"
#include "geometry.h"
#include "parallel_bands.h"
#include "transfers.h"

namespace {

// A reduction the kernel resampler cannot weigh is first brought this close by an area average.
constexpr int32_t MaxKernelReduction = 8;

int32_t ClampSide(double V) {
  if (!(V >= ImageSideMin))  // NaN included
    return ImageSideMin;
  if (V > ImageSideMax)
    return ImageSideMax;
  return Round(V);
}

// Ties to even, as everywhere; the values stay far inside the 32-bit range for any canvas.
float RoundEdge(long double V) {
  return static_cast<float>(std::nearbyintl(V));
}

}  // namespace

int32_t ImageKilobytes(int64_t Width, int64_t Height) {
  return Round(static_cast<double>(Width * Height * 4) / 1024.0);
}

void TImageSizeModel::Open(int32_t CanvasWidth, int32_t CanvasHeight) {
  if (CanvasWidth > 0 && CanvasHeight > 0)
    FRatio = static_cast<double>(CanvasWidth) / CanvasHeight;
  FCanvasWidth = CanvasWidth;
  FCanvasHeight = CanvasHeight;
  FFields = {CanvasWidth, CanvasHeight, ImageKilobytes(CanvasWidth, CanvasHeight)};
}

void TImageSizeModel::WidthChanged(int32_t Width, bool Prop) {
  FFields.Width = Width;
  if (FRatio != 0 && Prop)
    FFields.Height = ClampSide(Width / FRatio);
  FFields.Kilobytes = ImageKilobytes(FFields.Width, FFields.Height);
}

void TImageSizeModel::HeightChanged(int32_t Height, bool Prop) {
  FFields.Height = Height;
  if (FRatio != 0 && Prop)
    FFields.Width = ClampSide(Height * FRatio);
  FFields.Kilobytes = ImageKilobytes(FFields.Width, FFields.Height);
}

void TImageSizeModel::KilobytesChanged(int32_t Kilobytes) {
  FFields.Kilobytes = Kilobytes;
  const double CanvasKb = static_cast<double>(int64_t{FCanvasWidth} * FCanvasHeight * 4) / 1024.0;
  const double X = std::sqrt(CanvasKb / Kilobytes);
  // An empty canvas or a size of 0 gives no factor; the width and height stay.
  if (!(X > 0) || !std::isfinite(X))
    return;
  FFields.Width = ClampSide(FCanvasWidth / X);
  FFields.Height = ClampSide(FCanvasHeight / X);
}

TStretchFilter ResampleFilter(TResampleMethod Method) {
  switch (Method) {
    case rmNearest:
      return sfNearest;
    case rmBilinear:
      return sfLinear2;
    case rmSpline:
      return sfSpline;
  }
  return sfNearest;
}

void ResampleCanvas(TBitmap32& Canvas, int32_t Width, int32_t Height, TStretchFilter Filter) {
  Canvas.SetStretchFilter(Filter);
  TBitmap32 Fresh;
  Fresh.SetSize(Width, Height);
  if (Canvas.IsEmpty() || Fresh.IsEmpty()) {
    Canvas.SwapContents(Fresh);
    return;
  }
  try {
    StretchTransfer(&Fresh, Fresh.BoundsRect(), &Canvas, Canvas.BoundsRect(), Filter,
                    Canvas.DrawMode());
  } catch (const ETransformError&) {
    // Past a reduction of a few hundred to one the kernel's weights round to nothing: the
    // canvas is first averaged down by area to twice the new size, and the kernel finishes.
    const int32_t W = AveragedSize(Canvas.Width(), Width, MaxKernelReduction);
    const int32_t H = AveragedSize(Canvas.Height(), Height, MaxKernelReduction);
    if (W == Canvas.Width() && H == Canvas.Height())
      throw;
    TBitmap32 Reduced;
    Reduced.SetSize(W, H);
    BoxReduce(Canvas, Reduced);
    Fresh.Clear(0);
    StretchTransfer(&Fresh, Fresh.BoundsRect(), &Reduced, Reduced.BoundsRect(), Filter,
                    Canvas.DrawMode());
  }
  // The canvas keeps its draw mode, master alpha, filter and outer colour; only the pixels and
  // the size change.
  Canvas.SwapContents(Fresh);
}

TSingleRect ScaleLocation(const TSingleRect& R, long double Kx, long double Ky) {
  TSingleRect N = {RoundEdge(R.Left / Kx), RoundEdge(R.Top / Ky), RoundEdge(R.Right / Kx),
                   RoundEdge(R.Bottom / Ky)};
  if (R.Right > R.Left && N.Right <= N.Left)
    N.Right = N.Left + 1;
  if (R.Bottom > R.Top && N.Bottom <= N.Top)
    N.Bottom = N.Top + 1;
  return N;
}

void ScaleLayerLocations(TLayerCollection& Layers, long double Kx, long double Ky) {
  for (int32_t I = 0; I < Layers.Count(); ++I)
    if (auto* P = dynamic_cast<TPositionedLayer*>(Layers.Items(I)))
      P->SetLocation(ScaleLocation(P->Location(), Kx, Ky));
}
