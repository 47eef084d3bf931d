#pragma once
// The effect commands of the menus "Изображение" and "Обработка", with the dialogs they own.
// The main window hands each command a context and wires its menu items to the methods; every
// method may raise an error, which the window's command guard reports.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "effect_shell.h"
#include "named_effects.h"

class QDialog;
class QWidget;
class TBrid;
class TBrowser;
class TDeFoc;
class TEffect;
class TEffectDialog;
class TGamma;
class TMarb;
class TPosta;
class TSprayWin;
class TWaves;
class TBitmap32;

// What the commands need of the main window.
class TEffectContext {
 public:
  virtual ~TEffectContext() = default;
  // The selected bitmap layer's bitmap, or the canvas; asked afresh at every step.
  virtual TEffectTarget Target() = 0;
  // The undo recorder "effect" (RecordLayerStep).
  virtual void RecordLayerStep() = 0;
  // The target's pixels changed: repaint; the document becomes modified.
  virtual void Changed() = 0;
  // The opacity gauge of the selected layer (LayerOpacity), 0 .. 255.
  virtual int LayerOpacity() = 0;
  virtual void SetLayerOpacity(int Value) = 0;
  // The main window's colour dialog AllColor: its current colour (red in the lowest byte),
  // setting it, and showing it (true when a colour was picked; the pick becomes current).
  virtual uint32_t AllColor() = 0;
  virtual void SetAllColor(uint32_t Colour) = 0;
  virtual bool ExecuteAllColor() = 0;
  // An error inside a dialog's event loop ("Просмотр"), shown like any command error.
  virtual void ReportError(const QString& Text) = 0;
};

class TEffectCommands : public QObject {
  Q_OBJECT
 public:
  // The dialogs are created now, parented to Parent, and live as long as this object.
  TEffectCommands(TEffectContext& Context, QWidget* Parent);
  ~TEffectCommands() override;

  void N38Click();   // "Яркость/ контраст ..."
  void N39Click();   // "Цветовой баланс"
  void N74Click();   // "Быстрая резкость"
  void N75Click();   // "Быстрое размытие"
  void N78Click();   // "Резкость"
  void N76Click();   // "Размытие"
  void N50Click();   // "Разбрызгивание"
  void N51Click();   // "Постеризация"
  void N86Click();   // "Волны"
  void N85Click();   // "Мозаика"
  void N87Click();   // "Рельеф"
  void N113Click();  // "Капли дождя"
  void N91Click();   // Жалюзи / "Широкие"
  void N92Click();   // Жалюзи / "Средние"
  void N93Click();   // Жалюзи / "Узкие"
  void N81Click();   // Добавить шум / "Цветной"
  void N82Click();   // Добавить шум / "Чёрный"
  void N77Click();   // "Сделать монохромным"
  void N84Click();   // "Инвертировать цвета (негатив)"
  void N49Click();   // "Оттенки одного цвета (колоризация)"
  void N111Click();  // "Сепия (старое фото)"
  void N72Click();   // "Каталог эффектов"

  TBrid& Brid() { return *FBrid; }
  TGamma& Gamma() { return *FGamma; }
  TEffect& Effect() { return *FEffect; }
  TDeFoc& DeFoc() { return *FDeFoc; }
  TSprayWin& SprayWin() { return *FSprayWin; }
  TPosta& Posta() { return *FPosta; }
  TWaves& Waves() { return *FWaves; }
  TMarb& Marb() { return *FMarb; }
  TBrowser& Browser() { return *FBrowser; }

  // The dialogs' values as the named effects read them.
  TEffectSettings Settings() const;

 private:
  // Protocol B: record, run the shell with fixed values, empty PreviewBackup.
  void RunQuick(const std::function<void(const TEffectTarget&)>& Shell);
  // Protocol C around a dialog with "Просмотр".
  void RunWithDialog(TEffectDialog& Dialog, const std::function<void(const TEffectTarget&)>& Shell);
  void SharpenShell(const TEffectTarget& T);
  void BlurShell(const TEffectTarget& T);
  // Brightness/contrast and colour balance: their working copy and the opacity rule.
  void RunLive(QDialog& Dialog);
  void RestoreWorkingCopy();

  TEffectContext& FContext;
  TBrid* FBrid;
  TGamma* FGamma;
  TEffect* FEffect;
  TDeFoc* FDeFoc;
  TSprayWin* FSprayWin;
  TPosta* FPosta;
  TWaves* FWaves;
  TMarb* FMarb;
  TBrowser* FBrowser;
  std::unique_ptr<TBitmap32> FWorkingCopy;
};
