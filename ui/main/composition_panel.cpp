#include "composition_panel.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "exceptions.h"
#include "file_filters.h"
#include "qt_colours.h"
#include "texture_dialog.h"
#include "thumbview.h"

namespace {

QColor QColorOf(TPlatformColor C) {
  return PlatformToQColor(ColorToRGB(C));
}

void ShowSwatch(QLabel* Swatch, TPlatformColor C) {
  Swatch->setStyleSheet(
      QStringLiteral("background-color: %1; border: 1px solid #606060;").arg(QColorOf(C).name()));
}

// The galleries' cells: the pictures reduced into Width x 82 boxes in rows that scroll up and
// down; the title strip below the picture shows the selected cell.
void SetUpGallery(TTHumbview* View, int Width) {
  TThumbviewModel& M = View->Model();
  M.SetThumbGap(4);
  M.SetMaxWidth(Width);
  M.SetMaxHeight(82);
  M.SetSize(100);
  M.SetScrollMode(SMVertical);
  M.SetMinMemory(true);
  M.SetAsButtons(true);
  M.SetTitlePlacement(T_Down);
}

std::string GalleryFile(const TTHumbview* View, const char* Missing) {
  QString File;
  View->GetSelectedFile(File);
  if (File.isEmpty())
    throw Exception(Missing);
  return File.toStdString();
}

}  // namespace

// --- Building ------------------------------------------------------------------------------------

TCompositionPanel::TCompositionPanel(TCardDocument& Doc, TUndoStack& Undo, TComposition& Work,
                                     TCompositionPanelHost Host, const QString& DataDir,
                                     QWidget* Parent)
    : QTabWidget(Parent), FModel(Doc, Undo, Work), FHost(std::move(Host)), FDataDir(DataDir) {
  AskColour = [this](TPlatformColor& Colour) {
    const QColor C = QColorDialog::getColor(QColorOf(Colour), this);
    if (!C.isValid())
      return false;
    Colour = PlatformFromQColor(C);
    return true;
  };
  AskBackgroundFile = [this] {
    const QString Name = QFileDialog::getOpenFileName(
        this, QStringLiteral("Загрузить фон из файла"),
        FHost.DialogFolder ? FHost.DialogFolder() : QString(), OpenLayerFilter());
    if (!Name.isEmpty() && FHost.RememberFolder)
      FHost.RememberFolder(Name);
    return Name;
  };
  // Four tabs across the side panel's width.
  QFont TabFont = tabBar()->font();
  TabFont.setPointSizeF(TabFont.pointSizeF() - 1);
  tabBar()->setFont(TabFont);
  setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
  addTab(BuildBackgroundTab(), QStringLiteral("Фон"));
  addTab(BuildUnderlayTab(), QStringLiteral("Подложка"));
  addTab(BuildGalleryTab(DAVIS, Button9, QStringLiteral("Добавить украшение"), 82, true),
         QStringLiteral("Украшения"));
  addTab(BuildGalleryTab(CPVIS, Button13, QStringLiteral("Добавить поздравление"), 200, false),
         QStringLiteral("Поздравления"));

  // A gallery filled while its tab was hidden shows its selected cell when the tab comes up.
  connect(this, &QTabWidget::currentChanged, this, [this](int Index) {
    TTHumbview* View = Index == 2 ? DAVIS : Index == 3 ? CPVIS : nullptr;
    if (View != nullptr && View->Selected() >= 0)
      FHost.Run([View] { View->Model().ScrollIntoView(View->Selected()); });
  });

  Textur = new TTextur(DataDir, this);
  // "ОК" with the page "Подложка" active puts the texture on a new underlay.
  Textur->Apply = [this](const std::string& File, int32_t Scale) {
    FModel.ApplyTexture(File, Scale, currentIndex() == 1);
  };
  Textur->OnError = [this](const QString& Text) { FHost.ShowError(Text); };
}

