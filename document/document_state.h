#pragma once
// A picture of the card at one moment, as the undo history keeps it: the canvas and every
// content layer (kind, identity, place, flags, drawing properties and pixels), and which layer
// was selected. Pixels are held as shared, immutable copies; a copy is made only for pixels
// that changed since the last one was taken, so pictures of a card that changed little cost
// little.
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "bitmap32.h"
#include "card_document.h"
#include "layer_captions.h"
#include "layer_frames.h"
#include "types.h"

class TCardDocument;

// The drawing properties of a bitmap that a picture keeps beside its pixels.
struct TBitmapLook {
  TDrawMode DrawMode = dmOpaque;
  uint32_t MasterAlpha = 255;
  TStretchFilter StretchFilter = sfNearest;
  TColor32 OuterColor = 0;
  bool operator==(const TBitmapLook&) const = default;
};

// One content layer (a TBitmapLayer of the stack).
struct TLayerState {
  uint64_t Id = 0;
  int32_t Tag = 0;
  TSingleRect Location = {0, 0, 0, 0};
  bool Scaled = true;
  uint32_t Options = 0;
  bool Cropped = false;
  bool AlphaHit = false;
  TBitmapLook Look;
  std::shared_ptr<const TBitmap32> Pixels;
  // The caption settings the layer was made from, null for a picture.
  std::shared_ptr<const TLayerCaption> Caption;
  // For a frame layer, the photo it belongs to and its place there; null for any other layer.
  std::shared_ptr<const TLayerFrame> Frame;
  bool operator==(const TLayerState&) const = default;
};

struct TDocumentState {
  TBitmapLook CanvasLook;
  std::shared_ptr<const TBitmap32> Canvas;
  // Bottom up.
  std::vector<TLayerState> Layers;
  // 0: none, or a layer that is not a content layer.
  uint64_t SelectedId = 0;
  // Carried along, but no change of its own: a state that differs only in how the panel last
  // filled the canvas looks the same, and a fill that changed no pixel is no step.
  TBackgroundNote Background;
  bool operator==(const TDocumentState& O) const {
    return CanvasLook == O.CanvasLook && Canvas == O.Canvas && Layers == O.Layers &&
           SelectedId == O.SelectedId;
  }
};

// The last copy taken of each bitmap (the canvas under identity 0, each layer under its own),
// with the generation the bitmap had then: a bitmap whose generation is unchanged is shared
// instead of copied, and one whose pixels turn out equal to the copy anyway (a preview put
// back, an opacity change) is shared after one comparison.
class TPixelStore {
 public:
  // The shared copy of Live's pixels.
  std::shared_ptr<const TBitmap32> Take(uint64_t Id, const TBitmap32& Live);
  // Live was just given the pixels of Copy.
  void Note(uint64_t Id, const TBitmap32& Live, std::shared_ptr<const TBitmap32> Copy);
  // Whether Live holds exactly the pixels of Copy, as far as the store knows without looking.
  bool Holds(uint64_t Id, const TBitmap32& Live, const TBitmap32* Copy) const;
  // Forgets the copies of identities not in Live (layers gone from the card).
  void KeepOnly(const std::vector<uint64_t>& Live);
  void Clear() { FCopies.clear(); }
  // Every copy the store keeps (for counting the memory).
  template <class F>
  void ForEach(F&& Fn) const {
    for (const auto& [Id, E] : FCopies) Fn(E.Copy.get());
  }

 private:
  struct TEntry {
    std::shared_ptr<const TBitmap32> Copy;
    uint64_t Generation = 0;
  };
  std::unordered_map<uint64_t, TEntry> FCopies;
};

// The bytes a bitmap's pixels take.
size_t PixelBytes(const TBitmap32& B);

// The card as it is now.
TDocumentState CaptureState(TCardDocument& Doc, TPixelStore& Store);
// Makes the card what State describes: the canvas, the content layers found by identity (made
// anew for those that no longer exist, freed for those the state does not have) in the state's
// order, and the selection. Plain positioned layers (areas) are left where they are. Only the
// pixels that differ are copied. ReleaseCapture is called while nothing is selected, so that a
// drag that may be going on ends before the frame is rebuilt.
void RestoreState(TCardDocument& Doc, const TDocumentState& State, TPixelStore& Store,
                  const std::function<void()>& ReleaseCapture);
