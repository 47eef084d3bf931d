#include "layer_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "color32.h"
#include "geometry.h"

namespace {

// Quarter turn of Src into Dst, which already has the turned size (Src's height x width).
// Right: (x, y) goes to (H - 1 - y, x); left: to (y, W - 1 - x). The walk goes in square
// tiles so that the column-wise writes stay within a cache-sized block on large pictures.
void TurnPixels(const TBitmap32& Src, TBitmap32& Dst, bool Right) {
  constexpr int32_t Tile = 64;
  const int32_t W = Src.Width(), H = Src.Height();
  const TColor32* S = Src.Bits();
  TColor32* D = Dst.Bits();
  for (int32_t Y0 = 0; Y0 < H; Y0 += Tile) {
    const int32_t Y1 = std::min(Y0 + Tile, H);
    for (int32_t X0 = 0; X0 < W; X0 += Tile) {
      const int32_t X1 = std::min(X0 + Tile, W);
      for (int32_t Y = Y0; Y < Y1; ++Y) {
        const TColor32* Row = S + static_cast<size_t>(Y) * W;
        for (int32_t X = X0; X < X1; ++X) {
          const size_t To = Right ? static_cast<size_t>(X) * H + (H - 1 - Y)
                                  : static_cast<size_t>(W - 1 - X) * H + Y;
          D[To] = Row[X];
        }
      }
    }
  }
}

// The bitmap's quarter turn in place (right: clockwise); on failure it is left as it was.
void TurnBitmap(TBitmap32& Dst, bool Right) {
  // The old pixels move aside without a copy and serve as the source.
  TBitmap32 Src;
  Src.SwapContents(Dst);
  try {
    Dst.SetSize(Src.Height(), Src.Width());
  } catch (...) {
    Dst.SwapContents(Src);
    Dst.Changed();
    throw;
  }
  if (!Dst.IsEmpty())
    TurnPixels(Src, Dst, Right);
  Dst.Changed();
}

void FlipBitmap(TBitmap32& B, bool Vertical) {
  if (Vertical) {
    for (int32_t Y = 0, Z = B.Height() - 1; Y < Z; ++Y, --Z)
      std::swap_ranges(B.RowAddress(Y), B.RowAddress(Y) + B.Width(), B.RowAddress(Z));
  } else {
    for (int32_t Y = 0; Y < B.Height(); ++Y)
      std::reverse(B.RowAddress(Y), B.RowAddress(Y) + B.Width());
  }
  B.Changed();
}

// A rounded value that is not a usable coordinate becomes -1 (outside every bitmap).
int32_t RoundCoordinate(double V) {
  if (!(std::fabs(V) < 2147483647.0))
    return -1;
  return Round(V);
}

}  // namespace

double CropProportion(int32_t Item, bool Portrait) {
  struct TPair {
    double Landscape, Portrait;
  };
  static constexpr TPair Table[] = {
      {0.0, 0.0},                   // "Свободные"
      {1.0, 1.0},                   // "Квадрат"
      {1.618, 0.6180469715698393},  // "Золотое сечение"
      {1.778, 0.562429696287964},   // "Кино 16 : 9"
      {1.5, 0.6666666666666666},    // "Фото 10 x 15"
      {1.4, 0.7142857142857143},    // "Фото 15 x 21"
  };
  if (Item < 0 || Item >= static_cast<int32_t>(std::size(Table)))
    return 0.0;
  return Portrait ? Table[Item].Portrait : Table[Item].Landscape;
}

TPoint PickPixelPos(const TSingleRect& Location, int32_t W, int32_t H, TPoint P) {
  const double LW = std::fabs(static_cast<double>(Location.Right) - Location.Left);
  const double LH = std::fabs(static_cast<double>(Location.Top) - Location.Bottom);
  if (LW == 0 || LH == 0)
    return {-1, -1};
  return {RoundCoordinate((P.X - static_cast<double>(Location.Left)) * (W / LW)),
          RoundCoordinate((P.Y - static_cast<double>(Location.Top)) * (H / LH))};
}

TColor32 PickColor(const TBitmapLayer& Layer, TPoint P) {
  const TBitmap32& B = *Layer.Bitmap();
  const TPoint At = PickPixelPos(Layer.Location(), B.Width(), B.Height(), P);
  return B.GetPixelSafe(At.X, At.Y) | 0xFF000000;
}

