#include "main_form.h"

#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <optional>

#include "about_dialog.h"
#include "caption_dialog.h"
#include "caption_layer.h"
#include "caption_render.h"
#include "card_runner.h"
#include "composition.h"
#include "composition_panel.h"
#include "effect_menu_commands.h"
#include "exceptions.h"
#include "export_dialogs.h"
#include "file_dialogs.h"
#include "file_filters.h"
#include "full_preview.h"
#include "help_window.h"
#include "outline_commands.h"
#include "print_settings.h"
#include "print_window.h"
#include "status_progress.h"
#include "toolbar_icons.h"
#include "user_error_text.h"

namespace {

// How long the status bar names what was printed.
constexpr int PrintMessageMs = 15000;

}  // namespace

TMainForm::TMainForm(const QString& ProgramDir, QWidget* Parent)
    : QMainWindow(Parent), FImgView(new ImgViewWidget(this)) {
  setWindowTitle(QStringLiteral("Pelmora"));
  FPaths = ResolveProgramPaths(ProgramDir.toStdString());
  FDoc = std::make_unique<TCardDocument>(FImgView->View());
  FAutosave = std::make_unique<TAutosaveController>(*FDoc, FPaths.RecoveryDir, int(getpid()));
  setAcceptDrops(true);
  FLinks.Site = QString::fromUtf8(PELMORA_SITE_URL);
  if (!FLinks.Site.isEmpty())
    FLinks.Examples = FLinks.Site + (FLinks.Site.endsWith('/') ? "" : "/") + "examples/";
  if (const QString Mail = QString::fromUtf8(PELMORA_SUPPORT_MAIL); !Mail.isEmpty())
    FLinks.SupportMail = QStringLiteral("mailto:") + Mail;
  FUndo = std::make_unique<TUndoStack>(*FDoc);
  FCommands = std::make_unique<TLayerCommands>(*FDoc, *FUndo);
  FUndo->OnReleaseCapture = [this] { FImgView->SetMouseCapture(false); };
  ShowError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  OpenUrl = [](const QUrl& Url) { QDesktopServices::openUrl(Url); };
  AskSaveQuestion = [this] {
    return QMessageBox::question(this, QStringLiteral("Pelmora"), SaveQuestionText(),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };
  AskSaveName = [this](std::string& Typed, TSaveFormat& Format) {
    if (!AskSaveFileName(this, QStringLiteral("Сохранить как"), DialogFolder(), Typed, Format,
                         [this](const QString& Path) { return AskReplaceFile(this, Path); }))
      return false;
    RememberFolder(QString::fromStdString(Typed));
    return true;
  };
  AskRestore = [this](const QString& Text) {
    QMessageBox Box(QMessageBox::Question, QStringLiteral("Pelmora"), Text, QMessageBox::NoButton,
                    this);
    QPushButton* Restore = Box.addButton(QStringLiteral("Восстановить"), QMessageBox::AcceptRole);
    Box.addButton(QStringLiteral("Удалить"), QMessageBox::DestructiveRole);
    Box.setDefaultButton(Restore);
    Box.exec();
    return Box.clickedButton() == Restore;
  };

  BuildEffectCommands();
  BuildClipboardCommands();
  BuildMenus();
  BuildGeometryDialogs();
  BuildToolBar();
  BuildSidePanel();
  BuildStatusBar();

  auto* Central = new QWidget(this);
  auto* Row = new QHBoxLayout(Central);
  Row->setContentsMargins(0, 0, 0, 0);
  Row->setSpacing(0);
  Row->addWidget(FImgView, 1);
  Row->addWidget(FSideScroll);
  setCentralWidget(Central);

  // The editor background replaces the view's own background clearing.
  TImgView32& View = FImgView->View();
  if (View.PaintStages().Count() > 0 && View.PaintStages().Items(0).Stage == PST_CLEAR_BACKGND)
    View.PaintStages().Items(0).Stage = PST_CUSTOM;
  View.OnPaintStage = [this](TObject*, TBitmap32* Buffer, uint32_t) { ImgViewPaintStage(Buffer); };
  View.SetAutoHideScrollBars(true);
  // Whatever a handler of the view's events raises reaches the general error report.
  FImgView->OnError = [this](const QString& Text) { ShowError(Text); };
  FImgView->OnMouseWheel = [this](int Delta, TShiftState, QPoint) {
    bool Handled = true;
    Run([&] { Handled = ImgViewMouseWheel(Delta); });
    return Handled;
  };
  FDoc->OnViewChange = [this](TObject*) { ImgViewChange(); };
  FDoc->OnSelectionChanged = [this](TCustomLayer* L) { SelectionChanged(L); };
  FDoc->OnResizing = [this](TObject*, const TSingleRect& Old, TSingleRect& New, TDragState State,
                            TShiftState Shift) {
    Run([&] { RBResizing(Old, New, State, Shift); });
  };
  View.OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                            TCustomLayer* Layer) {
    Run([&] { ImgViewMouseDown(Button, Shift, X, Y, Layer); });
  };
  View.OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t, TCustomLayer*) {
    if (!FDragStep)
      return;
    FDragStep = false;
    // A press released where it began changed nothing and leaves no step.
    Run([this] {
      FUndo->DropIfUnchanged();
      UpdateActions();
    });
  };
  FImgView->OnKeyDown = [this](int Key, TShiftState) {
    if (Key != Qt::Key_Delete)
      return false;
    Run([this] { mnDeleteClick(); });
    return true;
  };
  FImgView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FImgView, &QWidget::customContextMenuRequested, this, [this](const QPoint& P) {
    Run([&] {
      if (!FCommands->UsesLayerPopup())
        return;
      LayerPopupPopup();
      LayerPopup->popup(FImgView->mapToGlobal(P));
    });
  });

  ReadSettings();

  FGifType = new TGifType(this);
  FCompress = new TCompress(this);
  FFull = new TFull(this);
  FAboutKVT = new TAboutKVT(this);
  FPrintSettings = std::make_unique<TPrintSettings>(SettingsFile(QStringLiteral("Print.kvp")));
  FPrint = new TKVTPrint(this, FPrintSettings.get());
  AskPageSetup = [this](QPrinter& Printer) {
    QPageSetupDialog Dialog(&Printer, this);
    return Dialog.exec() == QDialog::Accepted;
  };
  FTexter = new TTexter(*FDoc, QString::fromStdString(FPaths.DataDir), this);
  FTexter->OnError = [this](const QString& Text) { ShowError(Text); };
  FTexter->OnCardChanged = [this] { FImgView->View().Invalidate(); };
  BuildFrameDialogs();
  BuildNewCardDialogs();
  BuildLayerGeometryDialogs();
  BuildOutlineCommands();
  BuildDialogPlacement();
  ShowLinkItems();

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this,
          [this] { Run([this] { PageControl1->LoadGalleries(); }); });
  Timer1->start();
  UpdatePanels();
  UpdateActions();
}

