#include "main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <cmath>
#include <exception>

#include "about_dialog.h"
#include "exceptions.h"
#include "export_dialogs.h"
#include "full_preview.h"
#include "open_document.h"
#include "png_codec.h"
#include "project_file.h"
#include "tiff_codec.h"
#include "new_canvas_dialog.h"
#include "toolbar_icons.h"

namespace {

// Caption of the first status panel at start.
const char* const WheelHint = "Масштаб изображения регулируется колесом прокрутки";

QString SizeText(const TBitmap32& B) {
  if (B.IsEmpty()) return {};
  return QStringLiteral("%1x%2").arg(B.Width()).arg(B.Height());
}

}  // namespace

TMainForm::TMainForm(const QString& ProgramDir, QWidget* Parent)
    : QMainWindow(Parent), FProgramDir(ProgramDir), FImgView(new ImgViewWidget(this)) {
  setWindowTitle(QStringLiteral("Pelmora"));
  FDoc = std::make_unique<TCardDocument>(FImgView->View());
  FUndo = std::make_unique<TUndoStack>(*FDoc);
  FCommands = std::make_unique<TLayerCommands>(*FDoc, *FUndo);
  FUndo->OnReleaseCapture = [this] { FImgView->SetMouseCapture(false); };
  ShowError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  OpenUrl = [](const QUrl& Url) { QDesktopServices::openUrl(Url); };
  AskSaveQuestion = [this] {
    return QMessageBox::question(this, QStringLiteral("Pelmora"),
                                 QStringLiteral("Сохранить изображение?"),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };
  AskSaveName = [this](std::string& Typed, int& FilterIndex) {
    const QStringList Filters = {
        QStringLiteral("Vesnova project (*.kvt)"), QStringLiteral("Bitmaps (*.bmp)"),
        QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("CompuServe GIF Image (*.gif)"),
        QStringLiteral("PNG Image (*.png)"),       QStringLiteral("TIFF Image (*.tif)")};
    QFileDialog Dialog(this, QStringLiteral("Сохранить как"));
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setNameFilters(Filters);
    Dialog.selectNameFilter(Filters.value(FilterIndex - 1));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return false;
    Typed = Dialog.selectedFiles().first().toStdString();
    FilterIndex = static_cast<int>(Filters.indexOf(Dialog.selectedNameFilter())) + 1;
    return !Typed.empty();
  };

  BuildMenus();
  BuildToolBar();
  BuildSidePanel();
  BuildStatusBar();

  auto* Central = new QWidget(this);
  auto* Row = new QHBoxLayout(Central);
  Row->setContentsMargins(0, 0, 0, 0);
  Row->setSpacing(0);
  Row->addWidget(FImgView, 1);
  Row->addWidget(SidePanel);
  setCentralWidget(Central);

  // The editor background replaces the view's own background clearing.
  TImgView32& View = FImgView->View();
  if (View.PaintStages().Count() > 0 && View.PaintStages().Items(0).Stage == PST_CLEAR_BACKGND)
    View.PaintStages().Items(0).Stage = PST_CUSTOM;
  View.OnPaintStage = [this](TObject*, TBitmap32* Buffer, uint32_t) { ImgViewPaintStage(Buffer); };
  FImgView->OnMouseWheel = [this](int Delta, TShiftState, QPoint) {
    return ImgViewMouseWheel(Delta);
  };
  FDoc->OnViewChange = [this](TObject*) { ImgViewChange(); };
  FDoc->OnSelectionChanged = [this](TCustomLayer* L) { SelectionChanged(L); };
  FDoc->OnResizing = [this](TObject*, const TSingleRect& Old, TSingleRect& New, TDragState State,
                            TShiftState Shift) { RBResizing(Old, New, State, Shift); };
  View.OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState Shift, int32_t X,
                            int32_t Y, TCustomLayer* Layer) {
    Run([&] { ImgViewMouseDown(Button, Shift, X, Y, Layer); });
  };
  FImgView->OnKeyDown = [this](int Key, TShiftState) {
    if (Key != Qt::Key_Delete) return false;
    Run([this] { mnDeleteClick(); });
    return true;
  };
  FImgView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FImgView, &QWidget::customContextMenuRequested, this, [this](const QPoint& P) {
    if (!FCommands->UsesLayerPopup()) return;
    LayerPopupPopup();
    LayerPopup->popup(FImgView->mapToGlobal(P));
  });

  resize(894, 626);
  if (const QScreen* S = QGuiApplication::primaryScreen())
    move(S->availableGeometry().center() - rect().center());
  ReadSettings();

  FNewCanvasDialog = new TNewCanvasDialog(this);
  FGifType = new TGifType(this);
  FCompress = new TCompress(this);
  FFull = new TFull(this);
  FAboutKVT = new TAboutKVT(this);

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(100);
  UpdatePanels();
}

TMainForm::~TMainForm() {
  FDoc->OnViewChange = nullptr;
  FDoc->OnSelectionChanged = nullptr;
  FDoc->SetSelection(nullptr);
}

