#pragma once
// The two name-keyed dispatchers around the 24-bit shell, and the values of the effect dialogs
// they read.
#include <cstdint>
#include <string>

#include "effect_shell.h"

// The positions of the dialog controls the named effects take their parameters from.
struct TEffectSettings {
  int32_t SprayValue = 1;   // TSprayWin.Value, 1 .. 100
  int32_t MarbFreq = 210;   // TMarb.Freq, 1 .. 300 (turbulence)
  int32_t MarbScal = 10;    // TMarb.Scal, 1 .. 50 (scale)
  int32_t WavesValue = 1;   // TWaves.Value, 1 .. 100 (amplitude)
  int32_t WavesInterf = 1;  // TWaves.Interf, 1 .. 15
  int32_t WavesNu = 0;  // TWaves.Nu item index: 0 "Низкая", 1 "Средняя", 2 "Высокая"
  int32_t PostaValue = 1;  // TPosta.Value, 1 .. 100
};

// x / d rounded to the nearest integer, ties to even (the mosaic block and the blinds step).
int32_t RoundedQuotient(int32_t X, int32_t D);

// Runs the shell around the routine of Name: "spray", "textur", "invert", "mosa", "emboss",
// "ripple_7", "ripple_12", "ripple_24", "wave", "post"; any other name runs the shell alone.
// Before, when given, takes the target as it was (a preview's snapshot).
void ApplyNamedEffect(const std::string& Name, const TEffectTarget& Target,
                      const TEffectSettings& Settings, TPreviewSnapshot* Before = nullptr);
// The shell around "color" (ChannelNoise 50), "mona" (GreyNoise 60) or "mod" (TintByIntensity
// with Colour, red in the lowest byte); another name runs the shell alone.
void ApplyNoiseOrTint(const std::string& Name, const TEffectTarget& Target, uint32_t Colour);

// The colour "Сепия (старое фото)" tints with: red 201, green 153, blue 113. With the
// brightening that follows, a mid-grey comes out a warm brown (160, 122, 90).
constexpr uint32_t SepiaColour = 201 | 153 << 8 | 113 << 16;
