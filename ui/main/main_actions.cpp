// The main window's actions: the table of rows, the actions made from it and placed in the menus
// and on the tool bar, and the enabling of every action by its row's rule.
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "composition_panel.h"
#include "effect_menu_commands.h"
#include "main_form.h"

namespace {

// The enabling rules.
bool OnCanvas(const TActionState& S) {
  return S.HasCanvas;
}
// Effects work on a bitmap layer or, with nothing selected, on the canvas.
bool OnBitmap(const TActionState& S) {
  return S.HasCanvas && S.OnBitmap;
}
bool OnBitmapLayer(const TActionState& S) {
  return S.BitmapLayer;
}
// A layer made as a caption; one changed since says why its text cannot be edited.
bool OnCaption(const TActionState& S) {
  return S.EditableCaption;
}
bool CanCut(const TActionState& S) {
  return S.CanCut;
}
bool CanCopy(const TActionState& S) {
  return S.CanCopy;
}
bool CanPaste(const TActionState& S) {
  return S.CanPaste;
}
bool CanPasteAsNew(const TActionState& S) {
  return S.CanPasteAsNew;
}
bool CanSelect(const TActionState& S) {
  return S.CanSelect;
}
bool CanCropCanvas(const TActionState& S) {
  return S.CanCropCanvas;
}
bool CanUndo(const TActionState& S) {
  return S.CanUndo;
}
bool CanRedo(const TActionState& S) {
  return S.CanRedo;
}
// The entries of "Выделение" and of the context menu, by their place in the menu.
template <size_t I>
bool ArrangeOn(const TActionState& S) {
  return S.Arrange[I];
}
template <size_t I>
bool PopupOn(const TActionState& S) {
  return S.Popup[I];
}

// "Яркость/ контраст ..." is named without its dots; an item of "Жалюзи" or "Добавить шум"
// with its group: "Жалюзи: широкие".
std::string StepNameOf(const TMainActionRow& Row) {
  QString Name = QString::fromUtf8(Row.Caption);
  Name.remove(QStringLiteral("...")).replace(QStringLiteral("/ "), QStringLiteral("/"));
  Name = Name.trimmed();
  if (Row.StepGroup != nullptr)
    Name = QString::fromUtf8(Row.StepGroup) + QStringLiteral(": ") + Name.toLower();
  return Name.toStdString();
}

}  // namespace

// A row: its id, the place it goes to, its caption, then what it has of the rest.
#define ROW(IdName, InName, CaptionText, ...)                              \
  TMainActionRow {                                                         \
    .Id = TMainAction::IdName, .Name = #IdName, .In = TMainAction::InName, \
    .Caption = CaptionText __VA_OPT__(, ) __VA_ARGS__                      \
  }
// A handler: the call on the window.
#define DO(Call) [](TMainForm& F) { F.Call; }

