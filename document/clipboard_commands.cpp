#include "clipboard_commands.h"

#include <algorithm>

#include "geometry.h"
#include "transfers.h"

const char* const CutNeedsFlatCardMessage =
    "Вы можете вырезать фрагмент только после того, как все слои будут склеены. Сейчас Вы можете "
    "лишь вырезать слой, предварительно выделив его.";

TPositionedLayer* CreateAreaLayer(TCardDocument& Doc, int32_t Tag) {
  Doc.AreaOpacity = 255;
  Doc.RemoveAreaLayer();
  TNewLayerGuard Guard(Doc.CreatePositionedLayer());
  TPositionedLayer* L = Guard.Get();
  L->OnPaint = [&Doc](TObject* Sender, TBitmap32* Buffer) { Doc.PaintArea(Sender, Buffer); };
  L->Tag = Tag;
  Doc.SetSelection(Guard.Release());
  return L;
}

TClipboardCommands::TClipboardCommands(TCardDocument& Doc, TUndoStack& Undo,
                                       TPictureClipboard& Clipboard)
    : FDoc(Doc), FUndo(Undo), FClipboard(Clipboard) {}

std::unique_ptr<TBitmap32> TClipboardCommands::RenderWithoutAreaGrey() {
  const uint32_t Opacity = FDoc.AreaOpacity;
  FDoc.AreaOpacity = 0;
  std::unique_ptr<TBitmap32> Flat;
  try {
    Flat = FDoc.RenderFlatImage();
  } catch (...) {
    FDoc.AreaOpacity = Opacity;
    throw;
  }
  FDoc.AreaOpacity = Opacity;
  return Flat;
}

bool TClipboardCommands::CanCut() const {
  const TCustomLayer* S = FDoc.Selected();
  if (FDoc.IsEmpty() || S == nullptr || IsCropArea(S))
    return false;
  // A bitmap layer is cut; a selection area on a flat card is cut out of the canvas; an area
  // among several layers explains why nothing can be cut. A crop area is never cut.
  return FDoc.SelectedBitmapLayer() != nullptr || FDoc.Layers().Count() > 2 ||
         (IsAreaLayer(S) && S->Tag == TagSelectionArea);
}

std::string TClipboardCommands::Cut() {
  TCustomLayer* S = FDoc.Selected();
  const int32_t N = FDoc.Layers().Count();
  std::string Message;
  if (S != nullptr && N >= 2) {
    if (TBitmapLayer* B = FDoc.SelectedBitmapLayer()) {
      // The clipboard first: a copy that fails leaves the layer where it was.
      FClipboard.SetPicture(*B->Bitmap());
      FUndo.Record(usCut);
      FDoc.DeleteSelected();
      S = nullptr;
    } else if (N > 2) {
      Message = CutNeedsFlatCardMessage;
    }
  }
  if (S != nullptr && N <= 2 && IsAreaLayer(S) && S->Tag == TagSelectionArea)
    CutArea(*static_cast<TPositionedLayer*>(S));
  FDoc.View().Invalidate();
  return Message;
}

void TClipboardCommands::CutArea(TPositionedLayer& Area) {
  const TSingleRect A = Area.Location();
  // The part of the area that lies on the canvas; nothing beyond the canvas is cut.
  const TRect Whole = {Round(std::min(A.Left, A.Right)), Round(std::min(A.Top, A.Bottom)),
                       Round(std::max(A.Left, A.Right)), Round(std::max(A.Top, A.Bottom))};
  TRect R;
  if (!IntersectRect(R, Whole, FDoc.Canvas().BoundsRect())) {
    FDoc.RemoveAreaLayer();
    return;
  }
  TBitmap32 Piece;
  Piece.SetSize(R.Width(), R.Height());
  FUndo.Record(usCut);
  {
    // The grey of the area is not part of the picture.
    const std::unique_ptr<TBitmap32> Flat = RenderWithoutAreaGrey();
    BlockTransfer(&Piece, 0, 0, Flat.get(), R, dmOpaque);
  }
  FClipboard.SetPicture(Piece);
  // The cut rectangle of the canvas becomes transparent white.
  FDoc.Canvas().FillRectS(R, 0x00FFFFFF);
  FDoc.Canvas().Changed();
  FDoc.RemoveAreaLayer();
}

void TClipboardCommands::Copy() {
  const std::unique_ptr<TBitmap32> Flat = RenderWithoutAreaGrey();
  FClipboard.SetPicture(*Flat);
  FDoc.View().Invalidate();
}

std::string TClipboardCommands::Paste() {
  TBitmap32 Picture;
  if (!FClipboard.GetPicture(Picture))
    return NoPictureMessage;
  FUndo.Record(usPaste);
  FDoc.AddPictureLayer(Picture, 255);
  return {};
}

bool TClipboardCommands::ReadPasteAsNew(TBitmap32& Picture) {
  return FClipboard.GetPicture(Picture);
}

void TClipboardCommands::PasteAsNewCanvas(TBitmap32& Picture) {
  FDoc.ClearLayers();
  // The canvas takes the pixels only; its draw mode, opacity and filter stay.
  TBitmap32& C = FDoc.Canvas();
  const bool Resized = C.Width() != Picture.Width() || C.Height() != Picture.Height();
  C.SwapContents(Picture);
  Picture.SetSize(0, 0);
  C.Changed();
  if (Resized)
    C.NotifyResize();
}

TPositionedLayer* TClipboardCommands::Select() {
  return CreateAreaLayer(FDoc, TagSelectionArea);
}

TPositionedLayer* TClipboardCommands::SelectAll() {
  TPositionedLayer* L = CreateAreaLayer(FDoc, TagSelectionArea);
  L->SetLocation({0, 0, static_cast<float>(FDoc.Canvas().Width()),
                  static_cast<float>(FDoc.Canvas().Height())});
  // Selected anew, so that the frame takes the new size.
  FDoc.SetSelection(nullptr);
  FDoc.SetSelection(L);
  return L;
}