TMainForm::~TMainForm() {
  // The pickers among the children report their end while the window is being taken apart.
  disconnect(&TStatusProgress::Instance(), nullptr, this, nullptr);
  FDoc->OnViewChange = nullptr;
  FDoc->OnSelectionChanged = nullptr;
  FDoc->SetSelection(nullptr);
}

QString TMainForm::ProgramFile(const QString& Name) const {
  return QDir(QString::fromStdString(FPaths.DataDir)).filePath(Name);
}

QString TMainForm::SettingsFile(const QString& Name) const {
  return QDir(QString::fromStdString(FPaths.SettingsDir)).filePath(Name);
}

void TMainForm::Run(const std::function<void()>& Command) {
  const auto Started = std::chrono::steady_clock::now();
  try {
    Command();
  } catch (const std::exception& E) {
    ShowError(QString::fromStdString(UserErrorText(E)));
  } catch (...) {
    ShowError(QStringLiteral("Неизвестная ошибка"));
  }
  try {
    UpdateActions();
    // A card that took long to make is copied at once rather than at the next autosave.
    FAutosave->CommandFinished(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - Started));
  } catch (const std::exception& E) {
    ShowError(QString::fromStdString(UserErrorText(E)));
  }
}

void TMainForm::UpdateActions() {
  // A card that is saved (or was never changed) needs no recovery copy.
  if (!FDoc->Modified)
    FAutosave->Discard();
  const bool HasCanvas = !FDoc->IsEmpty();
  const bool OnBitmap = FDoc->Selected() == nullptr || FDoc->SelectedBitmapLayer() != nullptr;
  Save1->setEnabled(HasCanvas);
  N3->setEnabled(HasCanvas);
  SaveIt->setEnabled(HasCanvas);
  mnExport->menuAction()->setEnabled(HasCanvas);
  for (QAction* A : mnExport->actions()) A->setEnabled(HasCanvas);
  N70->setEnabled(HasCanvas);
  PrintIt->setEnabled(HasCanvas);
  N34->setEnabled(HasCanvas);
  PreviewIt->setEnabled(HasCanvas);
  for (QAction* A : mnImage->actions()) A->setEnabled(HasCanvas);
  // Brightness and colour balance need a bitmap layer, or nothing selected.
  N38->setEnabled(HasCanvas && OnBitmap);
  N39->setEnabled(HasCanvas && OnBitmap);
  // Effects work on a bitmap layer or, with nothing selected, on the canvas.
  for (QAction* A : mnFilter->actions()) A->setEnabled(HasCanvas && OnBitmap);
  // Clipboard, selection areas, canvas crop ("Обрезать холст" only while no crop is going on).
  N20->setEnabled(FClipCommands->CanCut());
  N21->setEnabled(FClipCommands->CanCopy());
  CopyIt->setEnabled(FClipCommands->CanCopy());
  N22->setEnabled(FClipCommands->CanPaste());
  PasteIt->setEnabled(FClipCommands->CanPaste());
  N47->setEnabled(FClipCommands->CanPasteAsNew());
  N71->setEnabled(FClipCommands->CanSelect());
  N98->setEnabled(FClipCommands->CanSelect());
  N114->setEnabled(HasCanvas && !IsCropArea(FDoc->Selected()));
  // Borders and the button effect work on a bitmap layer or the canvas, not on an area.
  N61->setEnabled(HasCanvas && OnBitmap);
  N121->setEnabled(HasCanvas && OnBitmap);
  // "Отменить: Маска", "Повторить: Перемещение слоя": the items name the step they walk.
  N17->setEnabled(FUndo->CanUndo());
  N18->setEnabled(FUndo->CanRedo());
  const auto Named = [](const char* Item, const std::string& Step) {
    return Step.empty()
               ? QString::fromUtf8(Item)
               : QString::fromUtf8(Item) + QStringLiteral(": ") + QString::fromStdString(Step);
  };
  N17->setText(Named("Отменить", FUndo->UndoName()));
  N18->setText(Named("Повторить", FUndo->RedoName()));
  const auto Apply = [](const std::array<QAction*, 16>& Items, const TLayerMenuEnabling& On) {
    for (size_t I = 0; I < Items.size(); ++I)
      if (Items[I] != nullptr && !Items[I]->isSeparator())
        Items[I]->setEnabled(On[I]);
  };
  Apply(ArrangeItems, FCommands->ArrangeMenuEnabled());
  Apply(PopupItems, FCommands->LayerPopupEnabled());
  // A layer made as a caption; one changed since says why its text cannot be edited.
  const TBitmapLayer* Caption = FDoc->SelectedBitmapLayer();
  EditCaptionPopup->setEnabled(Caption != nullptr && FDoc->Captions.WasCaption(*Caption));
  // "Произвольный угол" turns a bitmap layer.
  for (QAction* A : {N13, N13Popup}) A->setEnabled(FDoc->SelectedBitmapLayer() != nullptr);
  // The composition panel: the controls of the checked background and underlay modes.
  PageControl1->UpdateControls();

  // "открытка.kvt* — Pelmora"; the bare product name while there is no card.
  QString Title = QStringLiteral("Pelmora");
  if (HasCanvas) {
    const std::string& Name = CurrentFileName();
    const QString Shown = Name.empty() ? QStringLiteral("Без имени")
                                       : QFileInfo(QString::fromStdString(Name)).fileName();
    Title =
        Shown + (FDoc->Modified ? QStringLiteral("*") : QString()) + QStringLiteral(" — Pelmora");
  }
  if (windowTitle() != Title)
    setWindowTitle(Title);
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  // FormCloseQuery: a card with unsaved changes closes only when the user agrees. A save that
  // fails (the error is shown) keeps the window open with the card as it was.
  bool Close = FClosed || FDoc->IsEmpty();
  if (!Close)
    Run([&] { Close = AskToSave(); });
  if (!Close) {
    Event->ignore();
    return;
  }
  Run([this] { FormClose(); });
  Event->accept();
}

