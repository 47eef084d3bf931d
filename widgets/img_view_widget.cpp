#include "img_view_widget.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <exception>

#include "qt_input.h"
#include "user_error_text.h"

namespace {

bool IsTrackedButton(Qt::MouseButton B) {
  return B == Qt::LeftButton || B == Qt::RightButton || B == Qt::MiddleButton;
}

bool HasOverlayLayers(TCustomImage32& Image) {
  TLayerCollection& Layers = Image.Layers();
  for (int32_t I = 0; I < Layers.Count(); ++I)
    if (Layers.Items(I)->LayerOptions() & LayerOverlay)
      return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

Image32Widget::Image32Widget(QWidget* Parent)
    : Image32Widget(std::make_unique<TCustomImage32>(), Parent) {}

Image32Widget::Image32Widget(std::unique_ptr<TCustomImage32> Image, QWidget* Parent)
    : QWidget(Parent), FImage(std::move(Image)) {
  FImage->SetHost(this);
  setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel comes from the buffer
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  FImage->SetBounds(width(), height());
}

Image32Widget::~Image32Widget() {
  FImage->SetHost(nullptr);
}

TShiftState Image32Widget::ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
  TShiftState S = 0;
  if (Modifiers & Qt::ShiftModifier)
    S |= ssShift;
  if (Modifiers & Qt::ControlModifier)
    S |= ssCtrl;
  if (Modifiers & Qt::AltModifier)
    S |= ssAlt;
  if (Buttons & Qt::LeftButton)
    S |= ssLeft;
  if (Buttons & Qt::RightButton)
    S |= ssRight;
  if (Buttons & Qt::MiddleButton)
    S |= ssMiddle;
  return S;
}

Qt::CursorShape Image32Widget::CursorShapeOf(TCursor Cursor) {
  switch (Cursor) {
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
      return Qt::SizeHorCursor;
    case crUpArrow:
      return Qt::UpArrowCursor;
    case crHourGlass:
      return Qt::WaitCursor;
    case crDrag:
      return Qt::DragMoveCursor;
    case crNo:
      return Qt::ForbiddenCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

void Image32Widget::RequestRepaint() {
  update();
}

void Image32Widget::RepaintNow() {
  repaint();
}

void Image32Widget::SetScreenCursor(TCursor Cursor) {
  setCursor(CursorShapeOf(Cursor));
}

// Qt grabs the mouse for the widget that took a press until every button is released, which is
// what the control's capture asks for.
void Image32Widget::SetMouseCapture(bool) {}

bool Image32Widget::CanFocus() const {
  return isEnabled() && isVisible();
}

void Image32Widget::SetFocus() {
  setFocus(Qt::MouseFocusReason);
}

int Image32Widget::SystemScrollBarSize() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void Image32Widget::RequestSize(int Width, int Height) {
  resize(Width, Height);
}

bool Image32Widget::FillsWindow() const {
  for (const QWidget* W = this; W != nullptr && !W->isWindow(); W = W->parentWidget()) {
    const QWidget* P = W->parentWidget();
    if (P == nullptr || W->geometry() != P->contentsRect())
      return false;
  }
  return true;
}

void Image32Widget::BeginWindowSizing() {
  if (QWindow* W = window()->windowHandle())
    W->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
}

bool Image32Widget::event(QEvent* Event) {
  bool Handled = true;
  try {
    Handled = QWidget::event(Event);
  } catch (const std::exception& E) {
    ReportError(QString::fromStdString(UserErrorText(E)), Event->type() == QEvent::Paint);
  } catch (...) {
    ReportError(QStringLiteral("Неизвестная ошибка"), Event->type() == QEvent::Paint);
  }
  return Handled;
}

void Image32Widget::Guard(const std::function<void()>& F) {
  try {
    F();
  } catch (const std::exception& E) {
    ReportError(QString::fromStdString(UserErrorText(E)), false);
  } catch (...) {
    ReportError(QStringLiteral("Неизвестная ошибка"), false);
  }
}

void Image32Widget::ReportError(const QString& Text, bool Later) {
  if (Later) {
    // A message box opened inside a paint would paint the view again inside this paint.
    QTimer::singleShot(0, this, [this, Text] { ReportError(Text, false); });
    return;
  }
  // One report at a time: the view may be painted again while a message box is open.
  if (FReporting)
    return;
  FReporting = true;
  try {
    if (OnError)
      OnError(Text);
    else
      qWarning("%s", qUtf8Printable(Text));
  } catch (...) {
    qWarning("%s", qUtf8Printable(Text));
  }
  FReporting = false;
}

void Image32Widget::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  if (FLoaded)
    return;
  FLoaded = true;
  Loaded();
}

void Image32Widget::Loaded() {
  FImage->Invalidate();
  FImage->InitStages();
}

void Image32Widget::paintEvent(QPaintEvent*) {
  TPaintScope Paint(*FImage);
  const TBitmap32& Buffer = Paint.Buffer();
  const TRect V = FImage->GetViewportRect();
  const int32_t W = std::min(V.Width(), Buffer.Width());
  const int32_t H = std::min(V.Height(), Buffer.Height());
  if (Buffer.IsEmpty() || W <= 0 || H <= 0)
    return;
  const TBitmap32* Shown = &Buffer;
  // Overlay layers draw on a copy of the buffer's visible part, so a change of theirs repaints
  // the window without running the stages again.
  if (HasOverlayLayers(*FImage)) {
    FSurface.SetSize(W, H);
    for (int32_t Y = 0; Y < H; ++Y) std::copy_n(Buffer.RowAddress(Y), W, FSurface.RowAddress(Y));
    FImage->PaintOverlays(FSurface);
    Shown = &FSurface;
  }
  // The buffer's bytes are already in the order of Qt's 32-bit images; the alpha byte is not
  // shown.
  const QImage View(reinterpret_cast<const uchar*>(Shown->Bits()), Shown->Width(), Shown->Height(),
                    Shown->Width() * 4, QImage::Format_RGB32);
  QPainter P(this);
  P.drawImage(QPoint(V.Left, V.Top), View, QRect(0, 0, W, H));
  if (OnPainted)
    OnPainted();
}

void Image32Widget::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  FImage->SetBounds(width(), height());
}

void Image32Widget::mousePressEvent(QMouseEvent* Event) {
  if (!IsTrackedButton(Event->button()))
    return;
  const QPoint P = Event->position().toPoint();
  FImage->MouseDown(ButtonOf(Event->button()), ShiftFromQt(Event->modifiers(), Event->buttons()),
                    P.x(), P.y());
}

void Image32Widget::mouseDoubleClickEvent(QMouseEvent* Event) {
  if (!IsTrackedButton(Event->button()))
    return;
  const QPoint P = Event->position().toPoint();
  FImage->MouseDown(ButtonOf(Event->button()),
                    ShiftFromQt(Event->modifiers(), Event->buttons()) | ssDouble, P.x(), P.y());
}

void Image32Widget::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint P = Event->position().toPoint();
  FImage->MouseMove(ShiftFromQt(Event->modifiers(), Event->buttons()), P.x(), P.y());
}

