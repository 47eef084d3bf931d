#pragma once
// The batch tool's commands of the composition panel: the gradient and texture background, the
// underlay, and the gallery pictures.
#include <vector>

#include "effect_commands.h"

std::vector<TCardCommand> CompositionCommands();
