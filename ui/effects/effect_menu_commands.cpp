#include "effect_menu_commands.h"

#include <QApplication>
#include <exception>

#include "bitmap32.h"
#include "busy_cursor.h"
#include "color_adjust.h"
#include "color_effects.h"
#include "colorise_dialog.h"
#include "effect_dialogs.h"
#include "effects_browser.h"
#include "effects_catalogue.h"
#include "live_dialogs.h"
#include "sharpen_blur.h"
#include "user_error_text.h"

namespace {

// The tint of a colour kept with red in the lowest byte.
TCardCall TintCall(uint32_t Colour) {
  return EffectCall("TintByIntensity", {{"red", int32_t(Colour & 0xFF)},
                                        {"green", int32_t(Colour >> 8 & 0xFF)},
                                        {"blue", int32_t(Colour >> 16 & 0xFF)}});
}

}  // namespace

TEffectCommands::TEffectCommands(TEffectContext& Context, QWidget* Parent)
    : QObject(Parent),
      FContext(Context),
      FRunner(Context),
      FBrid(new TBrid(Parent)),
      FGamma(new TGamma(Parent)),
      FEffect(new TEffect(Parent)),
      FDeFoc(new TDeFoc(Parent)),
      FSprayWin(new TSprayWin(Parent)),
      FPosta(new TPosta(Parent)),
      FWaves(new TWaves(Parent)),
      FMarb(new TMarb(Parent)),
      FBrowser(new TBrowser(Parent)),
      FColorise(new TColorise(Parent)) {}

TEffectCommands::~TEffectCommands() {
  // Without a parent window the dialogs are ours to free.
  if (parent() == nullptr)
    for (QObject* D : std::initializer_list<QObject*>{FBrid, FGamma, FEffect, FDeFoc, FSprayWin,
                                                      FPosta, FWaves, FMarb, FBrowser, FColorise})
      delete D;
}

TEffectSettings TEffectCommands::Settings() const {
  TEffectSettings S;
  S.SprayValue = FSprayWin->Value->value();
  S.MarbFreq = FMarb->Freq->value();
  S.MarbScal = FMarb->Scal->value();
  S.WavesValue = FWaves->Value->value();
  S.WavesInterf = FWaves->Interf->value();
  S.WavesNu = FWaves->Nu->currentIndex();
  S.PostaValue = FPosta->Value->value();
  return S;
}

int32_t TEffectCommands::TargetWidth() {
  const TBitmap32* B = FContext.Target().Bitmap;
  return B != nullptr ? B->Width() : 0;
}

void TEffectCommands::RunWithDialog(TEffectDialog& Dialog, const std::function<TCalls()>& Calls) {
  // "Просмотр" runs inside the dialog's event loop: its errors are reported there.
  Dialog.OnPreview = [&] {
    try {
      TBusyCursor Busy;
      FRunner.Preview(Calls());
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    } catch (...) {
      FContext.ReportError(QStringLiteral("Неизвестная ошибка"));
    }
  };
  const int Result = Dialog.exec();
  Dialog.OnPreview = nullptr;
  FRunner.EndPreview();
  if (Result == QDialog::Accepted) {
    TBusyCursor Busy;
    FRunner.Apply(Calls());
  }
}

TEffectCommands::TCalls TEffectCommands::SharpenCalls() const {
  return {EffectCall("SharpenFivePoint", {{"strength", FEffect->Value->value()}})};
}

TEffectCommands::TCalls TEffectCommands::BlurCalls() const {
  const int32_t Value = FDeFoc->Value->value();
  if (FDeFoc->Ras->isChecked())
    return {EffectCall("DiagonalAverageBlur", {{"distance", Value}})};
  // Without "Расфокусировка" the short blur runs Value + 1 times on one working image.
  return TCalls(size_t(Value) + 1, EffectCall("DiagonalAverageBlur", {{"distance", 3}}));
}

void TEffectCommands::QuickSharpenClick() {
  FEffect->Value->setValue(5);
  TBusyCursor Busy;
  FRunner.Apply(SharpenCalls());
}

void TEffectCommands::QuickBlurClick() {
  FDeFoc->Value->setValue(2);
  FDeFoc->Ras->setChecked(true);
  TBusyCursor Busy;
  FRunner.Apply(BlurCalls());
}

void TEffectCommands::SharpenClick() {
  RunWithDialog(*FEffect, [this] { return SharpenCalls(); });
}

void TEffectCommands::BlurClick() {
  RunWithDialog(*FDeFoc, [this] { return BlurCalls(); });
}

void TEffectCommands::SprayClick() {
  RunWithDialog(*FSprayWin, [this] {
    return TCalls{EffectCall("ScatterPixels", {{"amount", FSprayWin->Value->value()}})};
  });
}

void TEffectCommands::PosterizeClick() {
  RunWithDialog(*FPosta, [this] {
    return TCalls{EffectCall("QuantizeLevels", {{"level", FPosta->Value->value()}})};
  });
}

