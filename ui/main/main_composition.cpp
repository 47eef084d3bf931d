// The composition panel of the side panel: the tabs "Фон" (the card's background), "Подложка"
// (the underlay), "Украшения" and "Поздравления" (the two galleries), and the texture dialog
// they share. The work on the card is TComposition's.
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

#include "composition.h"
#include "exceptions.h"
#include "file_filters.h"
#include "main_form.h"
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

}  // namespace

// --- Building ------------------------------------------------------------------------------------

void TMainForm::BuildCompositionTabs() {
  FComposition = std::make_unique<TComposition>(*FDoc, *FUndo, *FCommands);
  AskColour = [this](TPlatformColor& Colour) {
    const QColor C = QColorDialog::getColor(QColorOf(Colour), this);
    if (!C.isValid())
      return false;
    Colour = PlatformFromQColor(C);
    return true;
  };
  AskBackgroundFile = [this] {
    const QString Name = QFileDialog::getOpenFileName(
        this, QStringLiteral("Загрузить фон из файла"), DialogFolder(), OpenLayerFilter());
    if (!Name.isEmpty())
      RememberFolder(Name);
    return Name;
  };
  // Four tabs across the side panel's width.
  QFont TabFont = PageControl1->tabBar()->font();
  TabFont.setPointSizeF(TabFont.pointSizeF() - 1);
  PageControl1->tabBar()->setFont(TabFont);
  PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
  PageControl1->addTab(BuildBackgroundTab(), QStringLiteral("Фон"));
  PageControl1->addTab(BuildUnderlayTab(), QStringLiteral("Подложка"));
  PageControl1->addTab(BuildGalleryTab(DAVIS, Button9, QStringLiteral("Добавить украшение"), 82,
                                       &TMainForm::Button9Click),
                       QStringLiteral("Украшения"));
  PageControl1->addTab(BuildGalleryTab(CPVIS, Button13, QStringLiteral("Добавить надпись"), 200,
                                       &TMainForm::Button13Click),
                       QStringLiteral("Поздравления"));

  // A gallery filled while its tab was hidden shows its selected cell when the tab comes up.
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int Index) {
    TTHumbview* View = Index == 2 ? DAVIS : Index == 3 ? CPVIS : nullptr;
    if (View != nullptr && View->Selected() >= 0)
      Run([View] { View->Model().ScrollIntoView(View->Selected()); });
  });

  Textur = new TTextur(QString::fromStdString(FPaths.DataDir), this);
  // "OK" with the page "Подложка" active puts the texture on a new underlay.
  Textur->Apply = [this](const std::string& File, int32_t Scale) {
    FComposition->ApplyTexture(File, Scale, PageControl1->currentIndex() == 1, UnderlaySettings());
  };
  Textur->OnError = [this](const QString& Text) { ShowError(Text); };
}

QToolButton* TMainForm::AddSwatch(QGridLayout* Grid, int Row, int Column, QLabel*& Swatch,
                                  TPlatformColor Colour, void (TMainForm::*Handler)()) {
  Swatch = new QLabel(Grid->parentWidget());
  Swatch->setFixedSize(36, 20);
  ShowSwatch(Swatch, Colour);
  auto* Button = new QToolButton(Grid->parentWidget());
  Button->setText(QStringLiteral("…"));
  Button->setToolTip(QStringLiteral("Выбрать цвет"));
  connect(Button, &QToolButton::clicked, this,
          [this, Handler] { Run([=, this] { (this->*Handler)(); }); });
  auto* Pair = new QHBoxLayout;
  Pair->setSpacing(2);
  Pair->addWidget(Swatch);
  Pair->addWidget(Button);
  Pair->addStretch(1);
  Grid->addLayout(Pair, Row, Column);
  return Button;
}

QRadioButton* TMainForm::AddModeRadio(QGridLayout* Grid, QButtonGroup* Group,
                                      const QString& Caption, int Row,
                                      void (TMainForm::*Handler)()) {
  auto* R = new QRadioButton(Caption, Grid->parentWidget());
  Group->addButton(R);
  Grid->addWidget(R, Row, 0);
  connect(R, &QRadioButton::clicked, this,
          [this, Handler] { Run([=, this] { (this->*Handler)(); }); });
  return R;
}