TLayerCommands::TLayerCommands(TCardDocument& Doc, TUndoStack& Undo) : FDoc(Doc), FUndo(&Undo) {}

TLayerCommands::TLayerCommands(TCardDocument& Doc, TUndoStack* Undo) : FDoc(Doc), FUndo(Undo) {}

void TLayerCommands::Record(TUndoStep Step) {
  if (FUndo != nullptr)
    FUndo->Record(Step);
}

void TLayerCommands::Reorder(int32_t Tag) {
  TCustomLayer* S = FDoc.Selected();
  if (S == nullptr)
    return;
  // A photo and its frame move as one, whichever of them is selected.
  if (auto* B = dynamic_cast<TBitmapLayer*>(S))
    if (TBitmapLayer* Photo = FDoc.PhotoOf(*B))
      S = Photo;
  const auto* Photo = dynamic_cast<const TBitmapLayer*>(S);
  const TBitmapLayer* Frame = Photo != nullptr ? FDoc.FrameOf(*Photo) : nullptr;
  TLayerCollection& Layers = FDoc.Layers();
  const int32_t N = Layers.Count(), I = S->Index();
  const int32_t Top = Frame != nullptr ? Frame->Index() : I;
  int32_t To = I;
  switch (Tag) {
    case 1:
      if (Top >= N - 2)
        return;
      To = N - 2;
      break;
    case 2:
      To = 0;
      break;
    case 3: {
      // Over the layer above, or over a photo with its frame as a whole.
      int32_t Next = Top + 1;
      if (const auto* B = dynamic_cast<const TBitmapLayer*>(Layers.Items(Next)))
        if (const TBitmapLayer* F = FDoc.FrameOf(*B))
          Next = std::max(Next, F->Index());
      To = std::min(Next, N - 2);
      if (To <= Top)
        return;
      break;
    }
    case 4: {
      if (I == 0)
        return;
      int32_t Below = I - 1;
      if (const auto* B = dynamic_cast<const TBitmapLayer*>(Layers.Items(Below)))
        if (const TBitmapLayer* P = FDoc.PhotoOf(*B))
          Below = std::min(Below, P->Index());
      To = Below;
      break;
    }
    default:
      return;
  }
  if (To < 0 || To == I)
    return;
  if (Photo != nullptr)
    Record(usLayerOrder);
  S->SetIndex(To);
  FDoc.FollowFrames();
}

void TLayerCommands::DeleteSelected() {
  if (FDoc.SelectedBitmapLayer() != nullptr)
    Record(usDeleteLayer);
  FDoc.DeleteSelected();
}

void TLayerCommands::CloneSelected() {
  TCustomLayer* S = FDoc.Selected();
  auto* P = dynamic_cast<TPositionedLayer*>(S);
  if (P == nullptr)
    return;
  TSingleRect R = P->Location();
  R = {R.Left + 30, R.Top + 30, R.Right + 30, R.Bottom + 30};
  if (auto* B = dynamic_cast<TBitmapLayer*>(S)) {
    Record(usCloneLayer);
    TNewLayerGuard L(FDoc.Layers().Add<TBitmapLayer>());
    L.Get()->Bitmap()->Assign(B->Bitmap());
    FDoc.AdoptContentLayer(L.Get());
    L.Get()->SetLocation(R);
    // A copy of a caption is a caption with the same text.
    FDoc.Captions.Put(L.Get()->Id(), FDoc.Captions.Editable(*B));
    // A copy of a framed photo has a copy of the frame.
    if (const TBitmapLayer* Frame = FDoc.FrameOf(*B)) {
      TNewLayerGuard F(FDoc.Layers().Add<TBitmapLayer>());
      F.Get()->Bitmap()->Assign(Frame->Bitmap());
      FDoc.AdoptContentLayer(F.Get());
      F.Get()->SetScaled(Frame->Scaled());
      const TSingleRect Q = Frame->Location();
      F.Get()->SetLocation({Q.Left + 30, Q.Top + 30, Q.Right + 30, Q.Bottom + 30});
      FDoc.LinkFrame(*F.Release(), *L.Get());
    }
    FDoc.SetSelection(L.Release());
    return;
  }
  TPositionedLayer* Copy = FDoc.CreatePositionedLayer();
  Copy->Tag = TagAreaCopy;
  Copy->OnPaint = [](TObject*, TBitmap32*) {};
  Copy->SetLocation(R);
  FDoc.SetSelection(Copy);
}

