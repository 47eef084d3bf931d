#pragma once
// The frame builder: a square frame tile repeated along the four edges of a picture, turned to
// face each edge, with mitred corners. Around the card's canvas the framed picture grows by the
// frame's thickness G on every side; on a photo the frame is a picture of its own, of the
// photo's size, that lies over the photo's edges. G is a percentage of the picture's width.
//
// The frame is designed at the tile's scale in a work picture F (Fw x Fh: corner squares of
// the tile's side S, edge strips of Nw or Nh tile copies squeezed into the gaps between them,
// transparent inside) and F is stretched over the output with the bilinear filter. F itself is
// never allocated: its rows are made only where the stretch samples them, so a thin frame
// around a small picture (where F would be hundreds of megabytes) costs no more than the
// output.
#include <cstdint>

#include "bitmap32.h"
#include "exceptions.h"

// A frame that cannot be built (thickness 0, sizes out of range).
class EFrameError : public Exception {
 public:
  using Exception::Exception;
};

// The sizes of one build, in pixels.
struct TFrameSizes {
  int32_t S = 0;           // the tile's side
  int32_t G = 0;           // frame thickness in the output: round(Percent / 100 * Tw)
  int32_t Fw = 0, Fh = 0;  // F: round(S / G * (Tw + 2G)) by round(S / G * (Th + 2G))
  int32_t Gw = 0, Gh = 0;  // the edge gaps between the corner squares: Fw - 2S, Fh - 2S
  int32_t Nw = 0, Nh = 0;  // tile copies in the top and bottom / left and right strips
  int32_t Ow = 0, Oh = 0;  // the output: Tw + 2G by Th + 2G
};

// The sizes for a Tw x Th target at Percent with a tile of side S. A thickness that rounds to
// 0 or sizes beyond the picture limit raise EFrameError.
TFrameSizes FrameSizes(int32_t Tw, int32_t Th, int32_t Percent, int32_t S);

// The sizes of a frame that fits inside a W x H picture: G is Percent of W, the output W x H,
// the transparent inside (W - 2G) x (H - 2G). A frame that would leave no inside raises
// EFrameError, as FrameSizes' errors do.
TFrameSizes FrameSizesWithin(int32_t W, int32_t H, int32_t Percent, int32_t S);

// The four edge tiles, each S x S, turned from the tile as it lies along the top edge (its top
// row the outer edge): bottom upside down, right a quarter turn clockwise, left a quarter turn
// counter-clockwise.
struct TFrameTiles {
  TBitmap32 Top, Bottom, Left, Right;
};
void MakeFrameTiles(const TBitmap32& Tile, TFrameTiles& Tiles);

// A picture read as a frame tile: a square one stays as it is; a wider or taller one keeps its
// top-left square of side min(width, height), so the outer edge and the start of the pattern
// survive.
void SquareFrameTile(TBitmap32& Picture);

// Row Y of F at the columns Cols (ascending), written to Out. For tests and for the build.
void FrameWorkRow(const TFrameTiles& Tiles, const TFrameSizes& Sizes, int32_t Y,
                  const int32_t* Cols, int32_t Count, TColor32* Out);

// Out := Target inside a frame of Tile at Percent: F stretched over the whole of Out with the
// bilinear filter (opaque; colours weighted by alpha where it meets the transparent inside),
// then Target drawn at (G, G) with its own draw mode and master alpha. dmBlend lays it over
// the frame as one layer over another: where the frame is transparent the target's pixels
// stay as they are, over the opaque frame the colours are those of the blend and the alpha is
// its coverage, a + b * (1 - a). Out gets (Tw + 2G) x (Th + 2G); Target and Tile are not changed.
// On failure Out is left empty or unchanged and the error propagates.
void BuildFrame(const TBitmap32& Target, const TBitmap32& Tile, int32_t Percent, TBitmap32& Out);
// Out := the frame alone for a W x H picture (FrameSizesWithin): W x H, F stretched over it as
// BuildFrame does, transparent inside, draw mode blend. It lies over the picture's edges.
void BuildFrameAlone(int32_t W, int32_t H, const TBitmap32& Tile, int32_t Percent, TBitmap32& Out);
