#pragma once
// The geometry window "Геометрия - передвигайте углы слоя при нажатой кнопке мыши" (TProGeomo):
// the four corners of a reduced preview of the selected layer (or of the canvas) are dragged to
// any places; "ОК" maps the full-size picture onto that shape in perspective.
#include <QDialog>
#include <QString>
#include <functional>

#include "bitmap32.h"
#include "perspective.h"
#include "transformation.h"

class QCheckBox;
class QFrame;
class QPushButton;
class QTimer;
class QToolButton;
class Image32Widget;
class TCardDocument;
class TCustomLayer;
class TUndoStack;

class TProGeomo : public QDialog {
  Q_OBJECT
 public:
  TProGeomo(TCardDocument& Doc, TUndoStack& Undo, QWidget* Parent = nullptr);

  // One visit: opens on the target, shows the window modally. True when the card changed.
  bool Execute();

  // The steps of a visit, public so that tests drive them as the window does.
  // Opening: the source picture (the selected bitmap layer's, else the canvas), its preview
  // and the corners reset. False when there is no picture.
  bool FormActivate();
  void Button4Click();       // "Сброс"
  void Button2Click();       // "ОК": applies and closes
  void SpeedButton1Click();  // the colour of "Цвет фона"
  // The mouse in the view, in view pixels.
  void DstMouseDown(int32_t X, int32_t Y);
  void DstMouseMove(int32_t X, int32_t Y);
  void DstMouseUp();
  // One pass of the outline's animation: the dashes move on by DashStep.
  void IdleStep();
  // Draws the checkerboard and the mapped preview into the view's picture.
  void DrawView();

  const TPerspectiveCorners& Corners() const { return FCorners; }
  int32_t Dragged() const { return FDragged; }
  float DashOffset() const { return FDashOffset; }
  const TBitmap32& Source() const { return FSource; }
  const TBitmap32& Preview() const { return FPreview; }
  const TBitmap32& ViewPicture() const;
  TColor32 BackgroundColor() const { return FBackground; }
  void SetBackgroundColor(TColor32 C);

  // Asks for a colour (the colour dialog); false when cancelled. Replaceable in tests.
  std::function<bool(TColor32& Colour)> AskColor;
  // Shows an error raised by "ОК"; by default a message box.
  std::function<void(const QString&)> OnError;

  Image32Widget* Dst;
  QFrame* Panel1;
  QToolButton* SpeedButton1;
  QCheckBox* CheckBox1;  // "Билинейная интерполяция"
  QPushButton* Button4;  // "Сброс"
  QPushButton* Button2;  // "ОК"
  QPushButton* Button3;  // "Отмена"

 protected:
  void hideEvent(QHideEvent* Event) override;

 private:
  void PaintOutline(TBitmap32* Buffer);

  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TBitmap32 FSource;
  TBitmap32 FPreview;
  TProjectiveTransformation FTransformation;
  TPerspectiveCorners FCorners{};
  int32_t FDragged = DragNothing;
  TPoint FLast;
  float FDashOffset = 0;
  TColor32 FBackground = 0xFFFFFFFF;
  TCustomLayer* FOutline = nullptr;  // owned by the view's layers
  QTimer* FIdle;
  bool FApplied = false;
};
