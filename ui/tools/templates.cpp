#include "templates.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "window_fit.h"

namespace {

// The grey preview area, in the page's pixels.
constexpr int PreviewLeft = 344;
constexpr int PreviewTop = 8;
constexpr int PreviewWidth = 289;
constexpr int PreviewHeight = 305;

QString UnitName(TPageUnit Unit) {
  return Unit == puPoints ? QStringLiteral("Точек") : QStringLiteral("Миллиметров");
}

QSpinBox* MakeSpin(QWidget* Parent, const char* Name, int Min, int Max, int Value) {
  auto* S = new QSpinBox(Parent);
  S->setObjectName(QString::fromLatin1(Name));
  S->setRange(Min, Max);
  S->setValue(Value);
  S->setAccelerated(true);
  return S;
}

}  // namespace

TTemplates::TTemplates(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Новый проект"));
  KeepTitleWhole(*this);
  auto* Pages = new QTabWidget(this);
  auto* Page = new QWidget(Pages);
  Page->setFixedSize(PreviewLeft + PreviewWidth + 8, PreviewTop + PreviewHeight + 62);
  Pages->addTab(Page, QStringLiteral("Параметры страницы"));

  // The settings column left of the preview.
  auto* Column = new QWidget(Page);
  Column->setGeometry(8, PreviewTop, PreviewLeft - 16, PreviewHeight);
  auto* Grid = new QGridLayout(Column);
  Grid->setContentsMargins(0, 0, 0, 0);
  Grid->setVerticalSpacing(10);

  Shabl = new QComboBox(Column);
  Shabl->setObjectName(QStringLiteral("Shabl"));
  for (const TPageFormat& F : PageFormats()) Shabl->addItem(QString::fromUtf8(F.Caption));
  Shabl->setMaxVisibleItems(PageFormatCount);
  Grid->addWidget(new QLabel(QStringLiteral("Формат"), Column), 0, 0);
  Grid->addWidget(Shabl, 0, 1, 1, 2);

  WI = MakeSpin(Column, "WI", PageSideMin, PageSideMax, FSetup.ShownWidth());
  CEP = new QComboBox(Column);
  CEP->setObjectName(QStringLiteral("CEP"));
  CEP->addItems({QStringLiteral("Точек"), QStringLiteral("Миллиметров")});
  Grid->addWidget(new QLabel(QStringLiteral("Ширина"), Column), 1, 0);
  Grid->addWidget(WI, 1, 1);
  Grid->addWidget(CEP, 1, 2);

  HE = MakeSpin(Column, "HE", PageSideMin, PageSideMax, FSetup.ShownHeight());
  Label3 = new QLabel(Column);
  Label3->setObjectName(QStringLiteral("Label3"));
  Grid->addWidget(new QLabel(QStringLiteral("Высота"), Column), 2, 0);
  Grid->addWidget(HE, 2, 1);
  Grid->addWidget(Label3, 2, 2);

  auto* Orientation = new QGroupBox(QStringLiteral("Ориентация"), Column);
  auto* OrientationRow = new QHBoxLayout(Orientation);
  Book = new QRadioButton(QStringLiteral("Книжная"), Orientation);
  Book->setObjectName(QStringLiteral("Book"));
  Alba = new QRadioButton(QStringLiteral("Альбомная"), Orientation);
  Alba->setObjectName(QStringLiteral("Alba"));
  OrientationRow->addWidget(Book);
  OrientationRow->addWidget(Alba);
  Grid->addWidget(Orientation, 3, 0, 1, 3);

  Resol = MakeSpin(Column, "Resol", ResolutionMin, ResolutionMax, FSetup.Resolution());
  Grid->addWidget(new QLabel(QStringLiteral("Разрешение"), Column), 4, 0);
  Grid->addWidget(Resol, 4, 1);
  Grid->addWidget(new QLabel(QStringLiteral("Точек на дюйм"), Column), 4, 2);

  Label7 = new QLabel(Column);
  Label7->setObjectName(QStringLiteral("Label7"));
  Grid->addWidget(new QLabel(QStringLiteral("Размер"), Column), 5, 0);
  Grid->addWidget(Label7, 5, 1);
  Grid->addWidget(new QLabel(QStringLiteral("Килобайт"), Column), 5, 2);
  Grid->setRowStretch(6, 1);
  Grid->setColumnStretch(1, 1);

  // The preview: a grey area holding the white page.
  Shape1 = new QFrame(Page);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(PreviewLeft, PreviewTop, PreviewWidth, PreviewHeight);
  Shape1->setStyleSheet(QStringLiteral("#Shape1 { background: #808080; }"));
  SP = new QFrame(Shape1);
  SP->setObjectName(QStringLiteral("SP"));
  SP->setStyleSheet(QStringLiteral("#SP { background: white; border: 1px solid black; }"));

  auto* Note = new QLabel(Page);
  Note->setText(
      QStringLiteral("Готовая открытка или фон из файла, выбранные потом, задают размер\n"
                     "изображения. Чтобы сохранить размер проекта, в каталоге открыток\n"
                     "отметьте «Подстроить пропорции открытки к пропорциям проекта»."));
  Note->setGeometry(8, PreviewTop + PreviewHeight + 6, PreviewLeft + PreviewWidth - 8, 52);

  Button1 = new QPushButton(QStringLiteral("Создать проект"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  Buttons->addWidget(Button1);
  Buttons->addWidget(Button2);
  auto* Main = new QVBoxLayout(this);
  Main->addWidget(Pages);
  Main->addLayout(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(50);

  connect(Shabl, &QComboBox::activated, this, [this](int) { ShablChange(); });
  connect(CEP, &QComboBox::activated, this, [this](int) { CEPChange(); });
  connect(WI, &QSpinBox::valueChanged, this, [this](int) { Edit1Change(); });
  connect(HE, &QSpinBox::valueChanged, this, [this](int) { Edit2Change(); });
  connect(Resol, &QSpinBox::valueChanged, this, [this](int) { Edit3Change(); });
  connect(Book, &QRadioButton::clicked, this, [this] { BookClick(); });
  connect(Alba, &QRadioButton::clicked, this, [this] { AlbaClick(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

  // The settings start after one tick: 800 x 600 points, landscape.
  ShowUnit();
  ShowOrientation();
  ShowKilobytes();
  ViewPage();
}

void TTemplates::ShowNumbers() {
  WI->setValue(FSetup.ShownWidth());
  HE->setValue(FSetup.ShownHeight());
}

void TTemplates::ShowUnit() {
  CEP->setCurrentIndex(FSetup.Unit());
  Label3->setText(UnitName(FSetup.Unit()));
}

void TTemplates::ShowOrientation() {
  (FSetup.Orientation() == poPortrait ? Book : Alba)->setChecked(true);
}

void TTemplates::ShowKilobytes() {
  Label7->setText(QString::number(FSetup.Kilobytes()));
}

void TTemplates::ViewPage() {
  const TPagePreview P = FSetup.Preview();
  SP->setGeometry(P.Left - PreviewLeft, P.Top - PreviewTop, P.Width, P.Height);
}

void TTemplates::ShablChange() {
  FSetup.ChooseFormat(Shabl->currentIndex());
  {
    // A paper entry's resolution is shown, not typed: it must not count as the user's.
    const QSignalBlocker Quiet(Resol);
    Resol->setValue(FSetup.Resolution());
  }
  ShowUnit();
  ShowNumbers();
  ViewPage();
  ShowKilobytes();
}

void TTemplates::CEPChange() {
  FSetup.SetUnit(CEP->currentIndex() == 1 ? puMillimetres : puPoints);
  ShowNumbers();
  ShowUnit();
}

void TTemplates::Edit1Change() {
  FSetup.SetShownWidth(WI->value());
  Timer1->start();
  ViewPage();
}

void TTemplates::Edit2Change() {
  FSetup.SetShownHeight(HE->value());
  Timer1->start();
  ViewPage();
}

void TTemplates::Edit3Change() {
  FSetup.SetResolution(Resol->value());
  Timer1Timer();
}

void TTemplates::Timer1Timer() {
  Timer1->stop();
  FSetup.Tick();
  ShowOrientation();
  ShowKilobytes();
}

void TTemplates::BookClick() {
  if (FSetup.ClickPortrait())
    ShowNumbers();
  ShowOrientation();
}

void TTemplates::AlbaClick() {
  if (FSetup.ClickLandscape())
    ShowNumbers();
  ShowOrientation();
}

void TTemplates::Button1Click() {
  for (QSpinBox* S : {WI, HE, Resol}) S->interpretText();
  if (Timer1->isActive())
    Timer1Timer();
  accept();
}
