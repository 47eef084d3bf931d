#pragma once
// Occasion themes shared by the ready cards and the ready greetings: a background with the
// occasion's colours and motifs, leaving room for lettering, and the lettering style to go
// with it.
#include "lettering.h"

enum TOccasion { ocNewYear, ocBirthday, ocValentine, ocFeb23, ocMarch8, ocAny };

// Paints the whole bitmap. Variant picks the palette and the layout of the motifs; Clear is the
// centre of the area kept free of motifs, as fractions of the size.
// MotifScale enlarges the motifs (small, wide pictures need larger ones).
void PaintTheme(TBitmap32& B, TOccasion Occasion, int Variant, uint64_t Seed, float ClearX = 0.5f,
                float ClearY = 0.5f, float MotifScale = 1);
TLetterStyle ThemeLettering(TOccasion Occasion, int Variant);