TCompositionPanel::~TCompositionPanel() = default;

void TCompositionPanel::OnClick(QPushButton* Button, std::function<void()> Handler) {
  connect(Button, &QPushButton::clicked, this,
          [this, Handler = std::move(Handler)] { FHost.Run(Handler); });
}

QToolButton* TCompositionPanel::AddSwatch(QGridLayout* Grid, int Row, int Column, QLabel*& Swatch,
                                          TPlatformColor Colour, std::function<void()> Handler) {
  Swatch = new QLabel(Grid->parentWidget());
  Swatch->setFixedSize(36, 20);
  ShowSwatch(Swatch, Colour);
  auto* Button = new QToolButton(Grid->parentWidget());
  Button->setText(QStringLiteral("…"));
  Button->setToolTip(QStringLiteral("Выбрать цвет"));
  connect(Button, &QToolButton::clicked, this, [this, Handler = std::move(Handler)] {
    FHost.Run(Handler);
    ShowSwatches();
  });
  auto* Pair = new QHBoxLayout;
  Pair->setSpacing(2);
  Pair->addWidget(Swatch);
  Pair->addWidget(Button);
  Pair->addStretch(1);
  Grid->addLayout(Pair, Row, Column);
  return Button;
}

QRadioButton* TCompositionPanel::AddModeRadio(QGridLayout* Grid, QButtonGroup* Group,
                                              const QString& Caption, int Row,
                                              std::function<void()> Handler) {
  auto* R = new QRadioButton(Caption, Grid->parentWidget());
  Group->addButton(R);
  Grid->addWidget(R, Row, 0);
  connect(R, &QRadioButton::clicked, this, [this, Handler = std::move(Handler)] {
    FHost.Run(Handler);
    UpdateControls();
  });
  return R;
}

QWidget* TCompositionPanel::BuildBackgroundTab() {
  auto* Page = new QWidget(this);
  auto* Grid = new QGridLayout(Page);
  Grid->setContentsMargins(6, 6, 6, 6);
  auto* Group = new QButtonGroup(Page);
  const auto Mode = [&](QRadioButton*& R, const char* Caption, int Row, TBackgroundMode M) {
    R = AddModeRadio(Grid, Group, QString::fromUtf8(Caption), Row,
                     [this, M] { FModel.ChooseBackground(M); });
  };
  const auto Button = [&](QPushButton*& B, const char* Caption, int Row,
                          std::function<void()> Handler) {
    B = new QPushButton(QString::fromUtf8(Caption), Page);
    Grid->addWidget(B, Row, 1);
    OnClick(B, std::move(Handler));
  };
  Mode(GCard, "Открытка", 0, bmCard);
  Button(Button10, "Выбрать открытку", 0, [this] { FHost.ChooseCard(); });
  Mode(OTH, "Файл", 1, bmFile);
  Button(Button6, "Загрузить фон из файла ", 1, [this] { LoadBackground(); });
  TK = AddModeRadio(Grid, Group, QStringLiteral("Текстура"), 2, [this] { ChooseTextureMode(); });
  Button(Button3, "Выбрать текстуру ", 2, [this] { ChooseTexture(); });
  Mode(SK, "Однотонный", 3, bmSolid);
  Col = AddSwatch(Grid, 3, 1, SColor, FModel.SolidColour(),
                  [this] { FModel.PickSolidColour(Ask()); });
  Mode(GK, "Градиент", 4, bmGradient);
  GradType = new QComboBox(Page);
  GradType->addItems({QStringLiteral("Слева направо"), QStringLiteral("Сверху вниз")});
  GradType->setCurrentIndex(0);
  connect(GradType, &QComboBox::currentIndexChanged, this,
          [this](int Index) { FModel.SetGradientDown(Index == 1); });
  connect(GradType, &QComboBox::activated, this, [this](int Index) {
    FHost.Run([this, Index] { FModel.GradientDirectionChosen(Index == 1); });
  });
  Grid->addWidget(GradType, 4, 1);
  Col2 = AddSwatch(Grid, 5, 0, GC2, FModel.Gradient().GC2,
                   [this] { FModel.PickGradientColour(true, Ask()); });
  Col1 = AddSwatch(Grid, 5, 1, GC1, FModel.Gradient().GC1,
                   [this] { FModel.PickGradientColour(false, Ask()); });
  GCard->setChecked(true);
  Grid->setRowStretch(6, 1);
  return Page;
}

