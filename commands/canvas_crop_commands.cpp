#include "canvas_crop_commands.h"

#include "canvas_crop.h"
#include "card_document.h"
#include "clipboard_commands.h"

namespace {

// The area may reach beyond the canvas on any side; it is clamped as the editor clamps it.
constexpr int32_t Reach = 1 << 20;

void RunCanvasCrop(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  const std::vector<int32_t>& V = Call.Values;
  TPositionedLayer* Area = CreateAreaLayer(Doc, TagCropArea);
  Area->SetLocation({static_cast<float>(V[0]), static_cast<float>(V[1]), static_cast<float>(V[2]),
                     static_cast<float>(V[3])});
  CropCanvas(Doc, Start);
}

}  // namespace

std::vector<TCardCommand> CanvasCropCommands() {
  return {
      {.Name = "CanvasCrop",
       .Format = efDocument,
       .Keys = {{"left", -Reach, Reach},
                {"top", -Reach, Reach},
                {"right", -Reach, Reach},
                {"bottom", -Reach, Reach}},
       .Run = &RunCanvasCrop,
       .Step = usCanvasCrop},
  };
}
