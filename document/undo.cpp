#include "undo.h"

#include <cmath>

#include "card_document.h"
#include "geometry.h"
#include "image_size.h"

namespace {

// Dst takes Src's pixels and size the way Dst.Assign(&Src) would leave it, draw properties of
// a non-empty source included, but by taking over Src's buffer: Dst must be empty, and Src is
// left empty. Notifications are the caller's business.
void TakeOver(TBitmap32& Dst, TBitmap32& Src) {
  Dst.SwapContents(Src);
  if (Dst.IsEmpty())
    return;
  Dst.SetDrawMode(Src.DrawMode());
  Dst.SetMasterAlpha(Src.MasterAlpha());
  Dst.SetStretchFilter(Src.StretchFilter());
  Dst.OuterColor = Src.OuterColor;
}

void Empty(TUndoRecord& Rec) {
  Rec.Kind = ukNone;
  Rec.Bitmap.SetSize(0, 0);
}

bool TargetsLayer(const TUndoRecord& Rec) {
  return (Rec.Kind == ukEffect || Rec.Kind == ukGeom) && Rec.Target != CanvasTarget;
}

}  // namespace

const char* UndoKindName(TUndoKind Kind) {
  switch (Kind) {
    case ukNone:
      return "none";
    case ukEffect:
      return "effect";
    case ukSize:
      return "size";
    case ukHolst:
      return "holst";
    case ukGeom:
      return "geom";
    case ukCrop:
      return "crop";
  }
  return "none";
}

TUndoStack::TUndoStack(TCardDocument& Doc) : FDoc(Doc) {
  FDoc.OnLayerDeleting = [this](int32_t Index) { LayerDeleted(Index); };
}

TUndoStack::~TUndoStack() {
  FDoc.OnLayerDeleting = nullptr;
}

void TUndoStack::Store(TUndoRecord& Rec, TUndoKind Kind, int32_t Target, const TBitmap32& Source) {
  // Emptied first, so that a copy that fails for lack of memory leaves no half record.
  Rec.Kind = ukNone;
  Rec.Bitmap.Assign(&Source);
  Rec.Target = Target;
  Rec.Kind = Kind;
}

void TUndoStack::RecordLayerStep() {
  if (TBitmapLayer* L = FDoc.SelectedBitmapLayer())
    Store(FU, ukEffect, L->Index(), *L->Bitmap());
  else
    Store(FU, ukEffect, CanvasTarget, FDoc.Canvas());
}

void TUndoStack::RecordSizeStep() {
  Store(FU, ukSize, CanvasTarget, FDoc.Canvas());
}

void TUndoStack::RecordCanvasStep() {
  Store(FU, ukHolst, CanvasTarget, FDoc.Canvas());
}

bool TUndoStack::RecordGeometryStep() {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  Store(FU, ukGeom, L->Index(), *L->Bitmap());
  FU.Location = L->Location();
  return true;
}

void TUndoStack::RecordCropStep() {
  Store(FU, ukCrop, CanvasTarget, FDoc.Canvas());
}

void TUndoStack::SetCropOffset(int32_t Dx, int32_t Dy) {
  FU.Dx = Dx;
  FU.Dy = Dy;
}

TBitmap32* TUndoStack::TargetBitmap(const TUndoRecord& Rec) const {
  switch (Rec.Kind) {
    case ukSize:
    case ukHolst:
    case ukCrop:
      return &FDoc.Canvas();
    case ukEffect:
    case ukGeom: {
      if (Rec.Kind == ukEffect && Rec.Target == CanvasTarget)
        return &FDoc.Canvas();
      TLayerCollection& Layers = FDoc.Layers();
      if (Rec.Target < 0 || Rec.Target >= Layers.Count())
        return nullptr;
      auto* L = dynamic_cast<TBitmapLayer*>(Layers.Items(Rec.Target));
      return L != nullptr ? L->Bitmap() : nullptr;
    }
    case ukNone:
      break;
  }
  return nullptr;
}