void TLayerCommands::RotateRight() {
  Rotate90(true);
}

void TLayerCommands::RotateLeft() {
  Rotate90(false);
}

void TLayerCommands::Rotate90(bool Right) {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return;
  Record(usRotation);
  TurnBitmap(*L->Bitmap(), Right);
  // A photo's frame turns with it.
  if (TBitmapLayer* Frame = FDoc.FrameOf(*L)) {
    TurnBitmap(*Frame->Bitmap(), Right);
    FDoc.Frames.Link(Frame->Id(), L->Id(), TurnedBox(FDoc.Frames.Find(Frame->Id())->Box, Right));
  }
  const TSingleRect R = L->Location();
  L->SetLocation({R.Left, R.Top, R.Left + (R.Bottom - R.Top), R.Top + (R.Right - R.Left)});
  Follow(*L);
  FDoc.SetSelection(nullptr);
  FDoc.SetSelection(L);
}

void TLayerCommands::Flip(bool Vertical) {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return;
  Record(usFlip);
  FlipBitmap(*L->Bitmap(), Vertical);
  if (TBitmapLayer* Frame = FDoc.FrameOf(*L)) {
    FlipBitmap(*Frame->Bitmap(), Vertical);
    FDoc.Frames.Link(Frame->Id(), L->Id(),
                     FlippedBox(FDoc.Frames.Find(Frame->Id())->Box, Vertical));
    FDoc.FollowFrames();
  }
}

void TLayerCommands::Follow(const TBitmapLayer& L) {
  if (FDoc.Frames.Empty())
    return;
  FDoc.FrameMoved(L);
  FDoc.FollowFrames();
}

void TLayerCommands::FlipTopToBottom() {
  Flip(true);
}

void TLayerCommands::FlipLeftToRight() {
  Flip(false);
}

void TLayerCommands::RemoveMask() {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return;
  Record(usRemoveMask);
  L->Bitmap()->MakeOpaque();
}

void TLayerCommands::ApplyTransparentColor(TColor32 Key) {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return;
  Record(usTransparentColour);
  TBitmap32& B = *L->Bitmap();
  // The mask is opaque black on the key and opaque white elsewhere; its intensity (0 or 255)
  // becomes the alpha.
  const int64_t N = int64_t{B.Width()} * B.Height();
  TColor32* P = B.Bits();
  for (int64_t I = 0; I < N; ++I) {
    const TColor32 Mask = P[I] == Key ? 0xFF000000u : 0xFFFFFFFFu;
    P[I] = (P[I] & 0x00FFFFFF) | (static_cast<TColor32>(Intensity(Mask)) << 24);
  }
  B.Changed();
}

bool TLayerCommands::PickTransparentColor(TPoint P) {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  ApplyTransparentColor(PickColor(*L, P));
  return true;
}

bool TLayerCommands::PickColorAt(TPoint P, TColor32& Colour) const {
  const TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  Colour = PickColor(*L, P);
  return true;
}

void TLayerCommands::ViewMouseDown(TCustomLayer* Hit) {
  if (Hit != nullptr) {
    const TCustomLayer* S = FDoc.Selected();
    if (S == nullptr || IsAreaLayer(S))
      return;
  } else {
    FDoc.SetSelection(nullptr);
  }
  // The selection is not the area layer here, so destroying it leaves the selection alone.
  if (TPositionedLayer* Area = FDoc.FindAreaLayer())
    Area->Free();
}

void TLayerCommands::LayerRescaleClick() {
  if (TBitmapLayer* L = FDoc.SelectedBitmapLayer()) {
    Record(usLayerScale);
    TBitmap32& B = *L->Bitmap();
    // The old pixels move aside without a copy; B is then empty and takes the new size.
    TBitmap32 Old;
    Old.SwapContents(B);
    Old.SetDrawMode(dmOpaque);
    Old.SetStretchFilter(sfLinear);
    Old.SetMasterAlpha(B.MasterAlpha());
    Old.OuterColor = B.OuterColor;
    const TRect R = RectFromSingle(L->Location(), rrClosest);
    try {
      B.SetSize(R.Right - R.Left, R.Bottom - R.Top);
    } catch (...) {
      B.SwapContents(Old);
      B.Changed();
      throw;
    }
    Old.DrawOnto(B, B.BoundsRect());
    B.Changed();
    ResetScale();
  }
  FDoc.Modified = true;
}

