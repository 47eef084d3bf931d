#include "effect_menu_commands.h"

#include <QApplication>
#include <exception>

#include "bitmap32.h"
#include "busy_cursor.h"
#include "color_adjust.h"
#include "color_effects.h"
#include "effect_dialogs.h"
#include "effects_browser.h"
#include "effects_catalogue.h"
#include "live_dialogs.h"
#include "sharpen_blur.h"
#include "user_error_text.h"

namespace {

// Empties PreviewBackup when the command ends, by any way.
struct TEndOfCommand {
  ~TEndOfCommand() { EmptyPreviewBackup(); }
};

}  // namespace

TEffectCommands::TEffectCommands(TEffectContext& Context, QWidget* Parent)
    : QObject(Parent),
      FContext(Context),
      FBrid(new TBrid(Parent)),
      FGamma(new TGamma(Parent)),
      FEffect(new TEffect(Parent)),
      FDeFoc(new TDeFoc(Parent)),
      FSprayWin(new TSprayWin(Parent)),
      FPosta(new TPosta(Parent)),
      FWaves(new TWaves(Parent)),
      FMarb(new TMarb(Parent)),
      FBrowser(new TBrowser(Parent)) {}

TEffectCommands::~TEffectCommands() {
  // Without a parent window the dialogs are ours to free.
  if (parent() == nullptr)
    for (QObject* D : std::initializer_list<QObject*>{FBrid, FGamma, FEffect, FDeFoc, FSprayWin,
                                                      FPosta, FWaves, FMarb, FBrowser})
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

void TEffectCommands::RunQuick(const std::function<void(const TEffectTarget&)>& Shell) {
  TEndOfCommand End;
  FContext.RecordLayerStep();
  TBusyCursor Busy;
  Shell(FContext.Target());
  FContext.Changed();
}

void TEffectCommands::RunWithDialog(TEffectDialog& Dialog,
                                    const std::function<void(const TEffectTarget&)>& Shell) {
  TEndOfCommand End;
  // "Просмотр" runs inside the dialog's event loop: its errors are reported there.
  Dialog.OnPreview = [&] {
    try {
      RestorePreview(FContext.Target());
      TBusyCursor Busy;
      Shell(FContext.Target());
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    } catch (...) {
      FContext.ReportError(QStringLiteral("Неизвестная ошибка"));
    }
    FContext.Changed();
  };
  const int Result = Dialog.exec();
  Dialog.OnPreview = nullptr;
  RestorePreview(FContext.Target());
  FContext.Changed();
  if (Result == QDialog::Accepted) {
    FContext.RecordLayerStep();
    TBusyCursor Busy;
    Shell(FContext.Target());
    FContext.Changed();
  }
}

void TEffectCommands::SharpenShell(const TEffectTarget& T) {
  const double Strength = FEffect->Value->value();
  RunRgbShell(T, [Strength](RgbImage& A, RgbImage& B) {
    SharpenFivePoint(A, B, Strength);
    return srSecond;
  });
}

void TEffectCommands::BlurShell(const TEffectTarget& T) {
  const int32_t Value = FDeFoc->Value->value();
  const bool Ras = FDeFoc->Ras->isChecked();
  RunRgbShell(T, [Value, Ras](RgbImage& A, RgbImage&) {
    if (Ras) {
      DiagonalAverageBlur(A, Value);
    } else {
      for (int32_t I = 0; I <= Value; ++I) DiagonalAverageBlur(A, 3);
    }
    return srFirst;
  });
}

void TEffectCommands::N74Click() {
  FEffect->Value->setValue(5);
  RunQuick([this](const TEffectTarget& T) { SharpenShell(T); });
}

void TEffectCommands::N75Click() {
  FDeFoc->Value->setValue(2);
  FDeFoc->Ras->setChecked(true);
  RunQuick([this](const TEffectTarget& T) { BlurShell(T); });
}

void TEffectCommands::N78Click() {
  RunWithDialog(*FEffect, [this](const TEffectTarget& T) { SharpenShell(T); });
}

void TEffectCommands::N76Click() {
  RunWithDialog(*FDeFoc, [this](const TEffectTarget& T) { BlurShell(T); });
}

void TEffectCommands::N50Click() {
  RunWithDialog(*FSprayWin,
                [this](const TEffectTarget& T) { ApplyNamedEffect("spray", T, Settings()); });
}

void TEffectCommands::N51Click() {
  RunWithDialog(*FPosta,
                [this](const TEffectTarget& T) { ApplyNamedEffect("post", T, Settings()); });
}

void TEffectCommands::N86Click() {
  RunWithDialog(*FWaves,
                [this](const TEffectTarget& T) { ApplyNamedEffect("wave", T, Settings()); });
}

void TEffectCommands::N113Click() {
  RunWithDialog(*FMarb,
                [this](const TEffectTarget& T) { ApplyNamedEffect("textur", T, Settings()); });
}

void TEffectCommands::N85Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("mosa", T, Settings()); });
}