bool TUndoStack::Undo() {
  return PutBack(FU, FR, true);
}

bool TUndoStack::Redo() {
  return PutBack(FR, FU, false);
}

// From is the record put back (U for undo, R for redo), To the one that receives the state it
// replaces. No pixel is copied: To takes the live buffer and the live bitmap takes From's.
bool TUndoStack::PutBack(TUndoRecord& From, TUndoRecord& To, bool IsUndo) {
  if (From.Kind == ukNone)
    return false;
  TBitmap32* Live = TargetBitmap(From);
  if (Live == nullptr) {
    Empty(From);
    return false;
  }
  const TUndoKind Kind = From.Kind;
  TLayerCollection& Layers = FDoc.Layers();
  auto* Layer = Kind == ukGeom ? static_cast<TBitmapLayer*>(Layers.Items(From.Target)) : nullptr;
  const TSingleRect StoredLocation = From.Location;
  // Image resize: the factors from the stored canvas to the current one.
  const double Fx = static_cast<double>(Live->Width()) / From.Bitmap.Width();
  const double Fy = static_cast<double>(Live->Height()) / From.Bitmap.Height();
  // Canvas crop: undo moves the layers back by the offset, redo moves them by its opposite.
  // Redo takes R's offset and leaves U's as the crop recorded it.
  const int32_t ShiftX = IsUndo ? From.Dx : -From.Dx;
  const int32_t ShiftY = IsUndo ? From.Dy : -From.Dy;

  // The records change before anything is notified, so that a refresh of the menus run by the
  // notifications already sees the new state.
  To.Kind = Kind;
  To.Target = From.Target;
  if (Layer != nullptr)
    To.Location = Layer->Location();
  if (Kind == ukCrop && IsUndo) {
    To.Dx = From.Dx;
    To.Dy = From.Dy;
  }
  From.Kind = ukNone;

  if (Kind == ukSize && std::isfinite(Fx) && std::isfinite(Fy) && Fx != 0 && Fy != 0) {
    // Every positioned layer, the selection frame included, back to the old scale; the frame
    // comes last (it is the top entry) and carries its child to the same rectangle. A layer
    // keeps at least one pixel, as with the resize itself.
    ScaleLayerLocations(Layers, Fx, Fy);
  }

  const int32_t OldW = Live->Width(), OldH = Live->Height();
  Live->BeginUpdate();
  To.Bitmap.SetSize(0, 0);  // the state To held before is dropped, lowering the peak
  TakeOver(To.Bitmap, *Live);
  TakeOver(*Live, From.Bitmap);
  Live->EndUpdate();
  Live->Changed();
  if (Live->Width() != OldW || Live->Height() != OldH)
    Live->NotifyResize();

  if (Kind == ukCrop) {
    // Indices 0 to count - 2: the topmost entry is the selection frame.
    for (int32_t I = 0; I + 1 < Layers.Count(); ++I) {
      auto* P = dynamic_cast<TPositionedLayer*>(Layers.Items(I));
      if (P == nullptr)
        continue;
      const TSingleRect L = P->Location();
      P->SetLocation({L.Left + ShiftX, L.Top + ShiftY, L.Right + ShiftX, L.Bottom + ShiftY});
    }
  }

  if (Layer != nullptr) {
    Layer->SetLocation(StoredLocation);
    if (FDoc.Selected() == Layer) {
      FDoc.SetSelection(nullptr);
      if (OnReleaseCapture)
        OnReleaseCapture();
      FDoc.SetSelection(Layer);
    }
  }
  return true;
}

void TUndoStack::Reset() {
  Empty(FU);
  Empty(FR);
}

void TUndoStack::LayerDeleted(int32_t Index) {
  for (TUndoRecord* Rec : {&FU, &FR}) {
    if (!TargetsLayer(*Rec))
      continue;
    if (Rec->Target == Index)
      Empty(*Rec);
    else if (Rec->Target > Index)
      --Rec->Target;
  }
}