QString TMainForm::ProgramFile(const QString& Name) const {
  return QDir(FProgramDir).filePath(Name);
}

void TMainForm::Run(const std::function<void()>& Command) {
  try {
    Command();
  } catch (const std::exception& E) {
    ShowError(QString::fromUtf8(E.what()));
  } catch (...) {
    ShowError(QStringLiteral("Неизвестная ошибка"));
  }
}

QAction* TMainForm::AddCommand(QMenu* Menu, const QString& Caption, void (TMainForm::*Handler)(),
                               const QKeySequence& Shortcut) {
  QAction* A = Menu->addAction(Caption);
  if (!Shortcut.isEmpty()) A->setShortcut(Shortcut);
  connect(A, &QAction::triggered, this, [this, Handler] { Run([this, Handler] { (this->*Handler)(); }); });
  return A;
}

void TMainForm::BuildMenus() {
  QMenuBar* Bar = menuBar();
  mnFile = Bar->addMenu(QStringLiteral("Файл"));
  mnFileNew = AddCommand(mnFile, QStringLiteral("Новый"), &TMainForm::mnFileNewClick,
                         QKeySequence(Qt::CTRL | Qt::Key_N));
  mnFileOpen = AddCommand(mnFile, QStringLiteral("Открыть"), &TMainForm::mnFileOpenClick,
                          QKeySequence(Qt::CTRL | Qt::Key_O));
  Save1 = AddCommand(mnFile, QStringLiteral("Сохранить"), &TMainForm::Save1Click,
                     QKeySequence(Qt::CTRL | Qt::Key_S));
  N3 = AddCommand(mnFile, QStringLiteral("Сохранить как..."), &TMainForm::N3Click);
  Save1->setEnabled(false);
  N3->setEnabled(false);
  N14 = mnFile->addMenu(QStringLiteral("Недавние открытки"));
  connect(N14, &QMenu::aboutToShow, this, [this] { Run([this] { N14Click(); }); });
  QMenu* Export = mnFile->addMenu(QStringLiteral("Экспорт открытки"));
  const char* const Formats[] = {"В формат BMP", "В формат JPEG", "В формат GIF", "В формат PNG",
                                 "В формат TIFF"};
  for (int I = 0; I < 5; ++I) {
    QAction* A = Export->addAction(QString::fromUtf8(Formats[I]));
    connect(A, &QAction::triggered, this, [this, I] { Run([this, I] { SaveAs(I + 2); }); });
  }
  mnFile->addSeparator();
  AddCommand(mnFile, QStringLiteral("Выход"), &TMainForm::N5Click, QKeySequence(Qt::Key_F10));
  connect(mnFile, &QMenu::aboutToShow, this, [this] { Run([this] { mnFileClick(); }); });

  mnEdit = Bar->addMenu(QStringLiteral("Правка"));
  N17 = AddCommand(mnEdit, QStringLiteral("Отменить"), &TMainForm::N17Click,
                   QKeySequence(Qt::CTRL | Qt::Key_Z));
  N18 = AddCommand(mnEdit, QStringLiteral("Повторить"), &TMainForm::N18Click,
                   QKeySequence(Qt::CTRL | Qt::Key_Y));
  N17->setEnabled(false);
  N18->setEnabled(false);
  connect(mnEdit, &QMenu::aboutToShow, this, [this] { Run([this] { N16Click(); }); });

  mnImage = Bar->addMenu(QStringLiteral("Изображение"));
  N96 = AddCommand(mnImage, QStringLiteral("Добавить фотографию"), &TMainForm::mnNewBitmapLayerClick);
  connect(mnImage, &QMenu::aboutToShow, this, [this] { Run([this] { N8Click(); }); });

  mnFilter = Bar->addMenu(QStringLiteral("Обработка"));
  N120 = AddCommand(mnFilter, QStringLiteral("Склеить все слои"), &TMainForm::mnFlattenClick);
  connect(mnFilter, &QMenu::aboutToShow, this, [this] { Run([this] { N40Click(); }); });

  mnArrange = Bar->addMenu(QStringLiteral("Выделение"));
  BuildLayerMenu(mnArrange, ArrangeItems, false);
  connect(mnArrange, &QMenu::aboutToShow, this, [this] { Run([this] { mnArrangeClick(); }); });
  LayerPopup = new QMenu(this);
  BuildLayerMenu(LayerPopup, PopupItems, true);

  mnView = Bar->addMenu(QStringLiteral("Вид"));
  AddCommand(mnView, QStringLiteral("Масштаб 100%"), &TMainForm::N36Click,
             QKeySequence(Qt::CTRL | Qt::Key_A));
  AddCommand(mnView, QStringLiteral("Уместить в окне"), &TMainForm::N35Click,
             QKeySequence(Qt::CTRL | Qt::Key_F));
  AddCommand(mnView, QStringLiteral("Полноэкранный просмотр"), &TMainForm::N34Click);
  QMenu* Background = mnView->addMenu(QStringLiteral("Фон редактора"));
  AddCommand(Background, QStringLiteral("Выбрать цвет"), &TMainForm::N102Click);
  N103 = AddCommand(Background, QStringLiteral("Шашкой"), &TMainForm::N103Click);
  N103->setCheckable(true);

  mnHelp = Bar->addMenu(QStringLiteral("Справка"));
  AddCommand(mnHelp, QStringLiteral("Справка"), &TMainForm::N26Click, QKeySequence(Qt::Key_F1));
  AddCommand(mnHelp, QStringLiteral("Сайт программы"), &TMainForm::N28Click);
  AddCommand(mnHelp, QStringLiteral("Примеры открыток"), &TMainForm::N42Click);
  AddCommand(mnHelp, QStringLiteral("Техническая поддержка"), &TMainForm::N97Click);
  AddCommand(mnHelp, QStringLiteral("О программе Pelmora"), &TMainForm::N30Click);
}

