#include "card_document.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "color32.h"
#include "exceptions.h"
#include "geometry.h"
#include "picture.h"
#include "picture_readers.h"
#include "transformation.h"

bool IsAreaLayer(const TCustomLayer* L) {
  return L != nullptr && (L->Tag == TagSelectionArea || L->Tag == TagCropArea) &&
         dynamic_cast<const TPositionedLayer*>(L) != nullptr &&
         dynamic_cast<const TBitmapLayer*>(L) == nullptr;
}

TCardDocument::TCardDocument(TImgView32& View) : FView(View) {
  FView.OnChange = [this](TObject* Sender) {
    // Zooming, scrolling and resizing the window change how the card is shown, not the card.
    if (!FView.ViewOnlyChange())
      Modified = true;
    if (OnViewChange)
      OnViewChange(Sender);
  };
}

TCardDocument::~TCardDocument() {
  FView.OnChange = nullptr;
  FSelected = nullptr;
  FRBLayer = nullptr;
}

void TCardDocument::SetSelection(TCustomLayer* Layer) {
  if (Layer == FSelected)
    return;
  // The frame around the selection is shown over the card: moving it to another layer is no
  // change of the card, though the view reports one.
  {
    const TKeepModified Keep(*this);
    if (FRBLayer != nullptr) {
      FRBLayer->SetChildLayer(nullptr);
      FRBLayer->SetLayerOptions(LayerNoUpdate);
      FView.Invalidate();
    }
    FSelected = Layer;
    if (Layer != nullptr) {
      if (FRBLayer != nullptr) {
        FRBLayer->BringToFront();
      } else {
        FRBLayer = Layers().Add<TRubberbandLayer>();
        FRBLayer->MinWidth = 1.0f;
        FRBLayer->MinHeight = 1.0f;
      }
      if (auto* P = dynamic_cast<TPositionedLayer*>(Layer))
        FRBLayer->SetChildLayer(P);
      FRBLayer->SetLayerOptions(LayerVisible | LayerMouseEvents | LayerNoUpdate);
      FRBLayer->OnResizing = [this](TObject* Sender, const TSingleRect& Old, TSingleRect& New,
                                    TDragState State, TShiftState Shift) {
        if (OnResizing)
          OnResizing(Sender, Old, New, State, Shift);
      };
      // A photo dragged or resized takes its frame along; a frame dragged on its own takes a
      // new place in its photo.
      FRBLayer->OnUserChange = [this](TObject*) {
        if (Frames.Empty())
          return;
        if (const TBitmapLayer* L = SelectedBitmapLayer(); L != nullptr && PhotoOf(*L) != nullptr)
          FrameMoved(*L);
        FollowFrames();
      };
    }
  }
  if (OnSelectionChanged)
    OnSelectionChanged(FSelected);
}

void TCardDocument::LayerMouseDown(TObject* Sender) {
  if (auto* L = dynamic_cast<TCustomLayer*>(Sender))
    SetSelection(L);
}

void TCardDocument::AdoptContentLayer(TBitmapLayer* Layer) {
  Layer->Bitmap()->SetDrawMode(dmBlend);
  Layer->SetScaled(true);
  Layer->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, int32_t, int32_t) {
    LayerMouseDown(Sender);
  };
}

TPoint TCardDocument::ViewCentre() {
  const TRect V = FView.GetViewportRect();
  return FView.ControlToBitmap({(V.Left + V.Right) / 2, (V.Top + V.Bottom) / 2});
}

TPositionedLayer* TCardDocument::CreatePositionedLayer() {
  const TPoint P = ViewCentre();
  auto* L = Layers().Add<TPositionedLayer>();
  L->SetLocation({static_cast<float>(P.X - 32), static_cast<float>(P.Y - 32),
                  static_cast<float>(P.X + 32), static_cast<float>(P.Y + 32)});
  L->SetScaled(true);
  L->SetMouseEvents(true);
  return L;
}

TPositionedLayer* TCardDocument::FindAreaLayer() const {
  TLayerCollection& L = FView.Layers();
  for (int32_t I = 0; I < L.Count(); ++I)
    if (IsAreaLayer(L.Items(I)))
      return static_cast<TPositionedLayer*>(L.Items(I));
  return nullptr;
}

void TCardDocument::RemoveAreaLayer() {
  TPositionedLayer* Area = FindAreaLayer();
  if (Area == nullptr)
    return;
  SetSelection(nullptr);
  Area->Free();
}

