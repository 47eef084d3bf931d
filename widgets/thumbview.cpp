#include "thumbview.h"

#include <qdrawutil.h>

#include <QFileInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "qt_input.h"
#include "status_progress.h"
#include "user_error_text.h"

namespace {

QRect ToQRect(const TRect& R) {
  return QRect(R.Left, R.Top, R.Width(), R.Height());
}

// The mark of a picture that could not be read: a sheet with a red cross, in the middle of the
// picture area.
void PaintBrokenMark(QPainter& P, const QRect& Area) {
  const int Side = std::min({Area.width(), Area.height(), 40});
  if (Side < 8)
    return;
  const QRect Sheet(Area.center().x() - Side / 2, Area.center().y() - Side / 2, Side, Side);
  P.save();
  P.setRenderHint(QPainter::Antialiasing, true);
  P.setPen(QPen(QColor(120, 120, 120), 1));
  P.setBrush(QColor(250, 250, 250));
  P.drawRect(Sheet.adjusted(0, 0, -1, -1));
  P.setPen(QPen(QColor(200, 30, 30), std::max(2, Side / 12), Qt::SolidLine, Qt::RoundCap));
  const QRect X = Sheet.adjusted(Side / 4, Side / 4, -Side / 4, -Side / 4);
  P.drawLine(X.topLeft(), X.bottomRight());
  P.drawLine(X.topRight(), X.bottomLeft());
  P.restore();
}

// The room left around a title's lines inside its strip: the bevel and a pixel of air.
constexpr int TitleMarginX = 2;
constexpr int TitleMarginY = 2;

}  // namespace

QFont ThumbTitleFont(const QFont& Base, const QString& Title, int Width) {
  if (Width <= 0)
    return Base;
  const QStringList Words = Title.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const auto Widest = [&Words](const QFont& F) {
    const QFontMetricsF Fm(F);
    qreal W = 0;
    for (const QString& Word : Words) W = std::max(W, Fm.horizontalAdvance(Word));
    return W;
  };
  const qreal Full = Widest(Base);
  if (Full <= Width)
    return Base;
  // Smaller in steps from the size the widths promise, since glyphs do not scale exactly.
  const bool Pixels = Base.pixelSize() > 0;
  const qreal Size = Pixels ? Base.pixelSize() : Base.pointSizeF();
  const qreal Step = Pixels ? 1 : 0.25;
  const qreal Floor = Size * 0.8;
  QFont Small = Base;
  for (qreal S = std::floor(Size * Width / Full / Step) * Step;; S -= Step) {
    S = std::max(S, Floor);
    if (Pixels)
      Small.setPixelSize(std::max(1, int(S)));
    else
      Small.setPointSizeF(S);
    // At the smallest size allowed a word still too long is broken inside.
    if (S <= Floor || Widest(Small) <= Width)
      return Small;
  }
}

QStringList WrapThumbTitle(const QFont& Font, const QString& Title, int Width, int MaxLines) {
  const QString Text = Title.simplified();
  if (Text.isEmpty() || Width <= 0 || MaxLines <= 1)
    return {QFontMetrics(Font).elidedText(Text, Qt::ElideMiddle, std::max(0, Width))};
  QStringList Lines;
  QTextLayout Layout(Text, Font);
  QTextOption Option;
  Option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Layout.setTextOption(Option);
  Layout.beginLayout();
  for (;;) {
    QTextLine Line = Layout.createLine();
    if (!Line.isValid())
      break;
    Line.setLineWidth(Width);
    if (int(Lines.size()) == MaxLines - 1) {
      // The last line takes the rest, cut with an ellipsis when it does not fit.
      Lines << QFontMetrics(Font).elidedText(Text.mid(Line.textStart()).trimmed(), Qt::ElideRight,
                                             Width);
      break;
    }
    Lines << Text.mid(Line.textStart(), Line.textLength()).trimmed();
  }
  Layout.endLayout();
  return Lines;
}

