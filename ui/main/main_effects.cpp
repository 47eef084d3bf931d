// The photo effects in the main window: the context the effect commands work through. Their
// items in "Изображение" and "Обработка" are rows of the action table (main_actions.cpp).
#include <QSlider>

#include "card_document.h"
#include "card_runner.h"
#include "effect_commands.h"
#include "effect_menu_commands.h"
#include "main_form.h"

// The target, the undo record, the opacity gauge and the colour choice of the main window.
class TMainEffectContext : public TEffectContext {
 public:
  explicit TMainEffectContext(TMainForm& Form) : FForm(Form) {}

  TEffectTarget Target() override { return EffectTarget(FForm.Document()); }
  // The step is named as the menu item that runs the effect ("Сепия (старое фото)").
  void RecordLayerStep(const std::string& Name) override {
    TCardRunner(FForm.Document(), &FForm.Undo()).Begin(usEffect, Name);
  }
  void DropUnchangedStep() override { FForm.Undo().DropIfUnchanged(); }
  // The view reports every bitmap change as a change of the card: work that is only shown
  // keeps the mark as it was.
  void ShowOnly(const std::function<void()>& Work) override {
    const TKeepModified Keep(FForm.Document());
    try {
      Work();
    } catch (...) {
      Repaint();
      throw;
    }
    Repaint();
  }
  void Changed() override {
    Repaint();
    FForm.Document().Modified = true;
  }
  int LayerOpacity() override { return FForm.FLayerOpacity->value(); }
  // The live dialogs show the layer opaque while they are open and then put the opacity back:
  // that alone is no change of the card.
  void SetLayerOpacity(int Value) override {
    const TKeepModified Keep(FForm.Document());
    FForm.FLayerOpacity->setValue(Value);
  }
  uint32_t AllColor() override { return FColour; }
  void SetAllColor(uint32_t Colour) override { FColour = Colour; }
  void ReportError(const QString& Text) override { FForm.Dialogs.ShowError(Text); }

 private:
  void Repaint() {
    const TEffectTarget T = Target();
    if (T.Bitmap != nullptr)
      T.Bitmap->Changed();
    FForm.ImgView()->View().Invalidate();
  }

  TMainForm& FForm;
  uint32_t FColour = 0x0000FF;  // red
};

void TMainForm::BuildEffectCommands() {
  FEffectContext = std::make_unique<TMainEffectContext>(*this);
  FEffects = new TEffectCommands(*FEffectContext, this);
}
