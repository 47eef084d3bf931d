#pragma once
// The canvas crop as a command of the batch tool:
//   CanvasCrop left= top= right= bottom=   the crop area in canvas pixels, then "ОК".
#include <vector>

#include "effect_commands.h"

std::vector<TCardCommand> CanvasCropCommands();
