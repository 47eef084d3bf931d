#include "cli_print.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "card_document.h"
#include "img_view32.h"
#include "open_document.h"
#include "picture_readers.h"
#include "print_job.h"

namespace {

std::runtime_error Bad(const std::string& Message) {
  return std::runtime_error("print: " + Message);
}

double PositiveNumber(const std::string& Key, const std::string& Value) {
  char* End = nullptr;
  const double V = std::strtod(Value.c_str(), &End);
  if (Value.empty() || End != Value.c_str() + Value.size() || !std::isfinite(V) || V <= 0 ||
      V > 1000)
    throw Bad(Key + "=" + Value + ": нужно число больше 0 и не больше 1000");
  return V;
}

TPrintRequest ParseOptions(const std::vector<std::string>& Words) {
  TPrintRequest R;
  bool HavePlace = false;
  for (const std::string& W : Words) {
    const size_t Eq = W.find('=');
    if (Eq == std::string::npos || Eq == 0)
      throw Bad("ожидается ключ=значение: \"" + W + "\"");
    const std::string Key = W.substr(0, Eq), Value = W.substr(Eq + 1);
    if (Key == "paper") {
      const auto Paper = FindPaper(Value);
      if (!Paper)
        throw Bad("paper=" + Value + ": нужен A4, A5, A6 или Letter");
      R.Paper = *Paper;
    } else if (Key == "orientation") {
      if (Value != "portrait" && Value != "landscape")
        throw Bad("orientation=" + Value + ": нужен portrait или landscape");
      R.Landscape = Value == "landscape";
    } else if (Key == "place") {
      if (Value == "original")
        R.Place = TPrintPlace::Original;
      else if (Value == "fit")
        R.Place = TPrintPlace::Fit;
      else if (Value == "fill")
        R.Place = TPrintPlace::Fill;
      else
        throw Bad("place=" + Value + ": нужен original, fit или fill");
      HavePlace = true;
    } else if (Key == "width") {
      R.Width = PositiveNumber(Key, Value);
    } else if (Key == "height") {
      R.Height = PositiveNumber(Key, Value);
    } else if (Key == "unit") {
      if (Value != "cm" && Value != "in")
        throw Bad("unit=" + Value + ": нужен cm или in");
      R.Unit = Value == "cm" ? TPrintUnit::Cm : TPrintUnit::Inch;
    } else {
      throw Bad("неизвестный ключ \"" + Key + "\"");
    }
  }
  if (HavePlace && (R.Width || R.Height))
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

  TImgView32 View;
  View.SetBounds(800, 600);
  TCardDocument Doc(View);
  OpenDocument(Input, Doc);
  if (Doc.IsEmpty())
    throw Bad("изображение пустое: " + Input);
  const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
  PrintToPdf(*Flat, Request, Output);
  return 0;
}
