#pragma once
// The batch tool's commands of the layer crop and the perspective geometry.
#include <vector>

#include "effect_commands.h"

// LayerCrop left= top= right= bottom= (pixels of the layer's bitmap, on layer=N);
// Perspective x0= y0= .. x3= y3= [bilinear=0|1] [background=RRGGBB] (corners in pixels of the
// target picture: the layer's bitmap with layer=N, else the canvas).
std::vector<TCardCommand> GeometryCommands();