TTHumbview::TTHumbview(QWidget* Parent, int32_t Workers)
    : QWidget(Parent),
      FModel(std::make_unique<TThumbviewModel>(static_cast<TThumbviewHost*>(this), Workers)),
      FHorBar(new QScrollBar(Qt::Horizontal, this)),
      FVerBar(new QScrollBar(Qt::Vertical, this)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  FHorBar->hide();
  FVerBar->hide();
  connect(FHorBar, &QScrollBar::valueChanged, this, [this](int V) {
    if (!FSyncing)
      Guard([&] { FModel->SetScrollX(V); });
  });
  connect(FVerBar, &QScrollBar::valueChanged, this, [this](int V) {
    if (!FSyncing)
      Guard([&] { FModel->SetScrollY(V); });
  });
  FModel->OnClick = [this](int32_t Cell) {
    if (OnClick)
      OnClick(this, Cell);
  };
  FModel->OnDblClick = [this](int32_t Cell) {
    if (OnDblClick)
      OnDblClick(this, Cell);
  };
  FModel->SetScrollBarSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  FModel->SetBounds(width(), height());
}

TTHumbview::~TTHumbview() {
  // The loader's threads are joined while the window can still take their notices.
  FModel.reset();
  TStatusProgress::Instance().End(this);
}

void TTHumbview::Guard(const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (const std::exception& E) {
    if (OnError)
      OnError(QString::fromStdString(UserErrorText(E)));
    else
      qWarning("TTHumbview: %s", E.what());
  } catch (...) {
    if (OnError)
      OnError(QStringLiteral("Неизвестная ошибка"));
  }
}

// ==== interface ====

void TTHumbview::SetDirectory(const QString& Folder) {
  FModel->SetDirectory(Folder.toStdString());
}

void TTHumbview::SetSelected(int V) {
  FModel->SetSelected(V);
}

void TTHumbview::GetSelectedFile(QString& Path) const {
  const std::string F = FModel->SelectedFile();
  if (!F.empty())
    Path = QString::fromStdString(F);
}

QString TTHumbview::Title(int Index) const {
  return QString::fromStdString(FModel->Title(Index));
}

void TTHumbview::SetTitle(int Index, const QString& Title) {
  FModel->SetTitle(Index, Title.toStdString());
  repaint();
}

void TTHumbview::Refresh() {
  FModel->Refresh();
  repaint();
}

QString TTHumbview::TitleTipAt(const QPoint& At) const {
  const int Cell = FModel->CellAt(At.x(), At.y());
  return Cell < 0 ? QString() : Title(Cell);
}

// ==== host ====

void TTHumbview::ThumbsChanged() {
  update();
  if (!FModel)
    return;
  setCursor(FModel->Scanning() ? Qt::BusyCursor : Qt::ArrowCursor);
  // The status bar follows the pictures still to come.
  const int Total = FModel->Count();
  const int Done = Total - FModel->Pending();
  const QString Folder = QFileInfo(Directory()).fileName();
  TStatusProgress::Instance().Report(this, QStringLiteral("Загрузка миниатюр: ") + Folder, Done,
                                     Total);
}

void TTHumbview::ThumbScrollChanged() {
  SyncBars();
  update();
}

void TTHumbview::ThumbTakeFocus() {
  setFocus(Qt::MouseFocusReason);
}

void TTHumbview::ThumbPicturesReady() {
  // A loader thread: the pictures are taken on the window's own thread.
  QMetaObject::invokeMethod(
      this, [this] { Guard([this] { FModel->DeliverPictures(false); }); }, Qt::QueuedConnection);
}

int32_t TTHumbview::MeasureThumbTitle(const std::string& Title, int32_t Width) {
  const QString Text = QString::fromStdString(Title);
  const int Room = Width - 2 * TitleMarginX;
  const QFont Font = ThumbTitleFont(font(), Text, Room);
  const int Lines = int(WrapThumbTitle(Font, Text, Room).size());
  // One line keeps the strip of old; more take their line spacing each, in the widget's own
  // font so that all cells of a picker agree.
  if (Lines <= 1)
    return ThumbTitleHeight;
  return Lines * QFontMetrics(font()).lineSpacing() + 2 * TitleMarginY;
}