QWidget* TCompositionPanel::BuildUnderlayTab() {
  auto* Page = new QWidget(this);
  auto* Grid = new QGridLayout(Page);
  Grid->setContentsMargins(6, 6, 6, 6);
  auto* Group = new QButtonGroup(Page);
  const auto Mode = [&](QRadioButton*& R, const char* Caption, int Row, TUnderlayMode M) {
    R = AddModeRadio(Grid, Group, QString::fromUtf8(Caption), Row,
                     [this, M] { FModel.ChooseUnderlay(M); });
  };
  auto* Note = new QLabel(
      QStringLiteral("Подложка — особый слой, который выделяет центральную часть открытки. Её "
                     "прозрачность и форму меняют уровнем прозрачности и маской."),
      Page);
  Note->setWordWrap(true);
  Grid->addWidget(Note, 0, 0, 1, 2);
  Mode(OCL, "Однотонный", 1, umSolid);
  SpeedButton7 = AddSwatch(Grid, 1, 1, Panel4, FModel.UnderlayColour(usSolid),
                           [this] { FModel.PickUnderlayColour(usSolid, Ask()); });
  Mode(GCL, "Градиент", 2, umGradient);
  PDGT = new QComboBox(Page);
  PDGT->addItems({QStringLiteral("Слева направо"), QStringLiteral("Сверху вниз")});
  PDGT->setCurrentIndex(0);
  connect(PDGT, &QComboBox::currentIndexChanged, this,
          [this](int Index) { FModel.SetUnderlayDown(Index == 1); });
  Grid->addWidget(PDGT, 2, 1);
  SpeedButton8 = AddSwatch(Grid, 3, 0, Panel7, FModel.UnderlayColour(usGradientA),
                           [this] { FModel.PickUnderlayColour(usGradientA, Ask()); });
  SpeedButton9 = AddSwatch(Grid, 3, 1, Panel8, FModel.UnderlayColour(usGradientB),
                           [this] { FModel.PickUnderlayColour(usGradientB, Ask()); });
  Mode(TXR, "Текстура", 4, umTexture);
  Button4 = new QPushButton(QStringLiteral("Выбрать текстуру "), Page);
  OnClick(Button4, [this] { ChooseTexture(); });
  Grid->addWidget(Button4, 4, 1);
  Button11 = new QPushButton(QStringLiteral("Добавить подложку"), Page);
  OnClick(Button11, [this] { FModel.AddUnderlay(); });
  Grid->addWidget(Button11, 5, 0, 1, 2);
  OCL->setChecked(true);
  Grid->setRowStretch(6, 1);
  return Page;
}

QWidget* TCompositionPanel::BuildGalleryTab(TTHumbview*& View, QPushButton*& Button,
                                            const QString& Caption, int CellWidth,
                                            bool Decoration) {
  auto* Page = new QWidget(this);
  auto* Column = new QVBoxLayout(Page);
  Column->setContentsMargins(4, 4, 4, 4);
  View = new TTHumbview(Page);
  SetUpGallery(View, CellWidth);
  View->OnError = [this](const QString& Text) { FHost.ShowError(Text); };
  // A double-click on a cell adds its picture as the button does.
  View->OnDblClick = [this, Decoration](TTHumbview* Source, int Cell) {
    if (Cell >= 0)
      FHost.Run([=, this] { AddGalleryItem(Source, Decoration); });
  };
  Column->addWidget(View, 1);
  Button = new QPushButton(Caption, Page);
  const TTHumbview* Source = View;
  OnClick(Button, [this, Source, Decoration] { AddGalleryItem(Source, Decoration); });
  Column->addWidget(Button);
  return Page;
}

