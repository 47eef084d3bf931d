#include "card_commands.h"

#include "canvas_crop_commands.h"
#include "composition_commands.h"
#include "frame_mask_commands.h"
#include "geometry_commands.h"
#include "image_geometry.h"
#include "outline_commands.h"

const std::vector<TEffectCommand>& CardCommands() {
  static const std::vector<TEffectCommand> Commands = [] {
    std::vector<TEffectCommand> All = EffectCommands();
    // Each group appends its commands here:
    //   for (const TEffectCommand& C : GroupCommands()) All.push_back(C);
    for (const TEffectCommand& C : FrameMaskCommands()) All.push_back(C);
    for (const TEffectCommand& C : ImageGeometryCommands()) All.push_back(C);
    for (const TEffectCommand& C : OutlineCommands()) All.push_back(C);
    for (const TEffectCommand& C : GeometryCommands()) All.push_back(C);
    for (const TEffectCommand& C : CompositionCommands()) All.push_back(C);
    for (const TEffectCommand& C : CanvasCropCommands()) All.push_back(C);
    return All;
  }();
  return Commands;
}
