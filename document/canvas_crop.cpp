#include "canvas_crop.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "clipboard_commands.h"
#include "exceptions.h"
#include "geometry.h"
#include "layer_commands.h"
#include "transfers.h"

const char* const CropOutsideMessage =
    "Область обрезки лежит за краем холста. Передвиньте её на открытку и нажмите «ОК» снова.";

TPositionedLayer* StartCanvasCrop(TCardDocument& Doc) {
  if (IsCropArea(Doc.Selected()))
    return nullptr;
  TPositionedLayer* L = CreateAreaLayer(Doc, TagCropArea);
  // The area starts as the card less a tenth at each side: a useful cut to adjust, where a small
  // square would first have to be found and dragged out.
  const float W = static_cast<float>(Doc.Canvas().Width());
  const float H = static_cast<float>(Doc.Canvas().Height());
  if (W > 0 && H > 0) {
    L->SetLocation(
        {std::round(W / 10), std::round(H / 10), std::round(W - W / 10), std::round(H - H / 10)});
    // Selected anew, so that the frame takes the new place.
    Doc.SetSelection(nullptr);
    Doc.SetSelection(L);
  }
  return L;
}

void ApplyCropProportion(TCardDocument& Doc, int32_t Item, bool Portrait) {
  const double R = CropProportion(Item, Portrait);
  auto* L = dynamic_cast<TPositionedLayer*>(Doc.Selected());
  if (R <= 0 || L == nullptr || !IsCropArea(L))
    return;
  TSingleRect A = L->Location();
  A.Bottom = A.Top + Round(std::fabs(static_cast<double>(A.Right) - A.Left) / R);
  L->SetLocation(A);
  if (Doc.RBLayer() != nullptr)
    Doc.RBLayer()->SetChildLayer(L);
}

void CropCanvas(TCardDocument& Doc, const TChangeStart& Start) {
  auto* L = dynamic_cast<TPositionedLayer*>(Doc.Selected());
  if (L == nullptr || !IsCropArea(L))
    return;
  CropCanvasTo(Doc, Start, L->Location());
}

void CropCanvasTo(TCardDocument& Doc, const TChangeStart& Start, TSingleRect Area) {
  TBitmap32& Canvas = Doc.Canvas();
  if (Canvas.IsEmpty())
    return;
  // An area dragged inside out counts by its corners.
  const double L = std::max<double>(std::min(Area.Left, Area.Right), 0.0);
  const double T = std::max<double>(std::min(Area.Top, Area.Bottom), 0.0);
  const double R = std::min<double>(std::max(Area.Left, Area.Right), Canvas.Width());
  const double B = std::min<double>(std::max(Area.Top, Area.Bottom), Canvas.Height());
  if (!(R > L && B > T))
    throw Exception(CropOutsideMessage);
  const int32_t Dx = Round(L), Dy = Round(T);
  const TRect Source = {Dx, Dy, Round(R), Round(B)};
  const int32_t W = std::abs(Round(R - L)), H = std::abs(Round(T - B));
  if (W == 0 || H == 0 || Source.Right <= Source.Left || Source.Bottom <= Source.Top)
    throw Exception(CropOutsideMessage);

  // The new pixels are made first, so that a failure leaves the card as it was.
  TBitmap32 Cropped;
  Cropped.SetSize(W, H);
  BlockTransfer(&Cropped, 0, 0, &Canvas, Source, dmOpaque);
  StartChange(Start);
  Canvas.SwapContents(Cropped);
  Canvas.Changed();
  Canvas.NotifyResize();
  Doc.RemoveAreaLayer();

  TLayerCollection& Layers = Doc.Layers();
  for (int32_t I = 0; I < Layers.Count(); ++I) {
    auto* P = dynamic_cast<TPositionedLayer*>(Layers.Items(I));
    if (P == nullptr || P == Doc.RBLayer())
      continue;
    const TSingleRect A = P->Location();
    P->SetLocation({A.Left - Dx, A.Top - Dy, A.Right - Dx, A.Bottom - Dy});
    if (auto* Bl = dynamic_cast<TBitmapLayer*>(P))
      Bl->SetCropped(true);
  }
}
