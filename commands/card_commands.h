#pragma once
// Every command the batch tool's "effect" verb offers: the effects, then the commands that
// work on the whole card (its size, background, layers and their geometry). Each group of
// card commands is kept with the code it runs and listed here.
#include <vector>

#include "effect_commands.h"

const std::vector<TCardCommand>& CardCommands();