void TMainForm::BuildLayerMenu(QMenu* Menu, std::array<QAction*, 16>& Items, bool Popup) {
  const auto Reorder = [this, Menu](const QString& Caption, int Tag) {
    QAction* A = Menu->addAction(Caption);
    connect(A, &QAction::triggered, this, [this, Tag] { Run([this, Tag] { mnReorder(Tag); }); });
    return A;
  };
  Items[0] = Reorder(QStringLiteral("Поместить вперёд"), 1);
  Items[1] = Reorder(QStringLiteral("Поместить назад"), 2);
  Items[2] = Menu->addSeparator();
  Items[3] = Reorder(QStringLiteral("Вверх на один уровень"), 3);
  Items[4] = Reorder(QStringLiteral("Вниз на один уровень"), 4);
  Items[5] = Menu->addSeparator();
  QMenu* Turn = Menu->addMenu(QStringLiteral("Повернуть"));
  AddCommand(Turn, QStringLiteral("На 90° вправо"), &TMainForm::N901Click);
  AddCommand(Turn, QStringLiteral("На 90° влево"), &TMainForm::N902Click);
  Items[6] = Turn->menuAction();
  QMenu* Flip = Menu->addMenu(QStringLiteral("Отразить"));
  AddCommand(Flip, Popup ? QStringLiteral("По горизонтали") : QStringLiteral("По вертикали"),
             &TMainForm::N24Click);
  AddCommand(Flip,
             Popup ? QStringLiteral("По вертикали (зеркальное)")
                   : QStringLiteral("По горизонтали (зеркальное)"),
             &TMainForm::N53Click);
  Items[7] = Flip->menuAction();
  Items[11] = Menu->addSeparator();
  Items[13] = AddCommand(Menu, QStringLiteral("Снять маску"), &TMainForm::N109Click);
  Items[14] = AddCommand(Menu, QStringLiteral("Клонировать"), &TMainForm::N88Click,
                         Popup ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_D));
  Items[15] = AddCommand(Menu, QStringLiteral("Удалить"), &TMainForm::mnDeleteClick,
                         Popup ? QKeySequence() : QKeySequence(Qt::Key_Delete));
}

void TMainForm::ApplyEnabling(const std::array<QAction*, 16>& Items, const TLayerMenuEnabling& On) {
  for (size_t I = 0; I < Items.size(); ++I)
    if (Items[I] != nullptr && !Items[I]->isSeparator()) Items[I]->setEnabled(On[I]);
}

void TMainForm::BuildToolBar() {
  QToolBar* ToolBar1 = addToolBar(QStringLiteral("Панель инструментов"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(48, 48));
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  QAction* New = ToolBar1->addAction(MakeToolIcon(TToolIcon::New), QStringLiteral("Новый"));
  connect(New, &QAction::triggered, this, [this] { Run([this] { mnFileNewClick(); }); });
  QAction* Open = ToolBar1->addAction(MakeToolIcon(TToolIcon::Open), QStringLiteral("Открыть"));
  connect(Open, &QAction::triggered, this, [this] { Run([this] { mnFileOpenClick(); }); });
  SaveIt = ToolBar1->addAction(MakeToolIcon(TToolIcon::Save), QStringLiteral("  Сохранить  "));
  SaveIt->setEnabled(false);
  connect(SaveIt, &QAction::triggered, this, [this] { Run([this] { Save1Click(); }); });

  QAction* Preview =
      ToolBar1->addAction(MakeToolIcon(TToolIcon::Preview), QStringLiteral("  Просмотр  "));
  connect(Preview, &QAction::triggered, this, [this] { Run([this] { N34Click(); }); });
  QAction* Site = ToolBar1->addAction(MakeToolIcon(TToolIcon::Site), QStringLiteral("Сайт"));
  connect(Site, &QAction::triggered, this, [this] { Run([this] { N28Click(); }); });
  auto* SiteMenu = new QMenu(this);
  SiteMenu->addAction(QStringLiteral("Техническая поддержка"), this, [this] { Run([this] { N97Click(); }); });
  SiteMenu->addAction(QStringLiteral("Примеры открыток"), this, [this] { Run([this] { N42Click(); }); });
  SiteMenu->addAction(QStringLiteral("Сайт программы"), this, [this] { Run([this] { N28Click(); }); });
  Site->setMenu(SiteMenu);
  if (auto* B = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Site)))
    B->setPopupMode(QToolButton::MenuButtonPopup);
  QAction* Help = ToolBar1->addAction(MakeToolIcon(TToolIcon::Help), QStringLiteral("Справка"));
  connect(Help, &QAction::triggered, this, [this] { Run([this] { N26Click(); }); });
}

