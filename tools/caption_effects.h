#pragma once
// The outline and the shadow of a caption, drawn with its text into the caption's bitmap so
// that dark text stays legible on a busy background. Qt-free.
#include <cstdint>

#include "bitmap32.h"
#include "color32.h"

struct TCaptionOutline {
  bool On = false;
  TColor32 Colour = 0xFFFFFFFF;
  int32_t Width = 3;  // pixels, 0..20
};

struct TCaptionShadow {
  bool On = false;
  TColor32 Colour = 0xFF000000;
  int32_t Offset = 4;    // pixels right and down, 0..50
  int32_t Softness = 3;  // blur radius in pixels, 0..20
};

constexpr int32_t MaxOutlineWidth = 20;
constexpr int32_t MaxShadowOffset = 50;
constexpr int32_t MaxShadowSoftness = 20;

// How far the outline and the shadow reach beyond the text on each side.
int32_t CaptionEffectMargin(const TCaptionOutline& Outline, const TCaptionShadow& Shadow);

// Composes text, outline and shadow from the text's coverage. Coverage is a Width x Height
// bitmap whose intensity is the text's coverage (white text on black), already surrounded by
// CaptionEffectMargin pixels of room. Back is the background colour, or none (alpha 0) for a
// transparent caption. Picture takes the colours (opaque) and Mask the coverage of the whole as
// grey, the form the card's text layers are made from.
void ComposeCaptionEffects(const TBitmap32& Coverage, TColor32 TextColour, TColor32 Back,
                           const TCaptionOutline& Outline, const TCaptionShadow& Shadow,
                           TBitmap32& Picture, TBitmap32& Mask);
