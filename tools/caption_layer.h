#pragma once
// Caption layers that stay editable: what a layer made as a caption remembers (its TCaption,
// see caption_settings.h, kept in the document's Captions), rendering it again in place, and
// putting it back as it was when an edit is cancelled.
#include <memory>
#include <optional>

#include "bitmap32.h"
#include "bitmap_layer.h"
#include "caption_render.h"
#include "card_document.h"

// What the user is told when a caption's pixels were changed by something else.
constexpr char CaptionChangedText[] = "Надпись изменена как картинка: текст больше нельзя править";

enum class TCaptionKind {
  Picture,   // never made as a caption, or its settings cannot be read
  Editable,  // a caption whose pixels are as rendered
  Changed,   // made as a caption, its pixels changed since: a picture now
};

TCaptionKind CaptionKind(const TCardDocument& Doc, const TBitmapLayer& Layer);
// Whether the layer's caption can be edited now: Editable, with Caption set to the caption to
// edit (see EditableCaption); else why not, Caption untouched.
TCaptionKind CaptionToEdit(const TCardDocument& Doc, const TBitmapLayer& Layer, TCaption& Caption);
// The caption the layer was rendered from while it is still editable, its transparency the
// layer's opacity now; nothing otherwise (also when its settings cannot be read).
std::optional<TCaption> EditableCaption(const TCardDocument& Doc, const TBitmapLayer& Layer);

// Remembers that Layer was just rendered from Caption.
void RememberCaption(TCardDocument& Doc, const TBitmapLayer& Layer, const TCaption& Caption);

// Renders Caption into Layer in place: the centre of its location stays, and so does its scale
// (location size per bitmap pixel) when the user resized it; the transparency becomes the
// caption's. The layer remembers the new caption. Work and Mask are scratch bitmaps.
void ReplaceCaption(TCardDocument& Doc, TBitmapLayer& Layer, const TCaption& Caption,
                    TBitmap32& Work, TBitmap32& Mask);

// A caption layer as it was when an edit began, to put back on "Отмена".
class TCaptionEditBackup {
 public:
  TCaptionEditBackup(const TCardDocument& Doc, const TBitmapLayer& Layer);
  // Puts the layer back (pixels, location, opacity, caption) when it was changed since.
  void Restore(TCardDocument& Doc, TBitmapLayer& Layer) const;

 private:
  TBitmap32 FPixels;
  TSingleRect FLocation;
  std::shared_ptr<const TLayerCaption> FCaption;
  uint64_t FGeneration = 0;
};
