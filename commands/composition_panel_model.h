#pragma once
// The composition panel apart from its controls: the checked background and underlay modes,
// the swatches' colours, which controls can be used, and the order in which a click records
// its undo step, asks for a colour or a file, and changes the card. Qt-free: the panel's widget
// shows this state and passes its clicks here; the colour and file dialogs come in as callbacks.
#include <functional>
#include <optional>
#include <string>

#include "composition.h"

// Which controls of the tabs "Фон" and "Подложка" can be used.
struct TCompositionEnabling {
  bool ChooseCard = false;     // "Выбрать открытку"
  bool LoadFile = false;       // "Загрузить фон из файла "
  bool ChooseTexture = false;  // "Выбрать текстуру " on "Фон"
  bool SolidColour = false;    // the colour button of "Однотонный"
  bool Gradient = false;       // the direction list and the two swatches of "Градиент"
  bool UnderlayColour = false;
  bool UnderlayGradient = false;
  bool UnderlayTexture = false;
};

// The colour dialog: starts at Colour and puts the pick there; false when cancelled.
using TAskColour = std::function<bool(TPlatformColor& Colour)>;
// The picture dialog: the chosen file's name, empty when cancelled.
using TAskFile = std::function<std::string()>;

// The underlay's swatches.
enum TUnderlaySwatch { usSolid, usGradientA, usGradientB };

class TCompositionPanelModel {
 public:
  TCompositionPanelModel(TCardDocument& Doc, TUndoStack& Undo, TComposition& Work);

  TBackgroundMode Background() const { return FBackground; }
  TPlatformColor SolidColour() const { return FSolid; }
  const TBackgroundGradient& Gradient() const { return FGradient; }
  const TUnderlaySettings& Underlay() const { return FUnderlay; }
  TCompositionEnabling Enabling() const;
  // Takes the mode and colours of the fill that made the card's canvas (after undo or redo).
  void FollowCard();
  // The galleries and the underlay add layers only to a card.
  bool HasCard() const { return !FDoc.IsEmpty(); }

  // ---- "Фон"
  // A mode's radio button: "Однотонный" and "Градиент" fill the canvas at once (an undo step).
  void ChooseBackground(TBackgroundMode Mode);
  // The colour button of "Однотонный" and the gradient's swatches (Left is GC2): an undo step
  // first, then the colour dialog, then the canvas filled, also when the dialog was cancelled.
  void PickSolidColour(const TAskColour& Ask);
  void PickGradientColour(bool Left, const TAskColour& Ask);
  // The direction list: the setting alone, and the choice made in the list (the fill again).
  void SetGradientDown(bool Down) { FGradient.Down = Down; }
  void GradientDirectionChosen(bool Down);
  // "Загрузить фон из файла ": an undo step, then the dialog; a chosen picture becomes the
  // canvas. True when the canvas took another size.
  bool LoadBackground(const TAskFile& Ask);

  // ---- "Подложка"
  void ChooseUnderlay(TUnderlayMode Mode) { FUnderlay.Mode = Mode; }
  void SetUnderlayDown(bool Down) { FUnderlay.Down = Down; }
  // A swatch's button: the colour dialog alone; true when a colour was picked.
  bool PickUnderlayColour(TUnderlaySwatch Swatch, const TAskColour& Ask);
  TPlatformColor UnderlayColour(TUnderlaySwatch Swatch) const;
  // "Добавить подложку": nothing on an empty document.
  TBitmapLayer* AddUnderlay();
  // The texture dialog's "OK": on the underlay when the tab "Подложка" is the active one.
  void ApplyTexture(const std::string& File, int32_t ScaleIndex, bool OnUnderlayPage);

  // ---- The galleries: the selected file as a new layer; nothing on an empty document. With
  // Centre (card pixels: the middle of the part of the card in sight) the layer is centred
  // there, else it lies at the card's top-left corner as the batch tool puts it.
  TBitmapLayer* AddGalleryItem(const std::string& File, bool Decoration,
                               const std::optional<TSinglePoint>& Centre = std::nullopt);

 private:
  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TComposition& FWork;
  TBackgroundMode FBackground = bmCard;
  TPlatformColor FSolid = 0xFFFFFF;
  TBackgroundGradient FGradient;
  TUnderlaySettings FUnderlay;
};
