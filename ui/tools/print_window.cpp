#include "print_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "img_view_widget.h"
#include "print_device.h"
#include "print_settings.h"
#include "report_errors.h"
#include "rubberband_layer.h"
#include "user_error_text.h"
#include "window_fit.h"

namespace {

// The page decoration: a black band 20 pixels wide, 100 pixels inside the page edges.
constexpr int32_t BandInset = 100;
constexpr int32_t BandWidth = 20;

// A flag set while it lives.
struct TFlagScope {
  explicit TFlagScope(bool& F) : Flag(F), Was(F) { Flag = true; }
  ~TFlagScope() { Flag = Was; }
  bool& Flag;
  bool Was;
};

}  // namespace

TKVTPrint::TKVTPrint(QWidget* Parent, TPrintSettings* Settings)
    : QDialog(Parent),
      PdfDpi(PdfPrinterDpi),
      FOwnSettings(Settings ? nullptr : std::make_unique<TPrintSettings>()),
      FSettings(Settings ? Settings : FOwnSettings.get()) {
  setWindowTitle(QStringLiteral("Печать"));
  KeepTitleWhole(*this);
  BuildControls();
  ConnectControls();
  AskPrinterSetup = [this](QPrinter& Printer) {
    QPageSetupDialog Dialog(&Printer, this);
    return Dialog.exec() == QDialog::Accepted;
  };
  AskPdfFileName = [this] {
    // The dialog adds the extension itself, so its overwrite question covers the final name.
    QFileDialog Dialog(this, PdfPrinterName());
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    Dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
      return QString();
    return Dialog.selectedFiles().first();
  };
  ShowError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Печать"), Text);
  };
}

TKVTPrint::~TKVTPrint() {
  FSelected = nullptr;
  FRBLayer = nullptr;
  FCardLayer = nullptr;
}

void TKVTPrint::BuildControls() {
  PrintView = new ImgViewWidget(this);
  PrintView->setMinimumSize(360, 420);
  PrintView->View().SetAutoHideScrollBars(true);

  ScaleCombo = new QComboBox(this);
  ScaleCombo->setEditable(true);
  ScaleCombo->setInsertPolicy(QComboBox::NoInsert);
  for (const char* Item : {"1%", "2%", "3%", "5%", "7%", "10%", "15%", "25%", "50%", "75%", "100%"})
    ScaleCombo->addItem(QString::fromLatin1(Item));
  Prog = new QProgressBar(this);
  Prog->setRange(0, 5);
  Prog->setValue(0);
  Prog->setTextVisible(false);

  MyPrinters = new QComboBox(this);
  MyPrinters->setMinimumContentsLength(18);
  Edit1 = new QSpinBox(this);
  Edit1->setRange(1, 2000);
  Edit1->setValue(1);
  Button3 = new QPushButton(QStringLiteral("Свойства"), this);
  Button3->setAutoDefault(false);

  Book = new QRadioButton(QStringLiteral("Книжная"));
  Album = new QRadioButton(QStringLiteral("Альбомная"));
  Book->setChecked(true);
  auto* OrientationBox = new QGroupBox(QStringLiteral("Ориентация страницы"), this);
  auto* OrientationRow = new QHBoxLayout(OrientationBox);
  OrientationRow->addWidget(Book);
  OrientationRow->addWidget(Album);

  Orig = new QRadioButton(QStringLiteral("Оригинальный"));
  Fit = new QRadioButton(QStringLiteral("Уместить на странице"));
  Fill = new QRadioButton(QStringLiteral("Заполнить страницу"));
  Custom = new QRadioButton(QStringLiteral("Пользовательский"));
  Orig->setChecked(true);
  auto* PlaceBox = new QGroupBox(QStringLiteral("Размер изображения"), this);
  auto* PlaceColumn = new QVBoxLayout(PlaceBox);
  for (QRadioButton* B : {Orig, Fit, Fill, Custom}) PlaceColumn->addWidget(B);

  auto MakeSizeEdit = [this] {
    auto* E = new QDoubleSpinBox(this);
    E->setRange(0, 30000);
    E->setDecimals(2);
    E->setSingleStep(0.1);
    return E;
  };
  ImageWidth = MakeSizeEdit();
  ImageHeight = MakeSizeEdit();
  Mera = new QComboBox(this);
  Mera->addItem(QStringLiteral("См"));
  Mera->addItem(QStringLiteral("Дюймов"));
  propos = new QCheckBox(QStringLiteral("Соблюдать пропорции"), this);
  propos->setChecked(true);
  auto* SizeBox = new QGroupBox(QStringLiteral("Точный размер"), this);
  auto* SizeGrid = new QGridLayout(SizeBox);
  SizeGrid->addWidget(new QLabel(QStringLiteral("Ширина"), SizeBox), 0, 0);
  SizeGrid->addWidget(ImageWidth, 0, 1);
  SizeGrid->addWidget(new QLabel(QStringLiteral("Высота"), SizeBox), 1, 0);
  SizeGrid->addWidget(ImageHeight, 1, 1);
  SizeGrid->addWidget(Mera, 0, 2, 2, 1);
  SizeGrid->addWidget(propos, 2, 0, 1, 3);

  Button1 = new QPushButton(QStringLiteral("Печать"), this);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  // Enter in the size and scale fields confirms the typed value; it must not start a print job.
  for (QPushButton* B : {Button1, Button2}) {
    B->setAutoDefault(false);
    B->setDefault(false);
  }

  auto* PrinterGrid = new QGridLayout;
  PrinterGrid->addWidget(new QLabel(QStringLiteral("Принтер"), this), 0, 0);
  PrinterGrid->addWidget(MyPrinters, 0, 1, 1, 2);
  PrinterGrid->addWidget(new QLabel(QStringLiteral("Копий"), this), 1, 0);
  PrinterGrid->addWidget(Edit1, 1, 1);
  PrinterGrid->addWidget(Button3, 1, 2);

  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  Buttons->addWidget(Button1);
  Buttons->addWidget(Button2);

  auto* Side = new QVBoxLayout;
  Side->addLayout(PrinterGrid);
  Side->addWidget(OrientationBox);
  Side->addWidget(PlaceBox);
  Side->addWidget(SizeBox);
  Side->addStretch(1);
  Side->addLayout(Buttons);

  auto* ScaleRow = new QHBoxLayout;
  ScaleRow->addWidget(new QLabel(QStringLiteral("Масштаб"), this));
  ScaleRow->addWidget(ScaleCombo);
  ScaleRow->addWidget(Prog, 1);

  auto* PreviewColumn = new QVBoxLayout;
  PreviewColumn->addWidget(PrintView, 1);
  PreviewColumn->addLayout(ScaleRow);

  auto* Main = new QHBoxLayout(this);
  Main->addLayout(PreviewColumn, 1);
  Main->addLayout(Side);
}