QWidget* TMainForm::BuildBackgroundTab() {
  auto* Page = new QWidget(PageControl1);
  auto* Grid = new QGridLayout(Page);
  Grid->setContentsMargins(6, 6, 6, 6);
  auto* Group = new QButtonGroup(Page);
  const auto Radio = [&](QRadioButton*& R, const char* Caption, int Row,
                         void (TMainForm::*Handler)()) {
    R = AddModeRadio(Grid, Group, QString::fromUtf8(Caption), Row, Handler);
  };
  const auto Button = [&](QPushButton*& B, const char* Caption, int Row,
                          void (TMainForm::*Handler)()) {
    B = new QPushButton(QString::fromUtf8(Caption), Page);
    Grid->addWidget(B, Row, 1);
    connect(B, &QPushButton::clicked, this,
            [this, Handler] { Run([=, this] { (this->*Handler)(); }); });
  };
  Radio(GCard, "Открытка", 0, &TMainForm::ALBClick);
  Button(Button10, "Выбрать открытку", 0, &TMainForm::Button10Click);
  Radio(OTH, "Файл", 1, &TMainForm::OTHClick);
  Button(Button6, "Загрузить фон из файла ", 1, &TMainForm::Button6Click);
  Radio(TK, "Текстура", 2, &TMainForm::TKClick);
  Button(Button3, "Выбрать текстуру ", 2, &TMainForm::Button3Click);
  Radio(SK, "Однотонный", 3, &TMainForm::SKClick);
  Col = AddSwatch(Grid, 3, 1, SColor, SColorValue, &TMainForm::ColClick);
  Radio(GK, "Градиент", 4, &TMainForm::GKClick);
  GradType = new QComboBox(Page);
  GradType->addItems({QStringLiteral("Слева направо"), QStringLiteral("Сверху вниз")});
  GradType->setCurrentIndex(0);
  connect(GradType, &QComboBox::activated, this,
          [this](int) { Run([this] { GradTypeChange(); }); });
  Grid->addWidget(GradType, 4, 1);
  Col2 = AddSwatch(Grid, 5, 0, GC2, GC2Value, &TMainForm::Col2Click);
  Col1 = AddSwatch(Grid, 5, 1, GC1, GC1Value, &TMainForm::Col1Click);
  GCard->setChecked(true);
  Grid->setRowStretch(6, 1);
  return Page;
}

QWidget* TMainForm::BuildUnderlayTab() {
  auto* Page = new QWidget(PageControl1);
  auto* Grid = new QGridLayout(Page);
  Grid->setContentsMargins(6, 6, 6, 6);
  auto* Group = new QButtonGroup(Page);
  const auto Radio = [&](QRadioButton*& R, const char* Caption, int Row,
                         void (TMainForm::*Handler)()) {
    R = AddModeRadio(Grid, Group, QString::fromUtf8(Caption), Row, Handler);
  };
  auto* Note = new QLabel(
      QStringLiteral("Подложка — особый слой, который выделяет центральную часть открытки. Её "
                     "прозрачность и форму меняют уровнем прозрачности и маской."),
      Page);
  Note->setWordWrap(true);
  Grid->addWidget(Note, 0, 0, 1, 2);
  Radio(OCL, "Однотонный", 1, &TMainForm::OCLClick);
  SpeedButton7 = AddSwatch(Grid, 1, 1, Panel4, Panel4Value, &TMainForm::SpeedButton7Click);
  Radio(GCL, "Градиент", 2, &TMainForm::GCLClick);
  PDGT = new QComboBox(Page);
  PDGT->addItems({QStringLiteral("Слева направо"), QStringLiteral("Сверху вниз")});
  PDGT->setCurrentIndex(0);
  Grid->addWidget(PDGT, 2, 1);
  SpeedButton8 = AddSwatch(Grid, 3, 0, Panel7, Panel7Value, &TMainForm::SpeedButton8Click);
  SpeedButton9 = AddSwatch(Grid, 3, 1, Panel8, Panel8Value, &TMainForm::SpeedButton9Click);
  Radio(TXR, "Текстура", 4, &TMainForm::TXRClick);
  Button4 = new QPushButton(QStringLiteral("Выбрать текстуру "), Page);
  connect(Button4, &QPushButton::clicked, this, [this] { Run([this] { Button4Click(); }); });
  Grid->addWidget(Button4, 4, 1);
  Button11 = new QPushButton(QStringLiteral("Добавить подложку"), Page);
  connect(Button11, &QPushButton::clicked, this, [this] { Run([this] { Button11Click(); }); });
  Grid->addWidget(Button11, 5, 0, 1, 2);
  OCL->setChecked(true);
  Grid->setRowStretch(6, 1);
  return Page;
}

