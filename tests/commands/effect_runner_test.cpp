// The effect runner: calls built like the batch tool's, sequences of calls on one working
// image, and the preview protocol against a host that counts what it is told.
#include "effect_runner.h"

#include <gtest/gtest.h>

#include <cstring>

#include "bitmap32.h"
#include "card_commands.h"
#include "color32.h"

namespace {

struct THost : TCommandHost {
  TBitmap32 Bitmap;
  int Records = 0, Changes = 0, Shows = 0;
  TEffectTarget Target() override { return {&Bitmap, true}; }
  void RecordLayerStep(const std::string&) override { ++Records; }
  void ShowOnly(const std::function<void()>& Work) override {
    Work();
    ++Shows;
  }
  void Changed() override { ++Changes; }
};

void Fill(TBitmap32& B) {
  B.SetSize(23, 17);
  for (int32_t Y = 0; Y < 17; ++Y)
    for (int32_t X = 0; X < 23; ++X)
      B.SetPixel(X, Y, ColorFromRGBA(X * 11 % 256, Y * 15 % 256, (X + Y) * 7 % 256, 40 + X * 9));
}

bool Same(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

TEST(EffectRunner, CallsAreParsedAsTheBatchToolParsesThem) {
  const TCardCall C =
      EffectCall("WaveShift", {{"amplitude", 7}, {"interference", 2}, {"style", 1}});
  ASSERT_NE(C.Command, nullptr);
  EXPECT_EQ(C.Values, (std::vector<int32_t>{7, 2, 1}));
  EXPECT_THROW(EffectCall("QuantizeLevels", {{"level", 101}}), EEffectCommandError);
  EXPECT_THROW(EffectCall("NoSuchEffect"), EEffectCommandError);
  EXPECT_EQ(CardKeyOf("DropDisplace", "turbulence").Max, 300);
  EXPECT_THROW(CardKeyOf("DropDisplace", "speed"), EEffectCommandError);
}

// A call built from typed values is refused as the same call written as text is, word for word.
TEST(EffectRunner, TypedCallsAreRefusedAsTheirTextIs) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<std::string, int32_t>> Values;
    std::vector<std::string> Text;
  };
  const std::vector<TCase> Cases = {
      {"QuantizeLevels", {{"level", 101}}, {"level=101"}},
      {"WaveShift", {{"amplitude", 0}, {"interference", 2}}, {"amplitude=0", "interference=2"}},
      {"WaveShift", {{"amplitude", 3}, {"style", 1}}, {"amplitude=3", "style=1"}},
      {"DropDisplace", {{"speed", 1}}, {"speed=1"}},
      {"ChannelNoise", {{"range", 5}, {"range", 6}}, {"range=5", "range=6"}},
      {"NoSuchEffect", {}, {}},
  };
  for (const TCase& C : Cases) {
    std::string Typed, Parsed;
    try {
      EffectCall(C.Name, C.Values);
    } catch (const EEffectCommandError& E) {
      Typed = E.what();
    }
    try {
      ParseEffectCall(C.Name, C.Text);
    } catch (const EEffectCommandError& E) {
      Parsed = E.what();
    }
    EXPECT_FALSE(Typed.empty()) << C.Name;
    EXPECT_EQ(Typed, Parsed) << C.Name;
  }
  const TCardCall Size = EffectCall("ImageSize", {{"width", 30}, {"height", 20}}, CardCommands());
  EXPECT_EQ(Size.Values, (std::vector<int32_t>{30, 20, 0}));
  EXPECT_FALSE(Size.Given[2]) << "the optional method takes its default";
}

// A sequence runs its 24-bit routines on one working image, routines that answer in the second
// image included, and gives the bytes of running them one after another.
TEST(EffectRunner, ASequenceEqualsItsCallsRunOneByOne) {
  const std::vector<TCardCall> Calls = {EffectCall("QuantizeLevels", {{"level", 9}}),
                                        EffectCall("DiagonalAverageBlur", {{"distance", 3}}),
                                        EffectCall("SharpenFivePoint", {{"strength", 3}}),
                                        EffectCall("BrightnessScale", {{"amount", 40}}),
                                        EffectCall("InvertChannels")};
  TBitmap32 Together, OneByOne;
  Fill(Together);
  Fill(OneByOne);
  RunEffectCalls(Calls, {&Together, true});
  for (const TCardCall& C : Calls) RunEffectCall(C, {&OneByOne, true});
  EXPECT_TRUE(Same(Together, OneByOne));
}

TEST(EffectRunner, PreviewsStartFromTheStateBeforeAndEndWithoutAChange) {
  THost Host;
  Fill(Host.Bitmap);
  TBitmap32 Original;
  Original.Assign(&Host.Bitmap);
  TBitmap32 Want;
  Want.Assign(&Original);
  RunEffectCall(EffectCall("InvertChannels"), {&Want, true});
  TEffectRunner Runner(Host);
  Runner.Preview({EffectCall("QuantizeLevels", {{"level", 2}})});
  Runner.Preview({EffectCall("InvertChannels")});
  EXPECT_TRUE(Same(Host.Bitmap, Want)) << "the second preview starts from the original";
  Runner.EndPreview();
  EXPECT_TRUE(Same(Host.Bitmap, Original));
  EXPECT_EQ(Host.Records, 0);
  EXPECT_EQ(Host.Changes, 0);
  EXPECT_EQ(Host.Shows, 3);

  Runner.Apply({EffectCall("InvertChannels")});
  EXPECT_TRUE(Same(Host.Bitmap, Want));
  EXPECT_EQ(Host.Records, 1);
  EXPECT_EQ(Host.Changes, 1);
}

// Each runner keeps its own snapshot: a command run elsewhere while a dialog previews (the batch
// tool's calls, another window's) leaves the dialog's way back intact.
TEST(EffectRunner, APreviewSurvivesACommandRunElsewhere) {
  THost Previewing, Other;
  Fill(Previewing.Bitmap);
  Fill(Other.Bitmap);
  TBitmap32 Original;
  Original.Assign(&Previewing.Bitmap);
  TEffectRunner Dialog(Previewing), Elsewhere(Other);
  Dialog.Preview({EffectCall("InvertChannels")});
  Elsewhere.Apply({EffectCall("QuantizeLevels", {{"level", 3}})});
  RunEffectCall(EffectCall("WeightedGrey"), {&Other.Bitmap, false});
  Dialog.EndPreview();
  EXPECT_TRUE(Same(Previewing.Bitmap, Original));
}

TEST(EffectRunner, ALiveDialogShowsFromItsWorkingCopyAndPutsItBackOnCancel) {
  THost Host;
  Fill(Host.Bitmap);
  TBitmap32 Original;
  Original.Assign(&Host.Bitmap);
  TEffectRunner Runner(Host);
  Runner.BeginLive();
  Runner.ShowLive({EffectCall("BrightnessScale", {{"amount", 50}})});
  Runner.ShowLive({EffectCall("BrightnessScale", {{"amount", -20}})});
  TBitmap32 Want;
  Want.Assign(&Original);
  RunEffectCall(EffectCall("BrightnessScale", {{"amount", -20}}), {&Want, true});
  EXPECT_TRUE(Same(Host.Bitmap, Want));
  Runner.EndLive(false);
  EXPECT_TRUE(Same(Host.Bitmap, Original));
  EXPECT_EQ(Host.Records, 1);
  EXPECT_EQ(Host.Changes, 0);
}

}  // namespace