void TTHumbview::SyncBars() {
  if (!FModel)
    return;
  const TThumbviewModel& M = *FModel;
  const int Bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  FSyncing = true;
  FHorBar->setVisible(M.HorzBarVisible());
  FVerBar->setVisible(M.VertBarVisible());
  FHorBar->setGeometry(0, height() - Bar, M.ClientWidth(), Bar);
  FVerBar->setGeometry(width() - Bar, 0, Bar, M.ClientHeight());
  FHorBar->setRange(0, M.MaxScrollX());
  FHorBar->setPageStep(std::max(1, M.ClientWidth()));
  FHorBar->setSingleStep(std::max(1, M.CellSize().cx + M.ThumbGap()));
  FHorBar->setValue(M.ScrollX());
  FVerBar->setRange(0, M.MaxScrollY());
  FVerBar->setPageStep(std::max(1, M.ClientHeight()));
  FVerBar->setSingleStep(std::max(1, M.CellSize().cy + M.ThumbGap()));
  FVerBar->setValue(M.ScrollY());
  FSyncing = false;
}

// ==== events ====

void TTHumbview::paintEvent(QPaintEvent*) {
  if (!FModel->Painted() && !FFirstPaintQueued) {
    // The folder is read after the first paint, outside the paint itself.
    FFirstPaintQueued = true;
    QMetaObject::invokeMethod(
        this, [this] { Guard([this] { FModel->Painting(); }); }, Qt::QueuedConnection);
  }
  QPainter P(this);
  const int CW = FModel->ClientWidth(), CH = FModel->ClientHeight();
  P.fillRect(rect(), palette().color(QPalette::Window));
  P.setClipRect(0, 0, CW, CH);
  const QRect Visible(0, 0, CW, CH);
  for (int I = 0; I < FModel->Count(); ++I)
    if (ToQRect(FModel->VisibleCellRect(I)).intersects(Visible))
      PaintCell(P, I);
}

void TTHumbview::PaintCell(QPainter& P, int Index) {
  const TThumbCell& C = FModel->Cell(Index);
  const QRect R = ToQRect(FModel->VisibleCellRect(Index));
  const QPalette& Pal = palette();
  P.save();
  P.translate(R.topLeft());
  const QRect Local(0, 0, R.width(), R.height());
  P.fillRect(Local, Pal.color(QPalette::Button));
  qDrawShadePanel(&P, Local, Pal, C.Pressed, 1);

  const TSize Cell{R.width(), R.height()};
  const TTitlePlacement Placement = FModel->TitlePlacement();
  if (C.State == TThumbCell::csLoaded && !C.Picture.Shown.IsEmpty()) {
    const TBitmap24& B = C.Picture.Shown;
    const QImage Image(B.ScanLine(0), B.Width(), B.Height(), qsizetype(B.Stride()),
                       QImage::Format_BGR888);
    P.setRenderHint(QPainter::SmoothPixmapTransform, true);
    P.drawImage(ToQRect(C.PictureRect), Image);
  } else if (C.State == TThumbCell::csBroken) {
    const TRect Area = FitThumbPicture(Cell, {Cell.cx - 8, Cell.cy - FModel->TitleHeight() - 8},
                                       Placement, FModel->TitleHeight());
    PaintBrokenMark(P, ToQRect(Area));
  }

  if (Placement != T_None) {
    const QRect T = ToQRect(ThumbTitleRect(Cell, Placement, FModel->TitleHeight()));
    const QColor Back = Pal.color(C.Highlighted ? QPalette::Highlight : QPalette::Button);
    const QColor Text = Pal.color(C.Highlighted ? QPalette::HighlightedText : QPalette::WindowText);
    P.fillRect(T, Back);
    qDrawShadePanel(&P, T, Pal, !C.Pressed, 1);
    P.setPen(Text);
    // The title wrapped into the strip's lines, centred as a block.
    const QRect TextRect = T.adjusted(TitleMarginX, 0, -TitleMarginX, 0);
    const QString Title = QString::fromStdString(C.Title);
    P.setFont(ThumbTitleFont(font(), Title, TextRect.width()));
    const QStringList Lines = WrapThumbTitle(P.font(), Title, TextRect.width());
    const int Step = P.fontMetrics().lineSpacing();
    const int Block = Step * int(Lines.size());
    int Top = TextRect.top() + (TextRect.height() - Block) / 2;
    for (const QString& Line : Lines) {
      P.drawText(QRect(TextRect.left(), Top, TextRect.width(), Step),
                 Qt::AlignCenter | Qt::TextDontClip, Line);
      Top += Step;
    }
  }
  P.restore();
}

