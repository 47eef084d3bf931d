#include "background_fills.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exceptions.h"
#include "picker/thumb_test_support.h"
#include "texture_fill.h"
#include "transfers.h"

namespace {

constexpr TPlatformColor Red = 0x0000FF, Blue = 0xFF0000;

// The red, green and blue of one pixel of a 24-bit picture.
struct TRgbPx {
  int R, G, B;
  friend bool operator==(const TRgbPx&, const TRgbPx&) = default;
};
TRgbPx PixelOf(const TBitmap24& P, int X, int Y) {
  const uint8_t* Q = P.ScanLine(Y) + 3 * X;
  return {Q[2], Q[1], Q[0]};
}

// A tile whose every pixel tells its position, opaque.
void NumberedTile(TBitmap32& T, int W, int H) {
  T.SetSize(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) T.SetPixel(X, Y, 0xFF000000u | TColor32(Y << 12 | X));
}

// Tiling as drawn tile by tile, for comparison with the fill's row copies.
void ReferenceTile(const TBitmap32& Tile, TBitmap32& Target) {
  for (int I = 0; I <= Target.Width() / Tile.Width(); ++I)
    for (int J = 0; J <= Target.Height() / Tile.Height(); ++J)
      Tile.DrawOnto(Target, I * Tile.Width(), J * Tile.Height());
}

struct TCodecs : ::testing::Test {
  static void SetUpTestSuite() { RegisterPictureCodecs(); }
  TThumbTempDir Dir;
};

}  // namespace

TEST(RoundRatio, TiesGoToTheEvenInteger) {
  struct Case {
    int64_t Num, Den, Want;
  };
  const Case Cases[] = {{1, 2, 0},         {3, 2, 2}, {5, 2, 2}, {-1, 2, 0},  {-3, 2, -2},
                        {255 * 2, 4, 128}, {7, 3, 2}, {8, 3, 3}, {-8, 3, -3}, {0, 5, 0}};
  for (const Case& C : Cases) EXPECT_EQ(RoundRatio(C.Num, C.Den), C.Want) << C.Num << "/" << C.Den;
}

TEST(Gradient, ChannelsStepWithTiesToEven) {
  TBitmap24 P(4, 2);
  Gradient(Red, Blue, P);
  const std::vector<TRgbPx> Want = {{255, 0, 0}, {191, 0, 64}, {127, 0, 128}, {64, 0, 191}};
  for (int Y = 0; Y < 2; ++Y)
    for (int X = 0; X < 4; ++X) EXPECT_EQ(PixelOf(P, X, Y), Want[size_t(X)]) << X << "," << Y;

  TBitmap24 D(2, 4);
  GradientDown(Blue, Red, D);
  EXPECT_EQ(PixelOf(D, 0, 0), (TRgbPx{0, 0, 255}));
  EXPECT_EQ(PixelOf(D, 1, 3), (TRgbPx{191, 0, 64}));

  // Rising and falling channels round the same half the other way round: 1.5 -> 2, -0.5 -> 0.
  TBitmap24 Two(2, 1);
  Gradient(0x000003, 0x010000, Two);  // red 3 -> 0, blue 0 -> 1
  EXPECT_EQ(PixelOf(Two, 1, 0), (TRgbPx{1, 0, 0}));

  TBitmap24 Solid(5, 3);
  Gradient(0x123456, 0x123456, Solid);
  GradientDown(0x123456, 0x123456, Solid);
  for (int X = 0; X < 5; ++X) EXPECT_EQ(PixelOf(Solid, X, 2), (TRgbPx{0x56, 0x34, 0x12}));
}

TEST(TileBitmap, LastColumnAndRowAreCutAtTheEdge) {
  TBitmap32 Tile;
  NumberedTile(Tile, 64, 64);
  TBitmap32 Target;
  Target.SetSize(200, 100);
  TileBitmap(Tile, Target);
  EXPECT_EQ(Target.GetPixel(0, 0), Tile.GetPixel(0, 0));
  EXPECT_EQ(Target.GetPixel(192, 64), Tile.GetPixel(0, 0));   // the fourth column, second row
  EXPECT_EQ(Target.GetPixel(199, 99), Tile.GetPixel(7, 35));  // 8 wide, 36 high
  EXPECT_EQ(Target.GetPixel(130, 70), Tile.GetPixel(2, 6));
}

