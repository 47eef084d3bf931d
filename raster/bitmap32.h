#pragma once
// TBitmap32: the program's one raster type, a contiguous top-down array of TColor32 pixels.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

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
  bool IsEmpty() const override { return FBits == nullptr || FWidth == 0 || FHeight == 0; }

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

  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode V);
  uint32_t MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(uint32_t V);
  TStretchFilter StretchFilter() const { return FStretchFilter; }
  void SetStretchFilter(TStretchFilter V);

  TColor32 OuterColor = 0;
  TColor32 PenColor = 0xFFFFFFFF;
  float StippleCounter = 0;
  TArrayOfColor32 StipplePattern;
  float StippleStep = 1.0f;
  TPixelCombineEvent OnPixelCombine;
  TFix16 RasterX = 0;
  TFix16 RasterY = 0;

 private:
  void FreeBits();

  TColor32* FBits = nullptr;
  TDrawMode FDrawMode = dmOpaque;
  uint32_t FMasterAlpha = 255;
  TStretchFilter FStretchFilter = sfNearest;
};