void TTHumbview::resizeEvent(QResizeEvent*) {
  Guard([this] {
    FModel->SetScrollBarSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    FModel->SetBounds(width(), height());
  });
}

void TTHumbview::mousePressEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Guard([&] { FModel->MouseDown(ButtonOf(Event->button()), At.x(), At.y()); });
}

void TTHumbview::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Guard([&] { FModel->MouseMove(At.x(), At.y()); });
}

void TTHumbview::mouseReleaseEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Guard([&] { FModel->MouseUp(ButtonOf(Event->button()), At.x(), At.y()); });
}

void TTHumbview::mouseDoubleClickEvent(QMouseEvent* Event) {
  const QPoint At = Event->position().toPoint();
  Guard([&] { FModel->DoubleClick(ButtonOf(Event->button()), At.x(), At.y()); });
}

void TTHumbview::wheelEvent(QWheelEvent* Event) {
  const QPoint D = Event->angleDelta();
  Guard([&] { FModel->Wheel(D.y() != 0 ? D.y() : D.x()); });
  Event->accept();
}

void TTHumbview::keyPressEvent(QKeyEvent* Event) {
  TThumbviewModel::TKey Key = TThumbviewModel::vkOther;
  switch (Event->key()) {
    case Qt::Key_Home:
      Key = TThumbviewModel::vkHome;
      break;
    case Qt::Key_End:
      Key = TThumbviewModel::vkEnd;
      break;
    case Qt::Key_Left:
      Key = TThumbviewModel::vkLeft;
      break;
    case Qt::Key_Right:
      Key = TThumbviewModel::vkRight;
      break;
    case Qt::Key_Up:
      Key = TThumbviewModel::vkUp;
      break;
    case Qt::Key_Down:
      Key = TThumbviewModel::vkDown;
      break;
    case Qt::Key_PageUp:
      Key = TThumbviewModel::vkPageUp;
      break;
    case Qt::Key_PageDown:
      Key = TThumbviewModel::vkPageDown;
      break;
    default:
      break;
  }
  bool Handled = false;
  Guard([&] { Handled = FModel->KeyDown(Key); });
  if (!Handled)
    QWidget::keyPressEvent(Event);
}

bool TTHumbview::event(QEvent* Event) {
  if (Event->type() != QEvent::ToolTip)
    return QWidget::event(Event);
  // A cell's tooltip gives its whole title, however its strip had to shorten it.
  const auto* Help = static_cast<QHelpEvent*>(Event);
  QString Tip;
  int Cell = -1;
  Guard([&] {
    Cell = FModel->CellAt(Help->pos().x(), Help->pos().y());
    if (Cell >= 0)
      Tip = Title(Cell);
  });
  if (Tip.isEmpty()) {
    QToolTip::hideText();
    Event->ignore();
  } else {
    QToolTip::showText(Help->globalPos(), Tip, this, ToQRect(FModel->VisibleCellRect(Cell)));
  }
  return true;
}

void TTHumbview::changeEvent(QEvent* Event) {
  QWidget::changeEvent(Event);
  if (Event->type() == QEvent::FontChange && FModel)
    Guard([this] { FModel->TitlesChanged(); });
}
