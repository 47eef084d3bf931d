#include "frame_mask_commands.h"

#include "card_document.h"
#include "frame_session.h"
#include "layer_mask.h"

namespace {

// The frame as the frame dialog's "OK" builds it, without the window's fitting: a frame layer of
// its own over a selected photo, or the card inside its frame.
void RunFrame(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  TBitmap32 Tile;
  LoadFrameTile(Call.Texts[0], Tile);
  TBuiltFrame F;
  BuildFrameFor(Doc, Tile, Call.Values[1], F);
  StartChange(Start);
  PutFrame(Doc, F);
}

// The editor offers masks only on a selected picture layer; here that is a layer= argument.
void RunMask(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  if (Doc.SelectedBitmapLayer() == nullptr)
    throw EEffectCommandError("Mask: маска ставится на слой-картинку, нужен layer=N");
  StartChange(Start);
  AppplyMask(Doc, Call.Texts[0], Call.Values[1] != 0);
}

}  // namespace

std::vector<TCardCommand> FrameMaskCommands() {
  return {
      {.Name = "Frame",
       .Format = efDocument,
       .Keys = {{"file", 0, 0, ekText}, {"width", 1, 35, ekInteger, {}, true, 10}},
       .Run = &RunFrame,
       .Step = usFrame},
      {.Name = "Mask",
       .Format = efDocument,
       .Keys = {{"file", 0, 0, ekText}, {"invert", 0, 1, ekInteger, {}, true, 0}},
       .Run = &RunMask,
       .Step = usMask},
  };
}