void TMainForm::BuildSidePanel() {
  SidePanel = new QWidget(this);
  SidePanel->setObjectName(QStringLiteral("SidePanel"));
  SidePanel->setFixedWidth(336);
  auto* Stack = new QVBoxLayout(SidePanel);
  Stack->setContentsMargins(2, 2, 2, 2);
  Stack->setSpacing(2);

  pnlImage = new TSidePanelSection(QStringLiteral("Изображение"), 104, SidePanel);
  {
    auto* Row = new QHBoxLayout;
    Row->addWidget(new QLabel(QStringLiteral("Просмотр в масштабе"), pnlImage));
    ScaleCombo = new QComboBox(pnlImage);
    ScaleCombo->setEditable(true);
    ScaleCombo->setMaxVisibleItems(9);
    ScaleCombo->addItems({"25%", "50%", "75%", "100%", "200%", "300%", "400%", "800%", "1600%"});
    ScaleCombo->setCurrentText(QStringLiteral("100%"));
    connect(ScaleCombo, &QComboBox::textActivated, this,
            [this](const QString&) { Run([this] { ScaleComboChange(); }); });
    Row->addWidget(ScaleCombo);
    pnlImage->Body()->addLayout(Row);
    ImageInterpolate = new QCheckBox(QStringLiteral("Интерполяция слоёв"), pnlImage);
    ImageInterpolate->setChecked(true);
    connect(ImageInterpolate, &QCheckBox::clicked, this,
            [this](bool On) { Run([this, On] { FDoc->SetImageInterpolate(On); }); });
    pnlImage->Body()->addWidget(ImageInterpolate);
    auto* Button5 = new QPushButton(QStringLiteral("Добавить фотографию"), pnlImage);
    connect(Button5, &QPushButton::clicked, this, [this] { Run([this] { mnNewBitmapLayerClick(); }); });
    pnlImage->Body()->addWidget(Button5);
  }
  Stack->addWidget(pnlImage);

  Panel1 = new TSidePanelSection(QStringLiteral("Настройка композиции"), 328, SidePanel);
  PageControl1 = new QTabWidget(Panel1);
  for (const char* Tab : {"Фон", "Подложка", "Украшения", "Поздравления"})
    PageControl1->addTab(new QWidget(PageControl1), QString::fromUtf8(Tab));
  Panel1->Body()->addWidget(PageControl1);
  Stack->addWidget(Panel1);

  pnlBitmapLayer = new TSidePanelSection(QStringLiteral("Параметры слоя"), 132, SidePanel);
  {
    pnlBitmapLayer->Body()->addWidget(new QLabel(QStringLiteral("Уровень прозрачности"), pnlBitmapLayer));
    LayerOpacity = new QSlider(Qt::Horizontal, pnlBitmapLayer);
    LayerOpacity->setRange(0, 255);
    LayerOpacity->setValue(255);
    connect(LayerOpacity, &QSlider::valueChanged, this,
            [this](int V) { Run([this, V] { FDoc->SetLayerOpacity(static_cast<uint32_t>(V)); }); });
    pnlBitmapLayer->Body()->addWidget(LayerOpacity);
    auto* Row = new QHBoxLayout;
    LayerInterpolate = new QCheckBox(QStringLiteral("Интерполяция"), pnlBitmapLayer);
    LayerInterpolate->setChecked(true);
    connect(LayerInterpolate, &QCheckBox::clicked, this,
            [this](bool On) { Run([this, On] { FDoc->SetLayerInterpolate(On); }); });
    Propos = new QCheckBox(QStringLiteral("Соблюдать пропорции"), pnlBitmapLayer);
    Propos->setChecked(true);
    connect(Propos, &QCheckBox::clicked, this, [this] { FDoc->Modified = true; });
    Row->addWidget(LayerInterpolate);
    Row->addWidget(Propos);
    pnlBitmapLayer->Body()->addLayout(Row);
    auto* Buttons = new QHBoxLayout;
    auto* Button8 = new QPushButton(QStringLiteral("Удалить слой"), pnlBitmapLayer);
    connect(Button8, &QPushButton::clicked, this, [this] { Run([this] { Button8Click(); }); });
    auto* Button7 = new QPushButton(QStringLiteral("Создать копию"), pnlBitmapLayer);
    connect(Button7, &QPushButton::clicked, this, [this] { Run([this] { N88Click(); }); });
    Buttons->addWidget(Button8);
    Buttons->addWidget(Button7);
    pnlBitmapLayer->Body()->addLayout(Buttons);
  }
  Stack->addWidget(pnlBitmapLayer);

  Start = new TSidePanelSection(QStringLiteral("Начало работы"), 0, SidePanel);
  {
    Start->Body()->addWidget(new QLabel(QStringLiteral("<b>Создать открытку</b>"), Start));
    auto* Label11 = new QLabel(QStringLiteral("<a href=\"new\">Новый проект</a>"), Start);
    connect(Label11, &QLabel::linkActivated, this, [this](const QString&) { Run([this] { mnFileNewClick(); }); });
    Start->Body()->addWidget(Label11);
    Start->Body()->addWidget(new QLabel(QStringLiteral("<b>Открыть проект</b>"), Start));
    for (int I = 0; I < 4; ++I) {
      Labs[I] = new QLabel(Start);
      connect(Labs[I], &QLabel::linkActivated, this,
              [this, I](const QString&) { Run([this, I] { OpenLink(I); }); });
      Start->Body()->addWidget(Labs[I]);
    }
    auto* Label9 = new QLabel(QStringLiteral("<a href=\"open\">Другой документ</a>"), Start);
    connect(Label9, &QLabel::linkActivated, this, [this](const QString&) { Run([this] { mnFileOpenClick(); }); });
    Start->Body()->addWidget(Label9);
  }
  Stack->addWidget(Start);

  Crops = new TSidePanelSection(QStringLiteral("Обрезка холста"), 0, SidePanel);
  Crops->hide();
  Stack->addWidget(Crops);
  Stack->addStretch(1);
}

