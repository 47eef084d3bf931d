#include "texture_fill.h"

#include <algorithm>
#include <filesystem>

#include "background_fills.h"
#include "box_reduce.h"
#include "exceptions.h"

namespace {

// The strongest reduction the kernel resampler is given; a stronger one is first brought down
// by an area average.
constexpr int32_t MaxStep = 8;

}  // namespace

int32_t TextureTileWidth(int32_t ScaleIndex, int32_t CardWidth) {
  int64_t W = 0;
  switch (ScaleIndex) {
    case 1:
      W = RoundRatio(CardWidth, 10);
      break;
    case 2:
      W = RoundRatio(int64_t(CardWidth) * 10, 67);  // W / 6.7
      break;
    case 3:
      W = RoundRatio(CardWidth, 5);
      break;
    case 4:
      W = RoundRatio(CardWidth, 4);
      break;
    default:
      throw Exception("Размер текстуры: нет пункта " + std::to_string(ScaleIndex));
  }
  return static_cast<int32_t>(std::max<int64_t>(W, 1));
}

TSize TextureTileSize(int32_t ScaleIndex, int32_t CardWidth, int32_t TexWidth, int32_t TexHeight) {
  const int32_t W = TextureTileWidth(ScaleIndex, CardWidth);
  if (TexWidth <= 0 || TexHeight <= 0)
    return {W, 1};
  const int64_t H = RoundRatio(int64_t(W) * TexHeight, TexWidth);
  return {W, static_cast<int32_t>(std::clamp<int64_t>(H, 1, INT32_MAX))};
}

void MakeTextureTile(const TBitmap32& Texture, TBitmap32& Tile) {
  if (Texture.IsEmpty() || Tile.IsEmpty())
    return;
  const int32_t W = AveragedSize(Texture.Width(), Tile.Width(), MaxStep);
  const int32_t H = AveragedSize(Texture.Height(), Tile.Height(), MaxStep);
  if (W == Texture.Width() && H == Texture.Height()) {
    Texture.DrawOnto(Tile, Tile.BoundsRect());
    return;
  }
  TBitmap32 Reduced;
  Reduced.SetSize(W, H);
  BoxReduce(Texture, Reduced);
  Reduced.SetDrawMode(Texture.DrawMode());
  Reduced.SetStretchFilter(Texture.StretchFilter());
  Reduced.DrawOnto(Tile, Tile.BoundsRect());
}

void FillWithTexture(const std::string& FileName, int32_t ScaleIndex, int32_t CardWidth,
                     TBitmap32& Target) {
  TBitmap32 Texture;
  if (ScaleIndex == 0) {
    std::error_code Ec;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Ec))
      return;
    Texture.LoadFromFile(FileName);
    Texture.MakeOpaque();
    TileBitmap(Texture, Target);
    return;
  }
  TextureTileWidth(ScaleIndex, CardWidth);  // an index outside the table is refused first
  Texture.LoadFromFile(FileName);
  Texture.SetStretchFilter(sfLinear2);
  const TSize T = TextureTileSize(ScaleIndex, CardWidth, Texture.Width(), Texture.Height());
  TBitmap32 Tile;
  Tile.SetSize(T.cx, T.cy);
  if (Tile.IsEmpty())
    throw Exception("Плитка текстуры " + std::to_string(T.cx) + " × " + std::to_string(T.cy) +
                    " точек слишком велика.");
  MakeTextureTile(Texture, Tile);
  // The resampler's weights add up to 255/256, which leaves alpha at 253..254; a texture is a
  // background and covers its target fully.
  Tile.MakeOpaque();
  TileBitmap(Tile, Target);
}
