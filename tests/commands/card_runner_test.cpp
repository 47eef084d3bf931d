// The card runner: one undo step per command of the table, named by its row, none for the batch
// tool's runner; the start of a step where the command changes the card; steps inside a
// command are part of it.
#include "card_runner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "card_commands.h"
#include "card_document.h"
#include "img_view32.h"

namespace {

struct TRunnerFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};

  // A 60 x 40 card with a picture layer; Select chooses it (the batch tool's layer=0).
  void MakeCard(bool Select) {
    View.SetBounds(200, 150);
    Doc.NewCanvas(60, 40, 0xFF80A0C0);
    TBitmap32 Photo;
    Photo.SetSize(20, 10);
    for (int32_t Y = 0; Y < 10; ++Y)
      for (int32_t X = 0; X < 20; ++X) Photo.SetPixel(X, Y, 0xFF000000 | TColor32(X * 12 + Y));
    TBitmapLayer* L = Doc.AddPictureLayer(Photo, 255);
    L->SetLocation({5, 5, 25, 15});
    Doc.SetSelection(Select ? L : nullptr);
    Undo.Reset();
  }
};

bool SameCanvas(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), sizeof(TColor32) * size_t(A.Width()) * A.Height()) == 0;
}

struct TRowCase {
  const char* Name;
  std::vector<std::string> Arguments;
  bool OnLayer;
};

// Each command of the table is one undo step named as its row says, and changes the card as the
// batch tool's runner, which records nothing, changes it.
TEST_F(TRunnerFixture, EachCommandIsOneStepNamedByItsRow) {
  const std::vector<TRowCase> Cases = {
      {"WaveShift", {"amplitude=3", "interference=2", "style=1"}, false},
      {"BrightnessScale", {"amount=40"}, true},
      {"ImageSize", {"width=30", "height=20"}, false},
      {"FreeRotation", {"angle=30"}, true},
      {"CanvasCrop", {"left=2", "top=3", "right=40", "bottom=30"}, false},
      {"LayerCrop", {"left=2", "top=1", "right=12", "bottom=8"}, true},
      {"Perspective", {"x0=0", "y0=4", "x1=20", "y1=0", "x2=20", "y2=10", "x3=0", "y3=8"}, true},
      {"Border", {"width=3", "contour=1"}, true},
      {"Button", {"width=2"}, false},
      {"TransparentColor", {"color=000000"}, true},
      {"Gradient", {"left=FF0000", "right=0000FF"}, false},
  };
  for (const TRowCase& C : Cases) {
    const TCardCall Call = ParseEffectCall(C.Name, C.Arguments, CardCommands());
    MakeCard(C.OnLayer);
    int32_t Changes = 0;
    TCardRunner Runner(Doc, &Undo);
    Runner.OnChanged = [&] { ++Changes; };
    Runner.Run(Call);
    EXPECT_EQ(Undo.Count(), 1) << C.Name;
    EXPECT_EQ(Undo.UndoName(), UndoStepName(Call.Command->Step)) << C.Name;
    EXPECT_EQ(Changes, 1) << C.Name;
    const std::unique_ptr<TBitmap32> Recorded = Doc.RenderFlatImage();

    MakeCard(C.OnLayer);
    TCardRunner(Doc).Run(Call);
    EXPECT_EQ(Undo.Count(), 0) << C.Name << ": the batch tool's runner records nothing";
    EXPECT_TRUE(SameCanvas(*Doc.RenderFlatImage(), *Recorded)) << C.Name;
  }
}

// A command that finds nothing to change records nothing: the steps that could be redone stay.
TEST_F(TRunnerFixture, ACommandThatChangesNothingKeepsTheRedoSteps) {
  MakeCard(true);
  TCardRunner Runner(Doc, &Undo);
  Runner.Run(ParseEffectCall("BrightnessScale", {"amount=40"}, CardCommands()));
  ASSERT_TRUE(Undo.Undo());
  Runner.Run(ParseEffectCall("ImageSize", {"width=60", "height=40"}, CardCommands()));
  Runner.Run(ParseEffectCall("FreeRotation", {"angle=0"}, CardCommands()));
  EXPECT_TRUE(Undo.CanRedo());
  EXPECT_EQ(Undo.Count(), 1);
}

// Work made of other commands is one step, named as the outer one; work that fails before its
// start records nothing, and after its start with the card unchanged leaves no step either.
TEST_F(TRunnerFixture, InnerStepsArePartOfTheCommandAndFailuresLeaveNone) {
  MakeCard(true);
  TCardRunner Runner(Doc, &Undo);
  Runner.Run(usDecoration, [&] {
    Runner.Run(ParseEffectCall("BrightnessScale", {"amount=40"}, CardCommands()));
    Runner.Run("ImageSize", [&](const TChangeStart& Start) {
      Start();
      Doc.Canvas().Clear(0xFF000000);
    });
  });
  EXPECT_EQ(Undo.Count(), 1);
  EXPECT_EQ(Undo.UndoName(), UndoStepName(usDecoration));

  EXPECT_THROW(Runner.Run(usFlatten, [](const TChangeStart&) { throw std::runtime_error("x"); }),
               std::runtime_error);
  EXPECT_THROW(Runner.Run(usFlatten, [] { throw std::runtime_error("x"); }), std::runtime_error);
  EXPECT_EQ(Undo.Count(), 1);
  EXPECT_EQ(Undo.UndoName(), UndoStepName(usDecoration));
}

TEST(CardRunner, ANameOutsideTheTableIsRefused) {
  EXPECT_EQ(TCardRunner::Row("Frame").Step, usFrame);
  EXPECT_THROW(TCardRunner::Row("NoSuchCommand"), EEffectCommandError);
}

}  // namespace
