#include "cli_effect.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "bitmap_layer.h"
#include "card_commands.h"
#include "card_document.h"
#include "card_runner.h"
#include "cli_open_card.h"
#include "cli_output.h"
#include "effect_commands.h"
#include "img_view32.h"
#include "open_document.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "project_file.h"

bool IsFlatOutputExtension(const std::string& Ext) {
  for (const char* E : {".bmp", ".png", ".jpg", ".jpeg", ".gif", ".tif", ".tiff"})
    if (Ext == E)
      return true;
  return false;
}

namespace {

// The N-th bitmap layer from the bottom, counted as "pelmora-cli info" counts them.
TBitmapLayer* BitmapLayerAt(TCardDocument& Doc, const std::string& Text) {
  int32_t N = -1;
  const auto R = std::from_chars(Text.data(), Text.data() + Text.size(), N);
  if (Text.empty() || R.ec != std::errc() || R.ptr != Text.data() + Text.size() || N < 0)
    throw EEffectCommandError("layer=" + Text +
                              ": нужен номер слоя-картинки (см. pelmora-cli info)");
  int32_t Index = 0;
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
    if (auto* L = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I))) {
      if (Index == N)
        return L;
      ++Index;
    }
  throw EEffectCommandError("layer=" + Text + ": нет слоя-картинки с таким номером (слоёв: " +
                            std::to_string(Index) + ")");
}

}  // namespace

int RunEffectVerb(const std::vector<std::string>& Args) {
  if (Args.size() == 1 && Args[0] == "--list") {
    WriteStandardOutput(EffectListText(CardCommands()));
    return 0;
  }
  if (Args.size() < 3)
    throw EEffectCommandError("effect ждёт ИМЯ ВХОД ВЫХОД [layer=N] [ключ=значение ...]");
  const std::string& Name = Args[0];
  const std::string& Input = Args[1];
  const std::string& Output = Args[2];
  std::string Layer;
  bool HasLayer = false;
  std::vector<std::string> KeyValues;
  for (size_t I = 3; I < Args.size(); ++I) {
    if (Args[I].rfind("layer=", 0) == 0) {
      if (HasLayer)
        throw EEffectCommandError("layer= задан дважды");
      HasLayer = true;
      Layer = Args[I].substr(6);
    } else {
      KeyValues.push_back(Args[I]);
    }
  }
  const TCardCall Call = ParseEffectCall(Name, KeyValues, CardCommands());
  const std::string Ext = LowerExtension(Output);
  const bool Project = Ext == ".kvt";
  if (!Project && !IsFlatOutputExtension(Ext))
    throw EEffectCommandError("неизвестный формат вывода \"" + Ext + "\" (" + Output +
                              "): нужен .kvt, .bmp, .png, .jpg, .gif или .tif");

  TOpenCard Card(Input);
  TCardDocument& Doc = Card.Doc;
  Doc.SetSelection(HasLayer ? BitmapLayerAt(Doc, Layer) : nullptr);

  // The batch tool keeps no undo history.
  TCardRunner(Doc).Run(Call);

  if (Project) {
    WriteProject(Doc, Output);
  } else {
    std::unique_ptr<TBitmap32> Holder;
    const TBitmap32& Flat = Doc.FlatImage(Holder);
    TSaveOptions Options;
    Options.JpegQuality = 100;
    SavePictureByExtension(Flat, Output, Options);
  }
  return 0;
}
