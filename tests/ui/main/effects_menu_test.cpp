// The photo effects reached from the main window's menus: the items, their enabling, a command
// run on the canvas and on a layer, and its undo.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTemporaryDir>

#include "bitmap_layer.h"
#include "main_form_fixture.h"

namespace {

struct TEffectsMenuFixture : TMainFormFixture {
  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
  }
};

TEST_F(TEffectsMenuFixture, MenusHoldTheEffectCommandsInOrder) {
  QStringList Image;
  for (const QAction* A : Form->Menu(TMainAction::ImageMenu)->actions())
    if (!A->isSeparator())
      Image << A->text();
  EXPECT_EQ(Image.mid(0, 4), (QStringList{"Добавить надпись", "Яркость/ контраст ...",
                                          "Цветовой баланс", "Добавить фотографию"}));
  QStringList Filter;
  for (const QAction* A : Form->Menu(TMainAction::FilterMenu)->actions())
    if (!A->isSeparator())
      Filter << A->text();
  EXPECT_EQ(Filter.mid(0, 8),
            (QStringList{"Настройка резкости", "Эффекты", "Добавить шум", "Сделать монохромным",
                         "Инвертировать цвета (негатив)", "Оттенки одного цвета (колоризация)",
                         "Сепия (старое фото)", "Каталог эффектов"}));
  for (const char* Caption : {"Быстрая резкость", "Быстрое размытие", "Резкость", "Размытие",
                              "Разбрызгивание", "Постеризация", "Волны", "Мозаика", "Рельеф",
                              "Капли дождя", "Широкие", "Средние", "Узкие", "Цветной", "Чёрный"})
    EXPECT_NE(FindMenuItem(Form->Menu(TMainAction::FilterMenu), QString::fromUtf8(Caption)),
              nullptr)
        << Caption;
  // Nothing to work on: everything is off.
  Form->UpdateActions();
  EXPECT_FALSE(
      FindMenuItem(Form->Menu(TMainAction::FilterMenu), "Сделать монохромным")->isEnabled());
  EXPECT_FALSE(
      FindMenuItem(Form->Menu(TMainAction::ImageMenu), "Яркость/ контраст ...")->isEnabled());
}

TEST_F(TEffectsMenuFixture, NegativeOnTheCanvasAndOnALayerUndoesInOneStep) {
  Form->Run([&] { Form->Document().NewCanvas(8, 6, 0xFF102030); });
  QAction* Invert =
      FindMenuItem(Form->Menu(TMainAction::FilterMenu), "Инвертировать цвета (негатив)");
  ASSERT_NE(Invert, nullptr);
  ASSERT_TRUE(Invert->isEnabled());
  Invert->trigger();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(Form->Document().Canvas().GetPixel(3, 3), 0xFFEFDFCFu);
  EXPECT_TRUE(Form->Document().Modified);
  // The step is named as the effect's item, not "Эффект".
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Инвертировать цвета (негатив)");
  Form->Run([&] { Form->UndoClick(); });
  EXPECT_EQ(Form->Action(TMainAction::Redo)->text(), "Повторить: Инвертировать цвета (негатив)");
  EXPECT_EQ(Form->Document().Canvas().GetPixel(3, 3), 0xFF102030u);

  // On a translucent layer the negative keeps the layer's alpha.
  TBitmap32 Photo;
  Photo.SetSize(4, 4);
  Photo.Clear(0x80FF0000);
  TBitmapLayer* L = nullptr;
  Form->Run([&] { L = Form->Document().AddPictureLayer(Photo, 255); });
  ASSERT_NE(L, nullptr);
  Form->UpdateActions();
  Invert->trigger();
  EXPECT_EQ(L->Bitmap()->GetPixel(1, 1), 0x8000FFFFu);
  EXPECT_EQ(Form->Document().Canvas().GetPixel(3, 3), 0xFF102030u) << "the canvas is not touched";
}

TEST_F(TEffectsMenuFixture, EffectStepsAreNamedAsTheirItems) {
  Form->Run([&] { Form->Document().NewCanvas(8, 6, 0xFF102030); });
  const struct {
    const char* Item;
    const char* Step;
  } Cases[] = {{"Сепия (старое фото)", "Сепия (старое фото)"},
               {"Сделать монохромным", "Сделать монохромным"},
               {"Широкие", "Жалюзи: широкие"},
               {"Чёрный", "Шум: чёрный"}};
  for (const auto& C : Cases) {
    QAction* Item = FindMenuItem(Form->Menu(TMainAction::FilterMenu), QString::fromUtf8(C.Item));
    ASSERT_NE(Item, nullptr) << C.Item;
    Form->UpdateActions();
    Item->trigger();
    EXPECT_EQ(Form->Action(TMainAction::Undo)->text(),
              QStringLiteral("Отменить: ") + QString::fromUtf8(C.Step))
        << C.Item;
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

}  // namespace
