#pragma once
// Texture fills: the scale table of "Размер текстуры", making a scaled tile from a texture
// picture, and tiling a texture file over a bitmap.
#include <cstdint>
#include <string>

#include "bitmap32.h"
#include "font.h"

// The entries of "Размер текстуры": 0 "Не изменять", 1..4 10%, 15%, 20% and 25% of the card's
// width.
constexpr int32_t TextureScaleCount = 5;
constexpr int32_t DefaultTextureScale = 2;

// The tile width of scale index 1..4 on a card CardWidth pixels wide: round(W / 10),
// round(W / 6.7), round(W / 5), round(W / 4), ties to even; never below 1.
int32_t TextureTileWidth(int32_t ScaleIndex, int32_t CardWidth);
// The tile of a texture of TexWidth x TexHeight for scale index 1..4: the tile width above and
// round(tile width * TexHeight / TexWidth), at least 1 x 1.
TSize TextureTileSize(int32_t ScaleIndex, int32_t CardWidth, int32_t TexWidth, int32_t TexHeight);

// Draws the whole Texture stretched into the whole Tile (already sized) with the texture's
// stretch filter. A reduction stronger than 1:8 is first brought to twice the tile by an area
// average, so that the kernel resampler always has weight to work with; an axis of one pixel
// is the average along it.
void MakeTextureTile(const TBitmap32& Texture, TBitmap32& Tile);

// Tiles the texture file over Target, as the texture dialog applies it: scale index 0 tiles the
// picture as it is (nothing happens when the file does not exist); 1..4 first scale it to the
// tile of TextureTileSize with sfLinear2. The tile is made opaque, so the filled target is
// opaque. A file that cannot be read raises the reader's error before Target changes.
void FillWithTexture(const std::string& FileName, int32_t ScaleIndex, int32_t CardWidth,
                     TBitmap32& Target);
