#pragma once
// The main window: menus, tool bar, the editing view, the side panel and the status bar. The
// card itself is a TCardDocument; the handlers here collect input and call into it. Every menu
// item and tool button is an action made from one row of ActionRows() (main_actions.h).
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "autosave_controller.h"
#include "card_document.h"
#include "clipboard_commands.h"
#include "img_view_widget.h"
#include "layer_commands.h"
#include "main_actions.h"
#include "main_dialogs.h"
#include "program_paths.h"
#include "recent_files.h"
#include "save_flat_image.h"
#include "settings_files.h"
#include "side_panel.h"
#include "undo.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSlider;
class QTimer;
class QToolBar;
class TAboutKVT;
class TAlbum;
class TComposition;
class TCompositionPanel;
class TCompress;
class TCropLa;
class TEButos;
class TEffectCommands;
class TEffectContext;
class TFrama;
class TFull;
class TGifType;
class THelpWindow;
class TKVTPrint;
class TMaski;
class TOutlineSession;
class TPovor;
class TPrintSettings;
class TProGeomo;
class TQtPictureClipboard;
class TRaiser;
class TRasm;
class TSTC;
class TSbor;
class TTemplates;
class TTexter;

// Addresses opened by the help menu and the tool button "Сайт", set when the program is built
// (PELMORA_SITE_URL, PELMORA_SUPPORT_MAIL); the items of an address that is not set are hidden.
struct TProductLinks {
  QString Site;
  QString Examples;
  QString SupportMail;
};

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // ProgramDir holds the settings files, the recent list and the data folders.
  explicit TMainForm(const QString& ProgramDir, QWidget* Parent = nullptr);
  ~TMainForm() override;

  // Every action's row, in the order the menus and the tool bar show them.
  static std::span<const TMainActionRow> ActionRows();
  QAction* Action(TMainAction Id) const { return FActions[static_cast<size_t>(Id)]; }
  // The menu of a menu row.
  QMenu* Menu(TMainAction Id) const;

  TCardDocument& Document() { return *FDoc; }
  ImgViewWidget* ImgView() const { return FImgView; }
  // The tabs "Фон", "Подложка", "Украшения" and "Поздравления" of the side panel.
  TCompositionPanel* CompositionPanel() const { return FCompositionPanel; }
  // A file of the data folder (the help page, the data folders).
  QString ProgramFile(const QString& Name) const;
  // A settings file ("View.kvp", "CForm.kvp"): beside the program, or in the user's
  // configuration folder when the program's folder cannot be written.
  QString SettingsFile(const QString& Name) const;
  const TProgramPaths& Paths() const { return FPaths; }
  TAutosaveController& Autosave() { return *FAutosave; }
  TUndoStack& Undo() { return *FUndo; }
  TRecentFiles& Recent() { return FRecent; }
  // The editor background's colour when it is not the checkerboard ("Выбрать цвет").
  TPlatformColor BufColor() const { return FBufColor; }
  void SetBufColor(TPlatformColor Colour) { FBufColor = Colour; }

  // At start: when an editor that did not end cleanly left a recovery file, asks whether to
  // restore it (Dialogs.AskRestore) and does so, or removes it. True when a card was restored.
  bool OfferRecovery();
  // Files dropped on the window: pictures become photo layers around the drop point (ViewPos,
  // in the view's pixels; outside the view, its centre); a project opens (after asking to save).
  void DropFiles(const QStringList& Files, QPoint ViewPos);

  // Runs a command; an error it does not handle is shown in a message box titled "Pelmora"
  // and the program goes on. Then the actions and the title follow what the command changed.
  void Run(const std::function<void()>& Command);
  // Enables every action by its row's rule, from the state of the card, the selection and the
  // undo records, and shows the file name and the modified mark in the title.
  void UpdateActions();

  // The dialogs and desktop services the window asks, replaceable in tests.
  TMainDialogs Dialogs;

  // The windows the commands open.
  TKVTPrint* PrintWindow() const { return FPrint; }
  TPrintSettings& PrintSettings() { return *FPrintSettings; }
  TTemplates* Templates() const { return FTemplates; }
  TAlbum* Album() const { return FAlbum; }
  TCropLa* CropLa() const { return FCropLa; }
  TProGeomo* ProGeomo() const { return FProGeomo; }
  TFrama* Frama() const { return FFrama; }
  TMaski* Maski() const { return FMaski; }
  TSbor* Sbor() const { return FSbor; }
  TRaiser* Raiser() const { return FRaiser; }
  TEButos* EButos() const { return FEButos; }
  TSTC* STC() const { return FSTC; }

  // Commands, as their actions run them.
  void mnFileNewClick();
  void AddPhotoFromFile(const QString& FileName);
  void mnFlattenClick();
  void HelpClick();
  void FullPreviewClick();
  void ActualSizeClick();  // "Масштаб 100%"
  void FitInWindowClick();
  void ScaleComboChange();
  void SetZoom(float Zoom);

  // Files (main_files.cpp).
  void SaveClick();
  // "Сохранить как..." with the save dialog's filter preselected.
  void SaveAsClick() { SaveAs(TSaveFormat::Project); }
  // Writes the card as "Сохранить как..." does for a format and a typed name; false when the
  // JPEG or GIF dialog was cancelled.
  bool SaveAsTo(TSaveFormat Format, const std::string& Typed);
  void OpenFile(const std::string& FileName);
  void OpenRecent(int Index);
  // The file named on the command line: all arguments joined by single spaces.
  void OpenFromCommandLine(const QStringList& Arguments);
  // Yes: save, true; No: true; Cancel: false. True at once when the card is unchanged.
  bool AskToSave();
  // "Сохранить изменения в проекте «открытка.kvt»?": the project "Сохранить" writes.
  QString SaveQuestionText() const;
  // The card's file: the one opened or last saved as; "" for a card not saved yet.
  const std::string& CurrentFileName() const { return !FOpenName.empty() ? FOpenName : FSaveName; }
  const std::string& CurrentSaveName() const { return FSaveName; }
  // The folder a file dialog starts in (the card's folder, the last one used, Pictures); a file
  // chosen in a dialog makes its folder the last one used, kept in "Folder.kvp".
  QString DialogFolder() const;
  void RememberFolder(const QString& FileName);
  // "Выбрать открытку": the card catalogue (main_newcard.cpp).
  void ChooseCardClick();

  // Undo, layer editing and the view's mouse.
  void UndoClick();
  void RedoClick();
  void mnDeleteClick();
  void RotateRightClick();
  void mnCropLayerClick();  // "Обрезать слой"
  void mnGeometryClick();   // "Геометрия"
  void ImgViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y, TCustomLayer* Layer);
  void ImgViewMouseMove(TShiftState Shift, int X, int Y, TCustomLayer* Layer);

  // Clipboard, selection areas and the canvas crop (main_clipboard.cpp).
  void CutClick();
  void CopyClick();
  void PasteClick();
  void PasteAsNewClick();
  void SelectAllClick();
  void CropCanvasClick();
  void CropOkClick();      // "ОК" of the crop panel
  void CropCancelClick();  // "Отмена" of the crop panel

  // Layer outline effects and the transparent-colour pick mode (main_outline.cpp).
  void AddBordersClick();  // "Добавить границы"
  void ReliefClick();      // "Рельефный контур"
  void ButtonEffectClick();
  void TransparentColourClick();
  // The pick mode is on while the view's cursor is not the default one.
  bool InPickMode() const;

 protected:
  // The steps of every open once the name is known ("Открыть", the recent list, the start
  // panel, the command line, a dropped file): the file becomes the card (not modified, as
  // OpenDocument leaves it), remembered as its file and fitted. A recent file that is gone
  // leaves the list.
  void OpenAsCard(const std::string& FileName);
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  // FormActivate: the crop proportions go back to "Свободные".
  void changeEvent(QEvent* Event) override;

 private:
  // The effect commands' context reads and sets the opacity gauge (main_effects.cpp).
  friend class TMainEffectContext;

  // The actions from their rows, placed in their menus and on the tool bar (main_actions.cpp).
  void BuildActions();
  void RunAction(const TMainActionRow& Row);
  // Shows the link items whose address is set.
  void ShowLinkItems();
  // The side panel and the status bar (main_side_panel.cpp).
  void BuildSidePanel();
  void BuildCropPanel();  // main_clipboard.cpp
  void BuildStatusBar();
  void FillRecentMenu();
  void UpdateLinks();
  void UpdatePanels();

  // Commands that only their actions and buttons run.
  void mnFileOpenClick();
  void mnNewBitmapLayerClick();
  void AddCaptionClick();
  // "Изменить надпись" (the layer menu, a double click on a caption layer): the caption dialog
  // with the selected caption layer's settings, its "OK" one step "Изменение надписи".
  void EditCaptionClick();
  void PrintSetupClick();
  void PrintClick();
  void ExitClick();
  void SiteClick();
  void ExamplesClick();
  void SupportClick();
  void AboutClick();
  void BackgroundColourClick();
  void CheckerboardClick();
  void SaveAs(TSaveFormat Format);
  // "Экспорт открытки": writes a copy in the format chosen in the save dialog; the card keeps
  // its file name, its title and its modified mark.
  void ExportCard(TSaveFormat Format);
  void OpenLink(int Index);
  // Opens the file as the card; Remember adds it to the recent list.
  void OpenFileAs(const std::string& FileName, bool Remember);
  void ReorderClick(int Tag);
  void DeleteLayerButtonClick();  // the layer panel's "Удалить слой"
  void CloneClick();
  void RotateLeftClick();
  void FlipTopToBottomClick();
  void FlipLeftToRightClick();
  void RemoveMaskClick();
  void RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State, TShiftState Shift);
  void ImageSizeClick();     // main_geometry.cpp
  void FreeRotationClick();  // "Произвольный угол"
  void AddFrameClick();      // main_frames.cpp
  void LayerMaskClick();
  void MaskButtonClick();  // the layer panel's "Маска"
  void BordersClick();     // "Границы" of "Изображение"
  void SelectClick();
  void CropProportionChange();  // the crop panel's proportion list and "Портрет"
  // A press on the view while the pick mode is on picks the colour and ends the mode; false
  // when the mode is off.
  bool PickModeMouseDown(int X, int Y);
  void SetPickMode(bool On);
  // The view reports a change of the canvas, a layer or the zoom.
  void ImgViewChange();
  void SelectionChanged(TCustomLayer* Selected);

  // The windows and command objects, made once (their Build functions are in the files of
  // their commands).
  void BuildEffectCommands();
  void BuildClipboardCommands();
  void BuildGeometryDialogs();
  void BuildLayerGeometryDialogs();
  void BuildFrameDialogs();
  void BuildNewCardDialogs();
  void BuildOutlineCommands();
  // The previewing dialogs open beside the card (main_placement.cpp).
  void BuildDialogPlacement();
  void OutlinePreview(const std::function<void()>& Step);
  void OutlineFinish(bool Accepted, const std::function<void()>& Step);
  void FitIfLarge();
  // The second status panel: the canvas size as "800x600", empty without a card.
  void ShowCanvasSize();
  void SaveRecentList();
  // The settings files and the recent list (main_settings.cpp).
  void ReadSettings();
  void FormClose();
  void PlaceOnFirstStart();
  void ImgViewPaintStage(TBitmap32* Buffer);
  bool ImgViewMouseWheel(int Delta);
  void ShowZoom();

  TProgramPaths FPaths;
  ImgViewWidget* FImgView;
  std::unique_ptr<TCardDocument> FDoc;
  std::unique_ptr<TUndoStack> FUndo;
  // A drag of the selection frame recorded its undo step at the press.
  bool FDragStep = false;
  // Holds a reference to the document: declared after it, so it is destroyed first.
  std::unique_ptr<TAutosaveController> FAutosave;
  std::array<QAction*, static_cast<size_t>(TMainAction::Count)> FActions{};
  QToolBar* FToolBar = nullptr;

  // The side panel and the status bar.
  QScrollArea* FSideScroll = nullptr;  // holds FSidePanel
  QWidget* FSidePanel = nullptr;
  TSidePanelSection* FImageSection = nullptr;        // "Изображение"
  TSidePanelSection* FCompositionSection = nullptr;  // "Настройка композиции"
  TSidePanelSection* FLayerSection = nullptr;        // "Параметры слоя"
  TSidePanelSection* FStartSection = nullptr;        // "Начало работы"
  TSidePanelSection* FCropSection = nullptr;         // "Обрезка холста"
  QComboBox* FScaleCombo = nullptr;
  QCheckBox* FImageInterpolate = nullptr;
  QCheckBox* FLayerInterpolate = nullptr;
  QCheckBox* FKeepProportions = nullptr;  // "Соблюдать пропорции"
  QSlider* FLayerOpacity = nullptr;
  QPushButton* FMaskButton = nullptr;
  TCompositionPanel* FCompositionPanel = nullptr;
  std::array<QLabel*, 4> FRecentLinks{};  // the start panel's recent cards
  QComboBox* FCropProportion = nullptr;
  QCheckBox* FCropPortrait = nullptr;  // "Портрет"
  QPushButton* FCropOk = nullptr;
  QPushButton* FCropCancel = nullptr;
  QLabel* FStatusText = nullptr;  // the first status panel
  QLabel* FStatusSize = nullptr;  // the second: the canvas size
  // Long work in progress (thumbnails loading, printing): its text and its bar.
  QLabel* FProgressText = nullptr;
  QProgressBar* FProgressBar = nullptr;
  // The first status panel names the exported file until the card changes again.
  bool FStatusSaysExported = false;
  TPlatformColor FBufColor = 0x808080;
  QTimer* FGalleryTimer = nullptr;
  bool FPanelOnLeft = false;
  bool FClosed = false;

  TTexter* FTexter = nullptr;
  // The printers with their page set-up; the print window (a Qt child, destroyed after this)
  // does not use them while it is being destroyed.
  std::unique_ptr<TPrintSettings> FPrintSettings;
  TKVTPrint* FPrint = nullptr;
  // The windows below are owned by the window (Qt parent).
  TCropLa* FCropLa = nullptr;
  TProGeomo* FProGeomo = nullptr;
  TRasm* FRasm = nullptr;
  TPovor* FPovor = nullptr;
  TSbor* FSbor = nullptr;
  TRaiser* FRaiser = nullptr;
  TEButos* FEButos = nullptr;
  TSTC* FSTC = nullptr;
  TMaski* FMaski = nullptr;
  TFrama* FFrama = nullptr;
  TTemplates* FTemplates = nullptr;
  TAlbum* FAlbum = nullptr;
  TAboutKVT* FAboutKVT = nullptr;
  TCompress* FCompress = nullptr;
  TFull* FFull = nullptr;
  TGifType* FGifType = nullptr;
  THelpWindow* FHelp = nullptr;  // "Справка", made when first asked for
  std::unique_ptr<TEffectContext> FEffectContext;
  TEffectCommands* FEffects = nullptr;  // owned by the window (Qt parent)
  std::unique_ptr<TOutlineSession> FOutline;
  std::unique_ptr<TLayerCommands> FCommands;
  std::unique_ptr<TComposition> FComposition;
  TQtPictureClipboard* FClipboard = nullptr;  // owned by the window (Qt parent)
  std::unique_ptr<TClipboardCommands> FClipCommands;
  TProductLinks FLinks;
  TRecentFiles FRecent;
  std::string FOpenName;  // the open dialog's remembered name
  std::string FSaveName;  // the save dialog's remembered name
  QString FLastFolder;    // the folder of the file last chosen in a file dialog
};
