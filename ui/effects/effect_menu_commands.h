#pragma once
// The effect commands of the menus "Изображение" and "Обработка", with the dialogs they own.
// Each menu item builds the calls of the effect table that the batch tool would run and hands
// them to the effect runner. The main window hands the commands a context and wires its menu
// items to the methods; every method may raise an error, which the window's command guard
// reports.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effect_runner.h"
#include "named_effects.h"

class QDialog;
class QWidget;
class TBrid;
class TBrowser;
class TColorise;
class TDeFoc;
class TEffect;
class TEffectDialog;
class TGamma;
class TMarb;
class TPosta;
class TSprayWin;
class TWaves;
class TBitmap32;

// What the commands need of the main window besides running calls: the target, the undo
// step of an effect (RecordLayerStep, named by NameSteps), repainting and the change of the card
// come from the host.
class TEffectContext : public TCommandHost {
 public:
  // The opacity gauge of the selected layer (LayerOpacity), 0 .. 255.
  virtual int LayerOpacity() = 0;
  virtual void SetLayerOpacity(int Value) = 0;
  // The main window's colour AllColor (red in the lowest byte), and setting it. The
  // colourisation starts from the current colour and makes its choice current.
  virtual uint32_t AllColor() = 0;
  virtual void SetAllColor(uint32_t Colour) = 0;
  // An error inside a dialog's event loop ("Просмотр"), shown like any command error.
  virtual void ReportError(const QString& Text) = 0;
};

class TEffectCommands : public QObject {
  Q_OBJECT
 public:
  // The dialogs are created now, parented to Parent, and live as long as this object.
  TEffectCommands(TEffectContext& Context, QWidget* Parent);
  ~TEffectCommands() override;

  // The name of the undo steps of the commands that follow ("" for the plain "Эффект").
  void NameSteps(const std::string& Name) { FRunner.NameSteps(Name); }

  void BrightnessContrastClick();  // "Яркость/ контраст ..."
  void ColourBalanceClick();       // "Цветовой баланс"
  void QuickSharpenClick();        // "Быстрая резкость"
  void QuickBlurClick();           // "Быстрое размытие"
  void SharpenClick();             // "Резкость"
  void BlurClick();                // "Размытие"
  void SprayClick();               // "Разбрызгивание"
  void PosterizeClick();           // "Постеризация"
  void WavesClick();               // "Волны"
  void MosaicClick();              // "Мозаика"
  void EmbossClick();              // "Рельеф"
  void RaindropsClick();           // "Капли дождя"
  void BlindsWideClick();          // Жалюзи / "Широкие"
  void BlindsMediumClick();        // Жалюзи / "Средние"
  void BlindsNarrowClick();        // Жалюзи / "Узкие"
  void ColourNoiseClick();         // Добавить шум / "Цветной"
  void BlackNoiseClick();          // Добавить шум / "Чёрный"
  void MonochromeClick();          // "Сделать монохромным"
  void NegativeClick();            // "Инвертировать цвета (негатив)"
  void ColoriseClick();  // "Оттенки одного цвета (колоризация)": TColorise, shown live
  void SepiaClick();            // "Сепия (старое фото)"
  void EffectCatalogueClick();  // "Каталог эффектов"

  TBrid& Brid() { return *FBrid; }
  TGamma& Gamma() { return *FGamma; }
  TEffect& Effect() { return *FEffect; }
  TDeFoc& DeFoc() { return *FDeFoc; }
  TSprayWin& SprayWin() { return *FSprayWin; }
  TPosta& Posta() { return *FPosta; }
  TWaves& Waves() { return *FWaves; }
  TMarb& Marb() { return *FMarb; }
  TBrowser& Browser() { return *FBrowser; }
  TColorise& Colorise() { return *FColorise; }

  // The dialogs' values as the named effects read them.
  TEffectSettings Settings() const;

 private:
  using TCalls = std::vector<TCardCall>;
  // A dialog with "Просмотр": each preview runs the calls the dialog's values give on the target
  // as it was before; Cancel puts that back, OK records and runs them once.
  void RunWithDialog(TEffectDialog& Dialog, const std::function<TCalls()>& Calls);
  TCalls SharpenCalls() const;
  TCalls BlurCalls() const;
  // Brightness/contrast and colour balance: the record when they open, the opacity rule, and
  // the working copy each released gauge shows from.
  void RunLive(QDialog& Dialog);
  // The width of the target, which the mosaic's block and the blinds' step follow.
  int32_t TargetWidth();

  TEffectContext& FContext;
  TEffectRunner FRunner;
  TBrid* FBrid;
  TGamma* FGamma;
  TEffect* FEffect;
  TDeFoc* FDeFoc;
  TSprayWin* FSprayWin;
  TPosta* FPosta;
  TWaves* FWaves;
  TMarb* FMarb;
  TBrowser* FBrowser;
  TColorise* FColorise;
};
