#pragma once
// What made a caption layer: the caption's settings, kept beside the layer so that its text can
// be edited again, and a fingerprint of the pixels as they were rendered. Once something else
// changes the layer's pixels (an effect, a mask, a rotation), the fingerprint no
// longer matches and the layer is an ordinary picture; moving and resizing it change only its
// location and keep it a caption. The settings are bytes here: the caption tool defines them
// (see caption_settings.h), the document only keeps, copies and stores them.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "bitmap32.h"
#include "bitmap_layer.h"

struct TLayerCaption {
  std::vector<uint8_t> Settings;
  // PixelFingerprint of the layer's bitmap as the caption was rendered.
  uint64_t Fingerprint = 0;
  bool operator==(const TLayerCaption&) const = default;
};

// A 64-bit hash of the bitmap's width, height and pixels.
uint64_t PixelFingerprint(const TBitmap32& B);

// The caption settings of the card's layers, by layer identity (Id()).
class TLayerCaptions {
 public:
  // Layer was just rendered from Settings: it is an editable caption from now on.
  void Set(const TBitmapLayer& Layer, std::vector<uint8_t> Settings);
  // Puts a kept record back for the layer (undo, a project read); null forgets it.
  void Put(uint64_t Id, std::shared_ptr<const TLayerCaption> Caption);
  void Forget(uint64_t Id) { Put(Id, nullptr); }
  void Clear();
  // The record kept for the layer, whether or not its pixels still match; null for none.
  std::shared_ptr<const TLayerCaption> Find(uint64_t Id) const;
  // The record when the layer is still the caption it was rendered as (its pixels match the
  // fingerprint); null otherwise.
  std::shared_ptr<const TLayerCaption> Editable(const TBitmapLayer& Layer) const;
  // Whether the layer was made as a caption (editable or not any more).
  bool WasCaption(const TBitmapLayer& Layer) const { return Find(Layer.Id()) != nullptr; }

 private:
  std::unordered_map<uint64_t, std::shared_ptr<const TLayerCaption>> FCaptions;
  // The bitmap generation at which each layer's pixels were last found to match: a bitmap that
  // has not changed since is not hashed again.
  mutable std::unordered_map<uint64_t, uint64_t> FMatched;
};
