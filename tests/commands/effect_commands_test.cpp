#include "effect_commands.h"

#include <gtest/gtest.h>

#include "card_document.h"
#include "card_runner.h"
#include "img_view32.h"

namespace {

int32_t GLastWidth = 0;
std::string GLastFile;

void RecordCall(TCardDocument& Doc, const TCardCall& Call, const TChangeStart&) {
  GLastWidth = Doc.Canvas().Width();
  GLastFile = Call.Texts[1];
}

const std::vector<TCardCommand>& TypedCommands() {
  static const std::vector<TCardCommand> Commands = {
      {"Typed",
       efDocument,
       {{"size", 1, 10},
        {"file", 0, 0, ekText},
        {"left", 0, 0, ekColor},
        {"direction", 0, 0, ekChoice, {"horizontal", "vertical"}},
        {"bilinear", 0, 1, ekInteger, {}, true, 1}},
       &RecordCall},
  };
  return Commands;
}

TEST(EffectCommands, TypedKeysParseIntoValuesAndTexts) {
  const TCardCall Call =
      ParseEffectCall("Typed", {"direction=vertical", "left=FF8000", "file=/tmp/a b.png", "size=3"},
                      TypedCommands());
  ASSERT_EQ(Call.Values.size(), 5u);
  EXPECT_EQ(Call.Values[0], 3);
  EXPECT_EQ(Call.Texts[1], "/tmp/a b.png");
  EXPECT_EQ(Call.Values[2], 0xFF8000);
  EXPECT_EQ(Call.Values[3], 1);
  EXPECT_EQ(Call.Values[4], 1) << "an optional key not given takes its default";
}

TEST(EffectCommands, BadTypedValuesAreRefusedInOneLine) {
  const std::vector<std::vector<std::string>> Bad = {
      {"size=3", "file=x", "left=FF80", "direction=vertical"},                  // short colour
      {"size=3", "file=x", "left=GG8000", "direction=vertical"},                // not hexadecimal
      {"size=3", "file=x", "left=FF8000", "direction=diagonal"},                // not a choice
      {"size=3", "left=FF8000", "direction=vertical"},                          // text key missing
      {"size=3", "file=x", "left=FF8000", "direction=vertical", "bilinear=2"},  // range
      {"size=3", "file=x", "file=y", "left=FF8000", "direction=vertical"},      // twice
  };
  for (const auto& Arguments : Bad) {
    try {
      ParseEffectCall("Typed", Arguments, TypedCommands());
      ADD_FAILURE() << "accepted: " << testing::PrintToString(Arguments);
    } catch (const EEffectCommandError& E) {
      EXPECT_EQ(std::string(E.what()).find('\n'), std::string::npos);
    }
  }
}

TEST(EffectCommands, ListShowsEveryKindOfKey) {
  EXPECT_EQ(EffectListText(TypedCommands()),
            "Typed size=1..10 file=ТЕКСТ left=RRGGBB direction=horizontal|vertical "
            "[bilinear=0..1]\n");
}

TEST(EffectCommands, DocumentCommandRunsOnTheCard) {
  TImgView32 View;
  TCardDocument Doc(View);
  Doc.NewCanvas(40, 30, 0xFFFFFFFF);
  TCardRunner(Doc).Run(ParseEffectCall(
      "Typed", {"size=1", "file=f", "left=000000", "direction=horizontal"}, TypedCommands()));
  EXPECT_EQ(GLastWidth, 40);
  EXPECT_EQ(GLastFile, "f");
}

}  // namespace
