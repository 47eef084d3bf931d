// The composition panel's rules without its controls: which controls a mode enables, and the
// undo step taken before a colour or file dialog, whatever the dialog answers.
#include "composition_panel_model.h"

#include <gtest/gtest.h>

#include "picker/thumb_test_support.h"

namespace {

struct TPanelModelFixture : ::testing::Test {
  static void SetUpTestSuite() { RegisterPictureCodecs(); }
  TThumbTempDir Dir;
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Cmd{Doc, Undo};
  TComposition Comp{Doc, Undo, Cmd};
  TCompositionPanelModel Model{Doc, Undo, Comp};

  void SetUp() override {
    View.SetBounds(1000, 700);
    Doc.NewCanvas(80, 60, 0xFF102030);
  }
  static TAskColour Answer(bool Picked, TPlatformColor Colour = 0) {
    return [=](TPlatformColor& C) {
      if (Picked)
        C = Colour;
      return Picked;
    };
  }
};

TEST_F(TPanelModelFixture, EachModeEnablesExactlyItsControls) {
  struct TRow {
    TBackgroundMode Mode;
    bool Card, File, Texture, Solid, Gradient;
  };
  for (const TRow& R : {TRow{bmCard, true, false, false, false, false},
                        TRow{bmFile, false, true, false, false, false},
                        TRow{bmTexture, false, false, true, false, false},
                        TRow{bmSolid, false, false, false, true, false},
                        TRow{bmGradient, false, false, false, false, true}}) {
    Model.ChooseBackground(R.Mode);
    const TCompositionEnabling E = Model.Enabling();
    EXPECT_EQ(E.ChooseCard, R.Card) << R.Mode;
    EXPECT_EQ(E.LoadFile, R.File) << R.Mode;
    EXPECT_EQ(E.ChooseTexture, R.Texture) << R.Mode;
    EXPECT_EQ(E.SolidColour, R.Solid) << R.Mode;
    EXPECT_EQ(E.Gradient, R.Gradient) << R.Mode;
  }
  Model.ChooseUnderlay(umGradient);
  const TCompositionEnabling E = Model.Enabling();
  EXPECT_FALSE(E.UnderlayColour);
  EXPECT_TRUE(E.UnderlayGradient);
  EXPECT_FALSE(E.UnderlayTexture);
}

// The colour button records the canvas, then asks; a cancelled dialog still fills with the
// swatch's colour, and one undo gives back the canvas from before the click.
TEST_F(TPanelModelFixture, AColourButtonRecordsThenFillsEvenWhenCancelled) {
  Model.PickSolidColour(Answer(false));
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFFFFFFFFu) << "white, the swatch's first colour";
  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFF102030u);

  Model.PickSolidColour(Answer(true, 0x0000FF));  // red, in the platform's byte order
  EXPECT_EQ(Model.SolidColour(), 0x0000FFu);
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFFFF0000u);

  // The gradient's left swatch, cancelled: the gradient is painted all the same.
  Model.PickGradientColour(true, Answer(false));
  EXPECT_EQ(Model.Gradient().GC2, DefaultGradientLeft);
  EXPECT_NE(Doc.Canvas().GetPixel(0, 5), Doc.Canvas().GetPixel(79, 5));
  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFFFF0000u);
}

TEST_F(TPanelModelFixture, ACancelledBackgroundFileChangesNothingAndUnderlaySwatchesOnlyAsk) {
  EXPECT_FALSE(Model.LoadBackground([] { return std::string(); }));
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFF102030u);
  EXPECT_EQ(Doc.Canvas().Width(), 80);

  EXPECT_FALSE(Model.PickUnderlayColour(usGradientB, Answer(false)));
  EXPECT_EQ(Model.UnderlayColour(usGradientB), DefaultGradientRight);
  EXPECT_TRUE(Model.PickUnderlayColour(usSolid, Answer(true, 0x00FF00)));
  EXPECT_EQ(Model.Underlay().Panel4, 0x00FF00u);
  EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), 0xFF102030u) << "the underlay's swatches paint nothing";

  TBitmapLayer* U = Model.AddUnderlay();
  ASSERT_NE(U, nullptr);
  EXPECT_EQ(U->Bitmap()->GetPixel(3, 3), 0xFF00FF00u);
}

}  // namespace
