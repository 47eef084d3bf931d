#include "card_commands.h"

#include "canvas_crop_commands.h"

const std::vector<TEffectCommand>& CardCommands() {
  static const std::vector<TEffectCommand> Commands = [] {
    std::vector<TEffectCommand> All = EffectCommands();
    // Each group appends its commands here:
    //   for (const TEffectCommand& C : GroupCommands()) All.push_back(C);
    for (const TEffectCommand& C : CanvasCropCommands()) All.push_back(C);
    return All;
  }();
  return Commands;
}
