#pragma once
// The arithmetic of the thumbnail picker: cell size, cells per line, reducing and fitting a
// picture, placing cells, hit testing, scrolling a cell into view and the navigation keys.
// Rectangles are in pixels, right and bottom exclusive.
#include <cstdint>

#include "font.h"
#include "types.h"

enum TScrollMode { SMHorizontal, SMVertical };
enum TTitlePlacement { T_Up, T_Down, T_None };

// The title strip of a cell, in pixels; the fit leaves room for it even when it is hidden.
constexpr int32_t ThumbTitleHeight = 15;
// The most lines a title wraps into; the strip grows from ThumbTitleHeight to hold them.
constexpr int32_t ThumbTitleLinesMax = 3;
// The tallest title strip a picker accepts.
constexpr int32_t ThumbTitleHeightMax = 120;
// Room left for a scroll bar when the cells per line are counted.
constexpr int32_t ThumbScrollBarRoom = 20;

// trunc(MaxWidth / 100 * Size) x trunc(MaxHeight / 100 * Size).
TSize ThumbCellSize(int32_t MaxWidth, int32_t MaxHeight, int32_t Size);

// Cells in one column (SMHorizontal) or one row (SMVertical) of a view of the given size;
// at least 1.
int32_t ThumbsPerLine(TScrollMode Mode, int32_t ViewWidth, int32_t ViewHeight, int32_t Gap,
                      TSize Cell);

// The cell widened so that PerLine cells of a vertically scrolled view share its whole width
// (less the scroll bar's room); never narrower than Cell. A horizontally scrolled view keeps it.
TSize ThumbCellFillingWidth(TScrollMode Mode, int32_t ViewWidth, int32_t Gap, TSize Cell,
                            int32_t PerLine);

// Small-memory mode: the size a Width x Height picture is reduced to in the MaxWidth x
// MaxHeight box (the percentage held in single precision, the sides truncated).
TSize ReducedPictureSize(int32_t Width, int32_t Height, int32_t MaxWidth, int32_t MaxHeight);
// True when the picture is narrower and lower than its reduced size, so it is kept as it is.
bool KeepsPictureSize(int32_t Width, int32_t Height, TSize Reduced);

// The picture control inside a cell of size Cell for a picture of size Picture: never
// enlarged, centred, shifted by half the title strip away from it. Sides never go below 0.
// TitleHeight is the strip's height: a strip taller than ThumbTitleHeight takes its extra
// height off the cell first (see ThumbCellWithTitle).
TRect FitThumbPicture(TSize Cell, TSize Picture, TTitlePlacement Title,
                      int32_t TitleHeight = ThumbTitleHeight);

// The title strip inside a cell of the given size; empty for T_None.
TRect ThumbTitleRect(TSize Cell, TTitlePlacement Title, int32_t TitleHeight = ThumbTitleHeight);

// The size of a cell whose title strip is TitleHeight high: Cell (from ThumbCellSize, made
// for a strip of ThumbTitleHeight) grown downwards by the strip's extra height, so the picture
// keeps its room. A hidden strip (T_None) adds nothing.
TSize ThumbCellWithTitle(TSize Cell, TTitlePlacement Title, int32_t TitleHeight);

// Cell Index (from 0, list order) in the scrolled content.
TRect PlaceThumbCell(int32_t Index, TScrollMode Mode, int32_t Gap, TSize Cell, int32_t PerLine);

// The cell under (X, Y) of the visible area with scroll positions ScrollX, ScrollY; -1 for
// none (a gap, past the last cell, or on a cell's edge).
int32_t ThumbHitTest(int32_t X, int32_t Y, int32_t ScrollX, int32_t ScrollY, int32_t Count,
                     TScrollMode Mode, int32_t Gap, TSize Cell, int32_t PerLine);

// The new scroll position along the scrolling direction that shows the cell spanning
// [Start, Start + Length) of the content, for a visible length Visible and the range
// 0..MaxPosition.
int32_t ScrollThumbIntoView(int32_t Start, int32_t Length, int32_t Position, int32_t Visible,
                            int32_t MaxPosition);

enum TThumbKey { tkHome, tkEnd, tkLeft, tkRight, tkUp, tkDown };

// The cell a navigation key selects from Selected (-1 for none); Selected itself when the
// target lies outside the cells.
int32_t ThumbKeyTarget(TThumbKey Key, int32_t Selected, int32_t Count, TScrollMode Mode,
                       int32_t PerLine);