void TCardDocument::ClearLayers() {
  SetSelection(nullptr);
  FRBLayer = nullptr;  // the stack's clear destroys it
  Layers().Clear();
  Captions.Clear();
  Frames.Clear();
}

void TCardDocument::NewCanvas(int32_t Width, int32_t Height, TColor32 Colour) {
  const std::string Size = std::to_string(Width) + " × " + std::to_string(Height);
  if (Width > 0 && Height > 0 && int64_t{Width} * Height > MaxPicturePixels)
    throw Exception("Открытка " + Size + " точек слишком велика: в ней может быть не больше " +
                    std::to_string(MaxPicturePixels) + " точек.");
  // The new pixels are made first, so that a failure leaves the card as it was.
  TBitmap32 Fresh;
  try {
    Fresh.SetSize(Width, Height);
  } catch (const EBitmapError&) {
    throw Exception("Недостаточно памяти для открытки " + Size + " точек.");
  }
  Fresh.Clear(Colour);
  ClearLayers();
  FView.SetScale(1);
  // The canvas takes the pixels only; its draw mode, opacity and filter stay.
  TBitmap32& C = Canvas();
  const bool Resized = C.Width() != Fresh.Width() || C.Height() != Fresh.Height();
  C.SwapContents(Fresh);
  C.Changed();
  if (Resized)
    C.NotifyResize();
}

std::unique_ptr<TBitmap32> TCardDocument::RenderFlatImage() {
  SetSelection(nullptr);
  auto Flat = std::make_unique<TBitmap32>();
  Flat->SetSize(Canvas().Width(), Canvas().Height());
  // Layers cover the canvas as paint covers paper: an opaque card gives an opaque picture.
  Flat->CoverageAlpha = true;
  if (!Flat->IsEmpty())
    FView.PaintTo(*Flat, {0, 0, Canvas().Width(), Canvas().Height()});
  Flat->CoverageAlpha = false;
  return Flat;
}

bool TCardDocument::FlatImageIsCanvas() {
  const TBitmap32& C = Canvas();
  if (C.IsEmpty() || Layers().Count() != 0 || C.DrawMode() != dmOpaque ||
      C.StretchFilter() != sfNearest)
    return false;
  TPaintStages& Stages = FView.PaintStages();
  for (int32_t I = 0; I < Stages.Count(); ++I) {
    const TPaintStage& S = Stages.Items(I);
    if (!S.RTVisible)
      continue;
    switch (S.Stage) {
      case PST_CLEAR_BACKGND:  // an opaque canvas covering the flat image clears nothing
      case PST_DRAW_BITMAP:
      case PST_DRAW_LAYERS:
      case PST_CUSTOM:
        break;
      default:
        return false;
    }
  }
  return true;
}

const TBitmap32& TCardDocument::FlatImage(std::unique_ptr<TBitmap32>& Holder) {
  SetSelection(nullptr);
  if (FlatImageIsCanvas())
    return Canvas();
  Holder = RenderFlatImage();
  return *Holder;
}

TSingleRect FitPhoto(int32_t W, int32_t H, int32_t CardW, int32_t CardH, double Cx, double Cy) {
  double Scale = 1;
  if (W > 0 && H > 0 && CardW > 0 && CardH > 0)
    Scale = std::min({1.0, 0.8 * CardW / W, 0.8 * CardH / H});
  const double Fw = std::max(1, Round(W * Scale)), Fh = std::max(1, Round(H * Scale));
  return {static_cast<float>(Cx - Fw / 2), static_cast<float>(Cy - Fh / 2),
          static_cast<float>(Cx + Fw / 2), static_cast<float>(Cy + Fh / 2)};
}

TBitmapLayer* TCardDocument::AddPhoto(const std::string& FileName) {
  // Read first, so that a picture that cannot be read leaves the card untouched.
  TBitmap32 Picture;
  Picture.LoadFromFile(FileName);
  Picture.MakeOpaque();
  RemoveAreaLayer();
  TNewLayerGuard Guard(Layers().Add<TBitmapLayer>());
  TBitmapLayer* L = Guard.Get();
  // The new layer's bitmap has a fresh bitmap's settings, as Picture has: its pixels move over.
  TakeLoadedPixels(Picture, *L->Bitmap());
  const TBitmap32& Photo = *L->Bitmap();
  L->Bitmap()->SetDrawMode(dmBlend);
  L->Bitmap()->SetStretchFilter(sfLinear);
  L->SetLocation(FitPhoto(Photo.Width(), Photo.Height(), Canvas().Width(), Canvas().Height(),
                          Canvas().Width() / 2.0, Canvas().Height() / 2.0));
  AdoptContentLayer(L);
  SetSelection(Guard.Release());
  return L;
}

