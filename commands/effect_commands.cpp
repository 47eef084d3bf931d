#include "effect_commands.h"

#include <charconv>
#include <cmath>

#include "card_document.h"
#include "color_adjust.h"
#include "color_effects.h"
#include "distortions.h"
#include "sharpen_blur.h"

TEffectTarget EffectTarget(TCardDocument& Doc) {
  if (TBitmapLayer* L = Doc.SelectedBitmapLayer())
    return {L->Bitmap(), true};
  return {&Doc.Canvas(), false};
}

namespace {

using TValues = const TEffectValues&;

uint32_t TintColour(TValues V) {
  return uint32_t(V[0]) | uint32_t(V[1]) << 8 | uint32_t(V[2]) << 16;
}

}  // namespace

const std::vector<TCardCommand>& EffectCommands() {
  static const std::vector<TCardCommand> Commands = {
      {"BrightnessScale",
       efInPlace32,
       {{"amount", -200, 200}},
       nullptr,
       [](TBitmap32& B, TValues V) { BrightnessScale(B, V[0]); }},
      {"ContrastStretch",
       efInPlace32,
       {{"amount", -200, 200}},
       nullptr,
       [](TBitmap32& B, TValues V) { ContrastStretch(B, V[0]); }},
      {"BalanceScale",
       efInPlace32,
       {{"red", -50, 50}, {"green", -50, 50}, {"blue", -50, 50}},
       nullptr,
       [](TBitmap32& B, TValues V) { BalanceScale(B, V[0], V[1], V[2]); }},
      {"BalanceShift",
       efInPlace32,
       {{"red", -50, 50}, {"green", -50, 50}, {"blue", -50, 50}},
       nullptr,
       [](TBitmap32& B, TValues V) { BalanceShift(B, V[0], V[1], V[2]); }},
      {"WeightedGrey",
       efShell24,
       {},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues) { return WeightedGrey(A), srFirst; },
       [](const TPixelSpan& S, TValues) { WeightedGrey(S); }},
      {"InvertChannels",
       efShell24,
       {},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues) { return InvertChannels(A), srFirst; },
       [](const TPixelSpan& S, TValues) { InvertChannels(S); }},
      {"ChannelNoise",
       efShell24,
       {{"range", 1, 255}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return ChannelNoise(A, uint32_t(V[0])), srFirst; },
       [](const TPixelSpan& S, TValues V) { ChannelNoise(S, uint32_t(V[0])); }},
      {"GreyNoise",
       efShell24,
       {{"range", 1, 255}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return GreyNoise(A, uint32_t(V[0])), srFirst; },
       [](const TPixelSpan& S, TValues V) { GreyNoise(S, uint32_t(V[0])); }},
      {"TintByIntensity",
       efShell24,
       {{"red", 0, 255}, {"green", 0, 255}, {"blue", 0, 255}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return TintByIntensity(A, TintColour(V)), srFirst; },
       [](const TPixelSpan& S, TValues V) { TintByIntensity(S, TintColour(V)); }},
      {"QuantizeLevels",
       efShell24,
       {{"level", 1, 100}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage& B, TValues V) { return QuantizeLevels(A, B, V[0]), srSecond; },
       [](const TPixelSpan& S, TValues V) { QuantizeLevels(S, V[0]); }},
      {"SharpenFivePoint",
       efShell24,
       {{"strength", 2, 5}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage& B, TValues V) { return SharpenFivePoint(A, B, V[0]), srSecond; }},
      {"DiagonalAverageBlur",
       efShell24,
       {{"distance", 1, 100}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return DiagonalAverageBlur(A, V[0]), srFirst; }},
      {"ScatterPixels",
       efShell24,
       {{"amount", 1, 100}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return ScatterPixels(A, uint32_t(V[0])), srFirst; }},
      {"DropDisplace",
       efShell24,
       {{"turbulence", 1, 300}, {"scale", 1, 50}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage& B, TValues V) {
         return DropDisplace(A, B, V[0], V[1]), srSecond;
       }},
      {"BlockMosaic",
       efShell24,
       {{"block", 0, 65535}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return BlockMosaic(A, V[0]), srFirst; }},
      {"WaveShift",
       efShell24,
       {{"amplitude", 1, 100}, {"interference", 1, 15}, {"style", 0, 2}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return WaveShift(A, V[0], V[1], V[2]), srFirst; }},
      {"DiagonalEmboss",
       efShell24,
       {},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues) { return DiagonalEmboss(A), srFirst; }},
      {"SawtoothBlinds",
       efShell24,
       {{"step", 0, 65535}},
       nullptr,
       nullptr,
       [](RgbImage& A, RgbImage&, TValues V) { return SawtoothBlinds(A, V[0]), srFirst; }},
  };
  return Commands;
}