void Image32Widget::mouseReleaseEvent(QMouseEvent* Event) {
  if (!IsTrackedButton(Event->button()))
    return;
  const QPoint P = Event->position().toPoint();
  FImage->MouseUp(ButtonOf(Event->button()), ShiftFromQt(Event->modifiers(), Event->buttons()),
                  P.x(), P.y());
}

void Image32Widget::wheelEvent(QWheelEvent* Event) {
  const int Delta = Event->angleDelta().y();
  if (Delta == 0)
    return;
  const TShiftState Shift = ShiftFromQt(Event->modifiers(), Event->buttons());
  if (OnMouseWheel && OnMouseWheel(Delta, Shift, Event->position().toPoint()))
    return;
  WheelNotHandled(Delta, Shift);
}

void Image32Widget::WheelNotHandled(int, TShiftState) {}

void Image32Widget::keyPressEvent(QKeyEvent* Event) {
  if (OnKeyDown && OnKeyDown(Event->key(), ShiftFromQt(Event->modifiers(), Qt::NoButton)))
    return;
  QWidget::keyPressEvent(Event);
}

void Image32Widget::enterEvent(QEnterEvent*) {
  FImage->MouseEnter();
}

void Image32Widget::leaveEvent(QEvent*) {
  FImage->MouseLeave();
}

