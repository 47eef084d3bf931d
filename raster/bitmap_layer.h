#pragma once
// A positioned layer that paints its own bitmap stretched into its rectangle.
#include <memory>

#include "bitmap32.h"
#include "custom_layer.h"

class TBitmapLayer : public TPositionedLayer {
 public:
  explicit TBitmapLayer(TLayerCollection* Collection);
  ~TBitmapLayer() override;

  TCustomLayer* Clone(TLayerCollection* Collection) const override;
  void Assign(const TCustomLayer& Source) override;

  // The layer's own bitmap; any notified change of it repaints the view.
  TBitmap32* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(const TBitmap32* B) { FBitmap->Assign(B); }
  bool Cropped() const { return FCropped; }
  void SetCropped(bool V);

  // With AlphaHit, transparent pixels of the bitmap let clicks through.
  bool HitTest(int32_t X, int32_t Y) override;
  // Stretches the bitmap into the adjusted location with the bitmap's own draw mode, master
  // alpha and filter; a cropped layer paints only its part over the owner's canvas.
  void Paint(TBitmap32& Buffer) override;

  bool AlphaHit = false;

 private:
  std::unique_ptr<TBitmap32> FBitmap;
  bool FCropped = false;
};