namespace {

std::string KeyRange(const TEffectKey& K) {
  switch (K.Kind) {
    case ekText:
      return "ТЕКСТ";
    case ekColor:
      return "RRGGBB";
    case ekChoice: {
      std::string Text;
      for (const char* C : K.Choices) Text += (Text.empty() ? "" : "|") + std::string(C);
      return Text;
    }
    case ekNumber:
      return "ЧИСЛО (больше " + std::to_string(K.Min) + ", не больше " + std::to_string(K.Max) +
             ")";
    case ekInteger:
      break;
  }
  return std::to_string(K.Min) + ".." + std::to_string(K.Max);
}

// An integer key's value V, checked against its range, into Call's slot I; Text is the value as
// it was written.
void PutInteger(const std::string& Command, const TEffectKey& K, int32_t V, const std::string& Text,
                size_t I, TCardCall& Call) {
  if (V < K.Min || V > K.Max)
    throw EEffectCommandError(Command + ": " + K.Name + "=" + Text + " вне диапазона " +
                              KeyRange(K));
  Call.Values[I] = V;
}

// Parses Text as the key's value into Call's slot I.
void ParseKeyValue(const std::string& Command, const TEffectKey& K, const std::string& Text,
                   size_t I, TCardCall& Call) {
  const std::string Key = K.Name;
  switch (K.Kind) {
    case ekText:
      Call.Texts[I] = Text;
      return;
    case ekChoice:
      for (size_t C = 0; C < K.Choices.size(); ++C)
        if (Text == K.Choices[C]) {
          Call.Values[I] = int32_t(C);
          return;
        }
      throw EEffectCommandError(Command + ": " + Key + "=\"" + Text + "\" не из списка " +
                                KeyRange(K));
    case ekColor: {
      uint32_t V = 0;
      const auto R = std::from_chars(Text.data(), Text.data() + Text.size(), V, 16);
      if (Text.size() != 6 || R.ec != std::errc() || R.ptr != Text.data() + Text.size())
        throw EEffectCommandError(Command + ": " + Key + "=\"" + Text +
                                  "\" не цвет вида RRGGBB (например FF8000)");
      Call.Values[I] = int32_t(V);
      return;
    }
    case ekNumber: {
      // Plain decimal notation only: no sign, hexadecimal, infinity or spaces.
      double V = 0;
      const auto R =
          std::from_chars(Text.data(), Text.data() + Text.size(), V, std::chars_format::fixed);
      if (Text.empty() || Text[0] == '-' || R.ec != std::errc() ||
          R.ptr != Text.data() + Text.size() || !std::isfinite(V))
        throw EEffectCommandError(Command + ": " + Key + "=\"" + Text + "\" не число (" +
                                  KeyRange(K) + ")");
      if (!(V > K.Min) || V > K.Max)
        throw EEffectCommandError(Command + ": " + Key + "=" + Text + " вне диапазона " +
                                  KeyRange(K));
      Call.Numbers[I] = V;
      return;
    }
    case ekInteger:
      break;
  }
  int32_t V = 0;
  const auto R = std::from_chars(Text.data(), Text.data() + Text.size(), V);
  if (Text.empty() || R.ec != std::errc() || R.ptr != Text.data() + Text.size())
    throw EEffectCommandError(Command + ": " + Key + "=\"" + Text + "\" не целое число (" +
                              KeyRange(K) + ")");
  PutInteger(Command, K, V, Text, I, Call);
}

// The command Name of the table, with a slot for each of its keys.
TCardCall StartCall(const std::string& Name, const std::vector<TCardCommand>& Commands) {
  TCardCall Call;
  for (const TCardCommand& C : Commands)
    if (Name == C.Name)
      Call.Command = &C;
  if (Call.Command == nullptr)
    throw EEffectCommandError("неизвестный эффект \"" + Name +
                              "\" (список: pelmora-cli effect --list)");
  const size_t N = Call.Command->Keys.size();
  Call.Values.assign(N, 0);
  Call.Texts.assign(N, std::string());
  Call.Numbers.assign(N, 0.0);
  Call.Given.assign(N, false);
  return Call;
}

// The slot of Key, given once.
size_t TakeSlot(const std::string& Name, const std::string& Key, TCardCall& Call) {
  const std::vector<TEffectKey>& Keys = Call.Command->Keys;
  size_t I = 0;
  while (I < Keys.size() && Key != Keys[I].Name) ++I;
  if (I == Keys.size())
    throw EEffectCommandError(Name + ": неизвестный параметр \"" + Key + "\"");
  if (Call.Given[I])
    throw EEffectCommandError(Name + ": параметр " + Key + " задан дважды");
  Call.Given[I] = true;
  return I;
}

// Every key that is not optional was given; the optional ones that were not take their defaults.
void FinishCall(const std::string& Name, TCardCall& Call) {
  const std::vector<TEffectKey>& Keys = Call.Command->Keys;
  for (size_t I = 0; I < Keys.size(); ++I)
    if (!Call.Given[I]) {
      if (!Keys[I].Optional)
        throw EEffectCommandError(Name + ": не задан параметр " + Keys[I].Name);
      Call.Values[I] = Keys[I].Default;
    }
}

}  // namespace

