#include "border_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "bitmap32.h"
#include "card_commands.h"
#include "colour_panel.h"
#include "outline_commands.h"
#include "preview_buttons.h"
#include "thumb_files.h"
#include "thumb_titles.h"
#include "window_fit.h"

namespace {

// The border colour at start: red 0, green 85, blue 227.
constexpr TPlatformColor StartBorderColour = 14898176;
constexpr TPlatformColor White = 0xFFFFFF;

QHBoxLayout* ColourRow(TColourPanel* Panel, QToolButton* Button) {
  auto* Row = new QHBoxLayout;
  Row->addWidget(Panel);
  Row->addWidget(Button);
  Row->addStretch();
  return Row;
}

}  // namespace

QImage PatternIcon(const TBitmap32& Pattern) {
  QImage Icon(16, 16, QImage::Format_ARGB32);
  Icon.fill(Qt::transparent);
  if (Pattern.IsEmpty())
    return Icon;
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X)
      if (X / 2 < Pattern.Width() && Y / 2 < Pattern.Height())
        Icon.setPixel(X, Y, Pattern.GetPixel(X / 2, Y / 2));
  return Icon;
}

TSbor::TSbor(const std::string& DataDir, QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Добавить границы"));
  KeepTitleWhole(*this);
  setModal(true);
  auto* Outer = new QVBoxLayout(this);

  auto* Borders = new QGroupBox(QStringLiteral("Параметры границ"), this);
  auto* BorderForm = new QFormLayout(Borders);
  Wd = new QSpinBox(Borders);
  Wd->setObjectName(QStringLiteral("Wd"));
  const TEffectKey& Width = CardKeyOf("Border", "width");
  Wd->setRange(Width.Min, Width.Max);
  Wd->setValue(20);
  BorderForm->addRow(QStringLiteral("Ширина"), Wd);
  Panel3 = new TColourPanel(StartBorderColour, Borders);
  SpeedButton4 = MakeColourButton(Panel3, this);
  BorderForm->addRow(QStringLiteral("Цвет"), ColourRow(Panel3, SpeedButton4));
  CheckBox1 = new QCheckBox(QStringLiteral("Использовать орнамент:"), Borders);
  BorderForm->addRow(CheckBox1);
  ListView1 = new QListWidget(Borders);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setViewMode(QListView::IconMode);
  ListView1->setIconSize(QSize(16, 16));
  ListView1->setGridSize(QSize(36, 40));
  ListView1->setMovement(QListView::Static);
  ListView1->setResizeMode(QListView::Adjust);
  ListView1->setMinimumSize(300, 140);
  // The ornaments' names from their folder's titles file show as the items' tooltips.
  const TThumbTitles Titles = ReadThumbTitles(DataDir + "/Patterns");
  for (int32_t N = 1; N <= PatternCount; ++N) {
    TBitmap32 Pattern;
    const std::string File = PatternFileName(DataDir, N);
    try {
      LoadPattern(File, Pattern);
    } catch (const std::exception&) {
      Pattern.SetSize(0, 0);  // a damaged ornament only loses its icon here
    }
    auto* Item =
        new QListWidgetItem(QIcon(QPixmap::fromImage(PatternIcon(Pattern))), QString::number(N));
    const auto Title = Titles.find(ThumbTitleOf(File));
    if (Title != Titles.end())
      Item->setToolTip(QString::fromStdString(Title->second));
    ListView1->addItem(Item);
  }
  BorderForm->addRow(ListView1);
  Outer->addWidget(Borders);

  auto* Contour = new QGroupBox(QStringLiteral("Внутренний контур"), this);
  auto* ContourForm = new QFormLayout(Contour);
  Cont = new QSpinBox(Contour);
  Cont->setObjectName(QStringLiteral("Cont"));
  Cont->setRange(0, 1000);
  Cont->setValue(3);
  Cont->setMaximum(Wd->value() - 1);
  ContourForm->addRow(QStringLiteral("Ширина"), Cont);
  Panel1 = new TColourPanel(White, Contour);
  SpeedButton1 = MakeColourButton(Panel1, this);
  ContourForm->addRow(QStringLiteral("Цвет"), ColourRow(Panel1, SpeedButton1));
  Outer->addWidget(Contour);
  connect(Wd, &QSpinBox::valueChanged, this, [this](int V) { Cont->setMaximum(V - 1); });

  const TPreviewButtons Buttons =
      AddPreviewButtons(this, Outer, QStringLiteral("Просмотр"), &OnPreview);
  PreviewButton = Buttons.Preview;
  OkButton = Buttons.Ok;
  CancelButton = Buttons.Cancel;
}

void TSbor::showEvent(QShowEvent* E) {
  Cont->setMaximum(Wd->value() - 1);
  if (ListView1->currentItem() == nullptr && ListView1->count() > 0)
    ListView1->setCurrentRow(0);
  QDialog::showEvent(E);
  if (OnActivate)
    OnActivate();
}

int32_t TSbor::PatternNumber() const {
  const QList<QListWidgetItem*> Selected = ListView1->selectedItems();
  return Selected.isEmpty() ? 1 : ListView1->row(Selected.first()) + 1;
}

TBorderParams TSbor::Params() const {
  TBorderParams P;
  P.Width = Wd->value();
  P.Contour = Cont->value();
  P.BorderColour = Panel3->Colour32();
  P.ContourColour = Panel1->Colour32();
  P.UseOrnament = CheckBox1->isChecked();
  return P;
}
