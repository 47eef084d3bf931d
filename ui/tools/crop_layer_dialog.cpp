#include "crop_layer_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "bitmap_layer.h"
#include "card_document.h"
#include "card_runner.h"
#include "color_adjust.h"
#include "geometry.h"
#include "img_view_widget.h"
#include "layer_crop.h"
#include "rubberband_layer.h"
#include "user_error_text.h"
#include "window_fit.h"

namespace {

constexpr int CroposWidth = 577;
constexpr int CroposHeight = 401;

}  // namespace

TCropLa::TCropLa(TCardDocument& Doc, TUndoStack& Undo, QWidget* Parent)
    : QDialog(Parent), FDoc(Doc), FUndo(Undo) {
  setWindowTitle(QStringLiteral("Визуальная обрезка слоя"));
  KeepTitleWhole(*this);
  Cropos = new ImgViewWidget(this);
  Cropos->setObjectName(QStringLiteral("Cropos"));
  Cropos->setFixedSize(CroposWidth, CroposHeight);
  Cropos->View().SetBounds(CroposWidth, CroposHeight);
  // A fitted picture needs no scrolling; the bars come back when the view is zoomed.
  Cropos->View().SetAutoHideScrollBars(true);
  Button2 = new QPushButton(QStringLiteral("ОК"), this);
  Button2->setDefault(true);
  Button4 = new QPushButton(QStringLiteral("Отмена"), this);
  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  Buttons->addWidget(Button2);
  Buttons->addWidget(Button4);
  Hint = new QLabel(QStringLiteral("Перетащите углы рамки, чтобы выбрать часть слоя, которая "
                                   "останется. Рамку можно и передвинуть."),
                    this);
  Hint->setObjectName(QStringLiteral("Hint"));
  Hint->setWordWrap(true);
  auto* Column = new QVBoxLayout(this);
  Column->addWidget(Hint);
  Column->addWidget(Cropos);
  Column->addLayout(Buttons);
  setFixedSize(sizeHint());

  OnError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  Cropos->OnError = [this](const QString& Text) { OnError(Text); };
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
}

TCropLa::~TCropLa() {
  FormClose();
}

bool TCropLa::Execute() {
  FCropped = false;
  if (!FormActivate())
    return false;
  exec();
  FormClose();
  return FCropped;
}

bool TCropLa::FormActivate() {
  FormClose();
  const TBitmapLayer* L = FDoc.SelectedBitmapLayer();
  if (L == nullptr || L->Bitmap()->IsEmpty())
    return false;
  TImgView32& View = Cropos->View();
  TBitmap32& Picture = View.Bitmap();
  Picture.Assign(L->Bitmap());
  BrightnessScale(Picture, CropDarken);
  const TRect Client = View.GetViewportRect();
  View.SetScale(
      float(CropFitScale(Picture.Width(), Picture.Height(), Client.Width(), Client.Height())));

  FCropFrame = View.Layers().Add<TPositionedLayer>();
  FCropFrame->SetScaled(true);
  FCropFrame->SetLocation(CropStartFrame(Picture.Width(), Picture.Height()));
  FCropFrame->SetLayerOptions(LayerVisible | LayerMouseEvents);
  FCropFrame->OnPaint = [this](TObject* Sender, TBitmap32* Buffer) {
    PaintCropFrame(Sender, Buffer);
  };
  FRBLayer = View.Layers().Add<TRubberbandLayer>();
  FRBLayer->MinWidth = 1.0f;
  FRBLayer->MinHeight = 1.0f;
  FRBLayer->SetChildLayer(FCropFrame);
  FRBLayer->SetLayerOptions(LayerVisible | LayerMouseEvents | LayerNoUpdate);
  View.Invalidate();
  return true;
}

void TCropLa::PaintCropFrame(TObject* Sender, TBitmap32* Buffer) {
  auto* Frame = dynamic_cast<TPositionedLayer*>(Sender);
  if (Frame == nullptr || Buffer == nullptr)
    return;
  BrightenArea(*Buffer, RectFromSingle(Frame->GetAdjustedLocation(), rrClosest), CropBrighten);
}

void TCropLa::Button2Click() {
  try {
    if (FCropFrame != nullptr)
      TCardRunner(FDoc, &FUndo).Run("LayerCrop", [&](const TChangeStart& Start) {
        FCropped = CropSelectedLayer(FDoc, Start, FCropFrame->Location());
      });
  } catch (const std::exception& E) {
    OnError(QString::fromStdString(UserErrorText(E)));
  }
  accept();
}

void TCropLa::FormClose() {
  TImgView32& View = Cropos->View();
  if (FRBLayer != nullptr) {
    FRBLayer->SetChildLayer(nullptr);
    FRBLayer->Free();
    FRBLayer = nullptr;
  }
  if (FCropFrame != nullptr) {
    FCropFrame->Free();
    FCropFrame = nullptr;
  }
  View.Bitmap().SetSize(0, 0);
  View.Invalidate();
}

TSingleRect TCropLa::CropRect() const {
  return FCropFrame != nullptr ? FCropFrame->Location() : TSingleRect{};
}

void TCropLa::SetCropRect(const TSingleRect& R) {
  if (FRBLayer != nullptr)
    FRBLayer->SetLocation(R);
}
