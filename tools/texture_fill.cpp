#include "texture_fill.h"

#include <algorithm>
#include <filesystem>

#include "background_fills.h"
#include "exceptions.h"

namespace {

// The strongest reduction the kernel resampler is given; a stronger one is first brought down
// by an area average.
constexpr int32_t MaxStep = 8;

// Dst (already sized, no larger than Src on either axis) becomes the area average of Src:
// each pixel the mean of the source block [x * Sw / W, (x + 1) * Sw / W) by the same rows.
// A plain colour stays exactly that colour.
void BoxReduce(const TBitmap32& Src, TBitmap32& Dst) {
  const int64_t Sw = Src.Width(), Sh = Src.Height(), W = Dst.Width(), H = Dst.Height();
  for (int64_t Y = 0; Y < H; ++Y) {
    const int64_t Y0 = Y * Sh / H, Y1 = (Y + 1) * Sh / H;
    for (int64_t X = 0; X < W; ++X) {
      const int64_t X0 = X * Sw / W, X1 = (X + 1) * Sw / W;
      uint64_t Sum[4] = {0, 0, 0, 0};
      for (int64_t Sy = Y0; Sy < Y1; ++Sy) {
        const TColor32* Row = Src.RowAddress(int32_t(Sy));
        for (int64_t Sx = X0; Sx < X1; ++Sx)
          for (int K = 0; K < 4; ++K) Sum[K] += (Row[Sx] >> (8 * K)) & 0xFF;
      }
      const uint64_t N = uint64_t((X1 - X0) * (Y1 - Y0));
      TColor32 Out = 0;
      for (int K = 0; K < 4; ++K) Out |= TColor32((Sum[K] + N / 2) / N) << (8 * K);
      Dst.SetPixel(int32_t(X), int32_t(Y), Out);
    }
  }
}

// The size an axis of Src is averaged down to before the resampler makes a tile of T pixels:
// one pixel for a one-pixel tile (the resampler gives such an axis no weight), twice the tile
// for a reduction stronger than MaxStep, else the axis as it is.
int32_t AveragedSize(int32_t Src, int32_t T) {
  if (T == 1)
    return 1;
  if (Src > int64_t(MaxStep) * T)
    return 2 * T;
  return Src;
}

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
  const int32_t W = AveragedSize(Texture.Width(), Tile.Width());
  const int32_t H = AveragedSize(Texture.Height(), Tile.Height());
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