void TMainForm::BuildStatusBar() {
  StatusPanel1 = new QLabel(QString::fromUtf8(WheelHint), this);
  StatusPanel1->setMinimumWidth(350);
  StatusPanel2 = new QLabel(this);
  StatusPanel2->setMinimumWidth(200);
  statusBar()->addWidget(StatusPanel1);
  statusBar()->addWidget(StatusPanel2);
}

void TMainForm::ReadSettings() {
  FRecent.LoadFromFile(TRecentFiles::ListFileName(FProgramDir.toStdString()));
  UpdateLinks();
  const TViewSettings V = ReadViewSettings(ProgramFile("View.kvp").toStdString());
  BufColor = V.Color;
  N103->setChecked(V.Chess);
  if (const auto F = ReadFormSettings(ProgramFile("CForm.kvp").toStdString())) {
    const QRect Stored(F->Left, F->Top, F->Width, F->Height);
    const QScreen* Screen = QGuiApplication::screenAt(Stored.center());
    // A placement on no screen (a monitor since removed) keeps the centred default.
    if (F->WindowState == 0 && F->Width > 0 && F->Height > 0 && Screen != nullptr)
      setGeometry(Stored.intersected(Screen->availableGeometry()));
    else if (F->WindowState == 2)
      setWindowState(Qt::WindowMaximized);
    else if (F->WindowState == 1)
      setWindowState(Qt::WindowMinimized);
    if (F->PanelSide == 1) {
      FPanelOnLeft = true;
      auto* Row = static_cast<QHBoxLayout*>(centralWidget()->layout());
      Row->removeWidget(SidePanel);
      Row->insertWidget(0, SidePanel);
    }
  }
}

void TMainForm::showEvent(QShowEvent* Event) { QMainWindow::showEvent(Event); }

void TMainForm::closeEvent(QCloseEvent* Event) {
  // FormCloseQuery: a card with unsaved changes closes only when the user agrees.
  bool Close = true;
  if (!FClosed && !FDoc->IsEmpty()) Run([&] { Close = AskToSave(); });
  if (!Close) {
    Event->ignore();
    return;
  }
  FormClose();
  Event->accept();
}

void TMainForm::FormClose() {
  if (FClosed) return;
  FClosed = true;
  SaveRecentList();
  TViewSettings V;
  V.Chess = N103->isChecked();
  V.Color = BufColor;
  WriteViewSettings(ProgramFile("View.kvp").toStdString(), V);
  TFormSettings F;
  F.WindowState = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
  const QRect G = geometry();
  F.Left = G.left();
  F.Top = G.top();
  F.Width = G.width();
  F.Height = G.height();
  F.PanelSide = FPanelOnLeft ? 1 : 2;
  WriteFormSettings(ProgramFile("CForm.kvp").toStdString(), F);
  FDoc->ClearLayers();
  FDoc->Canvas().SetSize(0, 0);
}

// --- Menu refresh ------------------------------------------------------------------------------

void TMainForm::mnFileClick() {
  const bool HasCanvas = !FDoc->IsEmpty();
  Save1->setEnabled(HasCanvas);
  N3->setEnabled(HasCanvas);
}

void TMainForm::N8Click() {
  const bool HasCanvas = !FDoc->IsEmpty();
  for (QAction* A : mnImage->actions()) A->setEnabled(HasCanvas);
}