// --- Document commands --------------------------------------------------------------------------

void TMainForm::mnFileNewClick() {
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  int Width = 0, Height = 0;
  if (AskNewSize(Width, Height)) {
    // A size that cannot be made is refused before anything of the card changes.
    FDoc->NewCanvas(Width, Height, 0xFFFFFFFF);
    FOpenName.clear();
    FSaveName.clear();
    FUndo->Reset();
  }
  N35Click();
  Panel1->setVisible(!FDoc->IsEmpty());
  StatusPanel1->setText(QStringLiteral("Новый проект"));
  ShowCanvasSize();
  Start->hide();
  UpdatePanels();
}

void TMainForm::mnNewBitmapLayerClick() {
  const QString Name = AskPictureFileName(this, QStringLiteral("Добавить фотографию"),
                                          DialogFolder(), OpenLayerFilter());
  if (Name.isEmpty())
    return;
  RememberFolder(Name);
  AddPhotoFromFile(Name);
}

void TMainForm::mnFlattenClick() {
  TCardRunner(*FDoc, FUndo.get()).Run(usFlatten, [this] { FDoc->Flatten(); });
}

void TMainForm::N70Click() {
  if (FDoc->IsEmpty())
    return;
  // Rendering hides the selection frame; the layer stays selected.
  TCustomLayer* const Selected = FDoc->Selected();
  const std::unique_ptr<TBitmap32> Flat = FDoc->RenderFlatImage();
  FDoc->SetSelection(Selected);
  const bool Printed = FPrint->Execute(*Flat);
  FImgView->View().Invalidate();
  if (!Printed)
    return;
  const QString File = FPrint->OutputFile();
  statusBar()->showMessage(
      File.isEmpty()
          ? QStringLiteral("Открытка отправлена на принтер «%1»").arg(FPrintSettings->Name())
          : QStringLiteral("Открытка напечатана в файл %1").arg(QDir::toNativeSeparators(File)),
      PrintMessageMs);
}

