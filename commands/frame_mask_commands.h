#pragma once
// The batch tool's commands for frames and layer masks:
//   Frame file=TILE [width=1..35]   a frame layer of the tile over the selected photo's edges
//                                   (layer=N), or a frame around the card
//   Mask file=MASK [invert=0|1]     the mask as the selected layer's transparency (layer=N)
#include <vector>

#include "effect_commands.h"

std::vector<TCardCommand> FrameMaskCommands();
