#pragma once
// TBitmap32: the program's one raster type, a contiguous top-down array of TColor32 pixels.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "font.h"
#include "picture.h"
#include "thread_persistent.h"
#include "types.h"

// Per-pixel combiner of dmCustom: F the source colour, B the destination (in and out), M the
// master alpha.
using TPixelCombineEvent = std::function<void(TColor32 F, TColor32& B, TColor32 M)>;

class TBitmap32 : public TCustomMap {
 public:
  TBitmap32();
  ~TBitmap32() override;

  // Any size change yields an all-zero (transparent black) bitmap; the current size keeps the
  // pixels and returns false. Sizes below 1 become 0. More than 2^28 pixels is refused with
  // "Can't allocate the DIB handle", leaving the bitmap empty.
  bool SetSize(int32_t W, int32_t H) override;
  // SetSize for a caller that writes every pixel before anything reads one (a decoder): a new
  // buffer is not cleared, its pixels are undefined until written.
  bool SetSizeForOverwrite(int32_t W, int32_t H);
  bool IsEmpty() const override { return FBits == nullptr || FWidth == 0 || FHeight == 0; }
  // Notifies, and marks the pixels as possibly changed (see Generation).
  void Changed() override;
  // A number unique among all bitmaps of the run that changes whenever the pixels may have
  // changed: at every Changed (also inside an update bracket), size change and buffer exchange.
  // Equal numbers mean the same pixels; the undo history shares its copies on that ground.
  uint64_t Generation() const { return FGeneration; }

  TColor32* Bits() { return FBits; }
  const TColor32* Bits() const { return FBits; }

  // Unchecked access: the caller keeps the coordinates inside.
  TColor32 GetPixel(int32_t X, int32_t Y) const { return FBits[Y * FWidth + X]; }
  void SetPixel(int32_t X, int32_t Y, TColor32 C) { FBits[Y * FWidth + X] = C; }
  TColor32* PixelAddress(int32_t X, int32_t Y) { return FBits + Y * FWidth + X; }
  const TColor32* PixelAddress(int32_t X, int32_t Y) const { return FBits + Y * FWidth + X; }
  TColor32* RowAddress(int32_t Y) { return FBits + Y * FWidth; }
  const TColor32* RowAddress(int32_t Y) const { return FBits + Y * FWidth; }

  // Outside the bitmap: OuterColor, or no write.
  TColor32 GetPixelSafe(int32_t X, int32_t Y) const;
  void SetPixelSafe(int32_t X, int32_t Y, TColor32 C);