void TMainForm::N62Click() {
  // The printer the print window prints on: what is set here is what the next print uses.
  AskPageSetup(FPrintSettings->Current());
}

void TMainForm::N33Click() {
  if (FDoc->IsEmpty())
    return;
  // The dialog replaces a caption it added during this visit, counted from here.
  // A first caption's line is about a tenth of the card's part in sight.
  const float Scale = FImgView->View().Scale();
  auto InSight = [Scale](int32_t Card, int32_t Control) {
    return Scale > 0 ? std::min(Card, int32_t(std::lround(Control / Scale))) : Card;
  };
  const int32_t High = InSight(FDoc->Canvas().Height(), FImgView->height());
  const int32_t Wide = InSight(FDoc->Canvas().Width(), FImgView->width());
  // The dialog's visit is one step, however often it applies its caption.
  TCardRunner(*FDoc, FUndo.get()).Begin("Caption");
  FTexter->Execute(FDoc->Layers().Count(), SuggestedCaptionSize(High, Wide));
  FUndo->DropIfUnchanged();
  FImgView->View().Invalidate();
}

void TMainForm::EditCaptionClick() {
  TBitmapLayer* L = FDoc->SelectedBitmapLayer();
  if (L == nullptr)
    return;
  TCaption Caption;
  switch (CaptionToEdit(*FDoc, *L, Caption)) {
    case TCaptionKind::Picture:
      return;
    case TCaptionKind::Changed:
      ShowMessage(QString::fromUtf8(CaptionChangedText));
      return;
    case TCaptionKind::Editable:
      break;
  }
  // The visit is one step, however often "Просмотр" renders the caption again.
  TCardRunner(*FDoc, FUndo.get()).Begin("EditCaption");
  FTexter->ExecuteEdit(*L, Caption);
  FUndo->DropIfUnchanged();
  FImgView->View().Invalidate();
  UpdateActions();
}

void TMainForm::N5Click() {
  SaveRecentList();
  close();
}

// --- Files ---------------------------------------------------------------------------------------

void TMainForm::N26Click() {
  if (FHelp == nullptr)
    FHelp = new THelpWindow(this);
  const QString Page = ProgramFile("Help.html");
  if (!FHelp->ShowPage(Page))
    throw Exception("Не найден файл справки: " + Page.toStdString());
}

void TMainForm::N28Click() {
  OpenUrl(QUrl(FLinks.Site));
}
void TMainForm::N42Click() {
  OpenUrl(QUrl(FLinks.Examples));
}
void TMainForm::N97Click() {
  OpenUrl(QUrl(FLinks.SupportMail));
}
void TMainForm::N30Click() {
  FAboutKVT->exec();
}

// --- Notifications ------------------------------------------------------------------------------

void TMainForm::ImgViewChange() {
  if (FStatusSaysExported && FDoc->Modified) {
    FStatusSaysExported = false;
    StatusPanel1->setText(QString::fromStdString(CurrentFileName()));
  }
  UpdateActions();
  ShowCanvasSize();
  UpdatePanels();
}