void TEffectCommands::WavesClick() {
  RunWithDialog(*FWaves, [this] {
    return TCalls{EffectCall("WaveShift", {{"amplitude", FWaves->Value->value()},
                                           {"interference", FWaves->Interf->value()},
                                           {"style", FWaves->Nu->currentIndex()}})};
  });
}

void TEffectCommands::RaindropsClick() {
  RunWithDialog(*FMarb, [this] {
    return TCalls{EffectCall(
        "DropDisplace", {{"turbulence", FMarb->Freq->value()}, {"scale", FMarb->Scal->value()}})};
  });
}

void TEffectCommands::MosaicClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("BlockMosaic", {{"block", RoundedQuotient(TargetWidth(), 100)}})});
}

void TEffectCommands::EmbossClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("DiagonalEmboss")});
}

void TEffectCommands::BlindsWideClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("SawtoothBlinds", {{"step", RoundedQuotient(TargetWidth(), 7)}})});
}

void TEffectCommands::BlindsMediumClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("SawtoothBlinds", {{"step", RoundedQuotient(TargetWidth(), 12)}})});
}

void TEffectCommands::BlindsNarrowClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("SawtoothBlinds", {{"step", RoundedQuotient(TargetWidth(), 24)}})});
}

void TEffectCommands::NegativeClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("InvertChannels")});
}

void TEffectCommands::ColourNoiseClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("ChannelNoise", {{"range", 50}})});
}

void TEffectCommands::BlackNoiseClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("GreyNoise", {{"range", 60}})});
}

void TEffectCommands::MonochromeClick() {
  TBusyCursor Busy;
  FRunner.Apply({EffectCall("WeightedGrey")});
}

void TEffectCommands::ColoriseClick() {
  TColorise& D = *FColorise;
  // The card shows the tint of the dialog's colour from the moment it opens, and again after
  // every colour chosen.
  const auto Show = [this, &D] {
    try {
      TBusyCursor Busy;
      FRunner.ShowLive({TintCall(D.Colour()), EffectCall("BrightnessScale", {{"amount", 70}})});
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    }
  };
  D.SetColour(FContext.AllColor());
  D.OnActivate = Show;
  D.OnChange = Show;
  RunLive(D);
  D.OnActivate = nullptr;
  D.OnChange = nullptr;
  if (D.result() == QDialog::Accepted)
    FContext.SetAllColor(D.Colour());
}

void TEffectCommands::SepiaClick() {
  FContext.SetAllColor(SepiaColour);
  TBusyCursor Busy;
  FRunner.Apply({TintCall(SepiaColour), EffectCall("BrightnessScale", {{"amount", 150}})});
}

// ==== brightness/contrast and colour balance ====

void TEffectCommands::RunLive(QDialog& Dialog) {
  FRunner.BeginLive();
  const int Opacity = FContext.LayerOpacity();
  if (Opacity != 255)
    FContext.SetLayerOpacity(255);
  const int Result = Dialog.exec();
  FRunner.EndLive(Result == QDialog::Accepted);
  FContext.SetLayerOpacity(Opacity);
}

void TEffectCommands::BrightnessContrastClick() {
  TBrid& D = *FBrid;
  D.OnApply = [this, &D](int Gauge) {
    const TCardCall Brightness = EffectCall("BrightnessScale", {{"amount", D.GaugeBar1->value()}});
    const TCardCall Contrast = EffectCall("ContrastStretch", {{"amount", D.GaugeBar2->value()}});
    // The gauge released last applies last.
    FRunner.ShowLive(Gauge == 1 ? TCalls{Brightness, Contrast} : TCalls{Contrast, Brightness});
  };
  D.OnReset = [this] { FRunner.ResetLive(); };
  RunLive(D);
}

void TEffectCommands::ColourBalanceClick() {
  TGamma& D = *FGamma;
  D.OnApply = [this, &D](int) {
    FRunner.ShowLive({EffectCall(D.Speed->isChecked() ? "BalanceShift" : "BalanceScale",
                                 {{"red", D.GaugeBar1->value()},
                                  {"green", D.GaugeBar2->value()},
                                  {"blue", D.GaugeBar3->value()}})});
  };
  D.OnReset = [this] { FRunner.ResetLive(); };
  RunLive(D);
}

// ==== the catalogue ====

void TEffectCommands::EffectCatalogueClick() {
  TBrowser& D = *FBrowser;
  D.OnActivate = [this, &D] {
    try {
      TBusyCursor Busy;
      const TBitmap32* B = FContext.Target().Bitmap;
      D.SetPreviews(B != nullptr ? MakeCataloguePreviews(*B) : std::vector<TCataloguePreview>());
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    }
  };
  D.OnApply = [this, &D] {
    const int Index = D.SelectedIndex();
    try {
      FRunner.RecordStep();
      TBusyCursor Busy;
      ApplyCatalogueItem(Index, FContext.Target());
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    }
    // "ОК" with no effect selected leaves the card as it was.
    if (Index >= 0)
      FContext.Changed();
  };
  D.exec();
  D.OnActivate = nullptr;
  D.OnApply = nullptr;
}
