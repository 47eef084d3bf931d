#pragma once
// Every command the batch tool's "effect" verb offers: the effects, then the commands that
// work on the whole card (its size, background, layers and their geometry). Each group of
// card commands is kept with the code it runs and listed here.
#include <string>
#include <vector>

#include "effect_commands.h"

const std::vector<TCardCommand>& CardCommands();

// The key Key of the table's command Name: its range and default, for the control that sets it.
// A key not in the table is a program error, raised as EEffectCommandError.
const TEffectKey& CardKeyOf(const std::string& Name, const std::string& Key);
