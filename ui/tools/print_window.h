#pragma once
// The print window "Печать": the printer's page as a zoomable preview with the card on it as a
// layer, placed at its own size, fitted, filled, sized by hand with the frame or typed in
// centimetres or inches; the printer, its properties, the orientation and the copies; and the
// one-page print job.
#include <QDialog>
#include <functional>
#include <memory>

#include "bitmap32.h"
#include "print_layout.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QProgressBar;
class QPushButton;
class QPrinter;
class QRadioButton;
class QSpinBox;
class ImgViewWidget;
class TBitmapLayer;
class TCustomLayer;
class TPrintSettings;
class TRubberbandLayer;

class TKVTPrint : public QDialog {
  Q_OBJECT
 public:
  // Settings holds the printers (shared with "Параметры печати"); without it the window keeps
  // its own.
  explicit TKVTPrint(QWidget* Parent = nullptr, TPrintSettings* Settings = nullptr);
  ~TKVTPrint() override;

  // Shows the window modally for a copy of the flattened card; true when it was printed.
  bool Execute(const TBitmap32& FlatImage);
  // Takes a copy of the card the next opening places and prints.
  void SetFlatImage(const TBitmap32& FlatImage);

  // Operations of the window.
  void SetPage32();
  void SetLayer();
  void SetSelection(TCustomLayer* Layer);
  void TransMera();
  void CorrectSize();

  // Event handlers (each runs guarded: an error ends it with a message box).
  void FormActivate();
  void MyPrintersChange();
  void Button3Click();
  void OrientationClick();
  void PlacementClick();
  void FillClick();
  void MeraChange();
  void ImageWidthChange();
  void ImageHeightChange();
  void ScaleComboChange();
  bool PrintViewMouseWheel(int Delta);
  void RBResizing(const TSingleRect& Old, TSingleRect& New, TDragState State, TShiftState Shift);
  void Button1Click();

  // The preview page's size in printer device pixels, the printer's resolution, the card
  // layer (null before the first opening) and the printer in use.
  int32_t PageWidth() const { return FPageW; }
  int32_t PageHeight() const { return FPageH; }
  double Dpi() const { return FDpi; }
  TBitmapLayer* CardLayer() const { return FCardLayer; }
  TRubberbandLayer* RBLayer() const { return FRBLayer; }
  QPrinter* Printer() const { return FPrinter; }
  // The PDF file the last print wrote; empty when it went to a printer.
  const QString& OutputFile() const { return FOutputFile; }
  double PreviewScale() const;

  // Controls.
  ImgViewWidget* PrintView;
  QComboBox* ScaleCombo;
  QProgressBar* Prog;
  QComboBox* MyPrinters;
  QSpinBox* Edit1;
  QPushButton* Button3;
  QRadioButton* Book;
  QRadioButton* Album;
  QRadioButton* Orig;
  QRadioButton* Fit;
  QRadioButton* Fill;
  QRadioButton* Custom;
  QDoubleSpinBox* ImageWidth;
  QDoubleSpinBox* ImageHeight;
  QComboBox* Mera;
  QCheckBox* propos;
  QPushButton* Button1;
  QPushButton* Button2;

  // The printer set-up dialog; true when confirmed.
  std::function<bool(QPrinter& Printer)> AskPrinterSetup;
  // The file the PDF entry writes; empty cancels the printing.
  std::function<QString()> AskPdfFileName;
  // Shows an error's text.
  std::function<void(const QString& Text)> ShowError;
  // The resolution of the PDF entry.
  int PdfDpi;

 protected:
  void showEvent(QShowEvent* Event) override;
  void done(int Result) override;

 private:
  void Run(const std::function<void()>& F);
  void BuildControls();
  void ConnectControls();
  double UnitPixels() const;
  TPrintPlace CheckedPlace() const;
  void SelectPrinter(int Index);
  void ShowScale();
  void SetPreviewScale(double Scale);
  void RebuildPage();
  void PlaceCardLayer(const TSingleRect& Location);

  std::unique_ptr<TPrintSettings> FOwnSettings;
  TPrintSettings* FSettings;
  QPrinter* FPrinter = nullptr;  // the printer in use, kept by FSettings
  QString FOutputFile;
  TBitmap32 FCard;
  TBitmapLayer* FCardLayer = nullptr;
  TRubberbandLayer* FRBLayer = nullptr;
  TCustomLayer* FSelected = nullptr;
  int32_t FPageW = 0;
  int32_t FPageH = 0;
  double FDpi = PdfDefaultDpi;
  int FPrinterIndex = 0;   // the entry of MyPrinters in use
  int FBaseDpi = 300;      // the printer's own resolution before a large page lowers it
  bool FUpdating = false;  // the program is changing a control: its change handler does nothing
  bool FActivated = false;

  static constexpr double PdfDefaultDpi = 300;
};
