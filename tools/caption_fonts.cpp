#include "caption_fonts.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <set>

namespace {

bool StartFontconfig() {
  static const bool Ready = FcInit() == FcTrue;
  return Ready;
}

// Families of the installed scalable faces; with Cyrillic set, only faces that hold the
// Russian alphabet.
std::vector<std::string> ListFamilies(const char* Family, bool Cyrillic) {
  std::vector<std::string> Out;
  if (!StartFontconfig())
    return Out;
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr)
    return Out;
  FcPatternAddBool(Pattern, FC_SCALABLE, FcTrue);
  if (Family != nullptr)
    FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family));
  FcCharSet* Letters = nullptr;
  if (Cyrillic) {
    Letters = FcCharSetCreate();
    for (FcChar32 C = 0x410; C <= 0x44F; ++C) FcCharSetAddChar(Letters, C);
    FcPatternAddCharSet(Pattern, FC_CHARSET, Letters);
  }
  FcObjectSet* Objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* Set = Objects != nullptr ? FcFontList(nullptr, Pattern, Objects) : nullptr;
  if (Set != nullptr) {
    std::set<std::string> Names;
    for (int I = 0; I < Set->nfont; ++I) {
      FcChar8* Name = nullptr;
      // The first family name of a face is its own; later ones are localised or style names.
      if (FcPatternGetString(Set->fonts[I], FC_FAMILY, 0, &Name) == FcResultMatch && Name)
        Names.insert(reinterpret_cast<const char*>(Name));
    }
    Out.assign(Names.begin(), Names.end());
    FcFontSetDestroy(Set);
  }
  if (Objects != nullptr)
    FcObjectSetDestroy(Objects);
  if (Letters != nullptr)
    FcCharSetDestroy(Letters);
  FcPatternDestroy(Pattern);
  return Out;
}

bool Installed(const std::string& Family, bool Cyrillic) {
  if (Family.empty())
    return false;
  const std::vector<std::string> Found = ListFamilies(Family.c_str(), Cyrillic);
  return std::any_of(Found.begin(), Found.end(), [&](const std::string& F) {
    return strcasecmp(F.c_str(), Family.c_str()) == 0;
  });
}

const char* GenericFamily(TFontCharacter C) {
  switch (C) {
    case TFontCharacter::Serif:
      return "serif";
    case TFontCharacter::Sans:
      return "sans-serif";
    case TFontCharacter::Script:
      return "cursive";
    case TFontCharacter::Display:
      return "fantasy";
  }
  return "sans-serif";
}

// fontconfig's best face for Pattern, which it takes over; nullptr when there is none.
FcPattern* BestMatch(FcPattern* Pattern) {
  FcConfigSubstitute(nullptr, Pattern, FcMatchPattern);
  FcDefaultSubstitute(Pattern);
  FcResult Result = FcResultNoMatch;
  FcPattern* Found = FcFontMatch(nullptr, Pattern, &Result);
  FcPatternDestroy(Pattern);
  return Found;
}

// fontconfig's best face for a name; with Cyrillic set, only when it holds the Russian letters.
std::string Match(const char* Generic, bool Cyrillic) {
  if (!StartFontconfig())
    return {};
  FcPattern* Pattern = FcNameParse(reinterpret_cast<const FcChar8*>(Generic));
  if (Pattern == nullptr)
    return {};
  FcPattern* Found = BestMatch(Pattern);
  if (Found == nullptr)
    return {};
  std::string Family;
  FcChar8* Name = nullptr;
  FcCharSet* Chars = nullptr;
  if (FcPatternGetString(Found, FC_FAMILY, 0, &Name) == FcResultMatch && Name != nullptr &&
      (!Cyrillic || (FcPatternGetCharSet(Found, FC_CHARSET, 0, &Chars) == FcResultMatch &&
                     FcCharSetHasChar(Chars, 0x436) == FcTrue)))
    Family = reinterpret_cast<const char*>(Name);
  FcPatternDestroy(Found);
  return Family;
}

}  // namespace

std::vector<std::string> InstalledFontFamilies() {
  return ListFamilies(nullptr, false);
}

bool IsFontInstalled(const std::string& Family) {
  return Installed(Family, false);
}

std::string MatchedFamily(const std::string& Name) {
  // FcNameParse reads "-", ":" and "," as syntax; a plain family pattern takes the name as is.
  if (!StartFontconfig())
    return {};
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr)
    return {};
  FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Name.c_str()));
  FcPattern* Found = BestMatch(Pattern);
  if (Found == nullptr)
    return {};
  std::string Family;
  FcChar8* Text = nullptr;
  if (FcPatternGetString(Found, FC_FAMILY, 0, &Text) == FcResultMatch && Text != nullptr)
    Family = reinterpret_cast<const char*>(Text);
  FcPatternDestroy(Found);
  return Family;
}

std::string DefaultCaptionFamily(const std::vector<std::string>& Listed) {
  const auto Has = [&](const std::string& N) {
    return std::find(Listed.begin(), Listed.end(), N) != Listed.end();
  };
  if (Has("Arial"))
    return "Arial";
  const std::string Substitute = MatchedFamily("Arial");
  if (!Substitute.empty() && Has(Substitute))
    return Substitute;
  if (Listed.empty())
    return "Arial";
  return Listed[std::min<size_t>(5, Listed.size() - 1)];
}

const std::vector<TSpecialFont>& SpecialFonts() {
  static const std::vector<TSpecialFont> List = {
      {"Не выбран", "", TFontCharacter::Sans, {}},
      // Handwriting of the 19th century: a chancery script.
      {"Пушкинский", "Pushkin", TFontCharacter::Script, {"Z003", "URW Chancery L"}},
      {"Письменный", "OdessaScript", TFontCharacter::Script, {"Z003", "URW Chancery L"}},
      // A typewriter-like face with character.
      {"Оригинальный",
       "Def Writer | BASE Cyr",
       TFontCharacter::Display,
       {"Comfortaa", "URW Gothic"}},
      // Capitals with strong serifs.
      {"Заглавный", "Invest", TFontCharacter::Serif, {"URW Bookman", "PT Serif", "DejaVu Serif"}},
      {"Огненный", "Xorx_windy Cyr", TFontCharacter::Display, {"URW Gothic", "Comfortaa"}},
  };
  return List;
}

std::string SpecialFontFamily(int32_t Index) {
  const auto& List = SpecialFonts();
  if (Index <= 0 || Index >= static_cast<int32_t>(List.size()))
    return {};
  const TSpecialFont& F = List[size_t(Index)];
  if (Installed(F.Family, false))
    return F.Family;
  for (const char* Stand : F.StandIns)
    if (Installed(Stand, true))
      return Stand;
  return Match(GenericFamily(F.Character), true);
}

int32_t SpecialFontIndex(const std::string& Family) {
  if (Family.empty())
    return 0;
  const auto& List = SpecialFonts();
  for (size_t I = 1; I < List.size(); ++I)
    if (strcasecmp(List[I].Family, Family.c_str()) == 0 ||
        strcasecmp(SpecialFontFamily(int32_t(I)).c_str(), Family.c_str()) == 0)
      return int32_t(I);
  return 0;
}
