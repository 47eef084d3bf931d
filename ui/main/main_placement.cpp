// Where the main window's previewing dialogs open: beside the card, away from the selected
// layer, or where the user last put each one ("Dialogs.ini" in the settings folder).
#include <QDialog>
#include <QScrollArea>

#include "album.h"
#include "border_dialog.h"
#include "button_dialog.h"
#include "caption_dialog.h"
#include "colorise_dialog.h"
#include "composition_panel.h"
#include "custom_layer.h"
#include "dialog_placement.h"
#include "effect_dialogs.h"
#include "effect_menu_commands.h"
#include "effects_browser.h"
#include "frame_dialog.h"
#include "live_dialogs.h"
#include "main_form.h"
#include "mask_dialog.h"
#include "perspective_dialog.h"
#include "relief_dialog.h"
#include "rotation_dialog.h"
#include "texture_dialog.h"

void TMainForm::BuildDialogPlacement() {
  const auto Scene = [this] {
    TPlacementScene S;
    S.Window = frameGeometry();
    S.Panel = QRect(FSideScroll->mapToGlobal(QPoint(0, 0)), FSideScroll->size());
    S.PanelOnLeft = FPanelOnLeft;
    if (const auto* L = dynamic_cast<const TPositionedLayer*>(FDoc->Selected())) {
      const TSingleRect R = L->GetAdjustedLocation();
      const QPoint TopLeft = FImgView->mapToGlobal(QPoint(int(R.Left), int(R.Top)));
      S.Focus = QRect(TopLeft, QSize(int(R.Right - R.Left), int(R.Bottom - R.Top)))
                    .intersected(QRect(FImgView->mapToGlobal(QPoint(0, 0)), FImgView->size()));
    }
    return S;
  };
  auto* Placer = new TDialogPlacer(Scene, SettingsFile(QStringLiteral("Dialogs.ini")), this);
  FTexter->CaptionOnScreen = [Scene] { return Scene().Focus; };  // the selected caption
  TEffectCommands& E = *FEffects;
  // The pickers open showing at least three rows of cells and keep the size the user gives
  // them.
  Placer->WatchSize(FAlbum, QSize(4 * 204 + 48, 3 * 230 + 70));
  Placer->WatchSize(FMaski, QSize(3 * 134 + 48, 3 * 134 + 100));
  Placer->WatchSize(FFrama, QSize(5 * 84 + 48, 4 * 84 + 100));
  Placer->WatchSize(FCompositionPanel->Textur, QSize(560, 480));
  for (QDialog* D : std::initializer_list<QDialog*>{
           FTexter, FProGeomo, FPovor, FSbor, FRaiser, FEButos, &E.Brid(), &E.Gamma(), &E.Effect(),
           &E.DeFoc(), &E.SprayWin(), &E.Posta(), &E.Waves(), &E.Marb(), &E.Browser(),
           &E.Colorise()})
    Placer->Watch(D);
}
