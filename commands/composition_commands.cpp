#include "composition_commands.h"

#include "card_document.h"
#include "composition.h"
#include "layer_commands.h"
#include "texture_fill.h"

namespace {

// A colour key's 0xRRGGBB as the panel's swatch holds it (red in the low byte).
TPlatformColor Swatch(int32_t Rgb) {
  const auto U = static_cast<uint32_t>(Rgb);
  return static_cast<TPlatformColor>(((U & 0xFF) << 16) | (U & 0xFF00) | ((U >> 16) & 0xFF));
}

constexpr int32_t RgbLeft = 0xFF0080;   // the left swatch's default
constexpr int32_t RgbRight = 0x0054E3;  // the right swatch's default

// A position key that was not given.
constexpr int32_t Unset = -100001;

// The document commands run as the panel runs them; the card runner's step is theirs.
struct TPanel {
  TLayerCommands Commands;
  TComposition Composition;
  explicit TPanel(TCardDocument& Doc)
      : Commands(Doc, nullptr), Composition(Doc, nullptr, Commands) {}
};

void RunGradient(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TPanel Panel(Doc);
  StartChange(Start);
  TBackgroundGradient G;
  G.Down = Call.Values[0] == 1;
  G.GC2 = Swatch(Call.Values[1]);
  G.GC1 = Swatch(Call.Values[2]);
  Panel.Composition.FillGradient(G);
}

void RunTexture(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TPanel Panel(Doc);
  StartChange(Start);
  Panel.Composition.ApplyTexture(Call.Texts[0], Call.Values[1], false, {});
}

void RunUnderlay(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TPanel Panel(Doc);
  TUnderlaySettings S;
  S.Mode = static_cast<TUnderlayMode>(Call.Values[0]);
  S.Panel4 = Swatch(Call.Values[1]);
  S.Down = Call.Values[2] == 1;
  S.Panel7 = Swatch(Call.Values[3]);
  S.Panel8 = Swatch(Call.Values[4]);
  if (S.Mode == umTexture && Call.Texts[5].empty())
    throw EEffectCommandError("Underlay: для mode=texture нужен файл текстуры (file=...)");
  StartChange(Start);
  if (S.Mode == umTexture)
    Panel.Composition.ApplyTexture(Call.Texts[5], Call.Values[6], true, S);
  else
    Panel.Composition.AddUnderlay(S);
}

void RunGalleryItem(TCardDocument& Doc, const TCardCall& Call, bool Decoration,
                    const TChangeStart& Start) {
  TPanel Panel(Doc);
  StartChange(Start);
  // A greeting's "transparent=1" takes a plain background away, as the editor's gallery does.
  const bool Key = !Decoration && Call.Values[3] == 1;
  TBitmapLayer* L = Panel.Composition.AddGalleryItem(Call.Texts[0], Decoration, Key);
  const int32_t X = Call.Values[1], Y = Call.Values[2];
  if (X == Unset && Y == Unset)
    return;
  TSingleRect R = L->Location();
  const float Dx = X == Unset ? 0 : static_cast<float>(X) - R.Left;
  const float Dy = Y == Unset ? 0 : static_cast<float>(Y) - R.Top;
  L->SetLocation({R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy});
}

void RunDecoration(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  RunGalleryItem(Doc, Call, true, Start);
}

void RunGreeting(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  RunGalleryItem(Doc, Call, false, Start);
}

}  // namespace

std::vector<TCardCommand> CompositionCommands() {
  const TEffectKey Direction = {"direction", 0, 0, ekChoice, {"horizontal", "vertical"}, true, 0};
  const TEffectKey Scale = {"scale", 0,    TextureScaleCount - 1, ekInteger,
                            {},      true, DefaultTextureScale};
  const TEffectKey X = {"x", Unset + 1, 100000, ekInteger, {}, true, Unset};
  const TEffectKey Y = {"y", Unset + 1, 100000, ekInteger, {}, true, Unset};
  return {
      {.Name = "Gradient",
       .Format = efDocument,
       .Keys = {Direction,
                {"left", 0, 0, ekColor, {}, true, RgbLeft},
                {"right", 0, 0, ekColor, {}, true, RgbRight}},
       .Run = &RunGradient,
       .Step = usBackground},
      {.Name = "Texture",
       .Format = efDocument,
       .Keys = {{"file", 0, 0, ekText}, Scale},
       .Run = &RunTexture,
       .Step = usTexture},
      {.Name = "Underlay",
       .Format = efDocument,
       .Keys = {{"mode", 0, 0, ekChoice, {"solid", "gradient", "texture"}, true, 0},
                {"color", 0, 0, ekColor, {}, true, 0xFFFFFF},
                Direction,
                {"color1", 0, 0, ekColor, {}, true, RgbLeft},
                {"color2", 0, 0, ekColor, {}, true, RgbRight},
                {"file", 0, 0, ekText, {}, true},
                Scale},
       .Run = &RunUnderlay,
       .Step = usUnderlay},
      {.Name = "Decoration",
       .Format = efDocument,
       .Keys = {{"file", 0, 0, ekText}, X, Y},
       .Run = &RunDecoration,
       .Step = usDecoration},
      {.Name = "Greeting",
       .Format = efDocument,
       .Keys = {{"file", 0, 0, ekText}, X, Y, {"transparent", 0, 1, ekInteger, {}, true, 0}},
       .Run = &RunGreeting,
       .Step = usGreeting},
  };
}
