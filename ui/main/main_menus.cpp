// Building the main window's menus, tool bar, side panel and status bar: the captions, the
// shortcuts and which handler each control runs. Enabling is UpdateActions' job.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "card_runner.h"
#include "composition.h"
#include "composition_panel.h"
#include "main_form.h"
#include "status_progress.h"
#include "toolbar_icons.h"

namespace {

// Caption of the first status panel at start.
const char* const WheelHint = "Масштаб изображения регулируется колесом прокрутки";

}  // namespace

QAction* TMainForm::AddCommand(QMenu* Menu, const QString& Caption, void (TMainForm::*Handler)(),
                               const QKeySequence& Shortcut) {
  QAction* A = Menu->addAction(Caption);
  if (!Shortcut.isEmpty())
    A->setShortcut(Shortcut);
  connect(A, &QAction::triggered, this,
          [this, Handler] { Run([this, Handler] { (this->*Handler)(); }); });
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
  N14 = mnFile->addMenu(QStringLiteral("Недавние открытки"));
  connect(N14, &QMenu::aboutToShow, this, [this] { Run([this] { N14Click(); }); });
  mnExport = mnFile->addMenu(QStringLiteral("Экспорт открытки"));
  const char* const Formats[] = {"В формат BMP", "В формат JPEG", "В формат GIF", "В формат PNG",
                                 "В формат TIFF"};
  // BMP1Click: the item's position + 2 is the save dialog's filter, so BMP .. TIFF.
  for (int I = 0; I < 5; ++I) {
    QAction* A = mnExport->addAction(QString::fromUtf8(Formats[I]));
    const auto Format = static_cast<TSaveFormat>(I + static_cast<int>(TSaveFormat::Bmp));
    connect(A, &QAction::triggered, this,
            [this, Format] { Run([this, Format] { ExportCard(Format); }); });
  }
  N62 = AddCommand(mnFile, QStringLiteral("Параметры печати"), &TMainForm::N62Click);
  N70 = AddCommand(mnFile, QStringLiteral("Печать"), &TMainForm::N70Click,
                   QKeySequence(Qt::CTRL | Qt::Key_P));
  mnFile->addSeparator();
  AddCommand(mnFile, QStringLiteral("Выход"), &TMainForm::N5Click, QKeySequence(Qt::Key_F10));
  connect(mnFile, &QMenu::aboutToShow, this, [this] { Run([this] { mnFileClick(); }); });

  mnEdit = Bar->addMenu(QStringLiteral("Правка"));
  N17 = AddCommand(mnEdit, QStringLiteral("Отменить"), &TMainForm::N17Click,
                   QKeySequence(Qt::CTRL | Qt::Key_Z));
  N18 = AddCommand(mnEdit, QStringLiteral("Повторить"), &TMainForm::N18Click,
                   QKeySequence(Qt::CTRL | Qt::Key_Y));
  N18->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  BuildClipboardItems(mnEdit);
  connect(mnEdit, &QMenu::aboutToShow, this, [this] { Run([this] { N16Click(); }); });

  mnImage = Bar->addMenu(QStringLiteral("Изображение"));
  AddCommand(mnImage, QStringLiteral("Добавить надпись"), &TMainForm::N33Click);
  BuildImageEffectItems(mnImage);
  N96 =
      AddCommand(mnImage, QStringLiteral("Добавить фотографию"), &TMainForm::mnNewBitmapLayerClick);
  N37 = AddCommand(mnImage, QStringLiteral("Размер изображения"), &TMainForm::N37Click);
  N114 = AddCommand(mnImage, QStringLiteral("Обрезать холст"), &TMainForm::N114Click);
  mnAddFrame = AddCommand(mnImage, QStringLiteral("Добавить рамку"), &TMainForm::AddFrameClick);
  BuildOutlineImageItems(mnImage);
  connect(mnImage, &QMenu::aboutToShow, this, [this] { Run([this] { N8Click(); }); });

  mnFilter = Bar->addMenu(QStringLiteral("Обработка"));
  BuildFilterEffectItems(mnFilter);
  N120 = AddCommand(mnFilter, QStringLiteral("Склеить все слои"), &TMainForm::mnFlattenClick);
  mnGeometry = AddCommand(mnFilter, QStringLiteral("Геометрия"), &TMainForm::mnGeometryClick);
  connect(mnFilter, &QMenu::aboutToShow, this, [this] { Run([this] { N40Click(); }); });

  mnArrange = Bar->addMenu(QStringLiteral("Выделение"));
  BuildLayerMenu(mnArrange, ArrangeItems, false);
  connect(mnArrange, &QMenu::aboutToShow, this, [this] { Run([this] { mnArrangeClick(); }); });
  LayerPopup = new QMenu(this);
  BuildLayerMenu(LayerPopup, PopupItems, true);

  mnView = Bar->addMenu(QStringLiteral("Вид"));
  // Ctrl+0 as in other editors; Ctrl+A as well until "Выделение" can select every layer.
  AddCommand(mnView, QStringLiteral("Масштаб 100%"), &TMainForm::N1002Click,
             QKeySequence(Qt::CTRL | Qt::Key_A))
      ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::CTRL | Qt::Key_0)});
  AddCommand(mnView, QStringLiteral("Уместить в окне"), &TMainForm::N35Click,
             QKeySequence(Qt::CTRL | Qt::Key_F));
  N34 = AddCommand(mnView, QStringLiteral("Полноэкранный просмотр"), &TMainForm::N34Click);
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
  if (Popup) {
    EditCaptionPopup =
        AddCommand(Menu, QStringLiteral("Изменить надпись"), &TMainForm::EditCaptionClick);
    Menu->addSeparator();
  }
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
  (Popup ? N13Popup : N13) =
      AddCommand(Turn, QStringLiteral("Произвольный угол"), &TMainForm::N13Click);
  Items[6] = Turn->menuAction();
  QMenu* Flip = Menu->addMenu(QStringLiteral("Отразить"));
  AddCommand(Flip, Popup ? QStringLiteral("По горизонтали") : QStringLiteral("По вертикали"),
             &TMainForm::N24Click);
  AddCommand(Flip,
             Popup ? QStringLiteral("По вертикали (зеркальное)")
                   : QStringLiteral("По горизонтали (зеркальное)"),
             &TMainForm::N53Click);
  Items[7] = Flip->menuAction();
  BuildOutlineLayerItems(Menu, Items);
  Items[10] = AddCommand(Menu, QStringLiteral("Маска слоя"), &TMainForm::LayerMaskClick);
  Items[11] = Menu->addSeparator();
  Items[12] = AddCommand(Menu, QStringLiteral("Обрезать слой"), &TMainForm::mnCropLayerClick);
  Items[13] = AddCommand(Menu, QStringLiteral("Снять маску"), &TMainForm::N109Click);
  Items[14] = AddCommand(Menu, QStringLiteral("Клонировать"), &TMainForm::N88Click,
                         Popup ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_D));
  Items[15] = AddCommand(Menu, QStringLiteral("Удалить"), &TMainForm::mnDeleteClick,
                         Popup ? QKeySequence() : QKeySequence(Qt::Key_Delete));
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
  connect(SaveIt, &QAction::triggered, this, [this] { Run([this] { Save1Click(); }); });
  PrintIt = ToolBar1->addAction(MakeToolIcon(TToolIcon::Print), QStringLiteral("Печать"));
  connect(PrintIt, &QAction::triggered, this, [this] { Run([this] { N70Click(); }); });
  BuildClipboardToolButtons(ToolBar1);

  PreviewIt = ToolBar1->addAction(MakeToolIcon(TToolIcon::Preview), QStringLiteral("  Просмотр  "));
  connect(PreviewIt, &QAction::triggered, this, [this] { Run([this] { N34Click(); }); });
  QAction* Site = FSiteButton =
      ToolBar1->addAction(MakeToolIcon(TToolIcon::Site), QStringLiteral("Сайт"));
  connect(Site, &QAction::triggered, this, [this] { Run([this] { N28Click(); }); });
  auto* SiteMenu = new QMenu(this);
  SiteMenu->addAction(QStringLiteral("Техническая поддержка"), this,
                      [this] { Run([this] { N97Click(); }); });
  SiteMenu->addAction(QStringLiteral("Примеры открыток"), this,
                      [this] { Run([this] { N42Click(); }); });
  SiteMenu->addAction(QStringLiteral("Сайт программы"), this,
                      [this] { Run([this] { N28Click(); }); });
  Site->setMenu(SiteMenu);
  if (auto* B = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Site)))
    B->setPopupMode(QToolButton::MenuButtonPopup);
  QAction* Help = ToolBar1->addAction(MakeToolIcon(TToolIcon::Help), QStringLiteral("Справка"));
  connect(Help, &QAction::triggered, this, [this] { Run([this] { N26Click(); }); });
}

