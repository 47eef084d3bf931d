// The layer outline effects in the main window: borders, the relief contour, the button effect
// and the transparent-colour window with the view's pick mode.
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>

#include "border_dialog.h"
#include "busy_cursor.h"
#include "button_dialog.h"
#include "main_form.h"
#include "outline_commands.h"
#include "relief_dialog.h"
#include "transparent_colour_window.h"

namespace {

// Drops the dialog's copy when the command ends, by any way.
struct TCloseSession {
  TOutlineSession& Session;
  ~TCloseSession() { Session.Close(); }
};

}  // namespace

void TMainForm::BuildOutlineCommands() {
  FOutline = std::make_unique<TOutlineSession>(*FDoc, *FUndo);
  FOutline->OnReleaseCapture = [this] { FImgView->SetMouseCapture(false); };
  FSbor = new TSbor(FPaths.DataDir, this);
  FRaiser = new TRaiser(this);
  FEButos = new TEButos(this);
  FSTC = new TSTC(this);
  FSTC->OnClosed = [this] { SetPickMode(false); };
  FImgView->View().OnMouseMove = [this](TObject*, TShiftState Shift, int32_t X, int32_t Y,
                                        TCustomLayer* Layer) {
    ImgViewMouseMove(Shift, X, Y, Layer);
  };
}

// Runs Step for a preview inside a dialog's event loop; its errors are reported there.
void TMainForm::OutlinePreview(const std::function<void()>& Step) {
  Run([&] {
    const TBusyCursor Busy;
    FOutline->Preview(Step);
  });
  FImgView->View().Invalidate();
}

// The end of a dialog: "ОК" records and runs the step on the restored target, anything else
// puts the target back.
void TMainForm::OutlineFinish(bool Accepted, const std::function<void()>& Step) {
  if (Accepted) {
    const TBusyCursor Busy;
    FOutline->Ok(Step);
  } else {
    FOutline->Cancel();
  }
  FImgView->View().Invalidate();
}

void TMainForm::AddBordersClick() {
  if (FDoc->IsEmpty())
    return;
  TCloseSession End{*FOutline};
  const auto Step = [this] {
    TBorderParams P = FSbor->Params();
    TBitmap32 Pattern;
    if (P.UseOrnament) {
      LoadPattern(PatternFileName(FPaths.DataDir, FSbor->PatternNumber()), Pattern);
      P.Pattern = &Pattern;
    }
    BorderStep(*FDoc, P, FOutline->OnReleaseCapture);
  };
  FSbor->OnActivate = [this] { Run([this] { FOutline->Activate(); }); };
  FSbor->OnPreview = [&] { OutlinePreview(Step); };
  const int Result = FSbor->exec();
  FSbor->OnActivate = nullptr;
  FSbor->OnPreview = nullptr;
  OutlineFinish(Result == QDialog::Accepted, Step);
}

void TMainForm::BordersClick() {
  AddBordersClick();
}

void TMainForm::ReliefClick() {
  if (FDoc->SelectedBitmapLayer() == nullptr)
    return;
  TCloseSession End{*FOutline};
  // The relief step starts from the copy and ends by fitting the card into the window.
  const auto Step = [this] {
    FOutline->Cancel();
    ReliefStep(*FDoc, FRaiser->Params());
    FitInWindowClick();
  };
  FRaiser->OnActivate = [this] { Run([this] { FOutline->Activate(); }); };
  FRaiser->OnPreview = [&] { OutlinePreview(Step); };
  const int Result = FRaiser->exec();
  FRaiser->OnActivate = nullptr;
  FRaiser->OnPreview = nullptr;
  OutlineFinish(Result == QDialog::Accepted, Step);
}

void TMainForm::ButtonEffectClick() {
  if (FDoc->IsEmpty())
    return;
  TCloseSession End{*FOutline};
  const auto Step = [this] { ButtonStep(*FDoc, FEButos->Params()); };
  FEButos->OnActivate = [this] {
    Run([this] {
      const TBitmap32* Target = EffectTarget(*FDoc).Bitmap;
      FEButos->Glub->setValue(ButtonDepthFor(Target != nullptr ? Target->Width() : 0));
      FOutline->Activate();
    });
  };
  FEButos->OnPreview = [&] { OutlinePreview(Step); };
  const int Result = FEButos->exec();
  FEButos->OnActivate = nullptr;
  FEButos->OnPreview = nullptr;
  OutlineFinish(Result == QDialog::Accepted, Step);
  if (Result == QDialog::Accepted)
    FStatusSize->setText(
        QStringLiteral("%1x%2").arg(FDoc->Canvas().Width()).arg(FDoc->Canvas().Height()));
}

// ==== the transparent colour ====

bool TMainForm::InPickMode() const {
  return FImgView->View().Cursor != crDefault;
}

void TMainForm::SetPickMode(bool On) {
  FImgView->View().Cursor = On ? crCross : crDefault;
  FImgView->SetScreenCursor(FImgView->View().Cursor);
}

void TMainForm::TransparentColourClick() {
  SetPickMode(true);
  FSTC->adjustSize();
  const QRect Main = frameGeometry();
  FSTC->move(Main.right() + 1 - 340, Main.top() + 60);
  FSTC->show();
  FSTC->raise();
}

bool TMainForm::PickModeMouseDown(int X, int Y) {
  if (!InPickMode())
    return false;
  const TPoint P = FImgView->View().ControlToBitmap({X, Y});
  PickModePress(*FDoc, *FCommands, P);
  SetPickMode(false);
  FSTC->close();
  return true;
}

void TMainForm::ImgViewMouseMove(TShiftState, int X, int Y, TCustomLayer* Layer) {
  if (!FSTC->isVisible())
    return;
  // Over a layer its own cursor was just shown; the pick mode keeps its cross everywhere.
  if (InPickMode())
    FImgView->SetScreenCursor(FImgView->View().Cursor);
  TColor32 Colour = 0;
  if (PickModeHover(*FDoc, Layer, FImgView->View().ControlToBitmap({X, Y}), Colour))
    FSTC->ShowColour(Colour);
}
