#include "card_commands.h"

#include "composition_commands.h"

const std::vector<TEffectCommand>& CardCommands() {
  static const std::vector<TEffectCommand> Commands = [] {
    std::vector<TEffectCommand> All = EffectCommands();
    // Each group appends its commands here:
    //   for (const TEffectCommand& C : GroupCommands()) All.push_back(C);
    for (const TEffectCommand& C : CompositionCommands()) All.push_back(C);
    return All;
  }();
  return Commands;
}