// --- State ---------------------------------------------------------------------------------------

TAskColour TCompositionPanel::Ask() {
  return [this](TPlatformColor& C) { return AskColour && AskColour(C); };
}

void TCompositionPanel::ShowSwatches() {
  ShowSwatch(SColor, FModel.SolidColour());
  ShowSwatch(GC2, FModel.Gradient().GC2);
  ShowSwatch(GC1, FModel.Gradient().GC1);
  ShowSwatch(Panel4, FModel.UnderlayColour(usSolid));
  ShowSwatch(Panel7, FModel.UnderlayColour(usGradientA));
  ShowSwatch(Panel8, FModel.UnderlayColour(usGradientB));
}

void TCompositionPanel::UpdateControls() {
  const TCompositionEnabling E = FModel.Enabling();
  Button10->setEnabled(E.ChooseCard);
  Button6->setEnabled(E.LoadFile);
  Button3->setEnabled(E.ChooseTexture);
  Col->setEnabled(E.SolidColour);
  for (QWidget* W :
       {static_cast<QWidget*>(GradType), static_cast<QWidget*>(Col1), static_cast<QWidget*>(Col2)})
    W->setEnabled(E.Gradient);
  SpeedButton7->setEnabled(E.UnderlayColour);
  for (QWidget* W : {static_cast<QWidget*>(PDGT), static_cast<QWidget*>(SpeedButton8),
                     static_cast<QWidget*>(SpeedButton9)})
    W->setEnabled(E.UnderlayGradient);
  Button4->setEnabled(E.UnderlayTexture);
  Button11->setEnabled(true);
}

void TCompositionPanel::FollowCard() {
  FModel.FollowCard();
  QRadioButton* const Modes[] = {GCard, OTH, TK, SK, GK};
  Modes[FModel.Background()]->setChecked(true);
  {
    const QSignalBlocker Block(GradType);
    GradType->setCurrentIndex(FModel.Gradient().Down ? 1 : 0);
  }
  ShowSwatches();
  UpdateControls();
}

// --- Commands ------------------------------------------------------------------------------------

void TCompositionPanel::ChooseTextureMode() {
  FModel.ChooseBackground(bmTexture);
  // The last texture again, with the dialog's current size.
  if (!Textur->HasSelectedFile())
    return;
  Textur->Button1Click();
}

void TCompositionPanel::ChooseTexture() {
  Textur->exec();
  FHost.Repaint();
}

void TCompositionPanel::LoadBackground() {
  if (FModel.LoadBackground([this] { return AskBackgroundFile().toStdString(); }))
    FHost.CanvasResized();
}

void TCompositionPanel::AddGalleryItem(const TTHumbview* View, bool Decoration) {
  if (!FModel.HasCard())
    return;
  FModel.AddGalleryItem(
      GalleryFile(View, Decoration ? "Не выбрано украшение." : "Не выбрано поздравление."),
      Decoration, FHost.VisibleCentre ? FHost.VisibleCentre() : std::nullopt);
}

void TCompositionPanel::LoadGalleries() {
  // The pictures come from the pickers' loader threads while the window goes on working.
  const QDir Data(FDataDir);
  for (auto [View, Folder] : {std::pair{DAVIS, "Decor"}, std::pair{CPVIS, "Captions"}}) {
    // A hidden picker has not had its size yet: the cells are placed for the size it will show.
    View->Model().SetBounds(View->width(), View->height());
    View->SetDirectory(Data.filePath(QString::fromLatin1(Folder)));
    View->Model().Painting();
  }
}