void TEffectCommands::N87Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("emboss", T, Settings()); });
}

void TEffectCommands::N91Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("ripple_7", T, Settings()); });
}

void TEffectCommands::N92Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("ripple_12", T, Settings()); });
}

void TEffectCommands::N93Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("ripple_24", T, Settings()); });
}

void TEffectCommands::N84Click() {
  RunQuick([this](const TEffectTarget& T) { ApplyNamedEffect("invert", T, Settings()); });
}

void TEffectCommands::N81Click() {
  RunQuick([](const TEffectTarget& T) { ApplyNoiseOrTint("color", T, 0); });
}

void TEffectCommands::N82Click() {
  RunQuick([](const TEffectTarget& T) { ApplyNoiseOrTint("mona", T, 0); });
}

void TEffectCommands::N77Click() {
  RunQuick([](const TEffectTarget& T) {
    RunRgbShell(T, [](RgbImage& A, RgbImage&) {
      WeightedGrey(A);
      return srFirst;
    });
  });
}

void TEffectCommands::N49Click() {
  TEndOfCommand End;
  FContext.RecordLayerStep();
  if (FContext.ExecuteAllColor()) {
    TBusyCursor Busy;
    ApplyNoiseOrTint("mod", FContext.Target(), FContext.AllColor());
  }
  if (TBitmap32* B = FContext.Target().Bitmap)
    BrightnessScale(*B, 70);
  FContext.Changed();
}

void TEffectCommands::N111Click() {
  TEndOfCommand End;
  FContext.RecordLayerStep();
  FContext.SetAllColor(SepiaColour);
  {
    TBusyCursor Busy;
    ApplyNoiseOrTint("mod", FContext.Target(), SepiaColour);
    if (TBitmap32* B = FContext.Target().Bitmap)
      BrightnessScale(*B, 150);
  }
  FContext.Changed();
}

// ==== brightness/contrast and colour balance ====

void TEffectCommands::RestoreWorkingCopy() {
  TBitmap32* B = FContext.Target().Bitmap;
  if (B != nullptr && FWorkingCopy && !FWorkingCopy->IsEmpty())
    B->Assign(FWorkingCopy.get());
}

void TEffectCommands::RunLive(QDialog& Dialog) {
  FContext.RecordLayerStep();
  const int Opacity = FContext.LayerOpacity();
  if (Opacity != 255)
    FContext.SetLayerOpacity(255);
  const int Result = Dialog.exec();
  if (Result != QDialog::Accepted)
    RestoreWorkingCopy();
  FWorkingCopy.reset();
  FContext.SetLayerOpacity(Opacity);
  FContext.Changed();
}

void TEffectCommands::N38Click() {
  TBrid& D = *FBrid;
  D.OnActivate = [this] {
    FWorkingCopy = std::make_unique<TBitmap32>();
    if (TBitmap32* B = FContext.Target().Bitmap)
      FWorkingCopy->Assign(B);
  };
  D.OnApply = [this, &D](int Gauge) {
    TBitmap32* B = FContext.Target().Bitmap;
    if (B == nullptr)
      return;
    RestoreWorkingCopy();
    if (Gauge == 1) {
      BrightnessScale(*B, D.GaugeBar1->value());
      ContrastStretch(*B, D.GaugeBar2->value());
    } else {
      ContrastStretch(*B, D.GaugeBar2->value());
      BrightnessScale(*B, D.GaugeBar1->value());
    }
    FContext.Changed();
  };
  D.OnReset = [this] {
    RestoreWorkingCopy();
    FContext.Changed();
  };
  RunLive(D);
}

void TEffectCommands::N39Click() {
  TGamma& D = *FGamma;
  D.OnActivate = [this] {
    FWorkingCopy = std::make_unique<TBitmap32>();
    if (TBitmap32* B = FContext.Target().Bitmap)
      FWorkingCopy->Assign(B);
  };
  D.OnApply = [this, &D](int) {
    TBitmap32* B = FContext.Target().Bitmap;
    if (B == nullptr)
      return;
    RestoreWorkingCopy();
    const int R = D.GaugeBar1->value(), G = D.GaugeBar2->value(), Bl = D.GaugeBar3->value();
    if (D.Speed->isChecked())
      BalanceShift(*B, R, G, Bl);
    else
      BalanceScale(*B, R, G, Bl);
    FContext.Changed();
  };
  D.OnReset = [this] {
    RestoreWorkingCopy();
    FContext.Changed();
  };
  RunLive(D);
}

// ==== the catalogue ====

void TEffectCommands::N72Click() {
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
    try {
      FContext.RecordLayerStep();
      TBusyCursor Busy;
      ApplyCatalogueItem(D.SelectedIndex(), FContext.Target());
    } catch (const std::exception& E) {
      FContext.ReportError(QString::fromStdString(UserErrorText(E)));
    }
    FContext.Changed();
  };
  D.exec();
  D.OnActivate = nullptr;
  D.OnApply = nullptr;
}
