#pragma once
// The background fills shared by the background tab, the underlay and the texture dialog: the
// two two-colour gradients and tiling a picture over a bitmap.
#include <cstdint>
#include <string>

#include "bitmap24.h"
#include "bitmap32.h"
#include "color32.h"

// round(Num / Den) for Den > 0 with ties to the even integer, in exact integer arithmetic.
int64_t RoundRatio(int64_t Num, int64_t Den);

// Fills the whole picture (its size set by the caller) from colour A at the left edge towards
// colour B: column x of width W gets, per channel, a - round(x / W * (a - b)). The last column
// stops one step short of B. Colours are 24-bit RGB platform values (red in the low byte).
void Gradient(TPlatformColor A, TPlatformColor B, TBitmap24& Picture);
// The same from A at the top edge towards B: row y of height H gets a - round(y / H * (a - b)).
void GradientDown(TPlatformColor A, TPlatformColor B, TBitmap24& Picture);

// Repeats Tile over Target from its top-left corner: the whole tile at (i * tw, j * th) for
// i = 0 .. W div tw and j = 0 .. H div th, drawn with the tile's own draw mode, the last column
// and row cut at Target's edge. An empty tile or target changes nothing. Notifies Target.
void TileBitmap(const TBitmap32& Tile, TBitmap32& Target);
// Loads the picture file and tiles it over Target; false, and nothing changes, when the file
// does not exist. A file that cannot be read raises the reader's error before Target changes.
bool TileFromFile(const std::string& FileName, TBitmap32& Target);
