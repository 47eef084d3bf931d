#pragma once
// The composition panel's work on the card: the background of the tab "Фон" (solid colour,
// gradient, picture file, texture), the underlay of the tab "Подложка", and the decorations and
// ready greetings of the two galleries. Qt-free; the main window and the batch tool call these
// with the settings of the panel's controls. Each operation runs through the card runner, which
// records its undo step just before anything changes.
#include <cstdint>
#include <string>

#include "card_document.h"
#include "card_runner.h"
#include "color32.h"
#include "layer_commands.h"
#include "undo.h"

// The swatches' defaults: red 255, green 0, blue 128 and red 0, green 84, blue 227.
constexpr TPlatformColor DefaultGradientLeft = 8388863;
constexpr TPlatformColor DefaultGradientRight = 14898176;

// The gradient of the tab "Фон": GC2 is the left swatch, GC1 the right one.
struct TBackgroundGradient {
  bool Down = false;  // GradType: false "Слева направо", true "Сверху вниз"
  TPlatformColor GC2 = DefaultGradientLeft;
  TPlatformColor GC1 = DefaultGradientRight;
};

// Fills Canvas (keeping its size) with the gradient, opaque: "Слева направо" runs from GC2 at
// the left to GC1, "Сверху вниз" from GC1 at the top to GC2.
void PaintBackgroundGradient(const TBackgroundGradient& G, TBitmap32& Canvas);

enum TUnderlayMode { umSolid, umGradient, umTexture };

// The settings of the tab "Подложка".
struct TUnderlaySettings {
  TUnderlayMode Mode = umSolid;      // OCL, GCL, TXR
  TPlatformColor Panel4 = 0xFFFFFF;  // the solid colour (also under a texture)
  bool Down = false;  // PDGT: false "Слева направо", true "Сверху вниз"
  TPlatformColor Panel7 = DefaultGradientLeft;   // gradient colour A
  TPlatformColor Panel8 = DefaultGradientRight;  // gradient colour B
};

// The underlay's bitmap size for a W x H card: (W - round(W / 10)) x (H - round(H / 10)).
TSize UnderlaySize(int32_t W, int32_t H);
// Where an underlay of bitmap width Uw lies on a W x H card: m = round(Uw / 30), (m, m, W - m,
// H - m).
TSingleRect UnderlayLocation(int32_t Uw, int32_t W, int32_t H);

class TComposition {
 public:
  TComposition(TCardDocument& Doc, TUndoStack& Undo, TLayerCommands& Commands)
      : TComposition(Doc, &Undo, Commands) {}
  // Without Undo nothing is recorded (the batch tool).
  TComposition(TCardDocument& Doc, TUndoStack* Undo, TLayerCommands& Commands);

  // "Однотонный" and the colour button: an undo step, then the canvas filled opaque.
  void FillSolid(TPlatformColor Colour);
  // "Градиент", GradTypeChange and the two swatches: an undo step, then the gradient.
  void FillGradient(const TBackgroundGradient& G);
  // "Загрузить фон из файла ": the picture becomes the canvas (an undo step), which takes its
  // size; the layers keep their locations. A picture that cannot be read leaves the canvas as
  // it was, records nothing and raises the reader's error.
  void LoadBackground(const std::string& FileName);

  // "Добавить подложку": a new bitmap layer (one undo step), filled by the settings (a texture
  // underlay is filled with Panel4 here; the texture dialog then tiles over it), placed by
  // UnderlayLocation, selected and sent to index 0.
  TBitmapLayer* AddUnderlay(const TUnderlaySettings& S);

  // The texture dialog's "OK": with OnUnderlayPage the underlay is added first and takes the
  // texture; otherwise the canvas does. One undo step either way. The tile sizes count from the
  // canvas width.
  void ApplyTexture(const std::string& FileName, int32_t ScaleIndex, bool OnUnderlayPage,
                    const TUnderlaySettings& Underlay);

  // "Добавить украшение" (Decoration) and "Добавить поздравление": the picture as a new selected
  // layer at its own size at (a, a), a = round(canvas width / 100). A decoration then has the
  // colour of its bottom row's pixel in column 1 made transparent (ApplyTransparentColor). A
  // greeting stays opaque unless KeyPlainBackground is set and its whole border is one colour:
  // lettering on a plain key colour then loses the key the same way. One undo step. A picture
  // that cannot be read adds nothing and raises the reader's error.
  TBitmapLayer* AddGalleryItem(const std::string& FileName, bool Decoration,
                               bool KeyPlainBackground = false);

 private:
  // The work of AddUnderlay, ApplyTexture and AddGalleryItem inside their steps.
  TBitmapLayer* PutUnderlay(const TUnderlaySettings& S);
  void PutTexture(const std::string& FileName, int32_t ScaleIndex, bool OnUnderlayPage,
                  const TUnderlaySettings& Underlay);
  TBitmapLayer* PutGalleryItem(const TBitmap32& Picture, bool Decoration, bool KeyPlainBackground);

  TCardDocument& FDoc;
  TCardRunner FRunner;
  TLayerCommands& FCommands;
};
