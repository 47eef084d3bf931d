#pragma once
// The crop window "Визуальная обрезка слоя" (TCropLa): the selected photo layer's picture
// darkened in a zoomable view, with a movable, resizable frame shown lighter; "ОК" keeps only
// the part inside the frame.
#include <QDialog>
#include <QString>
#include <functional>

#include "types.h"

class QLabel;
class QPushButton;
class TBitmap32;
class TObject;
class ImgViewWidget;
class TCardDocument;
class TPositionedLayer;
class TRubberbandLayer;
class TUndoStack;

class TCropLa : public QDialog {
  Q_OBJECT
 public:
  TCropLa(TCardDocument& Doc, TUndoStack& Undo, QWidget* Parent = nullptr);
  ~TCropLa() override;

  // One visit: opens on the selected bitmap layer, shows the window modally and closes it.
  // Does nothing without a selected bitmap layer. True when the layer was cropped.
  bool Execute();

  // The steps of a visit, public so that tests drive them as the window does.
  // Opening: the darkened copy of the layer, fitted into the view, and a new frame over the
  // middle of the layer (CropStartFrame). False without a bitmap layer.
  bool FormActivate();
  // "ОК": crops the layer to the frame (one undo step) and closes the window.
  void Button2Click();
  // Closing in any way: the view's picture is emptied and the frames are gone.
  void FormClose();

  // The crop rectangle in the layer bitmap's pixels; empty between visits.
  TSingleRect CropRect() const;
  void SetCropRect(const TSingleRect& R);
  TPositionedLayer* CropFrame() const { return FCropFrame; }
  TRubberbandLayer* SelectionFrame() const { return FRBLayer; }

  // Shows an error raised by "ОК"; by default a message box.
  std::function<void(const QString&)> OnError;

  QLabel* Hint;  // what to do with the frame
  ImgViewWidget* Cropos;
  QPushButton* Button2;  // "ОК"
  QPushButton* Button4;  // "Отмена"

 private:
  void PaintCropFrame(TObject* Sender, TBitmap32* Buffer);

  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TPositionedLayer* FCropFrame = nullptr;
  TRubberbandLayer* FRBLayer = nullptr;
  bool FCropped = false;
};
