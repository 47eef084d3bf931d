#pragma once
// Card lettering: text set with the raster core's FreeType text, then dressed with a soft
// shadow, an outline, a glow and a two-colour fill, as printed greeting cards letter it.
#include <string>

#include "paint.h"

struct TLetterStyle {
  std::string Font = "PT Serif";
  TFontStyles Style = 0;
  TRgb Top = Hex(0xfff3b0), Bottom = Hex(0xd08a1c);  // fill, top to bottom of the line
  TRgb Outline = Hex(0x6b3a0a);
  float OutlineWidth = 0;  // in em/100
  TRgb Shadow = Hex(0x000000, 0.45f);
  float ShadowOffset = 4;  // in em/100, down and right
  float ShadowBlur = 3;    // in em/100
  TRgb Glow = Hex(0xffffff, 0);
  float GlowRadius = 0;  // in em/100
  bool Shine = true;     // a lighter band over the upper half of each letter
};

// Lines separated by '\n', centred on (CX, CY), as large as fits into MaxW x MaxH. Returns the
// row below the lowest inked pixel.
int DrawLettering(TBitmap32& B, const std::string& Text, float CX, float CY, float MaxW, float MaxH,
                  const TLetterStyle& Style);
