#include "caption_layer.h"

#include <algorithm>
#include <cmath>

#include "bitmap_change.h"
#include "caption_settings.h"

namespace {

// The selection frame goes around the layer's new shape.
void ReframeSelected(TCardDocument& Doc, TBitmapLayer& Layer) {
  if (Doc.Selected() != &Layer)
    return;
  Doc.SetSelection(nullptr);
  Doc.SetSelection(&Layer);
}

}  // namespace

TCaptionKind CaptionKind(const TCardDocument& Doc, const TBitmapLayer& Layer) {
  if (!Doc.Captions.WasCaption(Layer))
    return TCaptionKind::Picture;
  const std::shared_ptr<const TLayerCaption> C = Doc.Captions.Editable(Layer);
  if (C == nullptr)
    return TCaptionKind::Changed;
  // Settings that cannot be read (damaged in the file) leave the picture alone.
  return DecodeCaption(C->Settings) ? TCaptionKind::Editable : TCaptionKind::Picture;
}

TCaptionKind CaptionToEdit(const TCardDocument& Doc, const TBitmapLayer& Layer, TCaption& Caption) {
  const TCaptionKind Kind = CaptionKind(Doc, Layer);
  if (Kind != TCaptionKind::Editable)
    return Kind;
  std::optional<TCaption> C = EditableCaption(Doc, Layer);
  // Settings that cannot be read now are a caption changed as a picture.
  if (!C)
    return TCaptionKind::Changed;
  Caption = std::move(*C);
  return TCaptionKind::Editable;
}

std::optional<TCaption> EditableCaption(const TCardDocument& Doc, const TBitmapLayer& Layer) {
  const std::shared_ptr<const TLayerCaption> C = Doc.Captions.Editable(Layer);
  if (C == nullptr)
    return std::nullopt;
  std::optional<TCaption> Caption = DecodeCaption(C->Settings);
  // The opacity the user gave the layer since (the opacity gauge) is the caption's now.
  const uint32_t Alpha = Layer.Bitmap()->MasterAlpha();
  if (Caption && CaptionMasterAlpha(Caption->Transparency) != Alpha)
    Caption->Transparency =
        std::clamp(static_cast<int32_t>(std::lround((255.0 - Alpha) * 100.0 / 255.0)), 0,
                   MaxCaptionTransparency);
  return Caption;
}

void RememberCaption(TCardDocument& Doc, const TBitmapLayer& Layer, const TCaption& Caption) {
  Doc.Captions.Set(Layer, EncodeCaption(Caption));
}

void ReplaceCaption(TCardDocument& Doc, TBitmapLayer& Layer, const TCaption& Caption,
                    TBitmap32& Work, TBitmap32& Mask) {
  // The pixels as a new caption layer gets them.
  const TCardDocument::TTextLayerSource Source = RenderCaptionSource(Caption, Work, Mask);
  if (Work.IsEmpty())
    return;
  TBitmap32& B = *Layer.Bitmap();
  const int32_t OldW = B.Width(), OldH = B.Height();
  const TSingleRect Old = Layer.Location();
  const TStretchFilter Filter = B.StretchFilter();
  ChangeAtOnce(B, [&] {
    TCardDocument::TextLayerPixels(Source, B);
    B.SetStretchFilter(Filter);
  });
  // The scale the user gave the layer applies to the new text too.
  const float Sx = OldW > 0 ? (Old.Right - Old.Left) / static_cast<float>(OldW) : 1.0f;
  const float Sy = OldH > 0 ? (Old.Bottom - Old.Top) / static_cast<float>(OldH) : 1.0f;
  const float Cx = (Old.Left + Old.Right) / 2, Cy = (Old.Top + Old.Bottom) / 2;
  const float W = B.Width() * Sx, H = B.Height() * Sy;
  Layer.SetLocation({Cx - W / 2, Cy - H / 2, Cx + W / 2, Cy + H / 2});
  RememberCaption(Doc, Layer, Caption);
  ReframeSelected(Doc, Layer);
}

TCaptionEditBackup::TCaptionEditBackup(const TCardDocument& Doc, const TBitmapLayer& Layer)
    : FLocation(Layer.Location()), FCaption(Doc.Captions.Find(Layer.Id())) {
  FPixels.Assign(Layer.Bitmap());
  FGeneration = Layer.Bitmap()->Generation();
}

void TCaptionEditBackup::Restore(TCardDocument& Doc, TBitmapLayer& Layer) const {
  if (Layer.Bitmap()->Generation() != FGeneration) {
    const TStretchFilter Filter = Layer.Bitmap()->StretchFilter();
    Layer.Bitmap()->Assign(&FPixels);
    Layer.Bitmap()->SetStretchFilter(Filter);
  }
  if (!(Layer.Location() == FLocation))
    Layer.SetLocation(FLocation);
  Doc.Captions.Put(Layer.Id(), FCaption);
  ReframeSelected(Doc, Layer);
}
