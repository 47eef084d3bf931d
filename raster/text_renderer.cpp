#include "text_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>
#include <vector>

#include "utf8.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELMORA_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PELMORA_LEAK_CHECKED 1
#endif
#ifdef PELMORA_LEAK_CHECKED
// fontconfig loses a few hundred bytes while it parses its configuration (FcInit alone shows
// it); the leak checker is told to ignore that library's allocations.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
// Nor is the list of suppressions used printed at exit: the batch tool's standard error keeps to
// its one line.
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif

// A face loaded from one file (and index inside it), with a size object per pixel size in use.
struct TFontFace {
  FT_Face Face = nullptr;
  std::string File;
  std::map<int32_t, FT_Size> Sizes;
};

namespace {

// Sizes beyond this many pixels per em are drawn at it: a glyph bitmap stays below 16 MB.
constexpr int32_t MaxPixelsPerEm = 4096;
// Size objects kept per face before the whole set is dropped and rebuilt on demand.
constexpr size_t MaxSizesPerFace = 32;
// Points used for a size of 0.
constexpr int32_t DefaultPointSize = 10;

// Process-wide FreeType and fontconfig state. Neither library is used outside this mutex.
// Created once and never destroyed, so text keeps working while other static objects go away.
struct TTextCache {
  std::mutex Mutex;
  bool Started = false;
  FT_Library Library = nullptr;
  bool FontconfigReady = false;
  // Null entries remember files FreeType failed to open.
  std::map<std::pair<std::string, int>, std::unique_ptr<TFontFace>> Faces;
  std::map<std::tuple<std::string, bool, bool>, TResolvedFont::TFaceUse> Choices;
};

TTextCache& Cache() {
  static auto* Instance = new TTextCache;
  return *Instance;
}

// Both libraries are started on first use; the caller holds the mutex.
void Start(TTextCache& C) {
  if (C.Started)
    return;
  C.Started = true;
  if (FT_Init_FreeType(&C.Library) != 0)
    C.Library = nullptr;
  C.FontconfigReady = FcInit() == FcTrue;
}

TFontFace* LoadFace(TTextCache& C, const std::string& File, int Index) {
  auto& Slot = C.Faces[{File, Index}];
  if (Slot)
    return Slot.get();
  FT_Face Face = nullptr;
  if (FT_New_Face(C.Library, File.c_str(), Index, &Face) != 0)
    return nullptr;
  Slot = std::make_unique<TFontFace>();
  Slot->Face = Face;
  Slot->File = File;
  return Slot.get();
}

// fontconfig's choice for a family and style, with the styles that the chosen face lacks.
TResolvedFont::TFaceUse MatchFace(TTextCache& C, const std::string& Family, bool Bold,
                                  bool Italic) {
  TResolvedFont::TFaceUse Use;
  if (!C.FontconfigReady)
    return Use;
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr)
    return Use;
  if (!Family.empty())
    FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
  FcPatternAddInteger(Pattern, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(Pattern, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, Pattern, FcMatchPattern);
  FcDefaultSubstitute(Pattern);
  FcResult Result = FcResultNoMatch;
  FcPattern* Match = FcFontMatch(nullptr, Pattern, &Result);
  FcPatternDestroy(Pattern);
  if (Match == nullptr)
    return Use;
  FcChar8* File = nullptr;
  int Index = 0;
  if (FcPatternGetString(Match, FC_FILE, 0, &File) == FcResultMatch && File != nullptr) {
    FcPatternGetInteger(Match, FC_INDEX, 0, &Index);
    Use.Face = LoadFace(C, reinterpret_cast<const char*>(File), Index);
  }
  FcPatternDestroy(Match);
  // The face's own flags decide what has to be synthesized: fontconfig reports the requested
  // weight and slant for a face that lacks them.
  if (Use.Face != nullptr) {
    const FT_Face Face = Use.Face->Face;
    const auto* OS2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
    const bool FaceBold = (Face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ||
                          (OS2 != nullptr && OS2->version != 0xFFFF && OS2->usWeightClass >= 600);
    const bool FaceItalic = (Face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    Use.Bold = Bold && !FaceBold;
    Use.Italic = Italic && !FaceItalic;
  }
  return Use;
}

TResolvedFont::TFaceUse ChooseFace(TTextCache& C, const std::string& Family, bool Bold,
                                   bool Italic) {
  const auto Key = std::make_tuple(Family, Bold, Italic);
  const auto It = C.Choices.find(Key);
  if (It != C.Choices.end())
    return It->second;
  TResolvedFont::TFaceUse Use = MatchFace(C, Family, Bold, Italic);
  // A file fontconfig lists but FreeType cannot open: the default sans face instead.
  if (Use.Face == nullptr && Family != "sans-serif")
    Use = MatchFace(C, "sans-serif", Bold, Italic);
  C.Choices[Key] = Use;
  return Use;
}

// Makes the face's size object for Ppem current, creating it when needed.
bool ActivateSize(TFontFace& F, int32_t Ppem) {
  auto It = F.Sizes.find(Ppem);
  if (It == F.Sizes.end()) {
    if (F.Sizes.size() >= MaxSizesPerFace) {
      for (auto& [P, Size] : F.Sizes) FT_Done_Size(Size);
      F.Sizes.clear();
    }
    FT_Size Size = nullptr;
    if (FT_New_Size(F.Face, &Size) != 0)
      return false;
    FT_Activate_Size(Size);
    FT_Error Error;
    if (FT_IS_SCALABLE(F.Face) || F.Face->num_fixed_sizes == 0) {
      Error = FT_Set_Pixel_Sizes(F.Face, 0, static_cast<FT_UInt>(Ppem));
    } else {
      // A bitmap-only face: the strike nearest in height.
      int Best = 0;
      for (int I = 1; I < F.Face->num_fixed_sizes; ++I)
        if (std::abs(F.Face->available_sizes[I].height - Ppem) <
            std::abs(F.Face->available_sizes[Best].height - Ppem))
          Best = I;
      Error = FT_Select_Size(F.Face, Best);
    }
    if (Error != 0) {
      FT_Done_Size(Size);
      return false;
    }
    It = F.Sizes.emplace(Ppem, Size).first;
  }
  return FT_Activate_Size(It->second) == 0;
}

// Whole pixels from font units at Ppem, rounded up.
int32_t CeilUnits(int64_t Units, int32_t Ppem, int32_t UnitsPerEm) {
  if (Units <= 0)
    return 0;
  return static_cast<int32_t>((Units * Ppem + UnitsPerEm - 1) / UnitsPerEm);
}

int32_t RoundUnits(double Units, int32_t Ppem, int32_t UnitsPerEm) {
  return static_cast<int32_t>(std::lround(Units * Ppem / UnitsPerEm));
}

// Ascent and descent in font units: the Windows metrics of the OS/2 table when present, which
// bound every glyph, else the horizontal header's.
std::pair<int64_t, int64_t> VerticalUnits(FT_Face Face) {
  const auto* OS2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
  if (OS2 != nullptr && OS2->version != 0xFFFF && OS2->usWinAscent + OS2->usWinDescent > 0)
    return {OS2->usWinAscent, OS2->usWinDescent};
  return {Face->ascender, -int64_t{Face->descender}};
}

// Next code point of UTF-8 text; malformed bytes read as U+FFFD one byte at a time.
char32_t NextCodePoint(const std::string& S, size_t& I) {
  return NextUtf8(S, I).value_or(char32_t{0xFFFD});
}

// One glyph's coverage, placed relative to the string's origin (the cell's top-left corner).
struct TGlyphImage {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Coverage;
};

// Loads every glyph of Text in turn and reports its advance; with Images set, also renders it.
// Runs under the cache mutex. Returns the pen position after the last glyph.
int32_t LayOut(const TResolvedFont::TFaceUse& Primary, const TResolvedFont::TFaceUse& Fallback,
               int32_t Ppem, int32_t Ascent, const std::string& Text,
               std::vector<TGlyphImage>* Images) {
  int32_t Pen = 0;
  size_t I = 0;
  while (I < Text.size()) {
    const char32_t Cp = NextCodePoint(Text, I);
    const TResolvedFont::TFaceUse* Use = &Primary;
    FT_UInt Glyph = FT_Get_Char_Index(Primary.Face->Face, Cp);
    if (Glyph == 0 && Fallback.Face != nullptr && Fallback.Face != Primary.Face) {
      const FT_UInt Other = FT_Get_Char_Index(Fallback.Face->Face, Cp);
      if (Other != 0) {
        Use = &Fallback;
        Glyph = Other;
      }
    }
    TFontFace& F = *Use->Face;
    if (!ActivateSize(F, Ppem))
      continue;
    if (FT_Load_Glyph(F.Face, Glyph, FT_LOAD_NO_BITMAP) != 0 &&
        FT_Load_Glyph(F.Face, Glyph, FT_LOAD_DEFAULT) != 0)
      continue;
    FT_GlyphSlot Slot = F.Face->glyph;
    if (Slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (Use->Italic)
        FT_GlyphSlot_Oblique(Slot);
      if (Use->Bold)
        FT_GlyphSlot_Embolden(Slot);
    }
    const auto Advance = static_cast<int32_t>((Slot->advance.x + 32) >> 6);
    if (Images != nullptr && FT_Render_Glyph(Slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& Bm = Slot->bitmap;
      const bool Gray = Bm.pixel_mode == FT_PIXEL_MODE_GRAY;
      const bool Mono = Bm.pixel_mode == FT_PIXEL_MODE_MONO;
      if ((Gray || Mono) && Bm.width > 0 && Bm.rows > 0) {
        TGlyphImage Image;
        Image.Left = Pen + Slot->bitmap_left;
        Image.Top = Ascent - Slot->bitmap_top;
        Image.Width = static_cast<int32_t>(Bm.width);
        Image.Height = static_cast<int32_t>(Bm.rows);
        Image.Coverage.resize(size_t(Image.Width) * size_t(Image.Height));
        for (int32_t Y = 0; Y < Image.Height; ++Y) {
          const unsigned char* Row = Bm.buffer + std::ptrdiff_t(Y) * Bm.pitch;
          uint8_t* Out = Image.Coverage.data() + size_t(Y) * size_t(Image.Width);
          for (int32_t X = 0; X < Image.Width; ++X) {
            if (Gray) {
              const int32_t Levels = Bm.num_grays > 1 ? Bm.num_grays - 1 : 255;
              Out[X] = static_cast<uint8_t>(Levels == 255 ? Row[X] : Row[X] * 255 / Levels);
            } else {
              Out[X] = (Row[X >> 3] & (0x80 >> (X & 7))) != 0 ? 255 : 0;
            }
          }
        }
        Images->push_back(std::move(Image));
      }
    }
    Pen += Advance;
  }
  return Pen;
}

}  // namespace

std::shared_ptr<const TResolvedFont> TResolvedFont::Resolve(const std::string& FaceName,
                                                            int32_t Size, TFontStyles Style) {
  TTextCache& C = Cache();
  const std::lock_guard<std::mutex> Guard(C.Mutex);
  Start(C);
  if (C.Library == nullptr)
    return nullptr;
  const bool Bold = (Style & fsBold) != 0;
  const bool Italic = (Style & fsItalic) != 0;
  const TFaceUse Primary = ChooseFace(C, FaceName, Bold, Italic);
  if (Primary.Face == nullptr)
    return nullptr;

  std::shared_ptr<TResolvedFont> R(new TResolvedFont);
  R->FPrimary = Primary;
  R->FFallback = ChooseFace(C, "sans-serif", Bold, Italic);
  R->FUnderline = (Style & fsUnderline) != 0;
  R->FStrikeOut = (Style & fsStrikeOut) != 0;

  FT_Face Face = Primary.Face->Face;
  const bool Scalable = FT_IS_SCALABLE(Face) && Face->units_per_EM > 0;
  const int32_t Upem = Scalable ? Face->units_per_EM : 1;
  const auto [AscentUnits, DescentUnits] = VerticalUnits(Face);

  // Points at 96 pixels per inch, rounded half away from zero. A positive size is the em, a
  // negative one the whole cell.
  const int64_t Points = Size == 0 ? DefaultPointSize : std::llabs(int64_t{Size});
  int64_t Pixels = (Points * ScreenPixelsPerInch * 2 + 72) / 144;
  if (Size < 0 && Scalable && AscentUnits + DescentUnits > 0)
    Pixels = (Pixels * Upem * 2 + AscentUnits + DescentUnits) / (2 * (AscentUnits + DescentUnits));
  R->FPixelsPerEm = static_cast<int32_t>(std::clamp<int64_t>(Pixels, 1, MaxPixelsPerEm));
  const int32_t Ppem = R->FPixelsPerEm;

  if (!ActivateSize(*Primary.Face, Ppem))
    return nullptr;
  if (Scalable) {
    R->FAscent = CeilUnits(AscentUnits, Ppem, Upem);
    R->FDescent = CeilUnits(DescentUnits, Ppem, Upem);
  } else {
    R->FAscent = static_cast<int32_t>((Face->size->metrics.ascender + 63) >> 6);
    R->FDescent = static_cast<int32_t>((-Face->size->metrics.descender + 63) >> 6);
  }
  const int32_t Baseline = R->FAscent;
  const int32_t CellBottom = R->FAscent + R->FDescent;

  // Underline: the face's own position (the centre of the stroke, below the baseline) and
  // thickness, kept below the baseline and inside the cell.
  const double Thickness =
      Scalable && Face->underline_thickness > 0 ? double(Face->underline_thickness) : Upem / 14.0;
  R->FUnderlineHeight = std::max(1, RoundUnits(Thickness, Ppem, Upem));
  const double Below =
      Scalable && Face->underline_position != 0 ? -double(Face->underline_position) : Upem / 9.0;
  int32_t Top =
      Baseline +
      static_cast<int32_t>(std::lround(double(Below) * Ppem / Upem - R->FUnderlineHeight / 2.0));
  Top = std::max(Top, Baseline + 1);
  Top = std::min(Top, CellBottom - R->FUnderlineHeight);
  R->FUnderlineTop = std::max(Top, 0);

  // Strike-out: the OS/2 stroke (its top above the baseline), else a stroke at a quarter em.
  const auto* OS2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
  if (Scalable && OS2 != nullptr && OS2->version != 0xFFFF && OS2->yStrikeoutSize > 0) {
    R->FStrikeOutHeight = std::max(1, RoundUnits(OS2->yStrikeoutSize, Ppem, Upem));
    R->FStrikeOutTop = Baseline - RoundUnits(OS2->yStrikeoutPosition, Ppem, Upem);
  } else {
    R->FStrikeOutHeight = R->FUnderlineHeight;
    R->FStrikeOutTop = Baseline - static_cast<int32_t>(std::lround(Ppem * 0.3));
  }
  R->FStrikeOutTop = std::clamp(R->FStrikeOutTop, 0, std::max(0, CellBottom - R->FStrikeOutHeight));
  return R;
}

const std::string& TResolvedFont::FileName() const {
  return FPrimary.Face->File;
}

TSize TResolvedFont::Extent(const std::string& Text) const {
  TTextCache& C = Cache();
  const std::lock_guard<std::mutex> Guard(C.Mutex);
  return {LayOut(FPrimary, FFallback, FPixelsPerEm, FAscent, Text, nullptr), FAscent + FDescent};
}

void TResolvedFont::Draw(TColor32* Bits, int32_t Width, int32_t Height, int32_t X, int32_t Y,
                         const std::string& Text, TColor32 RGB) const {
  if (Bits == nullptr || Width <= 0 || Height <= 0)
    return;
  std::vector<TGlyphImage> Images;
  int32_t Advance;
  {
    TTextCache& C = Cache();
    const std::lock_guard<std::mutex> Guard(C.Mutex);
    Advance = LayOut(FPrimary, FFallback, FPixelsPerEm, FAscent, Text, &Images);
  }
  // The underline and the strike-out: solid bars as long as the text.
  const auto AddBar = [&](int32_t Top, int32_t Height) {
    TGlyphImage Line;
    Line.Top = Top;
    Line.Width = Advance;
    Line.Height = Height;
    Line.Coverage.assign(size_t(Advance) * size_t(Height), 255);
    Images.push_back(std::move(Line));
  };
  if (FUnderline && Advance > 0)
    AddBar(FUnderlineTop, FUnderlineHeight);
  if (FStrikeOut && Advance > 0)
    AddBar(FStrikeOutTop, FStrikeOutHeight);
  if (Images.empty())
    return;

  // Coverage of the whole string first, so that overlapping glyphs combine like successive
  // layers of ink (a + b - ab) and every pixel is coloured once. Bounds in 64 bits: X and Y may
  // be anywhere.
  int64_t L = INT64_MAX, T = INT64_MAX, R = INT64_MIN, B = INT64_MIN;
  for (const TGlyphImage& G : Images) {
    L = std::min<int64_t>(L, int64_t{X} + G.Left);
    T = std::min<int64_t>(T, int64_t{Y} + G.Top);
    R = std::max<int64_t>(R, int64_t{X} + G.Left + G.Width);
    B = std::max<int64_t>(B, int64_t{Y} + G.Top + G.Height);
  }
  L = std::max<int64_t>(L, 0);
  T = std::max<int64_t>(T, 0);
  R = std::min<int64_t>(R, Width);
  B = std::min<int64_t>(B, Height);
  if (L >= R || T >= B)
    return;
  const auto MW = static_cast<int32_t>(R - L);
  const auto MH = static_cast<int32_t>(B - T);
  std::vector<uint8_t> Mask(size_t(MW) * size_t(MH), 0);
  for (const TGlyphImage& G : Images) {
    const int64_t GX = int64_t{X} + G.Left - L;
    const int64_t GY = int64_t{Y} + G.Top - T;
    const auto X0 = static_cast<int32_t>(std::max<int64_t>(0, -GX));
    const auto Y0 = static_cast<int32_t>(std::max<int64_t>(0, -GY));
    const auto X1 = static_cast<int32_t>(std::min<int64_t>(G.Width, MW - GX));
    const auto Y1 = static_cast<int32_t>(std::min<int64_t>(G.Height, MH - GY));
    for (int32_t GYi = Y0; GYi < Y1; ++GYi) {
      const uint8_t* Src = G.Coverage.data() + size_t(GYi) * size_t(G.Width);
      uint8_t* Dst = Mask.data() + size_t(GY + GYi) * size_t(MW) + size_t(GX);
      for (int32_t GXi = X0; GXi < X1; ++GXi) {
        const int32_t A = Dst[GXi];
        const int32_t V = Src[GXi];
        Dst[GXi] = static_cast<uint8_t>(A + V - (A * V + 127) / 255);
      }
    }
  }

  const int32_t FR = (RGB >> 16) & 255, FG = (RGB >> 8) & 255, FB = RGB & 255;
  for (int32_t MY = 0; MY < MH; ++MY) {
    const uint8_t* Cov = Mask.data() + size_t(MY) * size_t(MW);
    TColor32* P = Bits + (T + MY) * int64_t{Width} + L;
    for (int32_t MX = 0; MX < MW; ++MX) {
      const int32_t A = Cov[MX];
      if (A == 0)
        continue;
      const TColor32 Old = P[MX];
      const auto Mix = [A](int32_t Fore, int32_t Back) {
        return static_cast<TColor32>((Fore * A + Back * (255 - A) + 127) / 255);
      };
      P[MX] = (Old & 0xFF000000) | (Mix(FR, (Old >> 16) & 255) << 16) |
              (Mix(FG, (Old >> 8) & 255) << 8) | Mix(FB, Old & 255);
    }
  }
}
