#include "composition_panel_model.h"

#include <cmath>

TCompositionPanelModel::TCompositionPanelModel(TCardDocument& Doc, TUndoStack& Undo,
                                               TComposition& Work)
    : FDoc(Doc), FUndo(Undo), FWork(Work) {}

TCompositionEnabling TCompositionPanelModel::Enabling() const {
  TCompositionEnabling E;
  E.ChooseCard = FBackground == bmCard;
  E.LoadFile = FBackground == bmFile;
  E.ChooseTexture = FBackground == bmTexture;
  E.SolidColour = FBackground == bmSolid;
  E.Gradient = FBackground == bmGradient;
  E.UnderlayColour = FUnderlay.Mode == umSolid;
  E.UnderlayGradient = FUnderlay.Mode == umGradient;
  E.UnderlayTexture = FUnderlay.Mode == umTexture;
  return E;
}

void TCompositionPanelModel::FollowCard() {
  const TBackgroundNote& N = FDoc.Background;
  // A canvas the panel did not fill (a new card, an opened picture) shows the first mode, as
  // the panel does at start.
  FBackground = N.Mode == bmNone ? bmCard : N.Mode;
  if (FBackground == bmSolid)
    FSolid = TPlatformColor(N.Colour);
  if (FBackground == bmGradient)
    FGradient = {.Down = N.Down,
                 .GC2 = TPlatformColor(N.GradientLeft),
                 .GC1 = TPlatformColor(N.GradientRight)};
}

void TCompositionPanelModel::ChooseBackground(TBackgroundMode Mode) {
  FBackground = Mode;
  if (Mode == bmSolid)
    FWork.FillSolid(FSolid);
  else if (Mode == bmGradient)
    FWork.FillGradient(FGradient);
}

void TCompositionPanelModel::PickSolidColour(const TAskColour& Ask) {
  TCardRunner(FDoc, &FUndo).Run(usBackground, [&] {
    TPlatformColor C = FSolid;
    if (Ask && Ask(C))
      FSolid = C;
    FWork.FillSolid(FSolid);
  });
}

void TCompositionPanelModel::PickGradientColour(bool Left, const TAskColour& Ask) {
  TCardRunner(FDoc, &FUndo).Run(usBackground, [&] {
    TPlatformColor& Swatch = Left ? FGradient.GC2 : FGradient.GC1;
    TPlatformColor C = Swatch;
    if (Ask && Ask(C))
      Swatch = C;
    FWork.FillGradient(FGradient);
  });
}

void TCompositionPanelModel::GradientDirectionChosen(bool Down) {
  FGradient.Down = Down;
  FWork.FillGradient(FGradient);
}

bool TCompositionPanelModel::LoadBackground(const TAskFile& Ask) {
  const std::string Name = Ask ? Ask() : std::string();
  if (Name.empty())
    return false;
  const int32_t W = FDoc.Canvas().Width(), H = FDoc.Canvas().Height();
  FWork.LoadBackground(Name);
  return FDoc.Canvas().Width() != W || FDoc.Canvas().Height() != H;
}

TPlatformColor TCompositionPanelModel::UnderlayColour(TUnderlaySwatch Swatch) const {
  return Swatch == usSolid       ? FUnderlay.Panel4
         : Swatch == usGradientA ? FUnderlay.Panel7
                                 : FUnderlay.Panel8;
}

bool TCompositionPanelModel::PickUnderlayColour(TUnderlaySwatch Swatch, const TAskColour& Ask) {
  TPlatformColor& Colour = Swatch == usSolid       ? FUnderlay.Panel4
                           : Swatch == usGradientA ? FUnderlay.Panel7
                                                   : FUnderlay.Panel8;
  TPlatformColor C = Colour;
  if (!Ask || !Ask(C))
    return false;
  Colour = C;
  return true;
}

TBitmapLayer* TCompositionPanelModel::AddUnderlay() {
  if (FDoc.IsEmpty())
    return nullptr;
  return FWork.AddUnderlay(FUnderlay);
}

void TCompositionPanelModel::ApplyTexture(const std::string& File, int32_t ScaleIndex,
                                          bool OnUnderlayPage) {
  FWork.ApplyTexture(File, ScaleIndex, OnUnderlayPage, FUnderlay);
}

TBitmapLayer* TCompositionPanelModel::AddGalleryItem(const std::string& File, bool Decoration,
                                                     const std::optional<TSinglePoint>& Centre) {
  if (FDoc.IsEmpty())
    return nullptr;
  TBitmapLayer* L = FWork.AddGalleryItem(File, Decoration, true);
  if (L != nullptr && Centre) {
    const TSingleRect R = L->Location();
    const float W = R.Right - R.Left, H = R.Bottom - R.Top;
    const float Left = std::round(Centre->X - W / 2), Top = std::round(Centre->Y - H / 2);
    L->SetLocation({Left, Top, Left + W, Top + H});
    // The selection frame took the place the layer had when it was selected.
    if (FDoc.RBLayer() != nullptr && FDoc.Selected() == L)
      FDoc.RBLayer()->SetChildLayer(L);
  }
  return L;
}
