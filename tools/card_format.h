#pragma once
// What kind of card a card is: flat, folded once (a half-fold: front, inside left, inside right,
// back) or folded twice (a quarter-fold: the same four panels on one side of the sheet), its
// panel size (the card as it is handed over, folded), and the names of its pages. Qt-free.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TCardFold : uint8_t { Flat, HalfFold, QuarterFold };

// A page of a card, in the order the card shows them.
enum class TCardPage : uint8_t { Front, InsideLeft, InsideRight, Back };

// "Плоская открытка", "Открытка-складушка", "Открытка в четыре сложения".
const char* FoldCaption(TCardFold Fold);
// The batch tool's names: "flat", "halffold", "quarterfold".
const char* FoldKey(TCardFold Fold);
std::optional<TCardFold> FoldFromKey(const std::string& Key);

// "Лицевая сторона", "Разворот слева", "Разворот справа", "Оборот".
const char* PageCaption(TCardPage Page);
// The batch tool's names: "front", "inside-left", "inside-right", "back".
const char* PageKey(TCardPage Page);
std::optional<TCardPage> PageFromKey(const std::string& Key);

// The pages a new card of the fold has: a flat card its front (a back is added on request),
// a folded one all four.
std::vector<TCardPage> PagesOf(TCardFold Fold, bool WithBack = false);

// The panel size in millimetres, portrait (the shorter side across).
struct TPanelSize {
  double Width = 0, Height = 0;
  bool operator==(const TPanelSize&) const = default;
};
// The sizes offered by name: "A6" (105 x 148), "A5" (148 x 210), "10x15" (100 x 150) and "euro"
// (110 x 220), any letter case, or a size of the user's written "WxHmm" ("120x170mm", sides
// 20..1000 mm, a decimal point allowed). Nothing for anything else.
std::optional<TPanelSize> PanelSizeFromText(const std::string& Text);

enum class TPanelOrientation : uint8_t { Portrait, Landscape };

// A panel's size in pixels at Dpi: the sides in millimetres to pixels (rounded to the nearest,
// ties to even), the longer one across for a landscape panel.
struct TPanelPixels {
  int32_t Width = 0, Height = 0;
  bool operator==(const TPanelPixels&) const = default;
};
TPanelPixels PanelPixels(const TPanelSize& Size, TPanelOrientation Orientation, int32_t Dpi);
