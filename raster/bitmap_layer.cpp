#include "bitmap_layer.h"

#include "geometry.h"

TBitmapLayer::TBitmapLayer(TLayerCollection* Collection)
    : TPositionedLayer(Collection), FBitmap(std::make_unique<TBitmap32>()) {
  FBitmap->OnChange = [this](TObject*) { Update(); };
}

TBitmapLayer::~TBitmapLayer() {
  FBitmap->OnChange = nullptr;
}

TCustomLayer* TBitmapLayer::Clone(TLayerCollection* Collection) const {
  auto* L = new TBitmapLayer(Collection);
  L->Assign(*this);
  return L;
}

void TBitmapLayer::Assign(const TCustomLayer& Source) {
  TPositionedLayer::Assign(Source);
  if (const auto* B = dynamic_cast<const TBitmapLayer*>(&Source)) {
    AlphaHit = B->AlphaHit;
    SetCropped(B->FCropped);
    FBitmap->Assign(B->FBitmap.get());
  }
}

void TBitmapLayer::SetCropped(bool V) {
  if (V == FCropped)
    return;
  FCropped = V;
  Changed();
}

bool TBitmapLayer::HitTest(int32_t X, int32_t Y) {
  if (!TPositionedLayer::HitTest(X, Y))
    return false;
  if (!AlphaHit)
    return true;
  const TSingleRect R = GetAdjustedLocation();
  const int32_t W = Round(R.Right - R.Left);
  const int32_t H = Round(R.Bottom - R.Top);
  if (W <= 0 || H <= 0)
    return false;
  const int32_t Bx = Round((X - R.Left) * FBitmap->Width() / static_cast<double>(W));
  const int32_t By = Round((Y - R.Top) * FBitmap->Height() / static_cast<double>(H));
  return (FBitmap->GetPixelSafe(Bx, By) >> 24) > 0;
}

void TBitmapLayer::Paint(TBitmap32& Buffer) {
  TRect D = RectFromSingle(GetAdjustedLocation(), rrClosest);
  TRect S = FBitmap->BoundsRect();
  const TLayerCollection* C = LayerCollection();
  const TLayerOwner* Owner = C ? C->GetOwner() : nullptr;
  if (FCropped && Owner != nullptr && Owner->IsImageControl() &&
      !Owner->PaintingToForeignBitmap()) {
    const double W = D.Right - D.Left;
    const double H = D.Bottom - D.Top;
    if (W < 0.5 || H < 0.5)
      return;
    TRect Clip;
    IntersectRect(Clip, D, Owner->OwnerBitmapRect());
    const double BW = FBitmap->Width(), BH = FBitmap->Height();
    S = {Round((Clip.Left - D.Left) * BW / W), Round((Clip.Top - D.Top) * BH / H),
         Round((Clip.Right - D.Left) * BW / W), Round((Clip.Bottom - D.Top) * BH / H)};
    D = Clip;
  }
  FBitmap->DrawOnto(Buffer, D, S);
}