void TLayerCommands::LayerResetScaleClick() {
  if (FDoc.SelectedBitmapLayer() != nullptr && FDoc.RBLayer() != nullptr)
    Record(usLayerScale);
  ResetScale();
}

void TLayerCommands::ResetScale() {
  TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L != nullptr && FDoc.RBLayer() != nullptr) {
    TSingleRect R = FDoc.RBLayer()->Location();
    R.Right = R.Left + L->Bitmap()->Width();
    R.Bottom = R.Top + L->Bitmap()->Height();
    FDoc.RBLayer()->SetLocation(R);
    L->Bitmap()->Changed();
    Follow(*L);
  }
  FDoc.Modified = true;
}

std::string TLayerCommands::RBResizing(const TSingleRect& Old, TSingleRect& New,
                                       TDragState DragState, TShiftState Shift,
                                       const TResizeOptions& Options) {
  if (DragState == DragMove || Shift == 0)
    return {};
  if (Shift & ssCtrl) {
    const float Cx = (Old.Left + Old.Right) / 2, Cy = (Old.Top + Old.Bottom) / 2;
    float Nw = (Old.Right - Old.Left) / 2, Nh = (Old.Bottom - Old.Top) / 2;
    switch (DragState) {
      case DragLeft:
        Nw = Cx - New.Left;
        break;
      case DragRight:
        Nw = New.Right - Cx;
        break;
      case DragTop:
        Nh = Cy - New.Top;
        break;
      case DragBottom:
        Nh = New.Bottom - Cy;
        break;
      case DragTopLeft:
        Nw = Cx - New.Left;
        Nh = Cy - New.Top;
        break;
      case DragTopRight:
        Nw = New.Right - Cx;
        Nh = Cy - New.Top;
        break;
      case DragBottomLeft:
        Nw = Cx - New.Left;
        Nh = New.Bottom - Cy;
        break;
      case DragBottomRight:
        Nw = New.Right - Cx;
        Nh = New.Bottom - Cy;
        break;
      default:
        break;
    }
    Nw = std::max(Nw, 2.0f);
    Nh = std::max(Nh, 2.0f);
    New = {Cx - Nw, Cy - Nh, Cx + Nw, Cy + Nh};
  }
  // The height follows the width whichever handle is dragged.
  const TBitmapLayer* B = FDoc.SelectedBitmapLayer();
  if (Options.Propos && B != nullptr && !B->Bitmap()->IsEmpty()) {
    const double Ratio = static_cast<double>(B->Bitmap()->Width()) / B->Bitmap()->Height();
    New.Bottom = New.Top + Round(std::fabs(static_cast<double>(New.Right) - New.Left) / Ratio);
  }
  std::string Text;
  const TCustomLayer* S = FDoc.Selected();
  if (IsCropArea(S)) {
    const TSingleRect A = static_cast<const TPositionedLayer*>(S)->Location();
    const int32_t W = std::abs(Round(static_cast<double>(A.Left) - A.Right));
    const int32_t H = Round(static_cast<double>(A.Bottom) - A.Top);
    Text = std::to_string(W) + "x" + std::to_string(H);
    const double R = CropProportion(Options.CropsP, Options.Obrat);
    if (R > 0)
      New.Bottom = New.Top + Round(std::fabs(static_cast<double>(New.Right) - New.Left) / R);
  }
  FDoc.Modified = true;
  return Text;
}

TLayerMenuEnabling TLayerCommands::ArrangeMenuEnabled() const {
  TLayerMenuEnabling E;
  E.fill(true);
  const TBitmapLayer* B = FDoc.SelectedBitmapLayer();
  const int32_t I = B != nullptr ? B->Index() : -1, N = FDoc.Layers().Count();
  E[0] = E[3] = B != nullptr && I < N - 2;
  E[1] = E[4] = B != nullptr && I > 0;
  for (size_t K = 6; K <= 13; ++K) E[K] = B != nullptr;
  E[14] = E[15] = FDoc.Selected() != nullptr;
  return E;
}

TLayerMenuEnabling TLayerCommands::LayerPopupEnabled() const {
  TLayerMenuEnabling E;
  E.fill(FDoc.SelectedBitmapLayer() != nullptr);
  E[14] = E[15] = true;
  return E;
}
