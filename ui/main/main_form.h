#pragma once
// The main window: menus, tool bar, the editing view, the side panel and the status bar. The
// card itself is a TCardDocument; the handlers here collect input and call into it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "autosave_controller.h"
#include "card_document.h"
#include "clipboard_commands.h"
#include "img_view_widget.h"
#include "layer_commands.h"
#include "program_paths.h"
#include "recent_files.h"
#include "save_flat_image.h"
#include "settings_files.h"
#include "side_panel.h"
#include "undo.h"

class TAboutKVT;
class TComposition;
class TCompositionPanel;
class TCompress;
class TFull;
class TGifType;
class TAlbum;
class TTemplates;
class TTexter;
class TKVTPrint;
class TPrintSettings;
class QPrinter;
class TCropLa;
class TProGeomo;
class TEffectCommands;
class TEffectContext;
class TRasm;
class TPovor;
class TFrama;
class TMaski;
class TQtPictureClipboard;
class TSbor;
class TRaiser;
class TEButos;
class TSTC;
class TOutlineSession;

// Addresses opened by the help menu and the tool button "Сайт", set when the program is built
// (PELMORA_SITE_URL, PELMORA_SUPPORT_MAIL); the items of an address that is not set are hidden.
struct TProductLinks {
  QString Site;
  QString Examples;
  QString SupportMail;
};
class THelpWindow;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // ProgramDir holds the settings files, the recent list and the data folders.
  explicit TMainForm(const QString& ProgramDir, QWidget* Parent = nullptr);
  ~TMainForm() override;

  TCardDocument& Document() { return *FDoc; }
  ImgViewWidget* ImgView() const { return FImgView; }
  // A file of the data folder (the help page, the data folders).
  QString ProgramFile(const QString& Name) const;
  // A settings file ("View.kvp", "CForm.kvp"): beside the program, or in the user's
  // configuration folder when the program's folder cannot be written.
  QString SettingsFile(const QString& Name) const;
  const TProgramPaths& Paths() const { return FPaths; }
  TAutosaveController& Autosave() { return *FAutosave; }

  // At start: when an editor that did not end cleanly left a recovery file, asks whether to
  // restore it (AskRestore) and does so, or removes it. True when a card was restored.
  bool OfferRecovery();
  // Files dropped on the window: pictures become photo layers around the drop point (ViewPos,
  // in the view's pixels; outside the view, its centre); a project opens (after asking to save).
  void DropFiles(const QStringList& Files, QPoint ViewPos);

  // Runs a command; an error it does not handle is shown in a message box titled "Pelmora"
  // and the program goes on. Then the actions and the title follow what the command changed.
  void Run(const std::function<void()>& Command);
  // Enables every menu item and tool button by the state of the card, the selection and the
  // undo records, and shows the file name and the modified mark in the title.
  void UpdateActions();
  // The message box of the general error report (replaceable in tests).
  std::function<void(const QString& Text)> ShowError;
  // Opens a file or link with the desktop's handler (replaceable in tests).
  std::function<void(const QUrl& Url)> OpenUrl;
  // The page set-up dialog of "Параметры печати" on the printer in use; true when confirmed
  // (replaceable in tests).
  std::function<bool(QPrinter& Printer)> AskPageSetup;
  // The print window and the printers it shares with "Параметры печати".
  TKVTPrint* PrintWindow() const { return FPrint; }
  TPrintSettings& PrintSettings() { return *FPrintSettings; }

  // Commands.
  void mnFileNewClick();
  void mnNewBitmapLayerClick();
  void AddPhotoFromFile(const QString& FileName);
  void mnFlattenClick();
  void N33Click();  // "Добавить надпись"
  // "Изменить надпись" (the layer menu, a double click on a caption layer): the caption dialog
  // with the selected caption layer's settings, its "OK" one step "Изменение надписи".
  void EditCaptionClick();
  void N62Click();    // "Параметры печати"
  void N70Click();    // "Печать"
  void N5Click();     // "Выход"
  void N26Click();    // "Справка"
  void N28Click();    // "Сайт программы"
  void N42Click();    // "Примеры открыток"
  void N97Click();    // "Техническая поддержка"
  void N30Click();    // "О программе Pelmora"
  void N34Click();    // "Полноэкранный просмотр"
  void N1002Click();  // "Масштаб 100%"
  void N35Click();    // "Уместить в окне"
  void N102Click();   // "Выбрать цвет"
  void N103Click();   // "Шашкой"
  void ScaleComboChange();
  void SetZoom(float Zoom);

  // Files.
  void mnFileOpenClick();
  void Save1Click();
  // "Сохранить как..." with the save dialog's filter preselected.
  void N3Click() { SaveAs(TSaveFormat::Project); }
  void SaveAs(TSaveFormat Format);
  // "Экспорт открытки": writes a copy in the format chosen in the save dialog; the card keeps
  // its file name, its title and its modified mark.
  void ExportCard(TSaveFormat Format);
  // Writes the card as "Сохранить как..." does for a format and a typed name; false when the
  // JPEG or GIF dialog was cancelled.
  bool SaveAsTo(TSaveFormat Format, const std::string& Typed);
  void OpenFile(const std::string& FileName);
  void OpenRecent(int Index);
  void OpenLink(int Index);
  // Yes: save, true; No: true; Cancel: false. True at once when the card is unchanged.
  bool AskToSave();
  // The file named on the command line: all arguments joined by single spaces.
  void OpenFromCommandLine(const QStringList& Arguments);
  // The question of SaveQuestionText (replaceable in tests): Yes, No or Cancel.
  std::function<QMessageBox::StandardButton()> AskSaveQuestion;
  // "Сохранить изменения в проекте «открытка.kvt»?": the project "Сохранить" writes.
  QString SaveQuestionText() const;
  // The card's file: the one opened or last saved as; "" for a card not saved yet.
  const std::string& CurrentFileName() const { return !FOpenName.empty() ? FOpenName : FSaveName; }
  // "Восстановить" (true) or "Удалить" (false) for the found recovery copy described by Text.
  std::function<bool(const QString& Text)> AskRestore;
  // The save dialog (replaceable in tests): Typed comes in as the name offered (without its
  // extension) and goes out as the chosen one; Format is the chosen filter's.
  std::function<bool(std::string& Typed, TSaveFormat& Format)> AskSaveName;
  // The new-project dialog of "Новый" (replaceable in tests): false when cancelled.
  std::function<bool(int& Width, int& Height)> AskNewSize;
  TRecentFiles& Recent() { return FRecent; }
  // The folder a file dialog starts in (the card's folder, the last one used, Pictures); a file
  // chosen in a dialog makes its folder the last one used, kept in "Folder.kvp".
  QString DialogFolder() const;
  void RememberFolder(const QString& FileName);
  const std::string& CurrentSaveName() const { return FSaveName; }

  // Starting a card: the new-project dialog and the card catalogue (main_newcard.cpp).
  void Button10Click();  // "Выбрать открытку": the card catalogue
  TTemplates* Templates() const { return FTemplates; }
  TAlbum* Album() const { return FAlbum; }

  // Undo and redo.
  void N17Click();                      // "Отменить"
  void N18Click();                      // "Повторить"
  void N16Click() { UpdateActions(); }  // the menu "Правка" opens
  TUndoStack& Undo() { return *FUndo; }
  TLayerCommands& Commands() { return *FCommands; }
  // The undo step name of the effect being run from a menu ("Эффект" when "").
  const std::string& EffectStepName() const { return FEffectName; }

  // Layer editing.
  void mnReorder(int Tag);
  void mnDeleteClick();
  void Button8Click();
  void N88Click();
  void N901Click();
  void N902Click();
  void N24Click();
  void N53Click();
  void N109Click();
  void mnArrangeClick() { UpdateActions(); }
  void LayerPopupPopup() { UpdateActions(); }
  void ImgViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y, TCustomLayer* Layer);
  void RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State, TShiftState Shift);

  // Layer crop and perspective geometry (main_layer_geometry.cpp).
  void mnCropLayerClick();  // "Обрезать слой"
  void mnGeometryClick();   // "Геометрия"
  TCropLa* CropLa() const { return FCropLa; }
  TProGeomo* ProGeomo() const { return FProGeomo; }
  QAction* mnGeometry = nullptr;  // "Геометрия" in "Обработка"
  // Clipboard, selection areas and the canvas crop (main_clipboard.cpp).
  void N20Click();      // "Вырезать"
  void N21Click();      // "Копировать"
  void N22Click();      // "Вставить"
  void N47Click();      // "Вставить как новый"
  void N71Click();      // "Выделить"
  void N98Click();      // "Выделить всё"
  void N114Click();     // "Обрезать холст"
  void CropsPChange();  // the crop panel's proportion list and "Портрет"
  void Button1Click();  // "ОК" of the crop panel
  void Button2Click();  // "Отмена" of the crop panel
  TPictureClipboard& Clipboard();
  TClipboardCommands& ClipCommands() { return *FClipCommands; }
  // An information box titled "Pelmora" (replaceable in tests).
  std::function<void(const QString& Text)> ShowMessage;
  QAction* N20 = nullptr;      // "Вырезать"
  QAction* N21 = nullptr;      // "Копировать"
  QAction* N22 = nullptr;      // "Вставить"
  QAction* N47 = nullptr;      // "Вставить как новый"
  QAction* N71 = nullptr;      // "Выделить"
  QAction* N98 = nullptr;      // "Выделить всё"
  QAction* N114 = nullptr;     // "Обрезать холст"
  QAction* CopyIt = nullptr;   // the tool button "Копировать"
  QAction* PasteIt = nullptr;  // the tool button "Вставить"
  QComboBox* CropsP = nullptr;
  QCheckBox* Obrat = nullptr;
  QPushButton* Button1 = nullptr;  // "ОК"
  QPushButton* Button2 = nullptr;  // "Отмена"

  // Menu refresh when a menu opens.
  void mnFileClick() { UpdateActions(); }
  void N8Click() { UpdateActions(); }
  void N40Click() { UpdateActions(); }

  // The view reports a change of the canvas, a layer or the zoom.
  void ImgViewChange();
  void SelectionChanged(TCustomLayer* Selected);

  // Controls other code and tests reach.
  QMenu* mnFile = nullptr;
  QMenu* mnEdit = nullptr;
  QMenu* mnImage = nullptr;
  QMenu* mnFilter = nullptr;
  QMenu* mnArrange = nullptr;
  QMenu* mnView = nullptr;
  QMenu* mnHelp = nullptr;
  QAction* mnFileNew = nullptr;
  QAction* N96 = nullptr;   // "Добавить фотографию"
  QAction* N38 = nullptr;   // "Яркость/ контраст ..."
  QAction* N39 = nullptr;   // "Цветовой баланс"
  QAction* N120 = nullptr;  // "Склеить все слои"
  QAction* N103 = nullptr;  // "Шашкой"
  QWidget* SidePanel = nullptr;
  TSidePanelSection* pnlImage = nullptr;
  TSidePanelSection* Panel1 = nullptr;
  TSidePanelSection* pnlBitmapLayer = nullptr;
  TSidePanelSection* Start = nullptr;
  TSidePanelSection* Crops = nullptr;
  QComboBox* ScaleCombo = nullptr;
  QCheckBox* ImageInterpolate = nullptr;
  QCheckBox* LayerInterpolate = nullptr;
  QCheckBox* Propos = nullptr;
  QSlider* LayerOpacity = nullptr;
  // The composition panel: the tabs "Фон", "Подложка", "Украшения" and "Поздравления".
  TCompositionPanel* PageControl1 = nullptr;
  QLabel* StatusPanel1 = nullptr;
  QLabel* StatusPanel2 = nullptr;
  // Long work in progress (thumbnails loading, printing): its text and its bar.
  QLabel* ProgressText = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QAction* SaveIt = nullptr;
  QAction* PrintIt = nullptr;    // the tool button "Печать"
  QAction* N34 = nullptr;        // "Полноэкранный просмотр"
  QAction* PreviewIt = nullptr;  // the tool button "  Просмотр  "
  QAction* N62 = nullptr;        // "Параметры печати"
  QAction* N70 = nullptr;        // "Печать"  // the tool button "  Сохранить  "
  QAction* mnFileOpen = nullptr;
  QAction* Save1 = nullptr;       // "Сохранить"
  QAction* N3 = nullptr;          // "Сохранить как..."
  QMenu* N14 = nullptr;           // "Недавние открытки"
  std::array<QLabel*, 4> Labs{};  // Lab1 .. Lab4
  QAction* N17 = nullptr;         // "Отменить"
  QAction* N18 = nullptr;         // "Повторить"
  QMenu* LayerPopup = nullptr;
  QAction* EditCaptionPopup = nullptr;  // "Изменить надпись" in LayerPopup
  // The sixteen entries of "Выделение" and of the context menu; none for the commands that
  // are not part of the program yet.
  std::array<QAction*, 16> ArrangeItems{};
  std::array<QAction*, 16> PopupItems{};
  TPlatformColor BufColor = 0x808080;

  // Image size and free rotation (main_geometry.cpp).
  void N37Click();              // "Размер изображения"
  void N13Click();              // "Произвольный угол"
  QAction* N37 = nullptr;       // "Размер изображения"
  QAction* N13 = nullptr;       // "Произвольный угол" in "Выделение"
  QAction* N13Popup = nullptr;  // "Произвольный угол" in the context menu
  TRasm* FRasm = nullptr;       // owned by the window (Qt parent)
  TPovor* FPovor = nullptr;     // owned by the window (Qt parent)
  void BuildGeometryDialogs();
  // Frames and layer masks (main_frames.cpp).
  void AddFrameClick();   // "Добавить рамку"
  void LayerMaskClick();  // "Маска слоя"
  void Button12Click();   // the layer panel's "Маска"
  TFrama* Frama() const { return FFrama; }
  TMaski* Maski() const { return FMaski; }
  QAction* mnAddFrame = nullptr;    // "Добавить рамку"
  QPushButton* Button12 = nullptr;  // "Маска"
  TComposition& Composition() { return *FComposition; }
  // Layer outline effects and the transparent-colour pick mode (main_outline.cpp).
  void N107Click();  // "Добавить границы"
  void N61Click();   // "Границы"
  void N7Click();    // "Рельефный контур"
  void N121Click();  // "Эффект кнопки"
  void N23Click();   // "Прозрачный цвет"
  // A press on the view while the pick mode is on picks the colour and ends the mode; false
  // when the mode is off.
  bool PickModeMouseDown(int X, int Y);
  void ImgViewMouseMove(TShiftState Shift, int X, int Y, TCustomLayer* Layer);
  // The pick mode is on while the view's cursor is not the default one.
  bool InPickMode() const;
  QAction* N61 = nullptr;   // "Границы"
  QAction* N121 = nullptr;  // "Эффект кнопки"
  TSbor* FSbor = nullptr;
  TRaiser* FRaiser = nullptr;
  TEButos* FEButos = nullptr;
  TSTC* FSTC = nullptr;

 protected:
  // The steps of every open once the name is known ("Открыть", the recent list, the start
  // panel, the command line): the file becomes the card, remembered as its file, fitted, not
  // modified. A recent file that is gone leaves the list.
  void OpenAsCard(const std::string& FileName);
  // Opens the file as the card; Remember adds it to the recent list.
  void OpenFileAs(const std::string& FileName, bool Remember);
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  // FormActivate: the crop proportions go back to "Свободные".
  void changeEvent(QEvent* Event) override;

 private:
  // Building the menus, the tool bar, the side panel and the status bar (main_menus.cpp).
  void BuildMenus();
  // The effect commands and their menu items (main_effects.cpp).
  void BuildEffectCommands();
  void BuildImageEffectItems(QMenu* Menu);
  QAction* AddEffectItem(QMenu* Menu, const QString& Caption,
                         const std::function<void(TEffectCommands&)>& Handler,
                         const QString& Group = {});
  // The effect a menu item is running, named for its undo step; "" between commands.
  std::string FEffectName;
  void BuildFilterEffectItems(QMenu* Menu);
  void BuildLayerMenu(QMenu* Menu, std::array<QAction*, 16>& Items, bool Popup);
  void BuildLayerGeometryDialogs();  // main_layer_geometry.cpp
  // The clipboard commands, their items of "Правка", tool buttons and the crop panel
  // (main_clipboard.cpp).
  void BuildClipboardCommands();
  void BuildClipboardItems(QMenu* Menu);
  void BuildClipboardToolButtons(QToolBar* Bar);
  void BuildCropPanel();
  // The outline dialogs, the pick window and their menu items (main_outline.cpp).
  void BuildOutlineCommands();
  void BuildOutlineImageItems(QMenu* Menu);
  void BuildOutlineLayerItems(QMenu* Menu, std::array<QAction*, 16>& Items);
  void OutlinePreview(const std::function<void()>& Step);
  void OutlineFinish(bool Accepted, const std::function<void()>& Step);
  void SetPickMode(bool On);
  void N14Click();
  void UpdateLinks();
  void FitIfLarge();
  // The second status panel: the canvas size as "800x600", empty without a card.
  void ShowCanvasSize();
  void SaveRecentList();
  void BuildToolBar();
  void BuildSidePanel();
  // The previewing dialogs open beside the card (main_placement.cpp).
  void BuildDialogPlacement();
  void BuildStatusBar();
  bool PickSwatch(QLabel* Swatch, TPlatformColor& Colour);
  QAction* AddCommand(QMenu* Menu, const QString& Caption, void (TMainForm::*Handler)(),
                      const QKeySequence& Shortcut = {});
  // The settings files and the recent list (main_settings.cpp).
  void ReadSettings();
  void FormClose();
  void PlaceOnFirstStart();
  void ImgViewPaintStage(TBitmap32* Buffer);
  bool ImgViewMouseWheel(int Delta);
  void ShowZoom();
  void UpdatePanels();

  TProgramPaths FPaths;
  ImgViewWidget* FImgView;
  std::unique_ptr<TCardDocument> FDoc;
  std::unique_ptr<TUndoStack> FUndo;
  // A drag of the selection frame recorded its undo step at the press.
  bool FDragStep = false;
  // Holds a reference to the document: declared after it, so it is destroyed first.
  std::unique_ptr<TAutosaveController> FAutosave;
  TTexter* FTexter = nullptr;
  // The printers with their page set-up; the print window (a Qt child, destroyed after this)
  // does not use them while it is being destroyed.
  std::unique_ptr<TPrintSettings> FPrintSettings;
  TKVTPrint* FPrint = nullptr;
  // The layer crop and geometry windows (owned by the window, Qt parent).
  TCropLa* FCropLa = nullptr;
  TProGeomo* FProGeomo = nullptr;
  std::unique_ptr<TEffectContext> FEffectContext;
  TEffectCommands* FEffects = nullptr;  // owned by the window (Qt parent)
  std::unique_ptr<TOutlineSession> FOutline;
  std::unique_ptr<TLayerCommands> FCommands;
  std::unique_ptr<TComposition> FComposition;
  TQtPictureClipboard* FClipboard = nullptr;  // owned by the window (Qt parent)
  std::unique_ptr<TClipboardCommands> FClipCommands;
  TProductLinks FLinks;
  // Shows the link items whose address is set.
  void ShowLinkItems();
  QAction* FSiteButton = nullptr;  // the tool button "Сайт"
  THelpWindow* FHelp = nullptr;    // "Справка", made when first asked for
  // Starting a card (main_newcard.cpp).
  void BuildNewCardDialogs();
  TTemplates* FTemplates = nullptr;
  TAlbum* FAlbum = nullptr;
  TAboutKVT* FAboutKVT = nullptr;
  TCompress* FCompress = nullptr;
  TFull* FFull = nullptr;
  TGifType* FGifType = nullptr;
  // The mask and frame dialogs (main_frames.cpp).
  void BuildFrameDialogs();
  TMaski* FMaski = nullptr;
  TFrama* FFrama = nullptr;
  TRecentFiles FRecent;
  std::string FOpenName;               // the open dialog's remembered name
  std::string FSaveName;               // the save dialog's remembered name
  QString FLastFolder;                 // the folder of the file last chosen in a file dialog
  QMenu* mnExport = nullptr;           // "Экспорт открытки"
  QScrollArea* FSideScroll = nullptr;  // holds SidePanel
  // The first status panel names the exported file until the card changes again.
  bool FStatusSaysExported = false;
  QTimer* Timer1 = nullptr;
  bool FPanelOnLeft = false;
  bool FClosed = false;
};
