#include "cli_print.h"

#include <charconv>
#include <memory>
#include <stdexcept>

#include "card_document.h"
#include "cli_open_card.h"
#include "effect_commands.h"
#include "img_view32.h"
#include "open_document.h"
#include "picture_readers.h"
#include "print_job.h"

namespace {

// The shortest decimal form that reads back as V.
std::string NumberText(double V) {
  char Buf[32];
  const auto R = std::to_chars(Buf, Buf + sizeof(Buf), V);
  return std::string(Buf, R.ptr);
}

std::runtime_error Bad(const std::string& Message) {
  return std::runtime_error("print: " + Message);
}

// The print verb's keys, read by the same parser as the effect commands' keys: a key given
// twice, an unknown key or a number in any but plain decimal notation is refused alike.
const TCardCommand& PrintKeys() {
  static const TCardCommand Keys = {
      "print",
      efDocument,
      {{"paper", 0, 0, ekText, {}, true},
       {"orientation", 0, 0, ekChoice, {"portrait", "landscape"}, true},
       {"place", 0, 0, ekChoice, {"original", "fit", "fill"}, true},
       {"width", 0, 1000, ekNumber, {}, true},
       {"height", 0, 1000, ekNumber, {}, true},
       {"unit", 0, 0, ekChoice, {"cm", "in"}, true}}};
  return Keys;
}

TPrintRequest ParseOptions(const std::vector<std::string>& Words) {
  const TCardCall Call = ParseEffectCall("print", Words, {PrintKeys()});
  enum { Paper, Orientation, Place, Width, Height, Unit };
  TPrintRequest R;
  if (Call.Given[Paper]) {
    const auto Found = FindPaper(Call.Texts[Paper]);
    if (!Found)
      throw Bad("paper=" + Call.Texts[Paper] + ": нужен A4, A5, A6 или Letter");
    R.Paper = *Found;
  }
  R.Landscape = Call.Values[Orientation] == 1;
  if (Call.Given[Place])
    R.Place = Call.Values[Place] == 0   ? TPrintPlace::Original
              : Call.Values[Place] == 1 ? TPrintPlace::Fit
                                        : TPrintPlace::Fill;
  R.Unit = Call.Values[Unit] == 0 ? TPrintUnit::Cm : TPrintUnit::Inch;
  // Nothing under a millimetre is printed: such a card is a speck on the page.
  const double MinimumSize = R.Unit == TPrintUnit::Cm ? 0.1 : 0.1 / 2.54;
  const char* UnitName = R.Unit == TPrintUnit::Cm ? " см" : " дюйма";
  for (const int Key : {Width, Height})
    if (Call.Given[Key] && Call.Numbers[Key] < MinimumSize)
      throw Bad(std::string(Key == Width ? "width=" : "height=") + NumberText(Call.Numbers[Key]) +
                UnitName + " — меньше 1 мм: на бумаге открытка должна быть не меньше 1 мм");
  if (Call.Given[Width])
    R.Width = Call.Numbers[Width];
  if (Call.Given[Height])
    R.Height = Call.Numbers[Height];
  if (Call.Given[Place] && (R.Width || R.Height))
    throw Bad("place= и точный размер (width=, height=) нельзя задать вместе");
  return R;
}

}  // namespace

int RunPrintVerb(const std::vector<std::string>& Args) {
  if (Args.size() < 2)
    throw Bad("ждёт ВХОД ВЫХОД.pdf [ключ=значение ...]");
  const std::string& Input = Args[0];
  const std::string& Output = Args[1];
  if (LowerExtension(Output) != ".pdf")
    throw Bad("ВЫХОД должен быть файлом .pdf: " + Output);
  const TPrintRequest Request = ParseOptions({Args.begin() + 2, Args.end()});

  TOpenCard Card(Input);
  // A card without layers is printed from its canvas, not from a copy of it.
  std::unique_ptr<TBitmap32> Holder;
  PrintToPdf(Card.Doc.FlatImage(Holder), Request, Output);
  return 0;
}
