#include "geometry_commands.h"

#include "card_document.h"
#include "layer_crop.h"
#include "perspective.h"

namespace {

constexpr int32_t Far = 1000000;

void RunLayerCrop(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  if (Doc.SelectedBitmapLayer() == nullptr)
    throw EEffectCommandError("LayerCrop: укажите слой-картинку (layer=N)");
  const auto& V = Call.Values;
  if (V[2] <= V[0] || V[3] <= V[1])
    throw EEffectCommandError("LayerCrop: нужно left < right и top < bottom");
  if (!CropSelectedLayer(Doc, Start, {float(V[0]), float(V[1]), float(V[2]), float(V[3])}))
    throw EEffectCommandError("LayerCrop: рамка обрезки не задевает слой");
}

void RunPerspective(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  const auto& V = Call.Values;
  TPerspectiveCorners C;
  for (size_t I = 0; I < 4; ++I) C[I] = {V[2 * I], V[2 * I + 1]};
  TPerspectiveOptions Options;
  Options.Bilinear = V[8] != 0;
  Options.Background = 0xFF000000u | uint32_t(V[9]);
  const TBitmapLayer* L = Doc.SelectedBitmapLayer();
  TBitmap32 Source;
  Source.Assign(L != nullptr ? L->Bitmap() : &Doc.Canvas());
  // The corners are pixels of the picture itself: the "preview" is the picture at full size.
  ApplyPerspective(Doc, Start, Source, Source.Width(), C, Options);
}

}  // namespace

std::vector<TCardCommand> GeometryCommands() {
  return {
      {.Name = "LayerCrop",
       .Format = efDocument,
       .Keys =
           {{"left", -Far, Far}, {"top", -Far, Far}, {"right", -Far, Far}, {"bottom", -Far, Far}},
       .Run = &RunLayerCrop,
       .Step = usLayerCrop},
      {.Name = "Perspective",
       .Format = efDocument,
       .Keys = {{"x0", -Far, Far},
                {"y0", -Far, Far},
                {"x1", -Far, Far},
                {"y1", -Far, Far},
                {"x2", -Far, Far},
                {"y2", -Far, Far},
                {"x3", -Far, Far},
                {"y3", -Far, Far},
                {"bilinear", 0, 1, ekInteger, {}, true, 1},
                {"background", 0, 0, ekColor, {}, true, 0xFFFFFF}},
       .Run = &RunPerspective,
       .Step = usPerspective},
  };
}
