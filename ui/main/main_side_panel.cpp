// Building the main window's side panel and status bar: the sections, their controls and which
// handler each control runs, and the recent cards of the menu and of the start panel.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
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
  FSidePanel = new QWidget(FSideScroll);
  FSidePanel->setObjectName(QStringLiteral("SidePanel"));
  FSidePanel->setFixedWidth(336);
  FSideScroll->setWidget(FSidePanel);
  auto* Stack = new QVBoxLayout(FSidePanel);
  Stack->setContentsMargins(2, 2, 2, 2);
  Stack->setSpacing(2);

  FImageSection = new TSidePanelSection(QStringLiteral("Изображение"), 104, FSidePanel);
  FImageSection->setObjectName(QStringLiteral("ImageSection"));
  {
    auto* Row = new QHBoxLayout;
    Row->addWidget(new QLabel(QStringLiteral("Просмотр в масштабе"), FImageSection));
    FScaleCombo = new QComboBox(FImageSection);
    FScaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    FScaleCombo->setEditable(true);
    // Typed zoom text is read as a zoom, never kept as a new list item.
    FScaleCombo->setInsertPolicy(QComboBox::NoInsert);
    FScaleCombo->setMaxVisibleItems(9);
    FScaleCombo->addItems({"25%", "50%", "75%", "100%", "200%", "300%", "400%", "800%", "1600%"});
    FScaleCombo->setCurrentText(QStringLiteral("100%"));
    connect(FScaleCombo, &QComboBox::textActivated, this,
            [this](const QString&) { Run([this] { ScaleComboChange(); }); });
    // Without insertion the combo does not report typed text on Enter: its editor does.
    connect(FScaleCombo->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { Run([this] { ScaleComboChange(); }); });
    Row->addWidget(FScaleCombo);
    FImageSection->Body()->addLayout(Row);
    FImageInterpolate = new QCheckBox(QStringLiteral("Интерполяция слоёв"), FImageSection);
    FImageInterpolate->setObjectName(QStringLiteral("ImageInterpolate"));
    FImageInterpolate->setChecked(true);
    connect(FImageInterpolate, &QCheckBox::clicked, this, [this](bool On) {
      Run([this, On] {
        TCardRunner(*FDoc, FUndo.get()).Run(usInterpolation, [&] {
          FDoc->SetImageInterpolate(On);
        });
      });
    });
    FImageSection->Body()->addWidget(FImageInterpolate);
    auto* AddPhotoButton = new QPushButton(QStringLiteral("Добавить фотографию"), FImageSection);
    connect(AddPhotoButton, &QPushButton::clicked, this,
            [this] { Run([this] { mnNewBitmapLayerClick(); }); });
    FImageSection->Body()->addWidget(AddPhotoButton);
  }
  Stack->addWidget(FImageSection);

  FCompositionSection =
      new TSidePanelSection(QStringLiteral("Настройка композиции"), 328, FSidePanel);
  FCompositionSection->setObjectName(QStringLiteral("CompositionSection"));
  FComposition = std::make_unique<TComposition>(*FDoc, *FUndo, *FCommands);
  TCompositionPanelHost Host;
  Host.Run = [this](const std::function<void()>& Command) { Run(Command); };
  Host.ShowError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  Host.ChooseCard = [this] { ChooseCardClick(); };
  Host.CanvasResized = [this] { FitInWindowClick(); };
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
  FCompositionPanel =
      new TCompositionPanel(*FDoc, *FUndo, *FComposition, std::move(Host),
                            QString::fromStdString(FPaths.DataDir), FCompositionSection);
  FCompositionSection->Body()->addWidget(FCompositionPanel);
  Stack->addWidget(FCompositionSection);

  FLayerSection = new TSidePanelSection(QStringLiteral("Параметры слоя"), 132, FSidePanel);
  FLayerSection->setObjectName(QStringLiteral("LayerSection"));
  {
    FLayerSection->Body()->addWidget(
        new QLabel(QStringLiteral("Уровень прозрачности"), FLayerSection));
    FLayerOpacity = new QSlider(Qt::Horizontal, FLayerSection);
    FLayerOpacity->setObjectName(QStringLiteral("LayerOpacity"));
    FLayerOpacity->setRange(0, 255);
    FLayerOpacity->setValue(255);
    connect(FLayerOpacity, &QSlider::valueChanged, this,
            [this](int V) { Run([this, V] { FDoc->SetLayerOpacity(static_cast<uint32_t>(V)); }); });
    // What the user does to the gauge is an undo step: a drag from press to release, or one
    // click, key or wheel turn. The value the window sets itself (a selection, a live dialog)
    // is none.
    connect(FLayerOpacity, &QSlider::sliderPressed, this, [this] {
      Run([this] {
        if (FDoc->SelectedBitmapLayer() != nullptr)
          TCardRunner(*FDoc, FUndo.get()).Begin(usOpacity);
      });
    });
    connect(FLayerOpacity, &QSlider::sliderReleased, this,
            [this] { Run([this] { FUndo->DropIfUnchanged(); }); });
    connect(FLayerOpacity, &QSlider::actionTriggered, this, [this](int Action) {
      Run([this, Action] {
        if (Action != QAbstractSlider::SliderMove && FDoc->SelectedBitmapLayer() != nullptr) {
          TCardRunner(*FDoc, FUndo.get()).Begin(usOpacity);
          // The value changes after this signal; a click at the end of the track changes
          // nothing and leaves no step.
          QTimer::singleShot(0, this, [this] {
            if (!FLayerOpacity->isSliderDown())
              Run([this] { FUndo->DropIfUnchanged(); });
          });
        }
      });
    });
    FLayerSection->Body()->addWidget(FLayerOpacity);
    auto* Row = new QHBoxLayout;
    FLayerInterpolate = new QCheckBox(QStringLiteral("Интерполяция"), FLayerSection);
    FLayerInterpolate->setObjectName(QStringLiteral("LayerInterpolate"));
    FLayerInterpolate->setChecked(true);
    connect(FLayerInterpolate, &QCheckBox::clicked, this, [this](bool On) {
      Run([this, On] {
        if (FDoc->SelectedBitmapLayer() != nullptr)
          TCardRunner(*FDoc, FUndo.get()).Begin(usInterpolation);
        FDoc->SetLayerInterpolate(On);
      });
    });
    FKeepProportions = new QCheckBox(QStringLiteral("Соблюдать пропорции"), FLayerSection);
    FKeepProportions->setObjectName(QStringLiteral("KeepProportions"));
    FKeepProportions->setChecked(true);
    connect(FKeepProportions, &QCheckBox::clicked, this,
            [this] { Run([this] { FDoc->Modified = true; }); });
    Row->addWidget(FLayerInterpolate);
    Row->addWidget(FKeepProportions);
    FLayerSection->Body()->addLayout(Row);
    auto* Buttons = new QHBoxLayout;
    auto* DeleteButton = new QPushButton(QStringLiteral("Удалить слой"), FLayerSection);
    connect(DeleteButton, &QPushButton::clicked, this,
            [this] { Run([this] { DeleteLayerButtonClick(); }); });
    auto* CopyButton = new QPushButton(QStringLiteral("Создать копию"), FLayerSection);
    connect(CopyButton, &QPushButton::clicked, this, [this] { Run([this] { CloneClick(); }); });
    FMaskButton = new QPushButton(QStringLiteral("Маска"), FLayerSection);
    FMaskButton->setObjectName(QStringLiteral("MaskButton"));
    connect(FMaskButton, &QPushButton::clicked, this,
            [this] { Run([this] { MaskButtonClick(); }); });
    Buttons->addWidget(DeleteButton);
    Buttons->addWidget(CopyButton);
    Buttons->addWidget(FMaskButton);
    FLayerSection->Body()->addLayout(Buttons);
  }
  Stack->addWidget(FLayerSection);

  FStartSection = new TSidePanelSection(QStringLiteral("Начало работы"), 0, FSidePanel);
  FStartSection->setObjectName(QStringLiteral("StartSection"));
  {
    FStartSection->Body()->addWidget(
        new QLabel(QStringLiteral("<b>Создать открытку</b>"), FStartSection));
    auto* NewLink = new QLabel(QStringLiteral("<a href=\"new\">Новый проект</a>"), FStartSection);
    connect(NewLink, &QLabel::linkActivated, this,
            [this](const QString&) { Run([this] { mnFileNewClick(); }); });
    FStartSection->Body()->addWidget(NewLink);
    FStartSection->Body()->addWidget(
        new QLabel(QStringLiteral("<b>Открыть проект</b>"), FStartSection));
    for (int I = 0; I < 4; ++I) {
      FRecentLinks[I] = new QLabel(FStartSection);
      connect(FRecentLinks[I], &QLabel::linkActivated, this,
              [this, I](const QString&) { Run([this, I] { OpenLink(I); }); });
      FStartSection->Body()->addWidget(FRecentLinks[I]);
    }
    auto* OtherLink =
        new QLabel(QStringLiteral("<a href=\"open\">Другой документ</a>"), FStartSection);
    connect(OtherLink, &QLabel::linkActivated, this,
            [this](const QString&) { Run([this] { mnFileOpenClick(); }); });
    FStartSection->Body()->addWidget(OtherLink);
  }
  Stack->addWidget(FStartSection);

  FCropSection = new TSidePanelSection(QStringLiteral("Обрезка холста"), 0, FSidePanel);
  FCropSection->setObjectName(QStringLiteral("CropSection"));
  FCropSection->hide();
  BuildCropPanel();
  Stack->addWidget(FCropSection);
  Stack->addStretch(1);
  for (TSidePanelSection* S : {FImageSection, FCompositionSection, FLayerSection}) S->FitContents();
}

