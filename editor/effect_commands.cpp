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

const std::vector<TEffectCommand>& EffectCommands() {
  static const std::vector<TEffectCommand> Commands = {
      {"BrightnessScale", efInPlace32, {{"amount", -200, 200}}},
      {"ContrastStretch", efInPlace32, {{"amount", -200, 200}}},
      {"BalanceScale", efInPlace32, {{"red", -50, 50}, {"green", -50, 50}, {"blue", -50, 50}}},
      {"BalanceShift", efInPlace32, {{"red", -50, 50}, {"green", -50, 50}, {"blue", -50, 50}}},
      {"WeightedGrey", efShell24, {}},
      {"InvertChannels", efShell24, {}},
      {"ChannelNoise", efShell24, {{"range", 1, 255}}},
      {"GreyNoise", efShell24, {{"range", 1, 255}}},
      {"TintByIntensity", efShell24, {{"red", 0, 255}, {"green", 0, 255}, {"blue", 0, 255}}},
      {"QuantizeLevels", efShell24, {{"level", 1, 100}}},
      {"SharpenFivePoint", efShell24, {{"strength", 2, 5}}},
      {"DiagonalAverageBlur", efShell24, {{"distance", 1, 100}}},
      {"ScatterPixels", efShell24, {{"amount", 1, 100}}},
      {"DropDisplace", efShell24, {{"turbulence", 1, 300}, {"scale", 1, 50}}},
      {"BlockMosaic", efShell24, {{"block", 0, 65535}}},
      {"WaveShift", efShell24, {{"amplitude", 1, 100}, {"interference", 1, 15}, {"style", 0, 2}}},
      {"DiagonalEmboss", efShell24, {}},
      {"SawtoothBlinds", efShell24, {{"step", 0, 65535}}},
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

// Parses Text as the key's value into Call's slot I.
void ParseKeyValue(const std::string& Command, const TEffectKey& K, const std::string& Text,
                   size_t I, TEffectCall& Call) {
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
  const std::string Range = KeyRange(K);
  if (Text.empty() || R.ec != std::errc() || R.ptr != Text.data() + Text.size())
    throw EEffectCommandError(Command + ": " + Key + "=\"" + Text + "\" не целое число (" + Range +
                              ")");
  if (V < K.Min || V > K.Max)
    throw EEffectCommandError(Command + ": " + Key + "=" + Text + " вне диапазона " + Range);
  Call.Values[I] = V;
}

}  // namespace

std::string EffectListText(const std::vector<TEffectCommand>& Commands) {
  std::string Text;
  for (const TEffectCommand& C : Commands) {
    Text += C.Name;
    for (const TEffectKey& K : C.Keys) {
      const std::string Item = std::string(K.Name) + "=" + KeyRange(K);
      Text += " " + (K.Optional ? "[" + Item + "]" : Item);
    }
    Text += "\n";
  }
  return Text;
}

TEffectCall ParseEffectCall(const std::string& Name, const std::vector<std::string>& Arguments,
                            const std::vector<TEffectCommand>& Commands) {
  TEffectCall Call;
  for (const TEffectCommand& C : Commands)
    if (Name == C.Name)
      Call.Command = &C;
  if (Call.Command == nullptr)
    throw EEffectCommandError("неизвестный эффект \"" + Name +
                              "\" (список: pelmora-cli effect --list)");
  const std::vector<TEffectKey>& Keys = Call.Command->Keys;
  std::vector<bool> Given(Keys.size(), false);
  Call.Values.assign(Keys.size(), 0);
  Call.Texts.assign(Keys.size(), std::string());
  Call.Numbers.assign(Keys.size(), 0.0);
  for (const std::string& A : Arguments) {
    const size_t Eq = A.find('=');
    if (Eq == std::string::npos)
      throw EEffectCommandError(Name + ": аргумент \"" + A + "\" не вида ключ=значение");
    const std::string Key = A.substr(0, Eq), Text = A.substr(Eq + 1);
    size_t I = 0;
    while (I < Keys.size() && Key != Keys[I].Name) ++I;
    if (I == Keys.size())
      throw EEffectCommandError(Name + ": неизвестный параметр \"" + Key + "\"");
    if (Given[I])
      throw EEffectCommandError(Name + ": параметр " + Key + " задан дважды");
    ParseKeyValue(Name, Keys[I], Text, I, Call);
    Given[I] = true;
  }
  for (size_t I = 0; I < Keys.size(); ++I)
    if (!Given[I]) {
      if (!Keys[I].Optional)
        throw EEffectCommandError(Name + ": не задан параметр " + Keys[I].Name);
      Call.Values[I] = Keys[I].Default;
    }
  Call.Given = std::move(Given);
  return Call;
}

namespace {

void RunInPlace(const std::string& Name, const std::vector<int32_t>& V, TBitmap32& B) {
  if (Name == "BrightnessScale")
    BrightnessScale(B, V[0]);
  else if (Name == "ContrastStretch")
    ContrastStretch(B, V[0]);
  else if (Name == "BalanceScale")
    BalanceScale(B, V[0], V[1], V[2]);
  else if (Name == "BalanceShift")
    BalanceShift(B, V[0], V[1], V[2]);
}

TShellResult RunOnImage(const std::string& Name, const std::vector<int32_t>& V, RgbImage& A,
                        RgbImage& B) {
  if (Name == "WeightedGrey") {
    WeightedGrey(A);
  } else if (Name == "InvertChannels") {
    InvertChannels(A);
  } else if (Name == "ChannelNoise") {
    ChannelNoise(A, uint32_t(V[0]));
  } else if (Name == "GreyNoise") {
    GreyNoise(A, uint32_t(V[0]));
  } else if (Name == "TintByIntensity") {
    TintByIntensity(A, uint32_t(V[0]) | uint32_t(V[1]) << 8 | uint32_t(V[2]) << 16);
  } else if (Name == "QuantizeLevels") {
    QuantizeLevels(A, B, V[0]);
    return srSecond;
  } else if (Name == "SharpenFivePoint") {
    SharpenFivePoint(A, B, V[0]);
    return srSecond;
  } else if (Name == "DiagonalAverageBlur") {
    DiagonalAverageBlur(A, V[0]);
  } else if (Name == "ScatterPixels") {
    ScatterPixels(A, uint32_t(V[0]));
  } else if (Name == "DropDisplace") {
    DropDisplace(A, B, V[0], V[1]);
    return srSecond;
  } else if (Name == "BlockMosaic") {
    BlockMosaic(A, V[0]);
  } else if (Name == "WaveShift") {
    WaveShift(A, V[0], V[1], V[2]);
  } else if (Name == "DiagonalEmboss") {
    DiagonalEmboss(A);
  } else if (Name == "SawtoothBlinds") {
    SawtoothBlinds(A, V[0]);
  }
  return srFirst;
}

// The colour routines treat each pixel on its own; they run in the target's memory.
bool RunOnPixels(const std::string& Name, const std::vector<int32_t>& V,
                 const TEffectTarget& Target) {
  TPixelRoutine Routine;
  if (Name == "WeightedGrey")
    Routine = [](const TPixelSpan& S) { WeightedGrey(S); };
  else if (Name == "InvertChannels")
    Routine = [](const TPixelSpan& S) { InvertChannels(S); };
  else if (Name == "ChannelNoise")
    Routine = [&](const TPixelSpan& S) { ChannelNoise(S, uint32_t(V[0])); };
  else if (Name == "GreyNoise")
    Routine = [&](const TPixelSpan& S) { GreyNoise(S, uint32_t(V[0])); };
  else if (Name == "TintByIntensity")
    Routine = [&](const TPixelSpan& S) {
      TintByIntensity(S, uint32_t(V[0]) | uint32_t(V[1]) << 8 | uint32_t(V[2]) << 16);
    };
  else if (Name == "QuantizeLevels")
    Routine = [&](const TPixelSpan& S) { QuantizeLevels(S, V[0]); };
  else
    return false;
  RunPixelShell(Target, Routine);
  return true;
}

}  // namespace

void RunEffectCall(const TEffectCall& Call, const TEffectTarget& Target) {
  if (Call.Command == nullptr || Call.Command->Format == efDocument || Target.Bitmap == nullptr)
    return;
  const std::string Name = Call.Command->Name;
  if (Call.Command->Format == efInPlace32) {
    RunInPlace(Name, Call.Values, *Target.Bitmap);
    EmptyPreviewBackup();
    return;
  }
  if (RunOnPixels(Name, Call.Values, Target))
    return;
  try {
    RunRgbShell(
        Target, [&](RgbImage& A, RgbImage& B) { return RunOnImage(Name, Call.Values, A, B); },
        false);
  } catch (...) {
    EmptyPreviewBackup();
    throw;
  }
  EmptyPreviewBackup();
}

void RunCardCall(const TEffectCall& Call, TCardDocument& Doc) {
  if (Call.Command == nullptr)
    return;
  if (Call.Command->Format == efDocument) {
    if (Call.Command->Run != nullptr)
      Call.Command->Run(Doc, Call);
    return;
  }
  RunEffectCall(Call, EffectTarget(Doc));
}
