#include "card_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "page_setup.h"

namespace {

struct TNamedSize {
  const char* Key;
  TPanelSize Size;
};
constexpr TNamedSize NamedSizes[] = {
    {"a6", {105, 148}},
    {"a5", {148, 210}},
    {"10x15", {100, 150}},
    {"euro", {110, 220}},
};

// The folds and the pages with their keys and their captions, in the enumerations' order.
template <class TValue>
struct TNamed {
  TValue Value;
  const char* Key;
  const char* Caption;
};
constexpr TNamed<TCardFold> Folds[] = {
    {TCardFold::Flat, "flat", "Плоская открытка"},
    {TCardFold::HalfFold, "halffold", "Открытка-складушка"},
    {TCardFold::QuarterFold, "quarterfold", "Открытка в четыре сложения"},
};
constexpr TNamed<TCardPage> Pages[] = {
    {TCardPage::Front, "front", "Лицевая сторона"},
    {TCardPage::InsideLeft, "inside-left", "Разворот слева"},
    {TCardPage::InsideRight, "inside-right", "Разворот справа"},
    {TCardPage::Back, "back", "Оборот"},
};
static_assert(Folds[2].Value == TCardFold::QuarterFold && Pages[3].Value == TCardPage::Back,
              "the rows stand at their values");
const TNamed<TCardFold>& FoldRow(TCardFold Fold) {
  return Folds[static_cast<size_t>(Fold)];
}
const TNamed<TCardPage>& PageRow(TCardPage Page) {
  return Pages[static_cast<size_t>(Page)];
}
template <class TValue, size_t N>
std::optional<TValue> FromKey(const TNamed<TValue> (&Rows)[N], const std::string& Key) {
  for (const TNamed<TValue>& R : Rows)
    if (Key == R.Key)
      return R.Value;
  return std::nullopt;
}

// A user's size: sides of 20 mm (a gift tag) up to a metre.
constexpr double MinSideMm = 20, MaxSideMm = 1000;

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

// A side in millimetres: digits with at most one decimal point, the whole text.
std::optional<double> SideMm(const std::string& Text) {
  if (Text.empty() || Text.size() > 8 ||
      !std::all_of(Text.begin(), Text.end(), [](char C) { return std::isdigit(C) || C == '.'; }))
    return std::nullopt;
  double V = 0;
  const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), V);
  if (Error != std::errc() || End != Text.data() + Text.size() || !std::isfinite(V) ||
      V < MinSideMm || V > MaxSideMm)
    return std::nullopt;
  return V;
}

}  // namespace

const char* FoldCaption(TCardFold Fold) {
  return FoldRow(Fold).Caption;
}

const char* FoldKey(TCardFold Fold) {
  return FoldRow(Fold).Key;
}

std::optional<TCardFold> FoldFromKey(const std::string& Key) {
  return FromKey(Folds, Key);
}

const char* PageCaption(TCardPage Page) {
  return PageRow(Page).Caption;
}

const char* PageKey(TCardPage Page) {
  return PageRow(Page).Key;
}

std::optional<TCardPage> PageFromKey(const std::string& Key) {
  return FromKey(Pages, Key);
}

std::vector<TCardPage> PagesOf(TCardFold Fold, bool WithBack) {
  if (Fold == TCardFold::Flat)
    return WithBack ? std::vector{TCardPage::Front, TCardPage::Back}
                    : std::vector{TCardPage::Front};
  return {TCardPage::Front, TCardPage::InsideLeft, TCardPage::InsideRight, TCardPage::Back};
}

std::optional<TPanelSize> PanelSizeFromText(const std::string& Text) {
  const std::string Key = Lower(Text);
  for (const TNamedSize& N : NamedSizes)
    if (Key == N.Key)
      return N.Size;
  if (Key.size() < 5 || Key.compare(Key.size() - 2, 2, "mm") != 0)
    return std::nullopt;
  const std::string Sides = Key.substr(0, Key.size() - 2);
  const size_t X = Sides.find('x');
  if (X == std::string::npos)
    return std::nullopt;
  const std::optional<double> W = SideMm(Sides.substr(0, X));
  const std::optional<double> H = SideMm(Sides.substr(X + 1));
  if (!W || !H)
    return std::nullopt;
  return TPanelSize{std::min(*W, *H), std::max(*W, *H)};
}

TPanelPixels PanelPixels(const TPanelSize& Size, TPanelOrientation Orientation, int32_t Dpi) {
  const double Short = std::min(Size.Width, Size.Height);
  const double Long = std::max(Size.Width, Size.Height);
  const int32_t S = MmToPixels(Short, Dpi), L = MmToPixels(Long, Dpi);
  return Orientation == TPanelOrientation::Landscape ? TPanelPixels{L, S} : TPanelPixels{S, L};
}
