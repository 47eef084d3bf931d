#pragma once
// The main window's actions: every menu, menu item and tool button has an id and one row of
// TMainForm::ActionRows() with its caption, shortcuts, icon, handler, the rule that enables it
// and the menu (or the tool bar) it is placed in. The window makes each action once from its
// row; the action's objectName is the id's name ("Undo", "ArrangeClone").
#include <QKeyCombination>
#include <cstdint>
#include <optional>

#include "layer_commands.h"
#include "toolbar_icons.h"

class TMainForm;

enum class TMainAction : uint8_t {
  // "Файл"
  FileMenu,
  FileNew,
  FileOpen,
  Save,
  SaveAs,
  RecentMenu,
  ExportMenu,
  ExportBmp,
  ExportJpeg,
  ExportGif,
  ExportPng,
  ExportTiff,
  PrintSetup,
  Print,
  Exit,
  // "Правка"
  EditMenu,
  Undo,
  Redo,
  Cut,
  Copy,
  Paste,
  Select,
  SelectAll,
  PasteAsNew,
  // "Изображение"
  ImageMenu,
  AddCaption,
  Brightness,
  ColourBalance,
  AddPhoto,
  ImageSize,
  CropCanvas,
  AddFrame,
  ButtonEffect,
  Borders,
  // "Обработка"
  FilterMenu,
  SharpnessMenu,
  QuickSharpen,
  QuickBlur,
  Sharpen,
  Blur,
  EffectsMenu,
  Spray,
  Posterize,
  Waves,
  Mosaic,
  Emboss,
  Raindrops,
  BlindsMenu,
  BlindsWide,
  BlindsMedium,
  BlindsNarrow,
  NoiseMenu,
  ColourNoise,
  BlackNoise,
  Monochrome,
  Negative,
  Colorise,
  Sepia,
  EffectCatalogue,
  Flatten,
  Geometry,
  // "Выделение"
  ArrangeMenu,
  ArrangeForward,
  ArrangeBackward,
  ArrangeUp,
  ArrangeDown,
  ArrangeTurnMenu,
  ArrangeTurnRight,
  ArrangeTurnLeft,
  ArrangeFreeRotation,
  ArrangeFlipMenu,
  ArrangeFlipTopToBottom,
  ArrangeFlipLeftToRight,
  ArrangeOutlineMenu,
  ArrangeAddBorders,
  ArrangeRelief,
  ArrangeTransparentColour,
  ArrangeLayerMask,
  ArrangeCropLayer,
  ArrangeRemoveMask,
  ArrangeClone,
  ArrangeDelete,
  // The context menu of the view, over a layer.
  LayerPopup,
  PopupEditCaption,
  PopupForward,
  PopupBackward,
  PopupUp,
  PopupDown,
  PopupTurnMenu,
  PopupTurnRight,
  PopupTurnLeft,
  PopupFreeRotation,
  PopupFlipMenu,
  PopupFlipTopToBottom,
  PopupFlipLeftToRight,
  PopupOutlineMenu,
  PopupAddBorders,
  PopupRelief,
  PopupTransparentColour,
  PopupLayerMask,
  PopupCropLayer,
  PopupRemoveMask,
  PopupClone,
  PopupDelete,
  // "Вид"
  ViewMenu,
  ActualSize,
  FitInWindow,
  FullPreview,
  BackgroundMenu,
  BackgroundColour,
  Checkerboard,
  // "Справка"
  HelpMenu,
  Help,
  Site,
  Examples,
  Support,
  About,
  // The tool bar, and the menu of its button "Сайт".
  ToolNew,
  ToolOpen,
  ToolSave,
  ToolPrint,
  ToolCopy,
  ToolPaste,
  ToolPreview,
  ToolSite,
  SiteSupport,
  SiteExamples,
  SiteSite,
  ToolHelp,
  Count,
  // Places that are no action: the menu bar, the tool bar, and none (the context menu).
  MenuBar = Count,
  ToolBar,
  Nowhere
};

// What the enabling rules look at, gathered once by UpdateActions.
struct TActionState {
  bool HasCanvas = false;
  // A bitmap layer or nothing is selected: the effects have a bitmap to work on.
  bool OnBitmap = false;
  bool BitmapLayer = false;  // a bitmap layer is selected
  bool EditableCaption = false;
  bool CanCut = false, CanCopy = false, CanPaste = false, CanPasteAsNew = false;
  bool CanSelect = false, CanCropCanvas = false, CanUndo = false, CanRedo = false;
  TLayerMenuEnabling Arrange{}, Popup{};
};

enum class TActionKind : uint8_t {
  Command,
  // An effect: runs with the undo step named after the item ("Жалюзи: широкие").
  Effect,
  // A menu or submenu; its handler, when there is one, runs as it opens.
  Menu,
};

struct TMainActionRow {
  TMainAction Id;
  const char* Name;     // the id's name, the action's objectName
  TMainAction In;       // a menu's id (its row comes first), MenuBar, ToolBar or Nowhere
  const char* Caption;  // UTF-8, exactly as shown
  TActionKind Kind = TActionKind::Command;
  void (*Handler)(TMainForm&) = nullptr;
  // nullptr: always enabled; otherwise UpdateActions enables the action by it.
  bool (*Enabled)(const TActionState&) = nullptr;
  QKeyCombination Key = {}, Key2 = {};  // Qt::Key_unknown: none
  std::optional<TToolIcon> Icon = std::nullopt;
  const char* StepGroup = nullptr;  // an effect's group in its step name ("Жалюзи")
  bool SeparatorBefore = false;
  bool Checkable = false;
};
