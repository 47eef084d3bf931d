#include "perspective_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "bitmap_layer.h"
#include "busy_cursor.h"
#include "card_document.h"
#include "card_runner.h"
#include "custom_layer.h"
#include "img_view_widget.h"
#include "qt_colours.h"
#include "user_error_text.h"
#include "window_fit.h"

namespace {

constexpr int DstWidth = 528;
constexpr int DstHeight = 313;
// The outline's dashes move on at this interval while the window is shown.
constexpr int DashIntervalMs = 40;

}  // namespace

TProGeomo::TProGeomo(TCardDocument& Doc, TUndoStack& Undo, QWidget* Parent)
    : QDialog(Parent), FDoc(Doc), FUndo(Undo) {
  setWindowTitle(QStringLiteral("Геометрия - передвигайте углы слоя при нажатой кнопке мыши"));
  KeepTitleWhole(*this);
  Dst = new Image32Widget(this);
  Dst->setObjectName(QStringLiteral("Dst"));
  Dst->setFixedSize(DstWidth, DstHeight);
  Dst->setMouseTracking(false);
  TCustomImage32& Image = Dst->Image();
  Image.SetBounds(DstWidth, DstHeight);
  Image.SetBitmapAlign(baTopLeft);
  Image.SetScale(1);
  Image.Bitmap().SetSize(DstWidth, DstHeight);
  FOutline = Image.Layers().Add<TCustomLayer>();
  FOutline->SetLayerOptions(LayerVisible);
  FOutline->OnPaint = [this](TObject*, TBitmap32* Buffer) { PaintOutline(Buffer); };
  Image.OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t X, int32_t Y,
                             TCustomLayer*) { DstMouseDown(X, Y); };
  Image.OnMouseMove = [this](TObject*, TShiftState, int32_t X, int32_t Y, TCustomLayer*) {
    DstMouseMove(X, Y);
  };
  Image.OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t, TCustomLayer*) {
    DstMouseUp();
  };

  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::Box);
  Panel1->setFixedSize(40, 22);
  Panel1->setAutoFillBackground(true);
  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setText(QStringLiteral("..."));
  CheckBox1 = new QCheckBox(QStringLiteral("Билинейная интерполяция"), this);
  CheckBox1->setChecked(true);
  Button4 = new QPushButton(QStringLiteral("Сброс"), this);
  Button2 = new QPushButton(QStringLiteral("ОК"), this);
  Button2->setDefault(true);
  Button3 = new QPushButton(QStringLiteral("Отмена"), this);

  auto* Options = new QHBoxLayout;
  Options->addWidget(new QLabel(QStringLiteral("Цвет фона"), this));
  Options->addWidget(Panel1);
  Options->addWidget(SpeedButton1);
  Options->addSpacing(16);
  Options->addWidget(CheckBox1);
  Options->addStretch(1);
  auto* Buttons = new QHBoxLayout;
  Buttons->addWidget(Button4);
  Buttons->addStretch(1);
  Buttons->addWidget(Button2);
  Buttons->addWidget(Button3);
  auto* Column = new QVBoxLayout(this);
  Column->addWidget(Dst);
  Column->addLayout(Options);
  Column->addLayout(Buttons);
  setFixedSize(sizeHint());

  FIdle = new QTimer(this);
  FIdle->setInterval(DashIntervalMs);
  connect(FIdle, &QTimer::timeout, this, [this] { Dst->Guard([this] { IdleStep(); }); });

  AskColor = [this](TColor32& Colour) { return ChooseColor32(this, Colour); };
  OnError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  Dst->OnError = [this](const QString& Text) { OnError(Text); };
  SetBackgroundColor(FBackground);

  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { Dst->Guard([this] { DrawView(); }); });
  connect(Button4, &QPushButton::clicked, this, [this] { Dst->Guard([this] { Button4Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
}

bool TProGeomo::Execute() {
  FApplied = false;
  if (!FormActivate())
    return false;
  FIdle->start();
  exec();
  FIdle->stop();
  FDragged = DragNothing;
  // The pictures of a visit are not kept until the next one.
  FSource.SetSize(0, 0);
  FPreview.SetSize(0, 0);
  return FApplied;
}

void TProGeomo::hideEvent(QHideEvent* Event) {
  FIdle->stop();
  QDialog::hideEvent(Event);
}

bool TProGeomo::FormActivate() {
  const TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  const TBitmap32& Target = L != nullptr ? *L->Bitmap() : FDoc.Canvas();
  if (Target.IsEmpty())
    return false;
  FSource.Assign(&Target);
  SpeedButton1->setEnabled(L == nullptr);

  const TCustomImage32& Image = Dst->Image();
  const TPoint Size = PerspectivePreviewSize(FSource.Width(), FSource.Height(),
                                             Image.Bitmap().Width(), Image.Bitmap().Height());
  FPreview.SetSize(Size.X, Size.Y);
  FPreview.Clear(0);
  FSource.DrawOnto(FPreview, FPreview.BoundsRect());
  // Transparent parts of a layer show the board behind them.
  FPreview.SetDrawMode(dmBlend);
  FCorners = ResetCorners(Size.X, Size.Y);
  FDragged = DragNothing;
  DrawView();
  return true;
}

void TProGeomo::DrawView() {
  DrawPerspectivePreview(Dst->Image().Bitmap(), FPreview, FCorners, CheckBox1->isChecked(),
                         FTransformation);
  Dst->Image().Invalidate();
}

void TProGeomo::PaintOutline(TBitmap32* Buffer) {
  if (Buffer == nullptr || FPreview.IsEmpty())
    return;
  DrawPerspectiveOutline(*Buffer, FCorners, FDashOffset);
}

void TProGeomo::IdleStep() {
  FDashOffset -= DashStep;
  FOutline->Changed();
}

void TProGeomo::Button4Click() {
  FCorners = ResetCorners(FPreview.Width(), FPreview.Height());
  DrawView();
}

void TProGeomo::Button2Click() {
  try {
    TPerspectiveOptions Options;
    Options.Bilinear = CheckBox1->isChecked();
    Options.Background = FBackground;
    const TBusyCursor Busy;
    TCardRunner(FDoc, &FUndo).Run("Perspective", [&](const TChangeStart& Start) {
      ApplyPerspective(FDoc, Start, FSource, FPreview.Width(), FCorners, Options);
    });
    FApplied = true;
  } catch (const std::exception& E) {
    // The window stays open, so that the corners can be put right.
    OnError(QString::fromStdString(UserErrorText(E)));
    return;
  }
  accept();
}

void TProGeomo::SpeedButton1Click() {
  TColor32 C = FBackground;
  if (AskColor(C))
    SetBackgroundColor(C);
}

void TProGeomo::SetBackgroundColor(TColor32 C) {
  FBackground = 0xFF000000u | C;
  QPalette P = Panel1->palette();
  P.setColor(QPalette::Window, ToQColor(FBackground));
  Panel1->setPalette(P);
}

const TBitmap32& TProGeomo::ViewPicture() const {
  return Dst->Image().Bitmap();
}

void TProGeomo::DstMouseDown(int32_t X, int32_t Y) {
  FDragged = CornerAt(FCorners, X, Y);
  FLast = {X, Y};
}

void TProGeomo::DstMouseMove(int32_t X, int32_t Y) {
  if (FDragged == DragNothing)
    return;
  MoveCorners(FCorners, FDragged, X - FLast.X, Y - FLast.Y);
  FLast = {X, Y};
  DrawView();
}

void TProGeomo::DstMouseUp() {
  FDragged = DragNothing;
}