QWidget* TMainForm::BuildGalleryTab(TTHumbview*& View, QPushButton*& Button, const QString& Caption,
                                    int CellWidth, void (TMainForm::*Handler)()) {
  auto* Page = new QWidget(PageControl1);
  auto* Column = new QVBoxLayout(Page);
  Column->setContentsMargins(4, 4, 4, 4);
  View = new TTHumbview(Page);
  SetUpGallery(View, CellWidth);
  View->OnError = [this](const QString& Text) { ShowError(Text); };
  // A double-click on a cell adds its picture as the button does.
  View->OnDblClick = [this, Handler](TTHumbview*, int Cell) {
    if (Cell >= 0)
      Run([=, this] { (this->*Handler)(); });
  };
  Column->addWidget(View, 1);
  Button = new QPushButton(Caption, Page);
  connect(Button, &QPushButton::clicked, this,
          [this, Handler] { Run([=, this] { (this->*Handler)(); }); });
  Column->addWidget(Button);
  return Page;
}

// --- State ---------------------------------------------------------------------------------------

TBackgroundGradient TMainForm::BackgroundGradient() const {
  TBackgroundGradient G;
  G.Down = GradType->currentIndex() == 1;
  G.GC2 = GC2Value;
  G.GC1 = GC1Value;
  return G;
}

TUnderlaySettings TMainForm::UnderlaySettings() const {
  TUnderlaySettings S;
  S.Mode = GCL->isChecked() ? umGradient : TXR->isChecked() ? umTexture : umSolid;
  S.Panel4 = Panel4Value;
  S.Down = PDGT->currentIndex() == 1;
  S.Panel7 = Panel7Value;
  S.Panel8 = Panel8Value;
  return S;
}

void TMainForm::UpdateBackgroundControls() {
  Button10->setEnabled(GCard->isChecked());
  Button6->setEnabled(OTH->isChecked());
  Button3->setEnabled(TK->isChecked());
  Col->setEnabled(SK->isChecked());
  for (QWidget* W :
       {static_cast<QWidget*>(GradType), static_cast<QWidget*>(Col1), static_cast<QWidget*>(Col2)})
    W->setEnabled(GK->isChecked());
}

void TMainForm::UpdateUnderlayControls() {
  SpeedButton7->setEnabled(OCL->isChecked());
  for (QWidget* W : {static_cast<QWidget*>(PDGT), static_cast<QWidget*>(SpeedButton8),
                     static_cast<QWidget*>(SpeedButton9)})
    W->setEnabled(GCL->isChecked());
  Button4->setEnabled(TXR->isChecked());
  Button11->setEnabled(true);
}

bool TMainForm::PickSwatch(QLabel* Swatch, TPlatformColor& Colour) {
  TPlatformColor C = Colour;
  if (!AskColour(C))
    return false;
  Colour = C;
  ShowSwatch(Swatch, C);
  return true;
}

// --- "Фон" -----------------------------------------------------------------------------------

void TMainForm::ALBClick() {
  UpdateBackgroundControls();
}