  void Clear() { Clear(0xFF000000); }
  void Clear(TColor32 C);
  void MakeOpaque();
  // Unchecked: rows Y1..Y2-1, columns X1..X2-1.
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C);
  void FillRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C);
  void FillRectS(const TRect& R, TColor32 C) { FillRectSafe(R.Left, R.Top, R.Right, R.Bottom, C); }
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }

  // Drawing onto other bitmaps with this bitmap's DrawMode, MasterAlpha, StretchFilter and
  // OnPixelCombine. Nothing happens when either bitmap is empty; Dst is notified.
  void DrawOnto(TBitmap32& Dst) const { DrawOnto(Dst, 0, 0); }
  void DrawOnto(TBitmap32& Dst, int32_t X, int32_t Y) const;
  void DrawOnto(TBitmap32& Dst, const TRect& DstRect) const;
  void DrawOnto(TBitmap32& Dst, const TRect& DstRect, const TRect& SrcRect) const;
  void DrawFrom(int32_t X, int32_t Y, const TBitmap32* Src);

  // Always ends with Changed, also when it fails. A null source empties the bitmap.
  void Assign(const TBitmap32* Source);
  // A decoded picture: a platform bitmap copies its pixels (opaque unless 32-bit); a graphic
  // draws itself over the current pixels (which survive only when the size is unchanged).
  // Either way all but 32-bit platform bitmaps end fully opaque.
  void Assign(const TPicture& Source);
  // A 32-bit platform bitmap of the same size carrying all four bytes of every pixel.
  void AssignTo(TPicture& Target) const;

  // Reads the file with the reader registered for its extension; unchanged on failure.
  void LoadFromFile(const std::string& FileName);
  // Writes the BMP stream form; a failed write leaves an existing file as it was.
  void SaveToFile(const std::string& FileName) const;
  // The BMP stream form: a complete 32-bit Windows BMP file image, rows bottom-up. An empty
  // bitmap writes nothing.
  void SaveToStream(std::ostream& Stream) const;
  std::vector<uint8_t> SaveToBytes() const;
  // Reads one BMP file image from the stream's current position to its end; ends with Changed.
  void LoadFromStream(std::istream& Stream);
  void LoadFromBytes(const uint8_t* Data, size_t Size);

  // Raw form: width, height (32-bit little-endian), then the pixels top row first.
  virtual void WriteRawData(std::ostream& Stream) const;
  virtual void ReadRawData(std::istream& Stream);
  // Equality as the streaming of a published "Data" property decides it.
  bool EqualsForStreaming(const TBitmap32& Other) const;

  // ==== Buffer exchange (undo records) ====
  // Exchanges the pixel buffers and sizes of the two bitmaps without copying a pixel. Draw mode,
  // master alpha, filters, outer colour, font and callbacks stay with their bitmaps, and nothing
  // is notified: the caller sends Changed, and NotifyResize when the sizes differed, to the
  // bitmaps that are shown.
  void SwapContents(TBitmap32& Other);
  // ==== end of buffer exchange ====

  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode V);
  uint32_t MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(uint32_t V);
  TStretchFilter StretchFilter() const { return FStretchFilter; }
  void SetStretchFilter(TStretchFilter V);

  TColor32 OuterColor = 0;
  // dmBlend onto this bitmap composes alpha as coverage, a + b * (1 - a), instead of mixing it
  // like a colour: an opaque background stays opaque. The colours are those of the plain blend.
  // Set on the flat image of a card while it is painted.
  bool CoverageAlpha = false;
  TColor32 PenColor = 0xFFFFFFFF;
  float StippleCounter = 0;
  TArrayOfColor32 StipplePattern;
  float StippleStep = 1.0f;
  TPixelCombineEvent OnPixelCombine;
  TFix16 RasterX = 0;
  TFix16 RasterY = 0;

 private:
  void FreeBits();
  bool Resize(int32_t W, int32_t H, bool Clear);

  void NewGeneration();

  TColor32* FBits = nullptr;
  uint64_t FGeneration = 0;
  TDrawMode FDrawMode = dmOpaque;
  uint32_t FMasterAlpha = 255;
  TStretchFilter FStretchFilter = sfNearest;

  // ==== Drawing primitives and text (bitmap32_draw.cpp, bitmap32_text.cpp) ====
  // The frames, the anti-aliased lines (unless clipping removes them) and DrawText end with
  // Changed; pixel operations, horizontal and vertical lines, the stipple and MoveToFloat don't.
 public:
  // Unchecked: blends C over pixel (X, Y).
  void BlendPixel(int32_t X, int32_t Y, TColor32 C);
  // Anti-aliased plot at 24.8 coordinates over the 2 x 2 pixels around the point, weighted
  // through the gamma table; an opaque colour exactly on a pixel gives it weight 253.
  void PlotSubpixel(int32_t X, int32_t Y, TColor32 C);
  void PlotSubpixelSafe(int32_t X, int32_t Y, TColor32 C);

  // Outlines of the rectangle (X1, Y1)-(X2, Y2), X2 and Y2 exclusive, clipped to the bitmap.
  void FrameRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C);
  // Blended, stippled outline, clockwise from the top-left corner, every pixel visited once.
  void FrameRectStipple(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  // Blended bevel: a positive contrast lights the top and left edges, a negative one the bottom
  // and right edges.
  void RaiseRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast);

  // Lines include both ends. The plain and Blend forms are unchecked and need X1 <= X2
  // (Y1 <= Y2); the Safe forms order the ends and clip.
  void HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 C);
  void VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 C);
  void HorzLineSafe(int32_t X1, int32_t Y, int32_t X2, TColor32 C);
  void VertLineSafe(int32_t X, int32_t Y1, int32_t Y2, TColor32 C);
  void HorzLineBlend(int32_t X1, int32_t Y, int32_t X2, TColor32 C);
  void VertLineBlend(int32_t X, int32_t Y1, int32_t Y2, TColor32 C);
  void HorzLineBlendSafe(int32_t X1, int32_t Y, int32_t X2, TColor32 C);
  void VertLineBlendSafe(int32_t X, int32_t Y1, int32_t Y2, TColor32 C);
  // Blended with the stipple colours, from the first end towards the second; the ends are
  // clamped into the bitmap and clamped-off pixels don't advance the pattern.
  void HorzLineStipple(int32_t X1, int32_t Y, int32_t X2);
  void VertLineStipple(int32_t X, int32_t Y1, int32_t Y2);

  // Anti-aliased lines between 16.16 points, one sub-pixel plot per whole pixel of length and
  // a partial plot for the rest; L also draws the end point. Unchecked / clipped.
  void LineFixed(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, TColor32 C, bool L);
  void LineFixedSafe(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, TColor32 C, bool L);
  void LineFixedStipple(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, bool L);
  void LineFixedStippleSafe(TFix16 X1, TFix16 Y1, TFix16 X2, TFix16 Y2, bool L);
  void LineFloatStippleSafe(float X1, float Y1, float X2, float Y2, bool L);

  // The pen position: LineTo draws with PenColor from (RasterX, RasterY) and moves the pen.
  void MoveToFloat(float X, float Y);
  void LineToFixed(TFix16 X, TFix16 Y);
  void LineToFloat(float X, float Y);

  // Copies the colours and restarts the pattern.
  void SetStipplePattern(const TArrayOfColor32& Colors);
  // The colour at StippleCounter (between two entries for a fractional counter), then advances
  // the counter by StippleStep. Opaque black for an empty pattern.
  TColor32 NextStippleColor();

  // The font of the text operations. Changing it drops the selected (resolved) font.
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& F) { FFont.Assign(F); }
  // (advance width, cell height) of Text in pixels; measures on an empty bitmap too. Text is
  // UTF-8. 0 x 0 when no font can be loaded at all.
  TSize TextExtent(const std::string& Text) const;
  int32_t TextWidth(const std::string& Text) const { return TextExtent(Text).cx; }
  int32_t TextHeight(const std::string& Text) const { return TextExtent(Text).cy; }
  // Draws Text with its cell's top-left corner at (X, Y): covered pixels move towards the font
  // colour by their coverage, the alpha bytes stay; the background is left as it is.
  void DrawText(int32_t X, int32_t Y, const std::string& Text);
  // Text in colour C blended onto the bitmap, C's alpha acting as opacity. AALevel 0 takes the
  // renderer's own coverage; 1..4 render 2^AALevel times larger and average the blocks.
  void DrawTextAntialiased(int32_t X, int32_t Y, const std::string& Text, int32_t AALevel,
                           TColor32 C);

 private:
  const TResolvedFont* SelectedFont() const;

  TFont FFont{[this] {
    FSelectedFont.reset();
    FFontSelected = false;
  }};
  // The font as resolved for rendering; kept until Font changes.
  mutable std::shared_ptr<const TResolvedFont> FSelectedFont;
  mutable bool FFontSelected = false;
  // ==== end of drawing primitives and text ====
};
