#include "document_state.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "card_document.h"

namespace {

constexpr uint64_t CanvasId = 0;

TBitmapLook LookOf(const TBitmap32& B) {
  return {B.DrawMode(), B.MasterAlpha(), B.StretchFilter(), B.OuterColor};
}

void SetLook(TBitmap32& B, const TBitmapLook& Look) {
  B.SetDrawMode(Look.DrawMode);
  B.SetMasterAlpha(Look.MasterAlpha);
  B.SetStretchFilter(Look.StretchFilter);
  B.OuterColor = Look.OuterColor;
}

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height())
    return false;
  return A.IsEmpty() || std::memcmp(A.Bits(), B.Bits(), PixelBytes(A)) == 0;
}

// Live's pixels and size become Copy's; Live is notified (and told of a new size).
void PutPixels(TBitmap32& Live, const TBitmap32* Copy) {
  const int32_t W = Copy != nullptr ? Copy->Width() : 0, H = Copy != nullptr ? Copy->Height() : 0;
  Live.BeginUpdate();
  try {
    Live.SetSizeForOverwrite(W, H);
  } catch (...) {
    Live.EndUpdate();
    Live.Changed();
    throw;
  }
  if (!Live.IsEmpty())
    std::memcpy(Live.Bits(), Copy->Bits(), PixelBytes(Live));
  Live.EndUpdate();
  Live.Changed();
}

void RestoreBitmap(TBitmap32& Live, uint64_t Id, const TBitmapLook& Look,
                   const std::shared_ptr<const TBitmap32>& Pixels, TPixelStore& Store) {
  const bool Held = Store.Holds(Id, Live, Pixels.get());
  SetLook(Live, Look);
  if (!Held)
    PutPixels(Live, Pixels.get());
  Store.Note(Id, Live, Pixels);
}

}  // namespace

size_t PixelBytes(const TBitmap32& B) {
  return B.IsEmpty() ? 0 : size_t(B.Width()) * size_t(B.Height()) * sizeof(TColor32);
}

std::shared_ptr<const TBitmap32> TPixelStore::Take(uint64_t Id, const TBitmap32& Live) {
  auto It = FCopies.find(Id);
  if (It != FCopies.end()) {
    TEntry& E = It->second;
    if (E.Generation == Live.Generation())
      return E.Copy;
    if (SamePixels(*E.Copy, Live)) {
      E.Generation = Live.Generation();
      return E.Copy;
    }
  }
  auto Copy = std::make_shared<TBitmap32>();
  if (!Live.IsEmpty()) {
    Copy->SetSizeForOverwrite(Live.Width(), Live.Height());
    std::memcpy(Copy->Bits(), Live.Bits(), PixelBytes(Live));
  }
  FCopies[Id] = {Copy, Live.Generation()};
  return Copy;
}

void TPixelStore::Note(uint64_t Id, const TBitmap32& Live, std::shared_ptr<const TBitmap32> Copy) {
  FCopies[Id] = {std::move(Copy), Live.Generation()};
}

bool TPixelStore::Holds(uint64_t Id, const TBitmap32& Live, const TBitmap32* Copy) const {
  auto It = FCopies.find(Id);
  return It != FCopies.end() && It->second.Copy.get() == Copy &&
         It->second.Generation == Live.Generation();
}

void TPixelStore::KeepOnly(const std::vector<uint64_t>& Live) {
  const std::unordered_set<uint64_t> Keep(Live.begin(), Live.end());
  std::erase_if(FCopies,
                [&](const auto& E) { return E.first != CanvasId && !Keep.contains(E.first); });
}

TDocumentState CaptureState(TCardDocument& Doc, TPixelStore& Store) {
  TDocumentState S;
  S.CanvasLook = LookOf(Doc.Canvas());
  S.Canvas = Store.Take(CanvasId, Doc.Canvas());
  TLayerCollection& Layers = Doc.Layers();
  std::vector<uint64_t> Ids;
  for (int32_t I = 0; I < Layers.Count(); ++I) {
    auto* L = dynamic_cast<TBitmapLayer*>(Layers.Items(I));
    if (L == nullptr)
      continue;
    TLayerState LS;
    LS.Id = L->Id();
    LS.Tag = L->Tag;
    LS.Location = L->Location();
    LS.Scaled = L->Scaled();
    LS.Options = L->LayerOptions();
    LS.Cropped = L->Cropped();
    LS.AlphaHit = L->AlphaHit;
    LS.Look = LookOf(*L->Bitmap());
    LS.Pixels = Store.Take(LS.Id, *L->Bitmap());
    LS.Caption = Doc.Captions.Find(LS.Id);
    LS.Frame = Doc.Frames.Find(LS.Id);
    Ids.push_back(LS.Id);
    S.Layers.push_back(std::move(LS));
  }
  Store.KeepOnly(Ids);
  if (auto* L = Doc.SelectedBitmapLayer())
    S.SelectedId = L->Id();
  S.Background = Doc.Background;
  return S;
}

void RestoreState(TCardDocument& Doc, const TDocumentState& State, TPixelStore& Store,
                  const std::function<void()>& ReleaseCapture) {
  Doc.SetSelection(nullptr);
  if (ReleaseCapture)
    ReleaseCapture();
  TLayerCollection& Layers = Doc.Layers();

  // The canvas, with the fill that made it.
  Doc.Background = State.Background;
  TBitmap32& Canvas = Doc.Canvas();
  RestoreBitmap(Canvas, CanvasId, State.CanvasLook, State.Canvas, Store);

  // Layers the state does not have leave; the others are found by identity.
  std::unordered_map<uint64_t, TBitmapLayer*> Live;
  std::unordered_set<uint64_t> Wanted;
  for (const TLayerState& LS : State.Layers) Wanted.insert(LS.Id);
  for (int32_t I = Layers.Count() - 1; I >= 0; --I) {
    auto* L = dynamic_cast<TBitmapLayer*>(Layers.Items(I));
    if (L == nullptr)
      continue;
    if (Wanted.contains(L->Id())) {
      Live[L->Id()] = L;
    } else {
      Doc.Frames.Forget(L->Id());
      L->Free();
    }
  }

  TBitmapLayer* Selected = nullptr;
  for (size_t K = 0; K < State.Layers.size(); ++K) {
    const TLayerState& LS = State.Layers[K];
    TBitmapLayer* L = nullptr;
    if (auto It = Live.find(LS.Id); It != Live.end()) {
      L = It->second;
    } else {
      TNewLayerGuard Guard(Layers.Add<TBitmapLayer>());
      Doc.AdoptContentLayer(Guard.Get());
      Guard.Get()->SetId(LS.Id);
      L = Guard.Release();
    }
    RestoreBitmap(*L->Bitmap(), LS.Id, LS.Look, LS.Pixels, Store);
    L->Tag = LS.Tag;
    L->SetScaled(LS.Scaled);
    L->SetLayerOptions(LS.Options);
    L->SetCropped(LS.Cropped);
    L->AlphaHit = LS.AlphaHit;
    Doc.Captions.Put(LS.Id, LS.Caption);
    Doc.Frames.Put(LS.Id, LS.Frame);
    if (!(L->Location() == LS.Location))
      L->SetLocation(LS.Location);
    if (L->Index() != static_cast<int32_t>(K))
      L->SetIndex(static_cast<int32_t>(K));
    if (LS.Id == State.SelectedId)
      Selected = L;
  }
  if (Selected != nullptr)
    Doc.SetSelection(Selected);
}
