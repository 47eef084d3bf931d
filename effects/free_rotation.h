#pragma once
// "Произвольный угол": turning a layer's picture by a whole number of degrees into a picture
// grown to hold it, with transparent corners.
#include <cstdint>

#include "bitmap32.h"
#include "transformation.h"

// The size of a W0 x H0 picture turned by Angle degrees: Wn = |cos t W0| + |sin t H0| and
// Hn = |sin t W0| + |cos t H0| with t = -Angle in radians (as 32-bit floats, which the layer's
// location takes), and the pixel size Width = round(Wn), Height = round(Hn).
struct TFreeRotationSize {
  float Wn = 0, Hn = 0;
  int32_t Width = 0, Height = 0;
};
TFreeRotationSize FreeRotationSize(int32_t W0, int32_t H0, int32_t Angle);

// The mapping of a W0 x H0 picture into the turned one: source rectangle (0, 0, W0, H0), the
// centre moved to the origin, a rotation by -Angle degrees, and the centre moved to the middle
// of the Wn x Hn result. With y pointing down a positive Angle turns clockwise on screen.
void BuildFreeRotation(TAffineTransformation& T, int32_t W0, int32_t H0, int32_t Angle);

// Dst becomes Src turned by Angle (FreeRotationSize's Width x Height). Sampling is bilinear with
// Bilinear, else the nearest pixel. Colours are those of Src made opaque and drawn onto opaque
// black with Src's draw mode at full master alpha (the layer's opacity stays out of its
// pixels); the alpha of each pixel is Src's alpha carried through the same mapping, with a
// two-pixel band around Src's edge taken as transparent, so that the turned picture fades at
// its border and the corners outside it are transparent (colour black). Src keeps its pixels.
// An empty Src gives an empty Dst. The passes over the pixels before and after the drawing run
// on both cores.
void RotatePicture(const TBitmap32& Src, TBitmap32& Dst, int32_t Angle, bool Bilinear);
