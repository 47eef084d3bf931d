#pragma once
// The colour effects that work on a 24-bit RgbImage (bytes blue, green, red).
#include <cstddef>
#include <cstdint>

#include "rgb_image.h"

// All three bytes become round(0.30 * first + 0.59 * second + 0.11 * third), evaluated in
// extended precision, ties to even: blue carries 0.30 and red 0.11.
void WeightedGrey(RgbImage& Image);
// Every byte becomes 255 - v.
void InvertChannels(RgbImage& Image);
// Per pixel three NextRandom(Range) draws (blue, green, red); each channel becomes
// clamp(v + draw - Range div 2).
void ChannelNoise(RgbImage& Image, uint32_t Range);
// Per pixel one draw r = NextRandom(Range) - Range div 2 added to all three channels, clamped.
void GreyNoise(RgbImage& Image, uint32_t Range);
// k = (blue + green + red) / 765; each channel becomes round(colour channel * k), clamped.
// Colour is a platform colour: red in the lowest byte, then green, then blue.
void TintByIntensity(RgbImage& Image, uint32_t Colour);
// Dest gets Source's size; each byte becomes min(255, round(v / Level) * Level), ties to even.
// Level 0 is taken as 1 (a copy).
void QuantizeLevels(const RgbImage& Source, RgbImage& Dest, int32_t Level);

// The same routines on a run of pixels in place: Count pixels of Step bytes, the first three
// blue, green, red. Step 4 is a TBitmap32's own memory, whose fourth byte (alpha) is kept, or
// set to 255 when Opaque: the result is then what the 24-bit shell gives for a layer or for
// the canvas, without a working image. Every routine here treats each pixel on its own.
struct TPixelSpan {
  uint8_t* Bits;
  size_t Count;
  int Step;
  bool Opaque;
};
void WeightedGrey(const TPixelSpan& Span);
void InvertChannels(const TPixelSpan& Span);
void ChannelNoise(const TPixelSpan& Span, uint32_t Range);
void GreyNoise(const TPixelSpan& Span, uint32_t Range);
void TintByIntensity(const TPixelSpan& Span, uint32_t Colour);
void QuantizeLevels(const TPixelSpan& Span, int32_t Level);

// One grey value as WeightedGrey computes it, through the extended-precision formula.
uint8_t WeightedGreyExtended(uint8_t First, uint8_t Second, uint8_t Third);
