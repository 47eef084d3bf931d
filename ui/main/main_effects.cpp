// The photo effects in the main window: the context the effect commands work through, and
// their items in the menus "Изображение" and "Обработка".
#include <QMenu>

#include "card_document.h"
#include "card_runner.h"
#include "effect_commands.h"
#include "effect_menu_commands.h"
#include "main_form.h"

namespace {

// The target, the undo record, the opacity gauge and the colour choice of the main window.
class TMainEffectContext : public TEffectContext {
 public:
  explicit TMainEffectContext(TMainForm& Form) : FForm(Form) {}

  TEffectTarget Target() override { return EffectTarget(FForm.Document()); }
  // The step is named as the menu item that runs the effect ("Сепия (старое фото)").
  void RecordLayerStep() override {
    TCardRunner(FForm.Document(), &FForm.Undo()).Begin(usEffect, FForm.EffectStepName());
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
  int LayerOpacity() override { return FForm.LayerOpacity->value(); }
  // The live dialogs show the layer opaque while they are open and then put the opacity back:
  // that alone is no change of the card.
  void SetLayerOpacity(int Value) override {
    const TKeepModified Keep(FForm.Document());
    FForm.LayerOpacity->setValue(Value);
  }
  uint32_t AllColor() override { return FColour; }
  void SetAllColor(uint32_t Colour) override { FColour = Colour; }
  void ReportError(const QString& Text) override { FForm.ShowError(Text); }

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

}  // namespace

void TMainForm::BuildEffectCommands() {
  FEffectContext = std::make_unique<TMainEffectContext>(*this);
  FEffects = new TEffectCommands(*FEffectContext, this);
}

QAction* TMainForm::AddEffectItem(QMenu* Menu, const QString& Caption,
                                  const std::function<void(TEffectCommands&)>& Handler,
                                  const QString& Group) {
  QAction* A = Menu->addAction(Caption);
  // "Яркость/ контраст ..." is named without its dots; an item of "Жалюзи" or "Добавить шум"
  // with its group: "Жалюзи: широкие".
  QString Name = Caption;
  Name.remove(QStringLiteral("...")).replace(QStringLiteral("/ "), QStringLiteral("/"));
  Name = Name.trimmed();
  if (!Group.isEmpty())
    Name = Group + QStringLiteral(": ") + Name.toLower();
  connect(A, &QAction::triggered, this, [this, Handler, Name = Name.toStdString()] {
    FEffectName = Name;
    Run([&] { Handler(*FEffects); });
    FEffectName.clear();
  });
  return A;
}

void TMainForm::BuildImageEffectItems(QMenu* Menu) {
  N38 = AddEffectItem(Menu, QStringLiteral("Яркость/ контраст ..."),
                      [](TEffectCommands& C) { C.N38Click(); });
  N39 = AddEffectItem(Menu, QStringLiteral("Цветовой баланс"),
                      [](TEffectCommands& C) { C.N39Click(); });
}

void TMainForm::BuildFilterEffectItems(QMenu* Menu) {
  QMenu* Sharpness = Menu->addMenu(QStringLiteral("Настройка резкости"));
  AddEffectItem(Sharpness, QStringLiteral("Быстрая резкость"),
                [](TEffectCommands& C) { C.N74Click(); });
  AddEffectItem(Sharpness, QStringLiteral("Быстрое размытие"),
                [](TEffectCommands& C) { C.N75Click(); });
  AddEffectItem(Sharpness, QStringLiteral("Резкость"), [](TEffectCommands& C) { C.N78Click(); });
  AddEffectItem(Sharpness, QStringLiteral("Размытие"), [](TEffectCommands& C) { C.N76Click(); });
  QMenu* Effects = Menu->addMenu(QStringLiteral("Эффекты"));
  AddEffectItem(Effects, QStringLiteral("Разбрызгивание"),
                [](TEffectCommands& C) { C.N50Click(); });
  AddEffectItem(Effects, QStringLiteral("Постеризация"), [](TEffectCommands& C) { C.N51Click(); });
  AddEffectItem(Effects, QStringLiteral("Волны"), [](TEffectCommands& C) { C.N86Click(); });
  AddEffectItem(Effects, QStringLiteral("Мозаика"), [](TEffectCommands& C) { C.N85Click(); });
  AddEffectItem(Effects, QStringLiteral("Рельеф"), [](TEffectCommands& C) { C.N87Click(); });
  AddEffectItem(Effects, QStringLiteral("Капли дождя"), [](TEffectCommands& C) { C.N113Click(); });
  QMenu* Blinds = Effects->addMenu(QStringLiteral("Жалюзи"));
  AddEffectItem(
      Blinds, QStringLiteral("Широкие"), [](TEffectCommands& C) { C.N91Click(); },
      QStringLiteral("Жалюзи"));
  AddEffectItem(
      Blinds, QStringLiteral("Средние"), [](TEffectCommands& C) { C.N92Click(); },
      QStringLiteral("Жалюзи"));
  AddEffectItem(
      Blinds, QStringLiteral("Узкие"), [](TEffectCommands& C) { C.N93Click(); },
      QStringLiteral("Жалюзи"));
  QMenu* Noise = Menu->addMenu(QStringLiteral("Добавить шум"));
  AddEffectItem(
      Noise, QStringLiteral("Цветной"), [](TEffectCommands& C) { C.N81Click(); },
      QStringLiteral("Шум"));
  AddEffectItem(
      Noise, QStringLiteral("Чёрный"), [](TEffectCommands& C) { C.N82Click(); },
      QStringLiteral("Шум"));
  AddEffectItem(Menu, QStringLiteral("Сделать монохромным"),
                [](TEffectCommands& C) { C.N77Click(); });
  AddEffectItem(Menu, QStringLiteral("Инвертировать цвета (негатив)"),
                [](TEffectCommands& C) { C.N84Click(); });
  AddEffectItem(Menu, QStringLiteral("Оттенки одного цвета (колоризация)"),
                [](TEffectCommands& C) { C.N49Click(); });
  AddEffectItem(Menu, QStringLiteral("Сепия (старое фото)"),
                [](TEffectCommands& C) { C.N111Click(); });
  AddEffectItem(Menu, QStringLiteral("Каталог эффектов"), [](TEffectCommands& C) { C.N72Click(); });
}
