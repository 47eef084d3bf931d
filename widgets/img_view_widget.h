#pragma once
// Qt hosts of the image controls: they show the control's back buffer, feed it the window
// system's mouse, wheel, key and resize events, and carry out its cursor and capture requests.
// No exception leaves them into Qt's event loop: every event passes one guard that hands the
// error's text to OnError.
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>

#include "img_view32.h"

class Image32Widget : public QWidget, public TViewHost {
  Q_OBJECT
 public:
  // A widget showing a plain image control (previews in the dialogs).
  explicit Image32Widget(QWidget* Parent = nullptr);
  ~Image32Widget() override;

  TCustomImage32& Image() { return *FImage; }

  // Wheel turned over the picture; return true when handled (otherwise the view scrolls).
  std::function<bool(int Delta, TShiftState Shift, QPoint Pos)> OnMouseWheel;
  // Keys pressed while the view has the focus; return true when handled.
  std::function<bool(int Key, TShiftState Shift)> OnKeyDown;
  // Receives the text of an error raised while an event of this widget was handled (the main
  // window points it at its error report). Without one the text goes to Qt's warning log.
  // An error while painting is reported once the paint is over.
  std::function<void(const QString& Text)> OnError;
  // Told after each paint that put the picture on the screen (a benchmark times opening a card
  // to its first painted frame).
  std::function<void()> OnPainted;
  // Runs F; an exception it raises goes to OnError.
  void Guard(const std::function<void()>& F);

  static TShiftState ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
  static Qt::CursorShape CursorShapeOf(TCursor Cursor);

  // TViewHost
  void RequestRepaint() override;
  void RepaintNow() override;
  void SetScreenCursor(TCursor Cursor) override;
  void SetMouseCapture(bool Capture) override;
  bool CanFocus() const override;
  void SetFocus() override;
  int SystemScrollBarSize() const override;
  void RequestSize(int Width, int Height) override;
  bool FillsWindow() const override;
  void BeginWindowSizing() override;

 protected:
  Image32Widget(std::unique_ptr<TCustomImage32> Image, QWidget* Parent);

  // The one entry of every event: the handlers below run inside Guard.
  bool event(QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  // The control is complete and shown for the first time (its OnInitStages runs here).
  virtual void Loaded();
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;
  virtual void WheelNotHandled(int Delta, TShiftState Shift);

  std::unique_ptr<TCustomImage32> FImage;

 private:
  void ReportError(const QString& Text, bool Later);

  // The viewport's part of the buffer with the overlay layers drawn on it.
  TBitmap32 FSurface;
  bool FLoaded = false;
  bool FReporting = false;
};

// The editing view: an image view with two scroll bars driven by the view's bar models.
class ImgViewWidget : public Image32Widget {
  Q_OBJECT
 public:
  explicit ImgViewWidget(QWidget* Parent = nullptr);

  TImgView32& View() { return static_cast<TImgView32&>(*FImage); }
  QScrollBar* HorizontalBar() const { return FHorBar; }
  QScrollBar* VerticalBar() const { return FVerBar; }

  void ScrollBarsChanged() override;

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;
  void WheelNotHandled(int Delta, TShiftState Shift) override;
  void Loaded() override;

 private:
  void SyncBar(QScrollBar* Bar, const TScrollBarModel& Model, const TRect& Where);
  void BarMoved(QScrollBar* Bar, TScrollBarModel& Model, int Value);

  QScrollBar* FHorBar;
  QScrollBar* FVerBar;
  bool FSyncing = false;
};
