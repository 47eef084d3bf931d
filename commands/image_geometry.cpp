#include "image_geometry.h"

#include <cstring>

#include "card_runner.h"
#include "free_rotation.h"
#include "geometry.h"
#include "layer_commands.h"

namespace {

// The work of "Размер изображения", Start called just before the card changes.
void ResizeCanvas(TCardDocument& Doc, const TChangeStart& Start, int32_t Width, int32_t Height,
                  TResampleMethod Method) {
  TBitmap32& Canvas = Doc.Canvas();
  const int32_t OldW = Canvas.Width(), OldH = Canvas.Height();
  if (Width == OldW && Height == OldH)
    return;
  if (Width < 1 || Height < 1 || OldW < 1 || OldH < 1)
    return;
  StartChange(Start);
  const long double Kx = static_cast<long double>(OldW) / Width;
  const long double Ky = static_cast<long double>(OldH) / Height;
  ResampleCanvas(Canvas, Width, Height, ResampleFilter(Method));
  ScaleLayerLocations(Doc.Layers(), Kx, Ky);
  Canvas.Changed();
  Canvas.NotifyResize();
  Doc.Modified = true;
}

// Dst takes Src's size and pixels; Dst's draw mode, master alpha, filter and outer colour stay.
void CopyPixels(TBitmap32& Dst, const TBitmap32& Src) {
  if (Dst.Width() != Src.Width() || Dst.Height() != Src.Height())
    Dst.SetSizeForOverwrite(Src.Width(), Src.Height());
  if (!Src.IsEmpty() && !Dst.IsEmpty())
    std::memcpy(Dst.Bits(), Src.Bits(), sizeof(TColor32) * size_t(Src.Width()) * Src.Height());
}

}  // namespace

void ResizeImage(TCardDocument& Doc, TUndoStack* Undo, int32_t Width, int32_t Height,
                 TResampleMethod Method) {
  TCardRunner(Doc, Undo).Run("ImageSize", [&](const TChangeStart& Start) {
    ResizeCanvas(Doc, Start, Width, Height, Method);
  });
}

TFreeRotation::TFreeRotation(TCardDocument& Doc, TUndoStack* Undo) : FDoc(Doc), FUndo(Undo) {}

bool TFreeRotation::Begin() {
  End();
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  CopyPixels(FCopy, *L->Bitmap());
  FLocation = L->Location();
  FLayer = L;
  return true;
}

void TFreeRotation::End() {
  FLayer = nullptr;
  FCopy.SetSize(0, 0);
}

void TFreeRotation::Restore() {
  TBitmap32& B = *FLayer->Bitmap();
  const int32_t W = B.Width(), H = B.Height();
  CopyPixels(B, FCopy);
  FLayer->SetLocation(FLocation);
  // The frame is put around the restored shape.
  FDoc.SetSelection(nullptr);
  FDoc.SetSelection(FLayer);
  B.Changed();
  if (B.Width() != W || B.Height() != H)
    B.NotifyResize();
}

void TFreeRotation::Turn(int32_t Angle, bool Bilinear) {
  TBitmapLayer* L = FLayer;
  // The resampling is part of the turn: the turn's own step (at "OK") covers it.
  TLayerCommands Commands(FDoc, nullptr);
  // The pixels match the size the layer shows. A location of exactly the bitmap's size would
  // be resampled into an exact copy, so only the location is set then.
  const TRect R = RectFromSingle(L->Location(), rrClosest);
  // A layer shown with no width or height has no pixels to turn; resampling it would empty it.
  if (R.Right - R.Left < 1 || R.Bottom - R.Top < 1)
    return;
  if (R.Right - R.Left == L->Bitmap()->Width() && R.Bottom - R.Top == L->Bitmap()->Height())
    Commands.LayerResetScaleClick();
  else
    Commands.LayerRescaleClick();

  TBitmap32& B = *L->Bitmap();
  if (B.IsEmpty())
    return;
  const TFreeRotationSize S = FreeRotationSize(B.Width(), B.Height(), Angle);
  // The new pixels are made beside the old ones, so a failure leaves the layer as it is.
  TBitmap32 Turned;
  RotatePicture(B, Turned, Angle, Bilinear);
  B.SetStretchFilter(Bilinear ? sfLinear : sfNearest);
  B.SwapContents(Turned);
  const TSingleRect Loc = L->Location();
  L->SetLocation({Loc.Left, Loc.Top, Loc.Left + S.Wn, Loc.Top + S.Hn});
  FDoc.SetSelection(nullptr);
  FDoc.SetSelection(L);
  B.Changed();
  B.NotifyResize();
  FDoc.Modified = true;
}

void TFreeRotation::Preview(int32_t Angle, bool Bilinear) {
  if (FLayer == nullptr)
    return;
  Restore();
  Turn(Angle, Bilinear);
}

void TFreeRotation::Ok(int32_t Angle, bool Bilinear) {
  if (FLayer == nullptr)
    return;
  TCardRunner(FDoc, FUndo).Run("FreeRotation", [&](const TChangeStart& Start) {
    Restore();
    // A whole turn leaves the layer as it is: no resampling and no step.
    if (Angle % 360 == 0)
      return;
    Start();
    Turn(Angle, Bilinear);
  });
}

void TFreeRotation::Cancel() {
  if (FLayer != nullptr)
    Restore();
}

void RotateSelectedLayer(TCardDocument& Doc, TUndoStack* Undo, int32_t Angle, bool Bilinear) {
  TFreeRotation Session(Doc, Undo);
  if (!Session.Begin())
    return;
  Session.Ok(Angle, Bilinear);
  Session.End();
}

namespace {

void RunImageSize(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  ResizeCanvas(Doc, Start, Call.Values[0], Call.Values[1],
               static_cast<TResampleMethod>(Call.Values[2]));
}

// The runner's step is the turn's: the session inside records nothing of its own.
void RunFreeRotation(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  if (Doc.SelectedBitmapLayer() == nullptr)
    throw EEffectCommandError("FreeRotation: укажите слой-картинку ключом layer=N");
  if (Call.Values[0] % 360 != 0)
    StartChange(Start);
  RotateSelectedLayer(Doc, nullptr, Call.Values[0], Call.Values[1] != 0);
}

}  // namespace

std::vector<TCardCommand> ImageGeometryCommands() {
  return {
      {.Name = "ImageSize",
       .Format = efDocument,
       .Keys = {{"width", ImageSideMin, ImageSideMax},
                {"height", ImageSideMin, ImageSideMax},
                {"method", 0, 2, ekChoice, {"nearest", "bilinear", "spline"}, true, rmNearest}},
       .Run = RunImageSize,
       .Step = usImageSize},
      {.Name = "FreeRotation",
       .Format = efDocument,
       .Keys = {{"angle", -180, 180}, {"bilinear", 0, 1, ekInteger, {}, true, 1}},
       .Run = RunFreeRotation,
       .Step = usRotation},
  };
}