std::span<const TMainActionRow> TMainForm::ActionRows() {
  using enum TActionKind;
  static constexpr TMainActionRow Rows[] = {
      ROW(FileMenu, MenuBar, "Файл", .Kind = Menu, .Handler = DO(UpdateActions())),
      ROW(FileNew, FileMenu, "Новый", .Handler = DO(mnFileNewClick()), .Key = Qt::CTRL | Qt::Key_N),
      ROW(FileOpen, FileMenu, "Открыть", .Handler = DO(mnFileOpenClick()),
          .Key = Qt::CTRL | Qt::Key_O),
      ROW(Save, FileMenu, "Сохранить", .Handler = DO(SaveClick()), .Enabled = OnCanvas,
          .Key = Qt::CTRL | Qt::Key_S),
      ROW(SaveAs, FileMenu, "Сохранить как...", .Handler = DO(SaveAsClick()), .Enabled = OnCanvas),
      // Made again each time it opens.
      ROW(RecentMenu, FileMenu, "Недавние открытки", .Kind = Menu, .Handler = DO(FillRecentMenu())),
      ROW(ExportMenu, FileMenu, "Экспорт открытки", .Kind = Menu, .Enabled = OnCanvas),
      ROW(ExportBmp, ExportMenu, "В формат BMP", .Handler = DO(ExportCard(TSaveFormat::Bmp)),
          .Enabled = OnCanvas),
      ROW(ExportJpeg, ExportMenu, "В формат JPEG", .Handler = DO(ExportCard(TSaveFormat::Jpeg)),
          .Enabled = OnCanvas),
      ROW(ExportGif, ExportMenu, "В формат GIF", .Handler = DO(ExportCard(TSaveFormat::Gif)),
          .Enabled = OnCanvas),
      ROW(ExportPng, ExportMenu, "В формат PNG", .Handler = DO(ExportCard(TSaveFormat::Png)),
          .Enabled = OnCanvas),
      ROW(ExportTiff, ExportMenu, "В формат TIFF", .Handler = DO(ExportCard(TSaveFormat::Tiff)),
          .Enabled = OnCanvas),
      ROW(PrintSetup, FileMenu, "Параметры печати", .Handler = DO(PrintSetupClick())),
      ROW(Print, FileMenu, "Печать", .Handler = DO(PrintClick()), .Enabled = OnCanvas,
          .Key = Qt::CTRL | Qt::Key_P),
      ROW(Exit, FileMenu, "Выход", .Handler = DO(ExitClick()), .Key = Qt::Key_F10,
          .SeparatorBefore = true),

      // "Отменить: Маска", "Повторить: Перемещение слоя": UpdateActions names the step.
      ROW(EditMenu, MenuBar, "Правка", .Kind = Menu, .Handler = DO(UpdateActions())),
      ROW(Undo, EditMenu, "Отменить", .Handler = DO(UndoClick()), .Enabled = CanUndo,
          .Key = Qt::CTRL | Qt::Key_Z),
      ROW(Redo, EditMenu, "Повторить", .Handler = DO(RedoClick()), .Enabled = CanRedo,
          .Key = Qt::CTRL | Qt::Key_Y, .Key2 = Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
      ROW(Cut, EditMenu, "Вырезать", .Handler = DO(CutClick()), .Enabled = CanCut,
          .Key = Qt::CTRL | Qt::Key_X, .SeparatorBefore = true),
      ROW(Copy, EditMenu, "Копировать", .Handler = DO(CopyClick()), .Enabled = CanCopy,
          .Key = Qt::CTRL | Qt::Key_C),
      ROW(Paste, EditMenu, "Вставить", .Handler = DO(PasteClick()), .Enabled = CanPaste,
          .Key = Qt::CTRL | Qt::Key_V),
      ROW(Select, EditMenu, "Выделить", .Handler = DO(SelectClick()), .Enabled = CanSelect),
      ROW(SelectAll, EditMenu, "Выделить всё", .Handler = DO(SelectAllClick()),
          .Enabled = CanSelect),
      ROW(PasteAsNew, EditMenu, "Вставить как новый", .Handler = DO(PasteAsNewClick()),
          .Enabled = CanPasteAsNew),

      ROW(ImageMenu, MenuBar, "Изображение", .Kind = Menu, .Handler = DO(UpdateActions())),
      ROW(AddCaption, ImageMenu, "Добавить надпись", .Handler = DO(AddCaptionClick()),
          .Enabled = OnCanvas),
      ROW(Brightness, ImageMenu, "Яркость/ контраст ...", .Kind = Effect,
          .Handler = DO(FEffects->BrightnessContrastClick()), .Enabled = OnBitmap),
      ROW(ColourBalance, ImageMenu, "Цветовой баланс", .Kind = Effect,
          .Handler = DO(FEffects->ColourBalanceClick()), .Enabled = OnBitmap),
      ROW(AddPhoto, ImageMenu, "Добавить фотографию", .Handler = DO(mnNewBitmapLayerClick()),
          .Enabled = OnCanvas),
      ROW(ImageSize, ImageMenu, "Размер изображения", .Handler = DO(ImageSizeClick()),
          .Enabled = OnCanvas),
      // Only while no crop is going on.
      ROW(CropCanvas, ImageMenu, "Обрезать холст", .Handler = DO(CropCanvasClick()),
          .Enabled = CanCropCanvas),
      ROW(AddFrame, ImageMenu, "Добавить рамку", .Handler = DO(AddFrameClick()),
          .Enabled = OnCanvas),
      // Borders and the button effect work on a bitmap layer or the canvas, not on an area.
      ROW(ButtonEffect, ImageMenu, "Эффект кнопки", .Handler = DO(ButtonEffectClick()),
          .Enabled = OnBitmap),
      ROW(Borders, ImageMenu, "Границы", .Handler = DO(BordersClick()), .Enabled = OnBitmap),

      // The submenus are enabled as a whole; their items stay on.
      ROW(FilterMenu, MenuBar, "Обработка", .Kind = Menu, .Handler = DO(UpdateActions())),
      ROW(SharpnessMenu, FilterMenu, "Настройка резкости", .Kind = Menu, .Enabled = OnBitmap),
      ROW(QuickSharpen, SharpnessMenu, "Быстрая резкость", .Kind = Effect,
          .Handler = DO(FEffects->QuickSharpenClick())),
      ROW(QuickBlur, SharpnessMenu, "Быстрое размытие", .Kind = Effect,
          .Handler = DO(FEffects->QuickBlurClick())),
      ROW(Sharpen, SharpnessMenu, "Резкость", .Kind = Effect,
          .Handler = DO(FEffects->SharpenClick())),
      ROW(Blur, SharpnessMenu, "Размытие", .Kind = Effect, .Handler = DO(FEffects->BlurClick())),
      ROW(EffectsMenu, FilterMenu, "Эффекты", .Kind = Menu, .Enabled = OnBitmap),
      ROW(Spray, EffectsMenu, "Разбрызгивание", .Kind = Effect,
          .Handler = DO(FEffects->SprayClick())),
      ROW(Posterize, EffectsMenu, "Постеризация", .Kind = Effect,
          .Handler = DO(FEffects->PosterizeClick())),
      ROW(Waves, EffectsMenu, "Волны", .Kind = Effect, .Handler = DO(FEffects->WavesClick())),
      ROW(Mosaic, EffectsMenu, "Мозаика", .Kind = Effect, .Handler = DO(FEffects->MosaicClick())),
      ROW(Emboss, EffectsMenu, "Рельеф", .Kind = Effect, .Handler = DO(FEffects->EmbossClick())),
      ROW(Raindrops, EffectsMenu, "Капли дождя", .Kind = Effect,
          .Handler = DO(FEffects->RaindropsClick())),
      ROW(BlindsMenu, EffectsMenu, "Жалюзи", .Kind = Menu),
      ROW(BlindsWide, BlindsMenu, "Широкие", .Kind = Effect,
          .Handler = DO(FEffects->BlindsWideClick()), .StepGroup = "Жалюзи"),
      ROW(BlindsMedium, BlindsMenu, "Средние", .Kind = Effect,
          .Handler = DO(FEffects->BlindsMediumClick()), .StepGroup = "Жалюзи"),
      ROW(BlindsNarrow, BlindsMenu, "Узкие", .Kind = Effect,
          .Handler = DO(FEffects->BlindsNarrowClick()), .StepGroup = "Жалюзи"),
      ROW(NoiseMenu, FilterMenu, "Добавить шум", .Kind = Menu, .Enabled = OnBitmap),
      ROW(ColourNoise, NoiseMenu, "Цветной", .Kind = Effect,
          .Handler = DO(FEffects->ColourNoiseClick()), .StepGroup = "Шум"),
      ROW(BlackNoise, NoiseMenu, "Чёрный", .Kind = Effect,
          .Handler = DO(FEffects->BlackNoiseClick()), .StepGroup = "Шум"),
      ROW(Monochrome, FilterMenu, "Сделать монохромным", .Kind = Effect,
          .Handler = DO(FEffects->MonochromeClick()), .Enabled = OnBitmap),
      ROW(Negative, FilterMenu, "Инвертировать цвета (негатив)", .Kind = Effect,
          .Handler = DO(FEffects->NegativeClick()), .Enabled = OnBitmap),
      ROW(Colorise, FilterMenu, "Оттенки одного цвета (колоризация)", .Kind = Effect,
          .Handler = DO(FEffects->ColoriseClick()), .Enabled = OnBitmap),
      ROW(Sepia, FilterMenu, "Сепия (старое фото)", .Kind = Effect,
          .Handler = DO(FEffects->SepiaClick()), .Enabled = OnBitmap),
      ROW(EffectCatalogue, FilterMenu, "Каталог эффектов", .Kind = Effect,
          .Handler = DO(FEffects->EffectCatalogueClick()), .Enabled = OnBitmap),
      ROW(Flatten, FilterMenu, "Склеить все слои", .Handler = DO(mnFlattenClick()),
          .Enabled = OnBitmap),
      ROW(Geometry, FilterMenu, "Геометрия", .Handler = DO(mnGeometryClick()), .Enabled = OnBitmap),

      // The sixteen places of TLayerMenuEnabling, separators (2, 5, 11) included.
      ROW(ArrangeMenu, MenuBar, "Выделение", .Kind = Menu, .Handler = DO(UpdateActions())),
      ROW(ArrangeForward, ArrangeMenu, "Поместить вперёд", .Handler = DO(ReorderClick(1)),
          .Enabled = ArrangeOn<0>),
      ROW(ArrangeBackward, ArrangeMenu, "Поместить назад", .Handler = DO(ReorderClick(2)),
          .Enabled = ArrangeOn<1>),
      ROW(ArrangeUp, ArrangeMenu, "Вверх на один уровень", .Handler = DO(ReorderClick(3)),
          .Enabled = ArrangeOn<3>, .SeparatorBefore = true),
      ROW(ArrangeDown, ArrangeMenu, "Вниз на один уровень", .Handler = DO(ReorderClick(4)),
          .Enabled = ArrangeOn<4>),
      ROW(ArrangeTurnMenu, ArrangeMenu, "Повернуть", .Kind = Menu, .Enabled = ArrangeOn<6>,
          .SeparatorBefore = true),
      ROW(ArrangeTurnRight, ArrangeTurnMenu, "На 90° вправо", .Handler = DO(RotateRightClick())),
      ROW(ArrangeTurnLeft, ArrangeTurnMenu, "На 90° влево", .Handler = DO(RotateLeftClick())),
      // Turns a bitmap layer.
      ROW(ArrangeFreeRotation, ArrangeTurnMenu, "Произвольный угол",
          .Handler = DO(FreeRotationClick()), .Enabled = OnBitmapLayer),
      ROW(ArrangeFlipMenu, ArrangeMenu, "Отразить", .Kind = Menu, .Enabled = ArrangeOn<7>),
      ROW(ArrangeFlipTopToBottom, ArrangeFlipMenu, "По вертикали",
          .Handler = DO(FlipTopToBottomClick())),
      ROW(ArrangeFlipLeftToRight, ArrangeFlipMenu, "По горизонтали (зеркальное)",
          .Handler = DO(FlipLeftToRightClick())),
      ROW(ArrangeOutlineMenu, ArrangeMenu, "Границы и контур", .Kind = Menu,
          .Enabled = ArrangeOn<8>),
      ROW(ArrangeAddBorders, ArrangeOutlineMenu, "Добавить границы",
          .Handler = DO(AddBordersClick())),
      ROW(ArrangeRelief, ArrangeOutlineMenu, "Рельефный контур", .Handler = DO(ReliefClick())),
      ROW(ArrangeTransparentColour, ArrangeMenu, "Прозрачный цвет",
          .Handler = DO(TransparentColourClick()), .Enabled = ArrangeOn<9>),
      ROW(ArrangeLayerMask, ArrangeMenu, "Маска слоя", .Handler = DO(LayerMaskClick()),
          .Enabled = ArrangeOn<10>),
      ROW(ArrangeCropLayer, ArrangeMenu, "Обрезать слой", .Handler = DO(mnCropLayerClick()),
          .Enabled = ArrangeOn<12>, .SeparatorBefore = true),
      ROW(ArrangeRemoveMask, ArrangeMenu, "Снять маску", .Handler = DO(RemoveMaskClick()),
          .Enabled = ArrangeOn<13>),
      ROW(ArrangeClone, ArrangeMenu, "Клонировать", .Handler = DO(CloneClick()),
          .Enabled = ArrangeOn<14>, .Key = Qt::CTRL | Qt::Key_D),
      ROW(ArrangeDelete, ArrangeMenu, "Удалить", .Handler = DO(mnDeleteClick()),
          .Enabled = ArrangeOn<15>, .Key = Qt::Key_Delete),

      // The same entries over a layer (the flips named the other way round), without shortcuts.
      ROW(LayerPopup, Nowhere, "", .Kind = Menu),
      ROW(PopupEditCaption, LayerPopup, "Изменить надпись", .Handler = DO(EditCaptionClick()),
          .Enabled = OnCaption),
      ROW(PopupForward, LayerPopup, "Поместить вперёд", .Handler = DO(ReorderClick(1)),
          .Enabled = PopupOn<0>, .SeparatorBefore = true),
      ROW(PopupBackward, LayerPopup, "Поместить назад", .Handler = DO(ReorderClick(2)),
          .Enabled = PopupOn<1>),
      ROW(PopupUp, LayerPopup, "Вверх на один уровень", .Handler = DO(ReorderClick(3)),
          .Enabled = PopupOn<3>, .SeparatorBefore = true),
      ROW(PopupDown, LayerPopup, "Вниз на один уровень", .Handler = DO(ReorderClick(4)),
          .Enabled = PopupOn<4>),
      ROW(PopupTurnMenu, LayerPopup, "Повернуть", .Kind = Menu, .Enabled = PopupOn<6>,
          .SeparatorBefore = true),
      ROW(PopupTurnRight, PopupTurnMenu, "На 90° вправо", .Handler = DO(RotateRightClick())),
      ROW(PopupTurnLeft, PopupTurnMenu, "На 90° влево", .Handler = DO(RotateLeftClick())),
      ROW(PopupFreeRotation, PopupTurnMenu, "Произвольный угол", .Handler = DO(FreeRotationClick()),
          .Enabled = OnBitmapLayer),
      ROW(PopupFlipMenu, LayerPopup, "Отразить", .Kind = Menu, .Enabled = PopupOn<7>),
      ROW(PopupFlipTopToBottom, PopupFlipMenu, "По горизонтали",
          .Handler = DO(FlipTopToBottomClick())),
      ROW(PopupFlipLeftToRight, PopupFlipMenu, "По вертикали (зеркальное)",
          .Handler = DO(FlipLeftToRightClick())),
      ROW(PopupOutlineMenu, LayerPopup, "Границы и контур", .Kind = Menu, .Enabled = PopupOn<8>),
      ROW(PopupAddBorders, PopupOutlineMenu, "Добавить границы", .Handler = DO(AddBordersClick())),
      ROW(PopupRelief, PopupOutlineMenu, "Рельефный контур", .Handler = DO(ReliefClick())),
      ROW(PopupTransparentColour, LayerPopup, "Прозрачный цвет",
          .Handler = DO(TransparentColourClick()), .Enabled = PopupOn<9>),
      ROW(PopupLayerMask, LayerPopup, "Маска слоя", .Handler = DO(LayerMaskClick()),
          .Enabled = PopupOn<10>),
      ROW(PopupCropLayer, LayerPopup, "Обрезать слой", .Handler = DO(mnCropLayerClick()),
          .Enabled = PopupOn<12>, .SeparatorBefore = true),
      ROW(PopupRemoveMask, LayerPopup, "Снять маску", .Handler = DO(RemoveMaskClick()),
          .Enabled = PopupOn<13>),
      ROW(PopupClone, LayerPopup, "Клонировать", .Handler = DO(CloneClick()),
          .Enabled = PopupOn<14>),
      ROW(PopupDelete, LayerPopup, "Удалить", .Handler = DO(mnDeleteClick()),
          .Enabled = PopupOn<15>),

      // Ctrl+0 as in other editors; Ctrl+A as well until "Выделение" can select every layer.
      ROW(ViewMenu, MenuBar, "Вид", .Kind = Menu),
      ROW(ActualSize, ViewMenu, "Масштаб 100%", .Handler = DO(ActualSizeClick()),
          .Key = Qt::CTRL | Qt::Key_A, .Key2 = Qt::CTRL | Qt::Key_0),
      ROW(FitInWindow, ViewMenu, "Уместить в окне", .Handler = DO(FitInWindowClick()),
          .Key = Qt::CTRL | Qt::Key_F),
      ROW(FullPreview, ViewMenu, "Полноэкранный просмотр", .Handler = DO(FullPreviewClick()),
          .Enabled = OnCanvas),
      ROW(BackgroundMenu, ViewMenu, "Фон редактора", .Kind = Menu),
      ROW(BackgroundColour, BackgroundMenu, "Выбрать цвет", .Handler = DO(BackgroundColourClick())),
      ROW(Checkerboard, BackgroundMenu, "Шашкой", .Handler = DO(CheckerboardClick()),
          .Checkable = true),

      // The link items are hidden without their address (ShowLinkItems).
      ROW(HelpMenu, MenuBar, "Справка", .Kind = Menu),
      ROW(Help, HelpMenu, "Справка", .Handler = DO(HelpClick()), .Key = Qt::Key_F1),
      ROW(Site, HelpMenu, "Сайт программы", .Handler = DO(SiteClick())),
      ROW(Examples, HelpMenu, "Примеры открыток", .Handler = DO(ExamplesClick())),
      ROW(Support, HelpMenu, "Техническая поддержка", .Handler = DO(SupportClick())),
      ROW(About, HelpMenu, "О программе Pelmora", .Handler = DO(AboutClick())),

      ROW(ToolNew, ToolBar, "Новый", .Handler = DO(mnFileNewClick()), .Icon = TToolIcon::New),
      ROW(ToolOpen, ToolBar, "Открыть", .Handler = DO(mnFileOpenClick()), .Icon = TToolIcon::Open),
      ROW(ToolSave, ToolBar, "  Сохранить  ", .Handler = DO(SaveClick()), .Enabled = OnCanvas,
          .Icon = TToolIcon::Save),
      ROW(ToolPrint, ToolBar, "Печать", .Handler = DO(PrintClick()), .Enabled = OnCanvas,
          .Icon = TToolIcon::Print),
      ROW(ToolCopy, ToolBar, "Копировать", .Handler = DO(CopyClick()), .Enabled = CanCopy,
          .Icon = TToolIcon::Copy),
      ROW(ToolPaste, ToolBar, "Вставить", .Handler = DO(PasteClick()), .Enabled = CanPaste,
          .Icon = TToolIcon::Paste),
      ROW(ToolPreview, ToolBar, "  Просмотр  ", .Handler = DO(FullPreviewClick()),
          .Enabled = OnCanvas, .Icon = TToolIcon::Preview),
      // The button opens the site; its arrow, the menu of the three links.
      ROW(ToolSite, ToolBar, "Сайт", .Handler = DO(SiteClick()), .Icon = TToolIcon::Site),
      ROW(SiteSupport, ToolSite, "Техническая поддержка", .Handler = DO(SupportClick())),
      ROW(SiteExamples, ToolSite, "Примеры открыток", .Handler = DO(ExamplesClick())),
      ROW(SiteSite, ToolSite, "Сайт программы", .Handler = DO(SiteClick())),
      ROW(ToolHelp, ToolBar, "Справка", .Handler = DO(HelpClick()), .Icon = TToolIcon::Help),
  };
  static_assert(std::size(Rows) == static_cast<size_t>(TMainAction::Count));
  return Rows;
}

#undef DO
#undef ROW

QMenu* TMainForm::Menu(TMainAction Id) const {
  return Action(Id)->menu();
}

void TMainForm::BuildActions() {
  FToolBar = addToolBar(QStringLiteral("Панель инструментов"));
  FToolBar->setObjectName(QStringLiteral("ToolBar1"));
  FToolBar->setMovable(false);
  FToolBar->setIconSize(QSize(48, 48));
  FToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  for (const TMainActionRow& Row : ActionRows()) {
    const QString Caption = QString::fromUtf8(Row.Caption);
    QAction* A = nullptr;
    if (Row.Kind == TActionKind::Menu) {
      auto* M = new QMenu(Caption, this);
      A = M->menuAction();
      if (Row.Handler != nullptr)
        connect(M, &QMenu::aboutToShow, this,
                [this, &Row] { Run([this, &Row] { Row.Handler(*this); }); });
    } else {
      A = new QAction(Caption, this);
      if (Row.Icon)
        A->setIcon(MakeToolIcon(*Row.Icon));
      QList<QKeySequence> Keys;
      for (const QKeyCombination K : {Row.Key, Row.Key2})
        if (K.key() != Qt::Key_unknown)
          Keys << QKeySequence(K);
      if (!Keys.isEmpty())
        A->setShortcuts(Keys);
      A->setCheckable(Row.Checkable);
      connect(A, &QAction::triggered, this, [this, &Row] { RunAction(Row); });
    }
    A->setObjectName(QString::fromUtf8(Row.Name));
    FActions[static_cast<size_t>(Row.Id)] = A;
    switch (Row.In) {
      case TMainAction::MenuBar:
        menuBar()->addMenu(A->menu());
        break;
      case TMainAction::ToolBar:
        FToolBar->addAction(A);
        break;
      case TMainAction::Nowhere:
        break;
      default: {
        // A tool button gets the menu of its arrow with its first item.
        QAction* Owner = Action(Row.In);
        QMenu* Into = Owner->menu();
        if (Into == nullptr) {
          Into = new QMenu(this);
          Owner->setMenu(Into);
        }
        if (Row.SeparatorBefore)
          Into->addSeparator();
        Into->addAction(A);
      }
    }
  }
  for (QAction* A : FToolBar->actions())
    if (A->menu() != nullptr)
      if (auto* B = qobject_cast<QToolButton*>(FToolBar->widgetForAction(A)))
        B->setPopupMode(QToolButton::MenuButtonPopup);
}

void TMainForm::RunAction(const TMainActionRow& Row) {
  if (Row.Kind != TActionKind::Effect) {
    Run([&] { Row.Handler(*this); });
    return;
  }
  FEffects->NameSteps(StepNameOf(Row));
  Run([&] { Row.Handler(*this); });
  FEffects->NameSteps({});
}

void TMainForm::ShowLinkItems() {
  const bool HasSite = !FLinks.Site.isEmpty();
  const bool HasMail = !FLinks.SupportMail.isEmpty();
  using enum TMainAction;
  Action(ToolSite)->setVisible(HasSite || HasMail);
  for (const TMainAction Id : {Site, Examples, SiteSite, SiteExamples})
    Action(Id)->setVisible(HasSite);
  for (const TMainAction Id : {Support, SiteSupport}) Action(Id)->setVisible(HasMail);
}

void TMainForm::UpdateActions() {
  // A card that is saved (or was never changed) needs no recovery copy.
  if (!FDoc->Modified)
    FAutosave->Discard();
  TActionState S;
  S.HasCanvas = !FDoc->IsEmpty();
  const TBitmapLayer* Layer = FDoc->SelectedBitmapLayer();
  S.OnBitmap = FDoc->Selected() == nullptr || Layer != nullptr;
  S.BitmapLayer = Layer != nullptr;
  S.EditableCaption = Layer != nullptr && FDoc->Captions.WasCaption(*Layer);
  S.CanCut = FClipCommands->CanCut();
  S.CanCopy = FClipCommands->CanCopy();
  S.CanPaste = FClipCommands->CanPaste();
  S.CanPasteAsNew = FClipCommands->CanPasteAsNew();
  S.CanSelect = FClipCommands->CanSelect();
  S.CanCropCanvas = S.HasCanvas && !IsCropArea(FDoc->Selected());
  S.CanUndo = FUndo->CanUndo();
  S.CanRedo = FUndo->CanRedo();
  S.Arrange = FCommands->ArrangeMenuEnabled();
  S.Popup = FCommands->LayerPopupEnabled();
  for (const TMainActionRow& Row : ActionRows())
    if (Row.Enabled != nullptr)
      Action(Row.Id)->setEnabled(Row.Enabled(S));
  const auto Named = [](const char* Item, const std::string& Step) {
    return Step.empty()
               ? QString::fromUtf8(Item)
               : QString::fromUtf8(Item) + QStringLiteral(": ") + QString::fromStdString(Step);
  };
  Action(TMainAction::Undo)->setText(Named("Отменить", FUndo->UndoName()));
  Action(TMainAction::Redo)->setText(Named("Повторить", FUndo->RedoName()));
  // The composition panel: the controls of the checked background and underlay modes.
  FCompositionPanel->UpdateControls();

  // "открытка.kvt* — Pelmora"; the bare product name while there is no card.
  QString Title = QStringLiteral("Pelmora");
  if (S.HasCanvas) {
    const std::string& Name = CurrentFileName();
    const QString Shown = Name.empty() ? QStringLiteral("Без имени")
                                       : QFileInfo(QString::fromStdString(Name)).fileName();
    Title =
        Shown + (FDoc->Modified ? QStringLiteral("*") : QString()) + QStringLiteral(" — Pelmora");
  }
  if (windowTitle() != Title)
    setWindowTitle(Title);
}
