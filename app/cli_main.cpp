// pelmora-cli: the card as a flat picture, or its layer records as JSON, for scripts, servers
// and tests. It needs no display: the document lives on an image control without a window.
#include <charconv>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bitmap_layer.h"
#include "caption_layer.h"
#include "card_document.h"
#include "cli_effect.h"
#include "cli_open_card.h"
#include "cli_output.h"
#include "cli_print.h"
#include "img_view32.h"
#include "open_document.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "save_flat_image.h"
#include "user_error_text.h"

namespace {

constexpr char Usage[] =
    "Использование:\n"
    "  pelmora-cli render ВХОД ВЫХОД   плоское изображение открытки или картинки; формат\n"
    "                                  выбирается по расширению ВЫХОДА: .bmp (с альфа-каналом),\n"
    "                                  .png, .jpg (качество 100), .gif, .tif, .webp (без потерь)\n"
    "  pelmora-cli info ВХОД           размер холста и записи слоёв одним объектом JSON;\n"
    "                                  у слоя-надписи её текст (\"caption\")\n"
    "  pelmora-cli effect ИМЯ ВХОД ВЫХОД [layer=N] [ключ=значение ...]\n"
    "                                  одна команда эффекта, как в редакторе: без layer= на\n"
    "                                  холсте, с layer=N на N-м слое-картинке (номер из info);\n"
    "                                  ВЫХОД .kvt получает проект, картинка -- плоское "
    "изображение\n"
    "  pelmora-cli effect --list       все эффекты с параметрами и диапазонами\n"
    "  pelmora-cli print ВХОД ВЫХОД.pdf [paper=A4|A5|A6|Letter]\n"
    "      [orientation=portrait|landscape] [place=original|fit|fill]\n"
    "      [width=W] [height=H] [unit=cm|in]\n"
    "                                  страница PDF, как её печатает окно печати; original --\n"
    "                                  пиксель открытки на точку принтера 300 dpi; при одной\n"
    "                                  стороне (width= или height=) другая -- по пропорциям\n"
    "  pelmora-cli --help              эта справка\n"
    "ВХОД: проект (.kvt, .KVT) или картинка любого читаемого формата.\n"
    "При ошибке: одна строка в stderr, код выхода 1, ВЫХОД не создаётся.\n";

class ECliError : public std::exception {
 public:
  explicit ECliError(std::string Message) : FMessage(std::move(Message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

std::string FloatText(float V) {
  char Buf[32];
  const auto R = std::to_chars(Buf, Buf + sizeof(Buf), V);
  return std::string(Buf, R.ptr);
}

// Text as a JSON string, quotes included.
std::string JsonString(const std::string& Text) {
  std::string Out = "\"";
  for (const char Ch : Text) {
    const auto U = static_cast<unsigned char>(Ch);
    if (Ch == '"' || Ch == '\\') {
      Out += '\\';
      Out += Ch;
    } else if (Ch == '\n') {
      Out += "\\n";
    } else if (U < 0x20) {
      char Buf[8];
      std::snprintf(Buf, sizeof(Buf), "\\u%04x", U);
      Out += Buf;
    } else {
      Out += Ch;
    }
  }
  return Out + "\"";
}

// What info says of a caption layer: its text (lines joined by newlines) while it is editable,
// or that it was changed into a picture.
std::string CaptionJson(const TCardDocument& Doc, const TBitmapLayer& L) {
  TCaption C;
  switch (CaptionToEdit(Doc, L, C)) {
    case TCaptionKind::Picture:
      return "";
    case TCaptionKind::Changed:
      return ", \"captionChanged\": true";
    case TCaptionKind::Editable:
      break;
  }
  std::string Text;
  for (size_t I = 0; I < C.Lines.size(); ++I) Text += (I > 0 ? "\n" : "") + C.Lines[I].Text;
  return ", \"caption\": " + JsonString(Text);
}

int Render(const std::string& Input, const std::string& Output) {
  const std::optional<TSaveFormat> Format = PictureFormatForFile(Output);
  if (!Format)
    throw ECliError("неизвестный формат вывода \"" + LowerExtension(Output) + "\" (" + Output +
                    "): нужен .bmp, .png, .jpg, .gif, .tif или .webp");
  TOpenCard Card(Input);
  std::unique_ptr<TBitmap32> Holder;
  const TBitmap32& Flat = Card.Doc.FlatImage(Holder);
  TSaveOptions Options;
  Options.JpegQuality = 100;
  Options.WebpQuality = 100;
  SaveFlatImage(*Format, Options, Flat, Output);
  return 0;
}

int Info(const std::string& Input) {
  TOpenCard Card(Input);
  std::string Json = "{\"width\": " + std::to_string(Card.Doc.Canvas().Width()) +
                     ", \"height\": " + std::to_string(Card.Doc.Canvas().Height()) +
                     ", \"layers\": [";
  TLayerCollection& Layers = Card.Doc.Layers();
  int Index = 0;
  for (int32_t I = 0; I < Layers.Count(); ++I) {
    const auto* L = dynamic_cast<const TBitmapLayer*>(Layers.Items(I));
    if (L == nullptr)
      continue;
    const TSingleRect& R = L->Location();
    const TBitmap32& B = *L->Bitmap();
    if (Index > 0)
      Json += ", ";
    Json += "{\"index\": " + std::to_string(Index) + ", \"left\": " + FloatText(R.Left) +
            ", \"top\": " + FloatText(R.Top) + ", \"right\": " + FloatText(R.Right) +
            ", \"bottom\": " + FloatText(R.Bottom) +
            ", \"bitmapWidth\": " + std::to_string(B.Width()) +
            ", \"bitmapHeight\": " + std::to_string(B.Height()) +
            ", \"masterAlpha\": " + std::to_string(B.MasterAlpha()) +
            ", \"scaled\": " + (L->Scaled() ? "true" : "false") +
            ", \"cropped\": " + (L->Cropped() ? "true" : "false") +
            ", \"interpolated\": " + (B.StretchFilter() != sfNearest ? "true" : "false") +
            CaptionJson(Card.Doc, *L) + "}";
    ++Index;
  }
  Json += "]}\n";
  WriteStandardOutput(Json);
  return 0;
}

int Run(const std::vector<std::string>& Args) {
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    WriteStandardOutput(Usage);
    return 0;
  }
  if (Args.empty())
    throw ECliError("не указана команда (см. pelmora-cli --help)");
  const std::string& Command = Args[0];
  if (Command == "render") {
    if (Args.size() != 3)
      throw ECliError("render ждёт два аргумента: ВХОД ВЫХОД");
    return Render(Args[1], Args[2]);
  }
  if (Command == "info") {
    if (Args.size() != 2)
      throw ECliError("info ждёт один аргумент: ВХОД");
    return Info(Args[1]);
  }
  if (Command == "effect")
    return RunEffectVerb(std::vector<std::string>(Args.begin() + 1, Args.end()));
  if (Command == "print")
    return RunPrintVerb(std::vector<std::string>(Args.begin() + 1, Args.end()));
  throw ECliError("неизвестная команда \"" + Command + "\" (см. pelmora-cli --help)");
}

// One line, whatever the message holds.
std::string OneLine(std::string S) {
  for (char& C : S)
    if (C == '\n' || C == '\r')
      C = ' ';
  return S;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    RegisterPictureCodecs();
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "pelmora-cli: недостаточно памяти\n");
  } catch (const std::exception& E) {
    std::fprintf(stderr, "pelmora-cli: %s\n", OneLine(UserErrorText(E)).c_str());
  }
  return 1;
}
