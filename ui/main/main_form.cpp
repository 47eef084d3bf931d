#include "main_form.h"

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
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
  Dialogs.ShowError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  Dialogs.OpenUrl = [](const QUrl& Url) { QDesktopServices::openUrl(Url); };
  Dialogs.AskSaveQuestion = [this] {
    return QMessageBox::question(this, QStringLiteral("Pelmora"), SaveQuestionText(),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };
  Dialogs.AskSaveName = [this](std::string& Typed, TSaveFormat& Format) {
    if (!AskSaveFileName(this, QStringLiteral("Сохранить как"), DialogFolder(), Typed, Format,
                         [this](const QString& Path) { return AskReplaceFile(this, Path); }))
      return false;
    RememberFolder(QString::fromStdString(Typed));
    return true;
  };
  Dialogs.AskRestore = [this](const QString& Text) {
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
  BuildActions();
  BuildGeometryDialogs();
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
  FImgView->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
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
      UpdateActions();
      Menu(TMainAction::LayerPopup)->popup(FImgView->mapToGlobal(P));
    });
  });

  ReadSettings();

  FGifType = new TGifType(this);
  FCompress = new TCompress(this);
  FFull = new TFull(this);
  FAboutKVT = new TAboutKVT(this);
  FPrintSettings = std::make_unique<TPrintSettings>(SettingsFile(QStringLiteral("Print.kvp")));
  FPrint = new TKVTPrint(this, FPrintSettings.get());
  Dialogs.AskPageSetup = [this](QPrinter& Printer) {
    QPageSetupDialog Dialog(&Printer, this);
    return Dialog.exec() == QDialog::Accepted;
  };
  FTexter = new TTexter(*FDoc, QString::fromStdString(FPaths.DataDir), this);
  FTexter->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  FTexter->OnCardChanged = [this] { FImgView->View().Invalidate(); };
  BuildFrameDialogs();
  BuildNewCardDialogs();
  BuildLayerGeometryDialogs();
  BuildOutlineCommands();
  BuildDialogPlacement();
  ShowLinkItems();

  FGalleryTimer = new QTimer(this);
  FGalleryTimer->setSingleShot(true);
  FGalleryTimer->setInterval(100);
  connect(FGalleryTimer, &QTimer::timeout, this,
          [this] { Run([this] { FCompositionPanel->LoadGalleries(); }); });
  FGalleryTimer->start();
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
    Dialogs.ShowError(QString::fromStdString(UserErrorText(E)));
  } catch (...) {
    Dialogs.ShowError(QStringLiteral("Неизвестная ошибка"));
  }
  try {
    UpdateActions();
    // A card that took long to make is copied at once rather than at the next autosave.
    FAutosave->CommandFinished(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - Started));
  } catch (const std::exception& E) {
    Dialogs.ShowError(QString::fromStdString(UserErrorText(E)));
  }
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
  if (Dialogs.AskNewSize(Width, Height)) {
    // A size that cannot be made is refused before anything of the card changes.
    FDoc->NewCanvas(Width, Height, 0xFFFFFFFF);
    FOpenName.clear();
    FSaveName.clear();
    FUndo->Reset();
  }
  FitInWindowClick();
  FCompositionSection->setVisible(!FDoc->IsEmpty());
  FStatusText->setText(QStringLiteral("Новый проект"));
  ShowCanvasSize();
  FStartSection->hide();
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

void TMainForm::PrintClick() {
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

void TMainForm::PrintSetupClick() {
  // The printer the print window prints on: what is set here is what the next print uses.
  Dialogs.AskPageSetup(FPrintSettings->Current());
}

void TMainForm::AddCaptionClick() {
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
      Dialogs.ShowMessage(QString::fromUtf8(CaptionChangedText));
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

void TMainForm::ExitClick() {
  SaveRecentList();
  close();
}

// --- Files ---------------------------------------------------------------------------------------

void TMainForm::HelpClick() {
  if (FHelp == nullptr)
    FHelp = new THelpWindow(this);
  const QString Page = ProgramFile("Help.html");
  if (!FHelp->ShowPage(Page))
    throw Exception("Не найден файл справки: " + Page.toStdString());
}

void TMainForm::SiteClick() {
  Dialogs.OpenUrl(QUrl(FLinks.Site));
}
void TMainForm::ExamplesClick() {
  Dialogs.OpenUrl(QUrl(FLinks.Examples));
}
void TMainForm::SupportClick() {
  Dialogs.OpenUrl(QUrl(FLinks.SupportMail));
}
void TMainForm::AboutClick() {
  FAboutKVT->exec();
}

// --- Notifications ------------------------------------------------------------------------------

void TMainForm::ImgViewChange() {
  if (FStatusSaysExported && FDoc->Modified) {
    FStatusSaysExported = false;
    FStatusText->setText(QString::fromStdString(CurrentFileName()));
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
  FImageSection->setVisible(HasCanvas);
  FCompositionSection->setVisible(HasCanvas);
  TBitmapLayer* L = FDoc->SelectedBitmapLayer();
  FLayerSection->setVisible(L != nullptr);
  if (L != nullptr) {
    const QSignalBlocker Block(FLayerOpacity);
    FLayerOpacity->setValue(static_cast<int>(L->Bitmap()->MasterAlpha()));
    FLayerInterpolate->setChecked(L->Bitmap()->StretchFilter() == sfLinear);
  }
  TCustomLayer* S = FDoc->Selected();
  FCropSection->setVisible(IsCropArea(S));
}

// --- Undo and layer editing ----------------------------------------------------------------------

void TMainForm::UndoClick() {
  FUndo->Undo();
  FCompositionPanel->FollowCard();
  UpdateActions();
}

void TMainForm::RedoClick() {
  FUndo->Redo();
  FCompositionPanel->FollowCard();
  UpdateActions();
}

void TMainForm::ReorderClick(int Tag) {
  FCommands->Reorder(Tag);
}

void TMainForm::mnDeleteClick() {
  FCommands->DeleteSelected();
  UpdateActions();
}

void TMainForm::DeleteLayerButtonClick() {
  mnDeleteClick();
  FDoc->Modified = true;
}

void TMainForm::CloneClick() {
  FCommands->CloneSelected();
}
void TMainForm::RotateRightClick() {
  FCommands->RotateRight();
}
void TMainForm::RotateLeftClick() {
  FCommands->RotateLeft();
}
void TMainForm::FlipTopToBottomClick() {
  FCommands->FlipTopToBottom();
}
void TMainForm::FlipLeftToRightClick() {
  FCommands->FlipLeftToRight();
}
void TMainForm::RemoveMaskClick() {
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
  Options.Propos = FKeepProportions->isChecked();
  Options.CropsP = FCropProportion->currentIndex();
  Options.Obrat = FCropPortrait->isChecked();
  const std::string Status = FCommands->RBResizing(Old, New, State, Shift, Options);
  if (!Status.empty())
    FStatusSize->setText(QString::fromStdString(Status));
}

void TMainForm::ShowCanvasSize() {
  const TBitmap32& B = FDoc->Canvas();
  FStatusSize->setText(B.IsEmpty() ? QString()
                                   : QStringLiteral("%1x%2").arg(B.Width()).arg(B.Height()));
}