std::string EffectListText(const std::vector<TCardCommand>& Commands) {
  std::string Text;
  for (const TCardCommand& C : Commands) {
    Text += C.Name;
    for (const TEffectKey& K : C.Keys) {
      const std::string Item = std::string(K.Name) + "=" + KeyRange(K);
      Text += " " + (K.Optional ? "[" + Item + "]" : Item);
    }
    if (C.Note != nullptr)
      Text += std::string(" (") + C.Note + ")";
    Text += "\n";
  }
  return Text;
}

TCardCall ParseEffectCall(const std::string& Name, const std::vector<std::string>& Arguments,
                          const std::vector<TCardCommand>& Commands) {
  TCardCall Call = StartCall(Name, Commands);
  for (const std::string& A : Arguments) {
    const size_t Eq = A.find('=');
    if (Eq == std::string::npos)
      throw EEffectCommandError(Name + ": аргумент \"" + A + "\" не вида ключ=значение");
    const size_t I = TakeSlot(Name, A.substr(0, Eq), Call);
    ParseKeyValue(Name, Call.Command->Keys[I], A.substr(Eq + 1), I, Call);
  }
  FinishCall(Name, Call);
  return Call;
}

TCardCall EffectCall(const std::string& Name,
                     const std::vector<std::pair<std::string, int32_t>>& Values,
                     const std::vector<TCardCommand>& Commands) {
  TCardCall Call = StartCall(Name, Commands);
  for (const auto& [Key, Value] : Values) {
    const size_t I = TakeSlot(Name, Key, Call);
    const TEffectKey& K = Call.Command->Keys[I];
    if (K.Kind != ekInteger)
      throw EEffectCommandError(Name + ": параметр " + Key + " задаётся не целым числом");
    PutInteger(Name, K, Value, std::to_string(Value), I, Call);
  }
  FinishCall(Name, Call);
  return Call;
}

void RunEffectCall(const TCardCall& Call, const TEffectTarget& Target) {
  if (Call.Command == nullptr || Call.Command->Format == efDocument || Target.Bitmap == nullptr)
    return;
  const TCardCommand& C = *Call.Command;
  if (C.Format == efInPlace32) {
    if (C.OnBitmap != nullptr)
      C.OnBitmap(*Target.Bitmap, Call.Values);
    return;
  }
  // The colour routines treat each pixel on its own; they run in the target's memory.
  if (C.OnPixels != nullptr) {
    RunPixelShell(Target, [&](const TPixelSpan& S) { C.OnPixels(S, Call.Values); });
    return;
  }
  RunRgbShell(Target, [&](RgbImage& A, RgbImage& B) {
    return C.OnImage != nullptr ? C.OnImage(A, B, Call.Values) : srFirst;
  });
}
