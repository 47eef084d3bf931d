#pragma once
// The edge effects of a picture, in 32 bits: a border (plain or tiled with an ornament) with an
// inner contour, the relief contour of a layer, and the push-button bevel. Each works on one
// bitmap; moving a layer's location with it is the caller's part.
#include <cstdint>

#include "types.h"

class TBitmap32;

struct TBorderParams {
  int32_t Width = 20;                  // border width d, 1 .. 1000
  int32_t Contour = 3;                 // inner contour width c, 0 .. Width - 1
  TColor32 BorderColour = 0xFF0055E3;  // the plain border
  TColor32 ContourColour = 0xFFFFFFFF;
  // With an ornament the border is Pattern tiled from the enlarged bitmap's top-left corner;
  // an empty Pattern (its file was missing) leaves the border transparent black.
  bool UseOrnament = false;
  const TBitmap32* Pattern = nullptr;
};

// Grows Target by Width on every side: the new band holds the border, a rectangle from Width -
// Contour outside the old picture to the same distance beyond it is filled with the contour
// colour, and the old picture is drawn back at (Width, Width) with Target's draw mode (a layer's
// blending shows the contour colour through its transparent parts). Target keeps its draw mode,
// master alpha and filter; its master alpha does not weaken the picture drawn back. A contour
// wider than Width - 1 is narrowed to it.
void AddBorder(TBitmap32& Target, const TBorderParams& P);

// Tiles Tile over Target from (0, 0), copying its pixels as they are. Nothing for an empty tile.
void TileOver(TBitmap32& Target, const TBitmap32& Tile);

struct TReliefParams {
  int32_t Percent = 3;  // ring count as a per cent of the width, 1 .. 39
  bool Outer = false;  // "Внешнее обрамление": a frame is added around the picture first
  int32_t BorderPercent = 0;          // the frame's extra width, 0 .. 100
  TColor32 FrameColour = 0xFFC0C0C0;  // silver
};

// a = round(Percent * (W / 100)): the number of relief rings for a picture W pixels wide.
int32_t ReliefRings(int32_t Percent, int32_t Width);
// round(Percent * W * (BorderPercent / 100 + 1) / 100): the outer frame's width.
int32_t ReliefFrameWidth(int32_t Percent, int32_t Width, int32_t BorderPercent);
// Optionally enlarges Target by the outer frame (cleared to FrameColour, the picture drawn back
// in the middle with its draw mode), then draws a rings with RaiseRectSafe from the edge
// inwards, their contrasts a, a - 2, ..., 2 - a. The rings change the colour channels only;
// every pixel keeps its alpha.
void ReliefContour(TBitmap32& Target, const TReliefParams& P);

struct TButtonParams {
  int32_t Width = 2;   // "Ширина подъёма" (PDM), 1 .. 9, per cent of the picture width
  int32_t Depth = 16;  // "Глубина подъёма" (Glub), 1 .. 16
  bool InnerRelief = false;  // "Рельефный контур внутри" (RCNT)
};

// The depth the button dialog opens with: round(4800 / W), kept in 1 .. 16 (16 for an empty
// picture).
int32_t ButtonDepthFor(int32_t Width);
// n = round(Width * (W / 100)) rings with RaiseRectSafe from the edge inwards, ring b with the
// contrast round((n - k * b) * Depth / 2), k = 2 with InnerRelief, else 1. The rings change the
// colour channels only; every pixel keeps its alpha.
void ButtonBevel(TBitmap32& Target, const TButtonParams& P);