void TKVTPrint::ConnectControls() {
  PrintView->OnError = [this](const QString& Text) { ShowError(Text); };
  PrintView->OnMouseWheel = [this](int Delta, TShiftState, QPoint) {
    bool Handled = true;
    Run([&] { Handled = PrintViewMouseWheel(Delta); });
    return Handled;
  };
  connect(MyPrinters, &QComboBox::currentIndexChanged, this, [this] {
    if (!FUpdating)
      Run([this] { MyPrintersChange(); });
  });
  connect(Button3, &QPushButton::clicked, this, [this] { Run([this] { Button3Click(); }); });
  for (QRadioButton* B : {Book, Album})
    connect(B, &QRadioButton::clicked, this, [this] { Run([this] { OrientationClick(); }); });
  for (QRadioButton* B : {Orig, Fit, Custom})
    connect(B, &QRadioButton::clicked, this, [this] { Run([this] { PlacementClick(); }); });
  connect(Fill, &QRadioButton::clicked, this, [this] { Run([this] { FillClick(); }); });
  connect(Mera, &QComboBox::currentIndexChanged, this, [this] {
    if (!FUpdating)
      Run([this] { MeraChange(); });
  });
  connect(ImageWidth, &QDoubleSpinBox::valueChanged, this, [this] {
    if (!FUpdating)
      Run([this] { ImageWidthChange(); });
  });
  connect(ImageHeight, &QDoubleSpinBox::valueChanged, this, [this] {
    if (!FUpdating)
      Run([this] { ImageHeightChange(); });
  });
  connect(ScaleCombo, &QComboBox::editTextChanged, this, [this] {
    if (!FUpdating)
      Run([this] { ScaleComboChange(); });
  });
  connect(Button1, &QPushButton::clicked, this, [this] { Run([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TKVTPrint::Run(const std::function<void()>& F) {
  RunReportingErrors(F, ShowError);
}

bool TKVTPrint::Execute(const TBitmap32& FlatImage) {
  if (FlatImage.IsEmpty()) {
    ShowError(QStringLiteral("Нет изображения для печати"));
    return false;
  }
  SetFlatImage(FlatImage);
  return exec() == QDialog::Accepted;
}

void TKVTPrint::SetFlatImage(const TBitmap32& FlatImage) {
  FCard.Assign(&FlatImage);
  FCard.SetDrawMode(dmBlend);
}

double TKVTPrint::PreviewScale() const {
  return PrintView->View().Scale();
}

double TKVTPrint::UnitPixels() const {
  return PixelsPerUnit(Mera->currentIndex() == 1 ? TPrintUnit::Inch : TPrintUnit::Cm, FDpi);
}

TPrintPlace TKVTPrint::CheckedPlace() const {
  if (Fit->isChecked())
    return TPrintPlace::Fit;
  if (Fill->isChecked())
    return TPrintPlace::Fill;
  if (Custom->isChecked())
    return TPrintPlace::Custom;
  return TPrintPlace::Original;
}

// --- Operations ---------------------------------------------------------------------------------

void TKVTPrint::SetPage32() {
  if (!FPrinter)
    throw Exception("Принтер не выбран");
  FPrinter->setPageOrientation(Book->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
  FPrinter->setResolution(FBaseDpi);
  LimitPageResolution(*FPrinter);
  FDpi = PrinterDpi(*FPrinter);
  const int32_t W = FPrinter->width(), H = FPrinter->height();
  if (W <= 0 || H <= 0 || FDpi <= 0)
    throw Exception("Не удалось узнать размер страницы принтера");
  TImgView32& View = PrintView->View();
  SetSelection(nullptr);
  FCardLayer = nullptr;
  FRBLayer = nullptr;
  View.Layers().Clear();
  TBitmap32& Page = View.Bitmap();
  // A page of the same size keeps its pixels (SetSize reports no change); only a failed
  // allocation is out of memory.
  try {
    Page.SetSize(W, H);
  } catch (const std::exception&) {
    FPageW = FPageH = 0;
    throw Exception("Недостаточно памяти для страницы принтера");
  }
  FPageW = W;
  FPageH = H;
  Page.Clear(0x00FFFFFF);
  Page.FillRectS({BandInset, BandInset, W - BandInset, H - BandInset}, 0xFF000000);
  Page.FillRectS({BandInset + BandWidth, BandInset + BandWidth, W - BandInset - BandWidth,
                  H - BandInset - BandWidth},
                 0xFFFFFFFF);
  Page.Changed();
  SetPreviewScale(FitPageScale(W, H, PrintView->width(), PrintView->height()));
}

void TKVTPrint::SetLayer() {
  if (!Custom->isChecked() && !FCard.IsEmpty()) {
    const TRect V = PrintView->View().GetViewportRect();
    const TPoint C =
        PrintView->View().ControlToBitmap({(V.Left + V.Right) / 2, (V.Top + V.Bottom) / 2});
    PlaceCardLayer(
        PlaceCard(CheckedPlace(), FPageW, FPageH, FCard.Width(), FCard.Height(), C.X, C.Y));
  }
  TransMera();
}

void TKVTPrint::PlaceCardLayer(const TSingleRect& Location) {
  TImgView32& View = PrintView->View();
  SetSelection(nullptr);
  FCardLayer = nullptr;
  FRBLayer = nullptr;
  View.Layers().Clear();
  if (FCard.IsEmpty())
    return;
  auto* L = View.Layers().Add<TBitmapLayer>();
  L->SetBitmap(&FCard);
  L->Bitmap()->SetDrawMode(dmBlend);
  // The preview draws the card smoothly at any scale; the print takes FCard itself.
  L->Bitmap()->SetStretchFilter(sfLinear);
  L->SetScaled(true);
  L->SetMouseEvents(true);
  L->SetLocation(Location);
  L->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, int32_t, int32_t) {
    Run([&] { SetSelection(dynamic_cast<TCustomLayer*>(Sender)); });
  };
  FCardLayer = L;
  SetSelection(L);
}

void TKVTPrint::SetSelection(TCustomLayer* Layer) {
  if (Layer == FSelected)
    return;
  TImgView32& View = PrintView->View();
  if (FRBLayer != nullptr) {
    FRBLayer->SetChildLayer(nullptr);
    FRBLayer->SetLayerOptions(LayerNoUpdate);
    View.Invalidate();
  }
  FSelected = Layer;
  if (Layer == nullptr)
    return;
  if (FRBLayer != nullptr) {
    FRBLayer->BringToFront();
  } else {
    FRBLayer = View.Layers().Add<TRubberbandLayer>();
    FRBLayer->MinWidth = 1.0f;
    FRBLayer->MinHeight = 1.0f;
    FRBLayer->OnResizing = [this](TObject*, const TSingleRect& Old, TSingleRect& New,
                                  TDragState State, TShiftState Shift) {
      Run([&] { RBResizing(Old, New, State, Shift); });
    };
  }
  if (auto* P = dynamic_cast<TPositionedLayer*>(Layer))
    FRBLayer->SetChildLayer(P);
  FRBLayer->SetLayerOptions(LayerVisible | LayerMouseEvents | LayerNoUpdate);
}

void TKVTPrint::TransMera() {
  if (FCardLayer == nullptr)
    return;
  const TSingleRect& L = FCardLayer->Location();
  const double K = UnitPixels();
  TFlagScope Updating(FUpdating);
  ImageWidth->setValue(PrintedWidth(L, K));
  ImageHeight->setValue(PrintedHeight(L, K));
}

void TKVTPrint::CorrectSize() {
  if (FCardLayer == nullptr)
    return;
  // A typed size is the exact-size placement: the card keeps its centre on the page.
  FCardLayer->SetLocation(CentredSizedLocation(FCardLayer->Location(), ImageWidth->value(),
                                               ImageHeight->value(), UnitPixels()));
  Custom->setChecked(true);
  SetSelection(nullptr);
  SetSelection(FCardLayer);
}

void TKVTPrint::SetPreviewScale(double Scale) {
  PrintView->View().SetScale(static_cast<float>(Scale));
}

void TKVTPrint::ShowScale() {
  TFlagScope Updating(FUpdating);
  ScaleCombo->setEditText(QString::fromStdString(ScaleText(PreviewScale())));
}

void TKVTPrint::SelectPrinter(int Index) {
  FPrinter = &FSettings->Select(MyPrinters->itemText(Index), PdfDpi);
  FBaseDpi = FSettings->BaseDpi();
  FPrinterIndex = Index;
}

// Rebuilding the page drops the card layer. With "Пользовательский" the card comes back at the
// printed size it had, centred on the new page; at an opening (a new card) at its own size.
void TKVTPrint::RebuildPage() {
  std::optional<std::pair<double, double>> Inches;
  if (Custom->isChecked() && FCardLayer != nullptr && FDpi > 0) {
    const TSingleRect& L = FCardLayer->Location();
    Inches.emplace(std::fabs(double(L.Right) - L.Left) / FDpi,
                   std::fabs(double(L.Bottom) - L.Top) / FDpi);
  }
  SetPage32();
  if (!Custom->isChecked()) {
    SetLayer();
  } else if (!FCard.IsEmpty()) {
    const TRect V = PrintView->View().GetViewportRect();
    const TPoint C =
        PrintView->View().ControlToBitmap({(V.Left + V.Right) / 2, (V.Top + V.Bottom) / 2});
    if (Inches) {
      const double W = Inches->first * FDpi, H = Inches->second * FDpi;
      PlaceCardLayer(
          {float(C.X - W / 2), float(C.Y - H / 2), float(C.X + W / 2), float(C.Y + H / 2)});
    } else {
      PlaceCardLayer(PlaceCard(TPrintPlace::Original, FPageW, FPageH, FCard.Width(), FCard.Height(),
                               C.X, C.Y));
    }
    TransMera();
  }
  ShowScale();
}

// --- Events -------------------------------------------------------------------------------------

void TKVTPrint::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  Run([this] { FormActivate(); });
}

void TKVTPrint::done(int Result) {
  // The page set-up chosen here is there at the next start.
  FSettings->Save();
  Run([this] {
    SetSelection(nullptr);
    FCardLayer = nullptr;
    FRBLayer = nullptr;
    PrintView->View().Layers().Clear();
    PrintView->View().Bitmap().SetSize(0, 0);
    PrintView->View().Bitmap().Changed();
  });
  QDialog::done(Result);
}

void TKVTPrint::FormActivate() {
  Prog->setValue(0);
  // The printer in use stays from the last opening or "Параметры печати", with its page set-up;
  // the first time it is the first entry.
  int Index = 0;
  {
    TFlagScope Updating(FUpdating);
    MyPrinters->clear();
    MyPrinters->addItems(PrinterNames());
    Index = std::max(0, MyPrinters->findText(FSettings->Name()));
    MyPrinters->setCurrentIndex(Index);
    Mera->setCurrentIndex(0);
  }
  try {
    SelectPrinter(Index);
  } catch (const std::exception& E) {
    // A printer that cannot be used leaves the PDF entry, which always can.
    ShowError(QString::fromStdString(UserErrorText(E)));
    TFlagScope Updating(FUpdating);
    MyPrinters->setCurrentIndex(MyPrinters->count() - 1);
    SelectPrinter(MyPrinters->count() - 1);
  }
  // The orientation is the printer's, which the page set-up may have changed.
  if (FPrinter->pageLayout().orientation() == QPageLayout::Portrait)
    Book->setChecked(true);
  else
    Album->setChecked(true);
  // The opening places a new card: a hand-made place belongs to the card printed before.
  FCardLayer = nullptr;
  RebuildPage();
}

void TKVTPrint::MyPrintersChange() {
  try {
    SelectPrinter(MyPrinters->currentIndex());
  } catch (...) {
    // The list goes back to the printer still in use.
    TFlagScope Updating(FUpdating);
    MyPrinters->setCurrentIndex(FPrinterIndex);
    throw;
  }
  RebuildPage();
}

void TKVTPrint::Button3Click() {
  if (!FPrinter || !AskPrinterSetup(*FPrinter))
    return;
  if (FPrinter->pageLayout().orientation() == QPageLayout::Portrait)
    Book->setChecked(true);
  else
    Album->setChecked(true);
  RebuildPage();
}

void TKVTPrint::OrientationClick() {
  RebuildPage();
}

void TKVTPrint::PlacementClick() {
  SetLayer();
}

void TKVTPrint::FillClick() {
  propos->setChecked(false);
  SetLayer();
}

void TKVTPrint::MeraChange() {
  TransMera();
}

void TKVTPrint::ImageWidthChange() {
  if (propos->isChecked() && !FCard.IsEmpty()) {
    TFlagScope Updating(FUpdating);
    ImageHeight->setValue(HeightForWidth(ImageWidth->value(), FCard.Width(), FCard.Height()));
  }
  CorrectSize();
}

void TKVTPrint::ImageHeightChange() {
  if (propos->isChecked() && !FCard.IsEmpty()) {
    TFlagScope Updating(FUpdating);
    ImageWidth->setValue(WidthForHeight(ImageHeight->value(), FCard.Width(), FCard.Height()));
  }
  CorrectSize();
}

void TKVTPrint::ScaleComboChange() {
  QString Text = ScaleCombo->currentText();
  Text.remove(QLatin1Char('%'));
  Text.remove(QLatin1Char(' '));
  if (Text.isEmpty())
    return;
  if (const std::optional<double> Scale = ParseScaleText(Text.toStdString()))
    SetPreviewScale(*Scale);
  ShowScale();
  if (QLineEdit* Edit = ScaleCombo->lineEdit())
    Edit->setCursorPosition(std::max(0, int(Edit->text().size()) - 1));
}

bool TKVTPrint::PrintViewMouseWheel(int Delta) {
  if (Delta == 0)
    return true;
  SetPreviewScale(WheelScale(PreviewScale(), Delta > 0));
  return true;
}

void TKVTPrint::RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State,
                           TShiftState Shift) {
  if (State == DragNone || State == DragMove || Shift == 0)
    return;
  const double Ratio = FCard.IsEmpty() ? 0 : double(FCard.Width()) / FCard.Height();
  New = ResizeCard(Old, New, State, (Shift & ssCtrl) != 0, propos->isChecked(), Ratio);
  const double K = UnitPixels();
  {
    TFlagScope Updating(FUpdating);
    ImageWidth->setValue(PrintedWidth(New, K));
    ImageHeight->setValue(PrintedHeight(New, K));
  }
  Custom->setChecked(true);
}

void TKVTPrint::Button1Click() {
  if (FCardLayer == nullptr || FCard.IsEmpty() || !FPrinter)
    throw Exception("Нет изображения для печати");
  const TPrintRect Where = PrintRectangle(FCardLayer->Location());
  if (Where.Width <= 0 || Where.Height <= 0)
    throw Exception("Размер изображения слишком мал для печати");
  FPrinter->setCopyCount(Edit1->value());
  if (MyPrinters->currentText() == PdfPrinterName()) {
    QString File = AskPdfFileName ? AskPdfFileName() : QString();
    if (File.isEmpty())
      return;
    if (!File.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
      File += QStringLiteral(".pdf");
    FPrinter->setOutputFileName(File);
  }
  FOutputFile.clear();
  try {
    for (int Step = 1; Step <= 4; ++Step) Prog->setValue(Step);
    PrintCard(*FPrinter, FCard, Where);
    Prog->setValue(5);
    if (FPrinter->outputFormat() == QPrinter::PdfFormat)
      FOutputFile = FPrinter->outputFileName();
  } catch (...) {
    Prog->setValue(0);
    throw;
  }
  accept();
}