void TMainForm::N40Click() {
  const bool HasCanvas = !FDoc->IsEmpty();
  TCustomLayer* S = FDoc->Selected();
  for (QAction* A : mnFilter->actions())
    A->setEnabled(HasCanvas && (S == nullptr || FDoc->SelectedBitmapLayer() != nullptr));
}

// --- Document commands --------------------------------------------------------------------------

void TMainForm::mnFileNewClick() {
  if (!FDoc->IsEmpty() && !AskToSave()) return;
  if (FNewCanvasDialog->exec() == QDialog::Accepted) {
    FOpenName.clear();
    FSaveName.clear();
    FDoc->NewCanvas(FNewCanvasDialog->ResultWidth(), FNewCanvasDialog->ResultHeight(),
                    0xFFFFFFFF);
    FUndo->Reset();
    Save1->setEnabled(true);
    N3->setEnabled(true);
  }
  SaveIt->setEnabled(true);
  N35Click();
  Panel1->setVisible(!FDoc->IsEmpty());
  StatusPanel1->setText(QStringLiteral("Новый проект"));
  StatusPanel2->setText(SizeText(FDoc->Canvas()));
  Start->hide();
  UpdatePanels();
}

void TMainForm::mnNewBitmapLayerClick() {
  const QString Name = QFileDialog::getOpenFileName(
      this, QStringLiteral("Добавить фотографию"), QString(),
      QStringLiteral("All supported formats (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png);;"
                     "GIF Image (*.gif);;JPEG Image File (*.jpg *.jpeg);;Bitmaps (*.bmp);;"
                     "Icons (*.ico);;Enhanced Metafiles (*.emf);;Metafiles (*.wmf);;"
                     "PNG Image (*.png)"));
  if (Name.isEmpty()) return;
  AddPhotoFromFile(Name);
}

namespace {

// Runs a read of FileName; a failure is reported with the file's name in front of the reader's
// own explanation.
template <class F>
void ReadingFile(const std::string& FileName, F&& Read) {
  try {
    Read();
  } catch (const std::exception& E) {
    throw Exception("Не удалось открыть файл \"" + FileName + "\".\n" + E.what());
  }
}

}  // namespace

void TMainForm::AddPhotoFromFile(const QString& FileName) {
  const std::string Name = FileName.toStdString();
  ReadingFile(Name, [&] { FDoc->AddPhoto(Name); });
}

void TMainForm::mnFlattenClick() { FDoc->Flatten(); }

void TMainForm::N5Click() {
  SaveRecentList();
  close();
}

void TMainForm::SaveRecentList() {
  try {
    FRecent.SaveToFile(TRecentFiles::ListFileName(FProgramDir.toStdString()));
  } catch (const Exception&) {
    // A read-only program folder keeps the list of this run only.
  }
}

// --- Files ---------------------------------------------------------------------------------------

bool TMainForm::AskToSave() {
  if (!FDoc->Modified) return true;
  switch (AskSaveQuestion()) {
    case QMessageBox::Yes:
      Save1Click();
      // A save that did not happen (cancelled dialog, failed write) keeps the card open.
      return !FDoc->Modified;
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

void TMainForm::OpenFile(const std::string& FileName) {
  ReadingFile(FileName, [&] { OpenDocument(FileName, *FDoc); });
  FSaveName.clear();
  pnlImage->setVisible(!FDoc->IsEmpty());
  const bool CanSave = SaveEnabledAfterOpen(FileName);
  Save1->setEnabled(CanSave);
  SaveIt->setEnabled(CanSave);
  N3->setEnabled(true);
  if (!FRecent.IsRecent(FileName)) FRecent.AddRecent(FileName);
  StatusPanel1->setText(QString::fromStdString(FileName));
  StatusPanel2->setText(SizeText(FDoc->Canvas()));
  Start->hide();
  FUndo->Reset();
  UpdateUndoItems();
  ShowZoom();
  UpdatePanels();
}

void TMainForm::FitIfLarge() {
  if (FDoc->Canvas().Width() > FImgView->width() - 20 ||
      FDoc->Canvas().Height() > FImgView->height() - 20)
    N35Click();
}

void TMainForm::mnFileOpenClick() {
  if (!FDoc->IsEmpty() && !AskToSave()) return;
  const QString Name = QFileDialog::getOpenFileName(
      this, QStringLiteral("Открыть"), QString::fromStdString(FOpenName),
      QStringLiteral("All supported formats (*.kvt *.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png);;"
                     "GIF Image (*.gif);;JPEG Image File (*.jpg *.jpeg);;Bitmaps (*.bmp);;"
                     "Icons (*.ico);;Enhanced Metafiles (*.emf);;Metafiles (*.wmf);;"
                     "Vesnova Project (*.kvt);;PNG Image (*.png)"));
  if (Name.isEmpty()) return;
  OpenFile(Name.toStdString());
  FOpenName = Name.toStdString();
  FitIfLarge();
  FImgView->View().Invalidate();
  FDoc->Modified = false;
}

void TMainForm::OpenRecent(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FRecent.Paths().size())) return;
  if (!FDoc->IsEmpty() && !AskToSave()) return;
  const std::string Path = FRecent.Paths()[static_cast<size_t>(Index)];
  OpenFile(Path);
  FRecent.Mark(Index);
  FOpenName = Path;
  FDoc->Modified = false;
  FitIfLarge();
}