void TMainForm::SelectionChanged(TCustomLayer*) {
  UpdatePanels();
  UpdateActions();
}

void TMainForm::UpdatePanels() {
  const bool HasCanvas = !FDoc->IsEmpty();
  pnlImage->setVisible(HasCanvas);
  Panel1->setVisible(HasCanvas);
  TBitmapLayer* L = FDoc->SelectedBitmapLayer();
  pnlBitmapLayer->setVisible(L != nullptr);
  if (L != nullptr) {
    const QSignalBlocker Block(LayerOpacity);
    LayerOpacity->setValue(static_cast<int>(L->Bitmap()->MasterAlpha()));
    LayerInterpolate->setChecked(L->Bitmap()->StretchFilter() == sfLinear);
  }
  TCustomLayer* S = FDoc->Selected();
  Crops->setVisible(IsCropArea(S));
}

// --- Undo and layer editing ----------------------------------------------------------------------

void TMainForm::N17Click() {
  FUndo->Undo();
  PageControl1->FollowCard();
  UpdateActions();
}

void TMainForm::N18Click() {
  FUndo->Redo();
  PageControl1->FollowCard();
  UpdateActions();
}

void TMainForm::mnReorder(int Tag) {
  FCommands->Reorder(Tag);
}

void TMainForm::mnDeleteClick() {
  FCommands->DeleteSelected();
  UpdateActions();
}

void TMainForm::Button8Click() {
  mnDeleteClick();
  FDoc->Modified = true;
}

void TMainForm::N88Click() {
  FCommands->CloneSelected();
}
void TMainForm::N901Click() {
  FCommands->RotateRight();
}
void TMainForm::N902Click() {
  FCommands->RotateLeft();
}
void TMainForm::N24Click() {
  FCommands->FlipTopToBottom();
}
void TMainForm::N53Click() {
  FCommands->FlipLeftToRight();
}
void TMainForm::N109Click() {
  FCommands->RemoveMask();
}

void TMainForm::ImgViewMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y,
                                 TCustomLayer* Layer) {
  if (PickModeMouseDown(X, Y))
    return;
  // A double click on a caption layer (or its frame) edits its text. The press that came before
  // started a drag of the frame: it ends here, and its step goes when nothing moved.
  TRubberbandLayer* Frame = FDoc->RBLayer();
  TBitmapLayer* Chosen = FDoc->SelectedBitmapLayer();
  if ((Shift & ssDouble) != 0 && Button == mbLeft && Chosen != nullptr &&
      (Layer == Chosen || (Layer != nullptr && Layer == Frame)) &&
      FDoc->Captions.WasCaption(*Chosen)) {
    if (Frame != nullptr && Frame->IsDragging())
      Frame->MouseUp(Button, Shift, X, Y);
    FImgView->SetMouseCapture(false);
    if (FDragStep) {
      FDragStep = false;
      FUndo->DropIfUnchanged();
    }
    // After the mouse's own events: the dialog is modal.
    QTimer::singleShot(0, this, [this] { Run([this] { EditCaptionClick(); }); });
    return;
  }
  // A drag of the frame around a bitmap layer is one undo step from press to release; the
  // frame has taken the press already, and nothing has moved yet.
  TRubberbandLayer* RB = FDoc->RBLayer();
  if (Layer != nullptr && Layer == RB && RB->IsDragging() &&
      FDoc->SelectedBitmapLayer() != nullptr) {
    TCardRunner(*FDoc, FUndo.get())
        .Begin(RB->DragState() == DragMove ? usMoveLayer : usResizeLayer);
    FDragStep = true;
  }
  FCommands->ViewMouseDown(Layer);
  if (Layer == nullptr)
    FImgView->SetMouseCapture(false);
}

void TMainForm::RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State,
                           TShiftState Shift) {
  TResizeOptions Options;
  Options.Propos = Propos->isChecked();
  Options.CropsP = CropsP->currentIndex();
  Options.Obrat = Obrat->isChecked();
  const std::string Status = FCommands->RBResizing(Old, New, State, Shift, Options);
  if (!Status.empty())
    StatusPanel2->setText(QString::fromStdString(Status));
}

void TMainForm::ShowCanvasSize() {
  const TBitmap32& B = FDoc->Canvas();
  StatusPanel2->setText(B.IsEmpty() ? QString()
                                    : QStringLiteral("%1x%2").arg(B.Width()).arg(B.Height()));
}
