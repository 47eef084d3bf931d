#pragma once
// The fonts the caption dialog offers: the installed scalable families, and the special fonts
// with the installed families that stand in for them.
#include <cstdint>
#include <string>
#include <vector>

// Installed scalable (TrueType or OpenType) font families, sorted, each once.
std::vector<std::string> InstalledFontFamilies();
// True when a scalable face of exactly this family (case-insensitive) is installed.
bool IsFontInstalled(const std::string& Family);

// The family fontconfig draws a name with ("Arial" gives "Liberation Sans" where Arial is
// absent); empty when fontconfig finds nothing.
std::string MatchedFamily(const std::string& Name);

// The caption font chosen at start: "Arial" when listed, else the listed family fontconfig
// draws "Arial" with, else the sixth entry (the last when there are fewer), else "Arial".
std::string DefaultCaptionFamily(const std::vector<std::string>& Listed);

// What a special font looks like, for finding a stand-in of the same character.
enum class TFontCharacter { Serif, Sans, Script, Display };

struct TSpecialFont {
  const char* Title;   // the entry of the list "Специальные шрифты"
  const char* Family;  // the font it names; empty for "Не выбран"
  TFontCharacter Character;
  // Installed families tried in turn when Family is absent, all with Cyrillic letters.
  std::vector<const char*> StandIns;
};

// "Не выбран", "Пушкинский", "Письменный", "Оригинальный", "Заглавный", "Огненный".
const std::vector<TSpecialFont>& SpecialFonts();

// The family that entry Index of the special fonts selects: the named font when installed,
// else the first installed stand-in, else fontconfig's choice for the character's generic
// family (cursive, fantasy, serif, sans-serif) when that has Cyrillic. Empty for "Не выбран",
// an index outside the list, or when nothing fits.
std::string SpecialFontFamily(int32_t Index);

// The entry of the special fonts that draws Family (the named font or the family that stands
// in for it here; the first such entry when several share a stand-in); 0 ("Не выбран") for any
// other family.
int32_t SpecialFontIndex(const std::string& Family);