void TMainForm::BuildSidePanel() {
  // The panel scrolls where its sections do not fit the window's height (a small screen): no
  // section is ever squeezed under another, and the sections that appear for a card never
  // make the window taller.
  FSideScroll = new QScrollArea(this);
  FSideScroll->setObjectName(QStringLiteral("SideScroll"));
  FSideScroll->setFrameShape(QFrame::NoFrame);
  FSideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FSideScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FSideScroll->setWidgetResizable(true);
  FSideScroll->setFixedWidth(336 + FSideScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  FSideScroll->setMinimumHeight(1);
  SidePanel = new QWidget(FSideScroll);
  SidePanel->setObjectName(QStringLiteral("SidePanel"));
  SidePanel->setFixedWidth(336);
  FSideScroll->setWidget(SidePanel);
  auto* Stack = new QVBoxLayout(SidePanel);
  Stack->setContentsMargins(2, 2, 2, 2);
  Stack->setSpacing(2);

  pnlImage = new TSidePanelSection(QStringLiteral("Изображение"), 104, SidePanel);
  {
    auto* Row = new QHBoxLayout;
    Row->addWidget(new QLabel(QStringLiteral("Просмотр в масштабе"), pnlImage));
    ScaleCombo = new QComboBox(pnlImage);
    ScaleCombo->setEditable(true);
    // Typed zoom text is read as a zoom, never kept as a new list item.
    ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    ScaleCombo->setMaxVisibleItems(9);
    ScaleCombo->addItems({"25%", "50%", "75%", "100%", "200%", "300%", "400%", "800%", "1600%"});
    ScaleCombo->setCurrentText(QStringLiteral("100%"));
    connect(ScaleCombo, &QComboBox::textActivated, this,
            [this](const QString&) { Run([this] { ScaleComboChange(); }); });
    // Without insertion the combo does not report typed text on Enter: its editor does.
    connect(ScaleCombo->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { Run([this] { ScaleComboChange(); }); });
    Row->addWidget(ScaleCombo);
    pnlImage->Body()->addLayout(Row);
    ImageInterpolate = new QCheckBox(QStringLiteral("Интерполяция слоёв"), pnlImage);
    ImageInterpolate->setChecked(true);
    connect(ImageInterpolate, &QCheckBox::clicked, this, [this](bool On) {
      Run([this, On] {
        TCardRunner(*FDoc, FUndo.get()).Run(usInterpolation, [&] {
          FDoc->SetImageInterpolate(On);
        });
      });
    });
    pnlImage->Body()->addWidget(ImageInterpolate);
    auto* Button5 = new QPushButton(QStringLiteral("Добавить фотографию"), pnlImage);
    connect(Button5, &QPushButton::clicked, this,
            [this] { Run([this] { mnNewBitmapLayerClick(); }); });
    pnlImage->Body()->addWidget(Button5);
  }
  Stack->addWidget(pnlImage);

  Panel1 = new TSidePanelSection(QStringLiteral("Настройка композиции"), 328, SidePanel);
  FComposition = std::make_unique<TComposition>(*FDoc, *FUndo, *FCommands);
  TCompositionPanelHost Host;
  Host.Run = [this](const std::function<void()>& Command) { Run(Command); };
  Host.ShowError = [this](const QString& Text) { ShowError(Text); };
  Host.ChooseCard = [this] { Button10Click(); };
  Host.CanvasResized = [this] { N35Click(); };
  Host.Repaint = [this] { FImgView->View().Invalidate(); };
  Host.DialogFolder = [this] { return DialogFolder(); };
  Host.RememberFolder = [this](const QString& Name) { RememberFolder(Name); };
  Host.VisibleCentre = [this]() -> std::optional<TSinglePoint> {
    TImgView32& View = FImgView->View();
    const TPoint A = View.ControlToBitmap({0, 0});
    const TPoint B = View.ControlToBitmap({FImgView->width(), FImgView->height()});
    const int32_t L = std::max(A.X, 0), T = std::max(A.Y, 0);
    const int32_t R = std::min(B.X, FDoc->Canvas().Width()),
                  Bt = std::min(B.Y, FDoc->Canvas().Height());
    if (R <= L || Bt <= T)
      return std::nullopt;
    return TSinglePoint{(L + R) / 2.0f, (T + Bt) / 2.0f};
  };
  PageControl1 = new TCompositionPanel(*FDoc, *FUndo, *FComposition, std::move(Host),
                                       QString::fromStdString(FPaths.DataDir), Panel1);
  Panel1->Body()->addWidget(PageControl1);
  Stack->addWidget(Panel1);

  pnlBitmapLayer = new TSidePanelSection(QStringLiteral("Параметры слоя"), 132, SidePanel);
  {
    pnlBitmapLayer->Body()->addWidget(
        new QLabel(QStringLiteral("Уровень прозрачности"), pnlBitmapLayer));
    LayerOpacity = new QSlider(Qt::Horizontal, pnlBitmapLayer);
    LayerOpacity->setRange(0, 255);
    LayerOpacity->setValue(255);
    connect(LayerOpacity, &QSlider::valueChanged, this,
            [this](int V) { Run([this, V] { FDoc->SetLayerOpacity(static_cast<uint32_t>(V)); }); });
    // What the user does to the gauge is an undo step: a drag from press to release, or one
    // click, key or wheel turn. The value the window sets itself (a selection, a live dialog)
    // is none.
    connect(LayerOpacity, &QSlider::sliderPressed, this, [this] {
      Run([this] {
        if (FDoc->SelectedBitmapLayer() != nullptr)
          TCardRunner(*FDoc, FUndo.get()).Begin(usOpacity);
      });
    });
    connect(LayerOpacity, &QSlider::sliderReleased, this,
            [this] { Run([this] { FUndo->DropIfUnchanged(); }); });
    connect(LayerOpacity, &QSlider::actionTriggered, this, [this](int Action) {
      Run([this, Action] {
        if (Action != QAbstractSlider::SliderMove && FDoc->SelectedBitmapLayer() != nullptr) {
          TCardRunner(*FDoc, FUndo.get()).Begin(usOpacity);
          // The value changes after this signal; a click at the end of the track changes
          // nothing and leaves no step.
          QTimer::singleShot(0, this, [this] {
            if (!LayerOpacity->isSliderDown())
              Run([this] { FUndo->DropIfUnchanged(); });
          });
        }
      });
    });
    pnlBitmapLayer->Body()->addWidget(LayerOpacity);
    auto* Row = new QHBoxLayout;
    LayerInterpolate = new QCheckBox(QStringLiteral("Интерполяция"), pnlBitmapLayer);
    LayerInterpolate->setChecked(true);
    connect(LayerInterpolate, &QCheckBox::clicked, this, [this](bool On) {
      Run([this, On] {
        if (FDoc->SelectedBitmapLayer() != nullptr)
          TCardRunner(*FDoc, FUndo.get()).Begin(usInterpolation);
        FDoc->SetLayerInterpolate(On);
      });
    });
    Propos = new QCheckBox(QStringLiteral("Соблюдать пропорции"), pnlBitmapLayer);
    Propos->setChecked(true);
    connect(Propos, &QCheckBox::clicked, this, [this] { Run([this] { FDoc->Modified = true; }); });
    Row->addWidget(LayerInterpolate);
    Row->addWidget(Propos);
    pnlBitmapLayer->Body()->addLayout(Row);
    auto* Buttons = new QHBoxLayout;
    auto* Button8 = new QPushButton(QStringLiteral("Удалить слой"), pnlBitmapLayer);
    connect(Button8, &QPushButton::clicked, this, [this] { Run([this] { Button8Click(); }); });
    auto* Button7 = new QPushButton(QStringLiteral("Создать копию"), pnlBitmapLayer);
    connect(Button7, &QPushButton::clicked, this, [this] { Run([this] { N88Click(); }); });
    Button12 = new QPushButton(QStringLiteral("Маска"), pnlBitmapLayer);
    connect(Button12, &QPushButton::clicked, this, [this] { Run([this] { Button12Click(); }); });
    Buttons->addWidget(Button8);
    Buttons->addWidget(Button7);
    Buttons->addWidget(Button12);
    pnlBitmapLayer->Body()->addLayout(Buttons);
  }
  Stack->addWidget(pnlBitmapLayer);

  Start = new TSidePanelSection(QStringLiteral("Начало работы"), 0, SidePanel);
  {
    Start->Body()->addWidget(new QLabel(QStringLiteral("<b>Создать открытку</b>"), Start));
    auto* Label11 = new QLabel(QStringLiteral("<a href=\"new\">Новый проект</a>"), Start);
    connect(Label11, &QLabel::linkActivated, this,
            [this](const QString&) { Run([this] { mnFileNewClick(); }); });
    Start->Body()->addWidget(Label11);
    Start->Body()->addWidget(new QLabel(QStringLiteral("<b>Открыть проект</b>"), Start));
    for (int I = 0; I < 4; ++I) {
      Labs[I] = new QLabel(Start);
      connect(Labs[I], &QLabel::linkActivated, this,
              [this, I](const QString&) { Run([this, I] { OpenLink(I); }); });
      Start->Body()->addWidget(Labs[I]);
    }
    auto* Label9 = new QLabel(QStringLiteral("<a href=\"open\">Другой документ</a>"), Start);
    connect(Label9, &QLabel::linkActivated, this,
            [this](const QString&) { Run([this] { mnFileOpenClick(); }); });
    Start->Body()->addWidget(Label9);
  }
  Stack->addWidget(Start);

  Crops = new TSidePanelSection(QStringLiteral("Обрезка холста"), 0, SidePanel);
  Crops->hide();
  BuildCropPanel();
  Stack->addWidget(Crops);
  Stack->addStretch(1);
  for (TSidePanelSection* S : {pnlImage, Panel1, pnlBitmapLayer}) S->FitContents();
}

void TMainForm::BuildStatusBar() {
  StatusPanel1 = new QLabel(QString::fromUtf8(WheelHint), this);
  StatusPanel1->setMinimumWidth(350);
  StatusPanel2 = new QLabel(this);
  StatusPanel2->setMinimumWidth(200);
  statusBar()->addWidget(StatusPanel1);
  statusBar()->addWidget(StatusPanel2);
  ProgressText = new QLabel(this);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setMaximumWidth(200);
  ProgressBar->setTextVisible(false);
  statusBar()->addPermanentWidget(ProgressText);
  statusBar()->addPermanentWidget(ProgressBar);
  const auto Show = [this](const QString& Text, int Done, int Total) {
    ProgressText->setVisible(Total > 0);
    ProgressBar->setVisible(Total > 0);
    ProgressText->setText(Text);
    ProgressBar->setRange(0, std::max(Total, 1));
    ProgressBar->setValue(Done);
    // Printing runs without the event loop: the bar is painted at once.
    if (isVisible())
      statusBar()->repaint();
  };
  TStatusProgress& Progress = TStatusProgress::Instance();
  Show(Progress.Text(), Progress.Done(), Progress.Total());
  connect(&Progress, &TStatusProgress::Changed, this, Show);
}

// The recent submenu is rebuilt each time it opens; the start panel's links once at start.
void TMainForm::N14Click() {
  N14->clear();
  const std::vector<std::string> Captions = FRecent.Captions();
  for (size_t I = 0; I < Captions.size(); ++I) {
    QAction* A = N14->addAction(QString::fromStdString(Captions[I]));
    if (static_cast<int>(I) == FRecent.Marked())
      A->setIcon(MakeToolIcon(TToolIcon::Open));
    if (FRecent.IsEmpty())
      continue;
    const int Index = static_cast<int>(I);
    connect(A, &QAction::triggered, this,
            [this, Index] { Run([this, Index] { OpenRecent(Index); }); });
  }
}

void TMainForm::ShowLinkItems() {
  const bool HasSite = !FLinks.Site.isEmpty();
  const bool HasMail = !FLinks.SupportMail.isEmpty();
  FSiteButton->setVisible(HasSite || HasMail);
  const auto Show = [](const QList<QAction*>& Items, const QString& Caption, bool On) {
    for (QAction* A : Items)
      if (A->text() == Caption)
        A->setVisible(On);
  };
  for (const QList<QAction*>& Items : {mnHelp->actions(), FSiteButton->menu()->actions()}) {
    Show(Items, QStringLiteral("Сайт программы"), HasSite);
    Show(Items, QStringLiteral("Примеры открыток"), HasSite);
    Show(Items, QStringLiteral("Техническая поддержка"), HasMail);
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
