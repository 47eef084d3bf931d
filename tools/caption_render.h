#pragma once
// Rendering a text caption into a bitmap, and placing it on the card as a layer.
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "caption_effects.h"
#include "card_document.h"
#include "exceptions.h"
#include "font.h"

// A caption that cannot be rendered (too large a bitmap); the message is Russian.
class ECaptionError : public Exception {
 public:
  using Exception::Exception;
};

enum class TCaptionAlign { Left, Centre, Right, Justify };

struct TCaptionLine {
  std::string Text;  // UTF-8, without the line break
  TCaptionAlign Align = TCaptionAlign::Left;
};

// The largest point size of a caption, and its largest transparency in percent.
constexpr int32_t MaxCaptionPointSize = 1000;
constexpr int32_t MaxCaptionTransparency = 80;

// Everything a caption is made of. One font for the whole text; each line keeps its alignment.
struct TCaption {
  std::string FontName = "Arial";
  int32_t Size = 30;  // points
  TFontStyles Style = 0;
  TColor32 TextColor = 0xFF000000;
  TColor32 BackColor = 0xFFFFFFFF;
  // The text on a fully transparent background (the text shape comes from the mask).
  bool TransparentBackground = true;
  // 0..MaxCaptionTransparency % of the layer's transparency.
  int32_t Transparency = 0;
  std::vector<TCaptionLine> Lines;
  // Drawn around and under the text into the same bitmap; both off, the caption is drawn as
  // ever.
  TCaptionOutline Outline;
  TCaptionShadow Shadow;
};

// The point size at which a caption's line is about a tenth of VisibleHeight card pixels (the
// part of the card the user sees), so that a first caption reads well on any card, yet small
// enough that a line of a short greeting (about 16 letters) fits across VisibleWidth; 8 to 400.
int32_t SuggestedCaptionSize(int32_t VisibleHeight, int32_t VisibleWidth = INT32_MAX);

// Mode codes of RenderIt: 555 renders the mask (white text on transparent black), any other
// code the picture; the dialog passes NormalRender.
constexpr int32_t MaskRender = 555;
constexpr int32_t NormalRender = 7;

// Pixels of indentation per leading tab.
constexpr int32_t TabIndent = 10;
// An inner tab is drawn as this many spaces.
constexpr int32_t InnerTabSpaces = 4;

// Where one line is drawn in the work bitmap.
struct TCaptionLinePlace {
  int32_t X = 0, Y = 0;
  std::string Drawn;  // the text as drawn: a leading space, leading tabs dropped
};

// The layout of a caption in its font: line height h, widest line w, the bitmap size and
// every line's place. Throws ECaptionError when the bitmap, with Margin pixels more on every
// side (the room of an outline or a shadow), would exceed the limits a picture is read back
// within (PictureWithinLimits).
struct TCaptionLayout {
  int32_t LineHeight = 0;
  int32_t MaxWidth = 0;
  int32_t Width = 0, Height = 0;
  std::vector<TCaptionLinePlace> Places;
};
TCaptionLayout LayOutCaption(const TBitmap32& Measure, const std::vector<TCaptionLine>& Lines,
                             int32_t Margin = 0);

// Throws ECaptionError (Russian) when a line's text or the font name is not UTF-8: every
// caption is checked so before it is rendered or stored.
void CheckCaptionText(const TCaption& Caption);

// The caption's font as a font object (the colour becomes the text colour).
void ApplyCaptionFont(TFont& Font, const TCaption& Caption);

// Renders the caption into Work, which takes the caption font and the caption's size; refuses
// text that is not UTF-8 (CheckCaptionText) and a caption too large (LayOutCaption).
// Mask mode: white text on 0. Normal mode: the text colour on the background colour, opaque;
// with a transparent background only a plane of the text colour.
void RenderIt(TBitmap32& Work, const TCaption& Caption, int32_t Mode);

// With an outline or a shadow: the text, its outline and its shadow composed into Work (the
// colours, opaque) and Mask (the coverage as grey), room for both made around the text.
void RenderCaptionWithEffects(const TCaption& Caption, TBitmap32& Work, TBitmap32& Mask);

// The master alpha of a caption layer: 255 - round(Transparency / 100 * 255).
uint32_t CaptionMasterAlpha(int32_t TransparencyPercent);

// Renders the caption (and its mask when the background is transparent or there is an outline
// or a shadow) into Work and Mask: what a caption layer is made from (RememberedCount left 0).
TCardDocument::TTextLayerSource RenderCaptionSource(const TCaption& Caption, TBitmap32& Work,
                                                    TBitmap32& Mask);

// Renders the caption (RenderCaptionSource) and hands it to the document's InsertTextLayer;
// returns the new, selected layer.
TBitmapLayer* PlaceCaption(TCardDocument& Doc, const TCaption& Caption, TBitmap32& Work,
                           TBitmap32& Mask, int32_t RememberedCount);

// "Отмена": when the card has more layers than RememberedCount, the selected layer (the
// preview) is deleted. True when a layer went.
bool DropCaptionPreview(TCardDocument& Doc, int32_t RememberedCount);