void TMainForm::OpenLink(int Index) {
  const std::string Path = FRecent.LinkPath(Index);
  if (Path.empty()) return;
  if (!FDoc->IsEmpty() && !AskToSave()) return;
  OpenFile(Path);
  FOpenName = Path;
  FDoc->Modified = false;
  FitIfLarge();
}

void TMainForm::OpenFromCommandLine(const QStringList& Arguments) {
  if (Arguments.isEmpty()) return;
  const std::string Path = Arguments.join(' ').toStdString();
  OpenFile(Path);
  FOpenName = Path;
}

void TMainForm::N14Click() {
  N14->clear();
  const std::vector<std::string> Captions = FRecent.Captions();
  for (size_t I = 0; I < Captions.size(); ++I) {
    QAction* A = N14->addAction(QString::fromStdString(Captions[I]));
    if (static_cast<int>(I) == FRecent.Marked()) A->setIcon(MakeToolIcon(TToolIcon::Open));
    if (FRecent.IsEmpty()) continue;
    const int Index = static_cast<int>(I);
    connect(A, &QAction::triggered, this, [this, Index] { Run([this, Index] { OpenRecent(Index); }); });
  }
}

void TMainForm::UpdateLinks() {
  for (int I = 0; I < 4; ++I) {
    const QString Caption = QString::fromStdString(FRecent.LinkCaption(I)).toHtmlEscaped();
    if (FRecent.LinkPath(I).empty())
      Labs[I]->setText(Caption);
    else
      Labs[I]->setText(QStringLiteral("<a href=\"recent\">%1</a>").arg(Caption));
  }
}

void TMainForm::Save1Click() {
  if (FOpenName.empty() && FSaveName.empty()) {
    SaveAs(1);
    return;
  }
  const std::string Name = !FOpenName.empty() ? FOpenName : FSaveName;
  // A name in a format "Сохранить" cannot write asks for a name instead of losing the changes.
  if (!SaveDocument(*FDoc, Name)) SaveAs(1);
  FImgView->View().Invalidate();
}

void TMainForm::SaveAs(int FilterIndex) {
  std::string Typed;
  if (!AskSaveName(Typed, FilterIndex)) return;
  if (!SaveAsTo(FilterIndex, Typed)) return;
  const std::string Path = SaveAsFileName(Typed, FilterIndex);
  FOpenName.clear();
  FSaveName = Path;
  if (FilterIndex == 1 && !FRecent.IsRecent(Path)) FRecent.AddRecent(Path);
  Save1->setEnabled(true);
  SaveIt->setEnabled(true);
  N3->setEnabled(true);
  StatusPanel1->setText(QString::fromStdString(Path));
  FImgView->View().Invalidate();
}

bool TMainForm::SaveAsTo(int FilterIndex, const std::string& Typed) {
  const std::string Path = SaveAsFileName(Typed, FilterIndex);
  if (FilterIndex == 1) {
    WriteProject(*FDoc, Path);
    FDoc->Modified = false;
    return true;
  }
  std::unique_ptr<TBitmap32> Flat = FDoc->RenderFlatImage();
  bool Written = true;
  switch (FilterIndex) {
    case 2:
      Flat->SaveToFile(Path);
      break;
    case 3:
      FImgView->View().Invalidate();
      Written = FCompress->Execute(*Flat, Path);
      break;
    case 4:
      Written = FGifType->Execute(*Flat, Path);
      break;
    case 5:
      SavePng(*Flat, Path);
      break;
    case 6:
      SaveTiff(*Flat, Path);
      break;
    default:
      Written = false;
  }
  if (Written) FDoc->Modified = false;
  return Written;
}

void TMainForm::N26Click() {
  OpenUrl(QUrl::fromLocalFile(ProgramFile("Help.html")));
}

void TMainForm::N28Click() { OpenUrl(QUrl(FLinks.Site)); }
void TMainForm::N42Click() { OpenUrl(QUrl(FLinks.Examples)); }
void TMainForm::N97Click() { OpenUrl(QUrl(FLinks.SupportMail)); }
void TMainForm::N30Click() { FAboutKVT->exec(); }

// --- View ---------------------------------------------------------------------------------------

void TMainForm::SetZoom(float Zoom) {
  const bool Was = FDoc->Modified;
  FImgView->View().SetScale(Zoom);
  FDoc->Modified = Was;
  ShowZoom();
}

void TMainForm::ShowZoom() {
  ScaleCombo->setCurrentText(
      QStringLiteral("%1%").arg(static_cast<int>(std::nearbyint(FImgView->View().Scale() * 100))));
}

void TMainForm::N36Click() { SetZoom(1); }

