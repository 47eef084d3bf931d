#include "caption_commands.h"

#include "caption_fonts.h"
#include "caption_layer.h"
#include "card_document.h"
#include "utf8.h"

namespace {

// Slots of the keys both commands share, in table order.
enum : size_t { KeyText, KeyFont, KeySize, KeyColor, KeyX, KeyY };

constexpr int32_t MaxCoordinate = 100000;

const char* const TextNote = "в тексте \\n — новая строка, \\\\ — обратная косая черта";

// Font, size and colour from the call where given. The text must be UTF-8, and a font named in
// the call must be installed: a stand-in face would be drawn without a word.
void ApplyKeys(const char* Command, const TCardCall& Call, TCaption& C) {
  const std::string Name(Command);
  if (!IsWellFormedUtf8(Call.Texts[KeyText]))
    throw EEffectCommandError(Name + ": text= не в кодировке UTF-8 (в тексте недопустимые байты)");
  C.Lines = CaptionLinesFromText(Call.Texts[KeyText]);
  if (Call.Given[KeyFont]) {
    const std::string& Font = Call.Texts[KeyFont];
    if (Font.empty())
      throw EEffectCommandError(Name + ": font= не может быть пустым");
    if (!IsWellFormedUtf8(Font))
      throw EEffectCommandError(Name + ": font= не в кодировке UTF-8");
    if (!IsFontInstalled(Font))
      throw EEffectCommandError(Name + ": шрифт \"" + Font + "\" не установлен");
    C.FontName = Font;
  }
  if (Call.Given[KeySize])
    C.Size = Call.Values[KeySize];
  if (Call.Given[KeyColor])
    C.TextColor = static_cast<TColor32>(Call.Values[KeyColor]) | 0xFF000000u;
}

void RunCaption(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TCaption C;
  C.FontName = DefaultCaptionFamily(InstalledFontFamilies());
  ApplyKeys("Caption", Call, C);
  StartChange(Start);
  TBitmap32 Work, Mask;
  TBitmapLayer* L = PlaceCaption(Doc, C, Work, Mask, Doc.Layers().Count());
  if (L == nullptr)
    return;
  const float Cx = Call.Given[KeyX] ? static_cast<float>(Call.Values[KeyX])
                                    : static_cast<float>(Doc.Canvas().Width()) / 2;
  const float Cy = Call.Given[KeyY] ? static_cast<float>(Call.Values[KeyY])
                                    : static_cast<float>(Doc.Canvas().Height()) / 2;
  const float W = static_cast<float>(L->Bitmap()->Width());
  const float H = static_cast<float>(L->Bitmap()->Height());
  L->SetLocation({Cx - W / 2, Cy - H / 2, Cx + W / 2, Cy + H / 2});
}

void RunEditCaption(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (L == nullptr)
    throw EEffectCommandError("EditCaption: нужен layer=N — номер слоя-надписи");
  TCaption C;
  switch (CaptionToEdit(Doc, *L, C)) {
    case TCaptionKind::Picture:
      throw EEffectCommandError("EditCaption: слой — картинка, а не надпись");
    case TCaptionKind::Changed:
      throw EEffectCommandError(std::string("EditCaption: ") + CaptionChangedText);
    case TCaptionKind::Editable:
      break;
  }
  ApplyKeys("EditCaption", Call, C);
  if (C.FontName.empty())
    throw EEffectCommandError("EditCaption: у надписи нет шрифта, нужен font=");
  StartChange(Start);
  TBitmap32 Work, Mask;
  ReplaceCaption(Doc, *L, C, Work, Mask);
}

}  // namespace

std::vector<TCaptionLine> CaptionLinesFromText(const std::string& Text) {
  std::vector<TCaptionLine> Lines(1);
  for (size_t I = 0; I < Text.size(); ++I) {
    const char Ch = Text[I];
    if (Ch == '\\' && I + 1 < Text.size() && (Text[I + 1] == 'n' || Text[I + 1] == '\\')) {
      if (Text[++I] == 'n')
        Lines.emplace_back();
      else
        Lines.back().Text += '\\';
    } else if (Ch == '\n') {
      Lines.emplace_back();
    } else if (Ch != '\r') {
      Lines.back().Text += Ch;
    }
  }
  return Lines;
}

std::vector<TCardCommand> CaptionCommands() {
  const std::vector<TEffectKey> Common = {
      {"text", 0, 0, ekText},
      {"font", 0, 0, ekText, {}, true},
      {"size", 1, MaxCaptionPointSize, ekInteger, {}, true, 30},
      {"color", 0, 0, ekColor, {}, true, 0},
  };
  std::vector<TEffectKey> Place = Common;
  Place.push_back({"x", -MaxCoordinate, MaxCoordinate, ekInteger, {}, true, 0});
  Place.push_back({"y", -MaxCoordinate, MaxCoordinate, ekInteger, {}, true, 0});
  return {
      {.Name = "Caption",
       .Format = efDocument,
       .Keys = Place,
       .Run = &RunCaption,
       .Note = TextNote,
       .Step = usCaption},
      {.Name = "EditCaption",
       .Format = efDocument,
       .Keys = Common,
       .Run = &RunEditCaption,
       .Note = TextNote,
       .Step = usEditCaption},
  };
}