TBitmapLayer* TCardDocument::AddPictureLayer(const TBitmap32& Picture, uint32_t MasterAlpha) {
  TNewLayerGuard Guard(Layers().Add<TBitmapLayer>());
  TBitmapLayer* L = Guard.Get();
  L->Bitmap()->Assign(&Picture);
  L->Bitmap()->SetDrawMode(dmBlend);
  L->Bitmap()->SetMasterAlpha(MasterAlpha);
  const TPoint P = ViewCentre();
  const float W = static_cast<float>(Picture.Width()), H = static_cast<float>(Picture.Height());
  const float Left = P.X - W / 2, Top = P.Y - H / 2;
  L->SetLocation({Left, Top, Left + W, Top + H});
  AdoptContentLayer(L);
  SetSelection(Guard.Release());
  return L;
}

void TCardDocument::DeleteSelected() {
  TCustomLayer* L = FSelected;
  if (L == nullptr)
    return;
  TBitmapLayer* Frame = nullptr;
  if (const auto* B = dynamic_cast<const TBitmapLayer*>(L))
    Frame = FrameOf(*B);
  if (OnLayerDeleting)
    OnLayerDeleting(L->Index());
  SetSelection(nullptr);
  Frames.Forget(L->Id());
  L->Free();
  if (Frame != nullptr) {
    if (OnLayerDeleting)
      OnLayerDeleting(Frame->Index());
    Frames.Forget(Frame->Id());
    Frame->Free();
  }
}

TBitmapLayer* TCardDocument::FindLayer(uint64_t Id) const {
  const TLayerCollection& L = FView.Layers();
  for (int32_t I = 0; I < L.Count(); ++I)
    if (L.Items(I)->Id() == Id)
      return dynamic_cast<TBitmapLayer*>(L.Items(I));
  return nullptr;
}

TBitmapLayer* TCardDocument::FrameOf(const TBitmapLayer& Photo) const {
  if (Frames.Empty())
    return nullptr;
  const uint64_t Id = Frames.FrameOf(Photo.Id());
  return Id != 0 ? FindLayer(Id) : nullptr;
}

TBitmapLayer* TCardDocument::PhotoOf(const TBitmapLayer& Frame) const {
  const auto F = Frames.Find(Frame.Id());
  return F != nullptr ? FindLayer(F->Photo) : nullptr;
}

void TCardDocument::LinkFrame(TBitmapLayer& Frame, TBitmapLayer& Photo) {
  Frames.Link(Frame.Id(), Photo.Id(), FrameBox(Photo.Location(), Frame.Location()));
  Frame.AlphaHit = true;
  FollowFrames();
}

void TCardDocument::FrameMoved(const TBitmapLayer& Frame) {
  if (const TBitmapLayer* Photo = PhotoOf(Frame))
    Frames.Link(Frame.Id(), Photo->Id(), FrameBox(Photo->Location(), Frame.Location()));
}

void TCardDocument::FollowFrames() {
  if (Frames.Empty())
    return;
  std::vector<uint64_t> Live;
  for (int32_t I = 0; I < Layers().Count(); ++I) Live.push_back(Layers().Items(I)->Id());
  Frames.KeepOnly(Live);
  // The photos bottom up: putting a frame above its photo never parts a pair placed before.
  struct TPair {
    TBitmapLayer *Photo, *Frame;
    TSingleRect Box;
  };
  std::vector<TPair> Pairs;
  for (const auto& [Id, Link] : Frames.All()) {
    TBitmapLayer* Frame = FindLayer(Id);
    TBitmapLayer* Photo = FindLayer(Link->Photo);
    if (Frame != nullptr && Photo != nullptr)
      Pairs.push_back({Photo, Frame, Link->Box});
  }
  std::sort(Pairs.begin(), Pairs.end(),
            [](const TPair& A, const TPair& B) { return A.Photo->Index() < B.Photo->Index(); });
  for (const TPair& Pair : Pairs) {
    const TSingleRect R = FrameLocation(Pair.Photo->Location(), Pair.Box);
    if (!(Pair.Frame->Location() == R))
      Pair.Frame->SetLocation(R);
    if (Pair.Frame->Scaled() != Pair.Photo->Scaled())
      Pair.Frame->SetScaled(Pair.Photo->Scaled());
    const int32_t F = Pair.Frame->Index(), P = Pair.Photo->Index();
    if (F < P)
      Pair.Frame->SetIndex(P);
    else if (F > P + 1)
      Pair.Frame->SetIndex(P + 1);
  }
}