void TMainForm::N34Click() {
  if (FDoc->IsEmpty()) return;
  std::unique_ptr<TBitmap32> Flat = FDoc->RenderFlatImage();
  FFull->Execute(*Flat);
  FImgView->View().Invalidate();
}

void TMainForm::N35Click() {
  if (FDoc->IsEmpty()) return;
  const double W = FDoc->Canvas().Width(), H = FDoc->Canvas().Height();
  const double CW = FImgView->width(), CH = FImgView->height();
  double Zoom = (W / H >= CW / CH) ? CW / W : CH / H;
  SetZoom(static_cast<float>(Zoom / 1.1));
}

void TMainForm::ScaleComboChange() {
  QString Text = ScaleCombo->currentText();
  Text.remove('%').remove(' ');
  if (Text.isEmpty()) return;
  bool Ok = false;
  int N = Text.toInt(&Ok);
  if (!Ok) N = -1;
  if (N >= 1 && N <= 2000)
    SetZoom(static_cast<float>(N / 100.0));
  else
    ShowZoom();
}

bool TMainForm::ImgViewMouseWheel(int Delta) {
  float Zoom = FImgView->View().Scale();
  if (Delta > 0)
    Zoom = std::max(Zoom / 1.1f, 0.2f);
  else
    Zoom = std::min(Zoom * 1.1f, 20.0f);
  SetZoom(Zoom);
  return true;
}

void TMainForm::N102Click() {
  const QColor C = QColorDialog::getColor(
      QColor(BufColor & 0xFF, (BufColor >> 8) & 0xFF, (BufColor >> 16) & 0xFF), this);
  if (!C.isValid()) return;
  BufColor = (C.blue() << 16) | (C.green() << 8) | C.red();
  N103->setChecked(false);
  FImgView->View().Invalidate();
}

void TMainForm::N103Click() { FImgView->View().Invalidate(); }

void TMainForm::ImgViewPaintStage(TBitmap32* Buffer) {
  if (!N103->isChecked()) {
    Buffer->Clear(ColorFromSystem(BufColor));
    return;
  }
  for (int32_t Y = 0; Y < Buffer->Height(); ++Y) {
    TColor32* Row = Buffer->RowAddress(Y);
    for (int32_t X = 0; X < Buffer->Width(); ++X)
      Row[X] = (((X >> 3) ^ (Y >> 3)) & 1) == 0 ? 0x1FB0B0B0 : 0xFFFFFFFF;
  }
}

// --- Notifications ------------------------------------------------------------------------------

void TMainForm::ImgViewChange() {
  N8Click();
  UpdateUndoItems();
  if (!FDoc->IsEmpty()) mnArrangeClick();
  StatusPanel2->setText(SizeText(FDoc->Canvas()));
  UpdatePanels();
}

void TMainForm::SelectionChanged(TCustomLayer*) { UpdatePanels(); }

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
  Crops->setVisible(S != nullptr && L == nullptr && S->Tag == TagCropArea);
}

// --- Undo and layer editing ----------------------------------------------------------------------

void TMainForm::UpdateUndoItems() {
  N17->setEnabled(FUndo->CanUndo());
  N18->setEnabled(FUndo->CanRedo());
}

void TMainForm::N16Click() { UpdateUndoItems(); }

void TMainForm::N17Click() {
  FUndo->Undo();
  UpdateUndoItems();
}

void TMainForm::N18Click() {
  FUndo->Redo();
  UpdateUndoItems();
}

void TMainForm::mnReorder(int Tag) { FCommands->Reorder(Tag); }

void TMainForm::mnDeleteClick() {
  FCommands->DeleteSelected();
  UpdateUndoItems();
}

void TMainForm::Button8Click() {
  mnDeleteClick();
  FDoc->Modified = true;
}

void TMainForm::N88Click() { FCommands->CloneSelected(); }
void TMainForm::N901Click() { FCommands->RotateRight(); }
void TMainForm::N902Click() { FCommands->RotateLeft(); }
void TMainForm::N24Click() { FCommands->FlipTopToBottom(); }
void TMainForm::N53Click() { FCommands->FlipLeftToRight(); }
void TMainForm::N109Click() { FCommands->RemoveMask(); }

void TMainForm::mnArrangeClick() { ApplyEnabling(ArrangeItems, FCommands->ArrangeMenuEnabled()); }

void TMainForm::LayerPopupPopup() { ApplyEnabling(PopupItems, FCommands->LayerPopupEnabled()); }

void TMainForm::ImgViewMouseDown(TMouseButton, TShiftState, int, int, TCustomLayer* Layer) {
  FCommands->ViewMouseDown(Layer);
  if (Layer == nullptr) FImgView->SetMouseCapture(false);
}

void TMainForm::RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State,
                           TShiftState Shift) {
  TResizeOptions Options;
  Options.Propos = Propos->isChecked();
  const std::string Status = FCommands->RBResizing(Old, New, State, Shift, Options);
  if (!Status.empty()) StatusPanel2->setText(QString::fromStdString(Status));
}
