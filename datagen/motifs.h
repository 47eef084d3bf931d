#pragma once
// Drawn motifs shared by decorations, cards, textures, patterns and frames: hearts, stars,
// snowflakes, flowers, leaves, balloons, gifts, candles, fir branches, bows and baubles.
// Every motif is anti-aliased and shaded; (CX, CY) is its centre and S its size in pixels.
// Wrap draws across the bitmap's edges (for seamless tiles).
#include "paint.h"

void DrawHeart(TBitmap32& B, float CX, float CY, float S, float Angle, TRgb C, bool Shaded = true,
               bool Wrap = false);
void DrawStar(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C, int Points = 5,
              float Inner = 0.45f, bool Shaded = true, bool Wrap = false);
// A four-pointed glint with a soft glow.
void DrawSparkle(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap = false);
void DrawSnowflake(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C,
                   float Thick = 0.07f, bool Wrap = false);
void DrawFlower(TBitmap32& B, float CX, float CY, float R, float Angle, int Petals, TRgb Petal,
                TRgb Centre, bool Wrap = false);
// Layered petals turning inwards.
void DrawRose(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C, bool Wrap = false);
void DrawTulip(TBitmap32& B, float CX, float CY, float S, float Angle, TRgb C);
void DrawLeaf(TBitmap32& B, float CX, float CY, float L, float Angle, TRgb C, bool Wrap = false);
// Balloon body of radius R at (CX, CY) with its string hanging down by StringLen.
void DrawBalloon(TBitmap32& B, float CX, float CY, float R, TRgb C, float StringLen,
                 float Sway = 0);
void DrawGift(TBitmap32& B, float CX, float CY, float S, TRgb Box, TRgb Ribbon);
void DrawCandle(TBitmap32& B, float CX, float CY, float H, TRgb C, bool Stripes = true);
// A fir branch from (X, Y) along Angle, Length long.
void DrawFirBranch(TBitmap32& B, float X, float Y, float Length, float Angle, TRgb C,
                   bool Wrap = false);
void DrawBow(TBitmap32& B, float CX, float CY, float S, TRgb C);
// Christmas-tree ball hanging from its cap.
void DrawBauble(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap = false);
// Small round berry cluster (holly, rowan).
void DrawBerries(TBitmap32& B, float CX, float CY, float R, TRgb C);
// A soft round glow.
void DrawGlow(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap = false);