void TCardDocument::TextLayerPixels(const TTextLayerSource& Source, TBitmap32& B) {
  B.Assign(Source.Preview);
  B.SetDrawMode(dmBlend);
  if (Source.Mask != nullptr && Source.Mask->Width() == B.Width() &&
      Source.Mask->Height() == B.Height()) {
    const TColor32* M = Source.Mask->Bits();
    TColor32* P = B.Bits();
    for (int32_t I = 0, N = B.Width() * B.Height(); I < N; ++I)
      P[I] = WithAlpha(P[I], Intensity(M[I]));
  }
  B.SetMasterAlpha(static_cast<uint32_t>(255 - Round(Source.TransparencyPercent / 100.0 * 255)));
}

TBitmapLayer* TCardDocument::InsertTextLayer(const TTextLayerSource& Source) {
  if (Source.Preview == nullptr || Source.Preview->IsEmpty())
    return nullptr;
  if (Layers().Count() > Source.RememberedCount)
    DeleteSelected();
  TNewLayerGuard Guard(Layers().Add<TBitmapLayer>());
  TBitmapLayer* L = Guard.Get();
  {
    TBitmap32& B = *L->Bitmap();
    TextLayerPixels(Source, B);
    const TPoint P = ViewCentre();
    const float W = static_cast<float>(B.Width()), H = static_cast<float>(B.Height());
    const float Left = P.X - W / 2, Top = P.Y - H / 2;
    L->SetLocation({Left, Top, Left + W, Top + H});
    AdoptContentLayer(L);
    B.SetStretchFilter(sfLinear);
  }
  SetSelection(Guard.Release());
  return L;
}

void TCardDocument::Flatten() {
  RemoveAreaLayer();
  SetSelection(nullptr);
  std::unique_ptr<TBitmap32> Flat = RenderFlatImage();
  ClearLayers();
  Canvas().Assign(Flat.get());
}

void TCardDocument::SetLayerOpacity(uint32_t Opacity) {
  if (TBitmapLayer* L = SelectedBitmapLayer())
    L->Bitmap()->SetMasterAlpha(Opacity);
  Modified = true;
}

void TCardDocument::SetLayerInterpolate(bool Linear) {
  if (TBitmapLayer* L = SelectedBitmapLayer())
    L->Bitmap()->SetStretchFilter(Linear ? sfLinear : sfNearest);
  Modified = true;
}

void TCardDocument::SetImageInterpolate(bool Linear) {
  const TStretchFilter F = Linear ? sfLinear : sfNearest;
  Canvas().SetStretchFilter(F);
  for (int32_t I = 0; I < Layers().Count(); ++I)
    if (auto* B = dynamic_cast<TBitmapLayer*>(Layers().Items(I)))
      B->Bitmap()->SetStretchFilter(F);
}

void TCardDocument::PaintArea(TObject* Sender, TBitmap32* Buffer) {
  auto* Layer = dynamic_cast<TPositionedLayer*>(Sender);
  if (Layer == nullptr || Buffer == nullptr)
    return;
  const TSingleRect A = Layer->GetAdjustedLocation();
  const TRect R = RectFromSingle(A, rrClosest);
  const int32_t W = R.Width(), H = R.Height();
  TBitmap32 B;
  B.SetSize(W, H);
  if (B.IsEmpty() || Buffer->IsEmpty())
    return;
  TAffineTransformation T;
  const float HalfW = W / 2.0f, HalfH = H / 2.0f;
  // The source grows by h/2 horizontally and w/2 vertically: the halves are crossed.
  T.SetSrcRect({A.Left - HalfH, A.Top - HalfW, A.Right + HalfH, A.Bottom + HalfW});
  const float M = static_cast<float>(std::pow(10.0, 0.0001));
  T.Translate(static_cast<float>(-R.Left), static_cast<float>(-R.Top));
  T.Translate(-HalfW, -HalfH);
  T.Scale(M, M);
  T.Translate(HalfW, HalfH);
  Buffer->BeginUpdate();
  Buffer->SetStretchFilter(sfLinear);
  TransformBitmap(B, *Buffer, T);
  Buffer->SetStretchFilter(sfNearest);
  Buffer->EndUpdate();
  TColor32* P = B.Bits();
  for (int32_t I = 0, N = W * H; I < N; ++I) P[I] = GrayColor(Intensity(P[I]), 255);
  B.MakeOpaque();
  B.SetDrawMode(dmBlend);
  B.SetMasterAlpha(AreaOpacity);
  B.DrawOnto(*Buffer, R);
}