// ---------------------------------------------------------------------------------------------

ImgViewWidget::ImgViewWidget(QWidget* Parent)
    : Image32Widget(std::make_unique<TImgView32>(), Parent),
      FHorBar(new QScrollBar(Qt::Horizontal, this)),
      FVerBar(new QScrollBar(Qt::Vertical, this)) {
  // The bars are children: their own clicks and drags never reach the view.
  connect(FHorBar, &QScrollBar::valueChanged, this,
          [this](int V) { Guard([&] { BarMoved(FHorBar, View().HorScroll(), V); }); });
  connect(FVerBar, &QScrollBar::valueChanged, this,
          [this](int V) { Guard([&] { BarMoved(FVerBar, View().VerScroll(), V); }); });
  View().SetBounds(width(), height());
  ScrollBarsChanged();
}

void ImgViewWidget::SyncBar(QScrollBar* Bar, const TScrollBarModel& Model, const TRect& Where) {
  // A bar without room (hidden by the view because nothing scrolls) is not shown.
  Bar->setVisible(Where.Width() > 0 && Where.Height() > 0);
  Bar->setGeometry(Where.Left, Where.Top, std::max(0, Where.Width()), std::max(0, Where.Height()));
  Bar->setMaximum(static_cast<int>(std::ceil(Model.MaxPosition())));
  Bar->setPageStep(std::max(1, Model.Window()));
  Bar->setSingleStep(std::max(1, View().ScrollIncrement()));
  Bar->setValue(static_cast<int>(std::lround(Model.Position())));
}

void ImgViewWidget::ScrollBarsChanged() {
  if (FHorBar == nullptr || FVerBar == nullptr)
    return;  // during construction
  FSyncing = true;
  SyncBar(FHorBar, View().HorScroll(), View().HorScrollRect());
  SyncBar(FVerBar, View().VerScroll(), View().VerScrollRect());
  FSyncing = false;
}

void ImgViewWidget::BarMoved(QScrollBar*, TScrollBarModel& Model, int Value) {
  if (FSyncing)
    return;
  Model.UserSetPosition(static_cast<float>(Value));
}

void ImgViewWidget::resizeEvent(QResizeEvent* Event) {
  Image32Widget::resizeEvent(Event);
  ScrollBarsChanged();
}

void ImgViewWidget::Loaded() {
  View().Loaded();
  ScrollBarsChanged();
}

void ImgViewWidget::paintEvent(QPaintEvent* Event) {
  Image32Widget::paintEvent(Event);
  // The corner square between the bars.
  const bool Grip = View().GripVisible();
  if (!Grip && !(View().HorBarShown() && View().VerBarShown()))
    return;
  QPainter P(this);
  const TRect G = View().GripRect();
  const QRect Corner(G.Left, G.Top, G.Width(), G.Height());
  P.fillRect(Corner, palette().button());
  if (Grip) {
    QStyleOption Opt;
    Opt.initFrom(this);
    Opt.rect = Corner;
    style()->drawControl(QStyle::CE_SizeGrip, &Opt, &P, this);
  }
}

void ImgViewWidget::WheelNotHandled(int Delta, TShiftState) {
  // Turning the wheel away from the user scrolls up, as over the vertical bar.
  View().VerScroll().Wheel(-Delta, static_cast<float>(View().ScrollIncrement()));
}