void TMainForm::BuildStatusBar() {
  FStatusText = new QLabel(QString::fromUtf8(WheelHint), this);
  FStatusText->setObjectName(QStringLiteral("StatusText"));
  FStatusText->setMinimumWidth(350);
  FStatusSize = new QLabel(this);
  FStatusSize->setObjectName(QStringLiteral("StatusSize"));
  FStatusSize->setMinimumWidth(200);
  statusBar()->addWidget(FStatusText);
  statusBar()->addWidget(FStatusSize);
  FProgressText = new QLabel(this);
  FProgressText->setObjectName(QStringLiteral("ProgressText"));
  FProgressBar = new QProgressBar(this);
  FProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  FProgressBar->setMaximumWidth(200);
  FProgressBar->setTextVisible(false);
  statusBar()->addPermanentWidget(FProgressText);
  statusBar()->addPermanentWidget(FProgressBar);
  const auto Show = [this](const QString& Text, int Done, int Total) {
    FProgressText->setVisible(Total > 0);
    FProgressBar->setVisible(Total > 0);
    FProgressText->setText(Text);
    FProgressBar->setRange(0, std::max(Total, 1));
    FProgressBar->setValue(Done);
    // Printing runs without the event loop: the bar is painted at once.
    if (isVisible())
      statusBar()->repaint();
  };
  TStatusProgress& Progress = TStatusProgress::Instance();
  Show(Progress.Text(), Progress.Done(), Progress.Total());
  connect(&Progress, &TStatusProgress::Changed, this, Show);
}

// The recent submenu is rebuilt each time it opens; the start panel's links once at start.
void TMainForm::FillRecentMenu() {
  Menu(TMainAction::RecentMenu)->clear();
  const std::vector<std::string> Captions = FRecent.Captions();
  for (size_t I = 0; I < Captions.size(); ++I) {
    QAction* A = Menu(TMainAction::RecentMenu)->addAction(QString::fromStdString(Captions[I]));
    if (static_cast<int>(I) == FRecent.Marked())
      A->setIcon(MakeToolIcon(TToolIcon::Open));
    if (FRecent.IsEmpty())
      continue;
    const int Index = static_cast<int>(I);
    connect(A, &QAction::triggered, this,
            [this, Index] { Run([this, Index] { OpenRecent(Index); }); });
  }
}

void TMainForm::UpdateLinks() {
  for (int I = 0; I < 4; ++I) {
    const QString Caption = QString::fromStdString(FRecent.LinkCaption(I)).toHtmlEscaped();
    if (FRecent.LinkPath(I).empty())
      FRecentLinks[I]->setText(Caption);
    else
      FRecentLinks[I]->setText(QStringLiteral("<a href=\"recent\">%1</a>").arg(Caption));
  }
}