TEST(TileBitmap, EqualsDrawingEveryTileOnItsOwn) {
  struct Case {
    int Tw, Th, W, H;
    TDrawMode Mode;
  };
  const Case Cases[] = {{1, 1, 7, 5, dmOpaque},       {3, 5, 17, 11, dmOpaque},
                        {64, 64, 200, 100, dmOpaque}, {50, 40, 20, 10, dmOpaque},
                        {5, 5, 10, 10, dmOpaque},     {3, 2, 10, 9, dmBlend}};
  for (const Case& C : Cases) {
    TBitmap32 Tile;
    NumberedTile(Tile, C.Tw, C.Th);
    if (C.Mode == dmBlend)
      for (int X = 0; X < C.Tw; ++X) Tile.SetPixel(X, 0, 0x40FF0000);
    Tile.SetDrawMode(C.Mode);
    TBitmap32 Got, Want;
    for (TBitmap32* B : {&Got, &Want}) {
      B->SetSize(C.W, C.H);
      B->Clear(0xFF808080);
    }
    TileBitmap(Tile, Got);
    ReferenceTile(Tile, Want);
    const std::string Name = std::to_string(C.Tw) + "x" + std::to_string(C.Th) + " over " +
                             std::to_string(C.W) + "x" + std::to_string(C.H);
    for (int Y = 0; Y < C.H; ++Y)
      for (int X = 0; X < C.W; ++X)
        ASSERT_EQ(Got.GetPixel(X, Y), Want.GetPixel(X, Y)) << Name << " at " << X << "," << Y;
  }
}

TEST_F(TCodecs, TileFromFileNeedsAnExistingFile) {
  TBitmap32 Target;
  Target.SetSize(10, 10);
  Target.Clear(0xFF112233);
  EXPECT_FALSE(TileFromFile(Dir.File("missing.png"), Target));
  EXPECT_FALSE(TileFromFile("", Target));
  EXPECT_EQ(Target.GetPixel(9, 9), 0xFF112233u);
  EXPECT_TRUE(TileFromFile(Dir.Picture("t.png", 4, 4, 0xFF00FF00), Target));
  EXPECT_EQ(Target.GetPixel(9, 9), 0xFF00FF00u);
}

TEST(TextureScale, TileSizesOfTheTable) {
  struct Case {
    int Index, CardWidth, TexW, TexH, W, H;
  };
  const Case Cases[] = {
      {1, 800, 200, 100, 80, 40},  {2, 800, 200, 100, 119, 60},  // 800 / 6.7 = 119.4
      {3, 800, 200, 100, 160, 80}, {4, 800, 200, 100, 200, 100},
      {2, 1000, 64, 64, 149, 149},  // 1000 / 6.7 = 149.25, not 1000 / 6.667
      {1, 25, 10, 10, 2, 2},        // 2.5 rounds to the even 2
      {1, 800, 1000, 5, 80, 1},     // 0.4 rounds to 0: one pixel at least
      {1, 5, 10, 10, 1, 1},         // 0.5 rounds to 0
      {4, 1, 10, 10, 1, 1},
  };
  for (const Case& C : Cases) {
    const TSize S = TextureTileSize(C.Index, C.CardWidth, C.TexW, C.TexH);
    EXPECT_EQ(S.cx, C.W) << C.Index << " on " << C.CardWidth;
    EXPECT_EQ(S.cy, C.H) << C.Index << " on " << C.CardWidth;
  }
  EXPECT_THROW(TextureTileWidth(5, 800), Exception);
}

