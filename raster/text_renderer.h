#pragma once
// Text through FreeType and fontconfig: a font resolved to a face and a pixel size, measuring and
// drawing UTF-8 strings onto 32-bit pixels.
#include <cstdint>
#include <memory>
#include <string>

#include "font.h"
#include "types.h"

struct TFontFace;

// A font resolved for rendering. Immutable and shareable; the faces it refers to live in a
// process-wide cache, and every call into FreeType runs under that cache's mutex.
//
// The text cell of a string starts at its origin: the baseline lies Ascent() pixels below the
// cell's top and the cell is Ascent() + Descent() pixels high. Glyphs advance by whole pixels
// (hinted advances, no pair kerning), so a string's width is the sum of its advances.
class TResolvedFont {
 public:
  // The face fontconfig chooses for the name and style (Arial finds Liberation Sans where Arial
  // is absent; an unknown name finds the default sans face). Null when no face can be loaded.
  static std::shared_ptr<const TResolvedFont> Resolve(const std::string& FaceName, int32_t Size,
                                                      TFontStyles Style);
  static std::shared_ptr<const TResolvedFont> Resolve(const TFont& Font) {
    return Resolve(Font.Name(), Font.Size(), Font.Style());
  }

  int32_t PixelsPerEm() const { return FPixelsPerEm; }
  int32_t Ascent() const { return FAscent; }
  int32_t Descent() const { return FDescent; }
  // File of the face chosen for the name, and whether bold or italic are synthesized on it.
  const std::string& FileName() const;
  bool SyntheticBold() const { return FPrimary.Bold; }
  bool SyntheticItalic() const { return FPrimary.Italic; }

  // (sum of the advances, cell height).
  TSize Extent(const std::string& Text) const;
  // Draws Text with its cell's top-left corner at (X, Y) into Width x Height pixels, clipped.
  // The colour channels of covered pixels move towards RGB in proportion to the coverage; alpha
  // bytes are left alone.
  void Draw(TColor32* Bits, int32_t Width, int32_t Height, int32_t X, int32_t Y,
            const std::string& Text, TColor32 RGB) const;

  // A loaded face and the styles synthesized on it.
  struct TFaceUse {
    TFontFace* Face = nullptr;
    bool Bold = false;
    bool Italic = false;
  };

 private:
  TResolvedFont() = default;

  TFaceUse FPrimary;
  // For characters the primary face lacks: the default sans face in the same style.
  TFaceUse FFallback;
  int32_t FPixelsPerEm = 0;
  bool FUnderline = false;
  bool FStrikeOut = false;
  int32_t FAscent = 0;
  int32_t FDescent = 0;
  // Rows below the cell's top, and heights, of the two lines.
  int32_t FUnderlineTop = 0;
  int32_t FUnderlineHeight = 1;
  int32_t FStrikeOutTop = 0;
  int32_t FStrikeOutHeight = 1;
};