void TMainForm::OTHClick() {
  UpdateBackgroundControls();
}

void TMainForm::SKClick() {
  UpdateBackgroundControls();
  FComposition->FillSolid(SColorValue);
}

void TMainForm::GKClick() {
  UpdateBackgroundControls();
  FComposition->FillGradient(BackgroundGradient());
}

void TMainForm::ColClick() {
  FUndo->RecordCanvasStep();
  PickSwatch(SColor, SColorValue);
  // Also after a cancel: the canvas takes the swatch's colour.
  FComposition->FillSolid(SColorValue);
}

void TMainForm::Col2Click() {
  FUndo->RecordCanvasStep();
  PickSwatch(GC2, GC2Value);
  FComposition->FillGradient(BackgroundGradient());
}

void TMainForm::Col1Click() {
  FUndo->RecordCanvasStep();
  PickSwatch(GC1, GC1Value);
  FComposition->FillGradient(BackgroundGradient());
}

void TMainForm::GradTypeChange() {
  FComposition->FillGradient(BackgroundGradient());
}

void TMainForm::TKClick() {
  UpdateBackgroundControls();
  // The last texture again, with the dialog's current size.
  if (!Textur->HasSelectedFile())
    return;
  FUndo->RecordCanvasStep();
  Textur->Button1Click();
}

void TMainForm::Button3Click() {
  Textur->exec();
  FImgView->View().Invalidate();
}

void TMainForm::Button4Click() {
  Textur->exec();
  FImgView->View().Invalidate();
}

void TMainForm::Button6Click() {
  FUndo->RecordCanvasStep();
  const QString Name = AskBackgroundFile();
  if (Name.isEmpty())
    return;
  const int W = FDoc->Canvas().Width(), H = FDoc->Canvas().Height();
  FComposition->LoadBackground(Name.toStdString());
  if (FDoc->Canvas().Width() != W || FDoc->Canvas().Height() != H)
    N35Click();
}

// --- "Подложка" ------------------------------------------------------------------------------

void TMainForm::OCLClick() {
  UpdateUnderlayControls();
}

void TMainForm::GCLClick() {
  UpdateUnderlayControls();
}

void TMainForm::TXRClick() {
  UpdateUnderlayControls();
}

void TMainForm::SpeedButton7Click() {
  PickSwatch(Panel4, Panel4Value);
}

void TMainForm::SpeedButton8Click() {
  PickSwatch(Panel7, Panel7Value);
}

void TMainForm::SpeedButton9Click() {
  PickSwatch(Panel8, Panel8Value);
}

void TMainForm::Button11Click() {
  if (FDoc->IsEmpty())
    return;
  FComposition->AddUnderlay(UnderlaySettings());
}

// --- The galleries ---------------------------------------------------------------------------

namespace {

std::string GalleryFile(const TTHumbview* View, const char* Missing) {
  QString File;
  View->GetSelectedFile(File);
  if (File.isEmpty())
    throw Exception(Missing);
  return File.toStdString();
}

}  // namespace

void TMainForm::Button9Click() {
  if (FDoc->IsEmpty())
    return;
  FComposition->AddGalleryItem(GalleryFile(DAVIS, "Не выбрано украшение."), true);
}

void TMainForm::Button13Click() {
  if (FDoc->IsEmpty())
    return;
  FComposition->AddGalleryItem(GalleryFile(CPVIS, "Не выбрано поздравление."), false);
}

void TMainForm::Timer1Timer() {
  // The galleries are read now rather than when their tabs are first shown; their pictures come
  // from the pickers' loader threads while the window goes on working.
  const QDir Data(QString::fromStdString(FPaths.DataDir));
  for (auto [View, Folder] : {std::pair{DAVIS, "Decor"}, std::pair{CPVIS, "Captions"}}) {
    // A hidden picker has not had its size yet: the cells are placed for the size it will show.
    View->Model().SetBounds(View->width(), View->height());
    View->SetDirectory(Data.filePath(QString::fromLatin1(Folder)));
    View->Model().Painting();
  }
}