// A strong reduction makes the kernel resampler give up on a single step; the tile is still
// made, in steps, and keeps the texture's colour.
TEST_F(TCodecs, StrongReductionStillMakesTheTile) {
  TBitmap32 Texture;
  Texture.SetSize(6000, 3000);
  Texture.Clear(0xFF3060C0);
  Texture.SetStretchFilter(sfLinear2);
  TBitmap32 Direct;
  Direct.SetSize(10, 5);
  EXPECT_THROW(Texture.DrawOnto(Direct, Direct.BoundsRect()), Exception);

  TBitmap32 Tile;
  Tile.SetSize(10, 5);
  MakeTextureTile(Texture, Tile);
  // The resampler's weights add up to 255/256 on each axis: up to 3 levels darker, as for any
  // scaled texture, and no more for the extra reduction.
  for (int Y = 0; Y < 5; ++Y)
    for (int X = 0; X < 10; ++X) {
      const TColor32 P = Tile.GetPixel(X, Y);
      EXPECT_NEAR(int(P >> 16 & 0xFF), 0x30, 3) << X << "," << Y;
      EXPECT_NEAR(int(P >> 8 & 0xFF), 0x60, 3) << X << "," << Y;
      EXPECT_NEAR(int(P & 0xFF), 0xC0, 3) << X << "," << Y;
    }
}

TEST_F(TCodecs, OnePixelAxesAverageTheTexture) {
  TBitmap32 Texture;
  Texture.SetSize(4, 2);
  Texture.Clear(0xFF000000);
  Texture.FillRect(0, 0, 2, 2, 0xFFC8C8C8);  // left half light, right half black
  Texture.SetStretchFilter(sfLinear2);
  TBitmap32 Column;
  Column.SetSize(1, 2);
  MakeTextureTile(Texture, Column);
  // Neither the light nor the black half alone: a mixture of both, and not transparent.
  for (int Y = 0; Y < 2; ++Y) {
    const TColor32 P = Column.GetPixel(0, Y);
    EXPECT_GT(int(P & 0xFF), 40) << Y;
    EXPECT_LT(int(P & 0xFF), 160) << Y;
    EXPECT_GE(int(P >> 24), 250) << Y;
  }
}

// Tiny cards and flat textures give tiles that round to nothing; the fill still covers the
// card, opaque, with the texture's colour.
TEST_F(TCodecs, ScaledTextureFillsTheWholeTargetOpaque) {
  struct Case {
    const char* Name;
    int TexW, TexH, Index, CardW, CardH;
  };
  const Case Cases[] = {{"flat texture", 1000, 5, 1, 800, 60},
                        {"narrow card", 64, 64, 1, 4, 6},
                        {"huge texture", 6000, 300, 1, 100, 30},
                        {"15 percent", 200, 100, 2, 800, 600},
                        {"unscaled", 30, 20, 0, 70, 50}};
  for (const Case& C : Cases) {
    const std::string File = Dir.Picture(std::string(C.Name) + ".png", C.TexW, C.TexH, 0xFF2080E0);
    TBitmap32 Card;
    Card.SetSize(C.CardW, C.CardH);
    Card.Clear(0x00000000);
    FillWithTexture(File, C.Index, C.CardW, Card);
    for (int Y = 0; Y < C.CardH; ++Y)
      for (int X = 0; X < C.CardW; ++X) {
        const TColor32 P = Card.GetPixel(X, Y);
        ASSERT_EQ(P >> 24, 255u) << C.Name << " at " << X << "," << Y;
        ASSERT_NEAR(int(P & 0xFF), 0xE0, 4) << C.Name << " at " << X << "," << Y;
      }
  }
}

TEST_F(TCodecs, TextureFileFailures) {
  TBitmap32 Card;
  Card.SetSize(20, 10);
  Card.Clear(0xFF445566);
  FillWithTexture(Dir.File("missing.png"), 0, 20, Card);  // unscaled: nothing happens
  EXPECT_EQ(Card.GetPixel(0, 0), 0xFF445566u);
  EXPECT_THROW(FillWithTexture(Dir.File("missing.png"), 2, 20, Card), Exception);
  {
    std::ofstream Bad(Dir.File("bad.png"), std::ios::binary);
    Bad << "not a picture";
  }
  EXPECT_THROW(FillWithTexture(Dir.File("bad.png"), 0, 20, Card), Exception);
  EXPECT_THROW(FillWithTexture(Dir.File("bad.png"), 3, 20, Card), Exception);
  EXPECT_EQ(Card.GetPixel(19, 9), 0xFF445566u);
}
