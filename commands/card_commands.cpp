#include "card_commands.h"

#include "canvas_crop_commands.h"
#include "caption_commands.h"
#include "composition_commands.h"
#include "frame_mask_commands.h"
#include "geometry_commands.h"
#include "image_geometry.h"
#include "outline_commands.h"

const std::vector<TCardCommand>& CardCommands() {
  static const std::vector<TCardCommand> Commands = [] {
    std::vector<TCardCommand> All = EffectCommands();
    // Each group appends its commands here:
    //   for (const TCardCommand& C : GroupCommands()) All.push_back(C);
    for (const TCardCommand& C : FrameMaskCommands()) All.push_back(C);
    for (const TCardCommand& C : ImageGeometryCommands()) All.push_back(C);
    for (const TCardCommand& C : OutlineCommands()) All.push_back(C);
    for (const TCardCommand& C : GeometryCommands()) All.push_back(C);
    for (const TCardCommand& C : CompositionCommands()) All.push_back(C);
    for (const TCardCommand& C : CanvasCropCommands()) All.push_back(C);
    for (const TCardCommand& C : CaptionCommands()) All.push_back(C);
    return All;
  }();
  return Commands;
}

const TEffectKey& CardKeyOf(const std::string& Name, const std::string& Key) {
  for (const TCardCommand& C : CardCommands())
    if (Name == C.Name)
      for (const TEffectKey& K : C.Keys)
        if (Key == K.Name)
          return K;
  throw EEffectCommandError("в таблице команд нет параметра " + Name + " " + Key);
}
