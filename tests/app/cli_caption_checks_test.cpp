// What the batch tool refuses in a caption before anything is written: a caption whose picture
// could not be read back, text that is not UTF-8, a font that is not installed; and what it
// makes of a caption block whose text was damaged in the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bitmap32.h"
#include "caption_fonts.h"
#include "caption_render.h"
#include "cli_fixture.h"
#include "utf8.h"

namespace fs = std::filesystem;

namespace {

std::string Repeated(const std::string& S, size_t N) {
  std::string Out;
  Out.reserve(S.size() * N);
  for (size_t I = 0; I < N; ++I) Out += S;
  return Out;
}

struct TCaptionChecks : TCliTest {
  std::string Font;

  void SetUp() override {
    TCliTest::SetUp();
    TBitmap32 Card;
    Card.SetSize(300, 200);
    Card.Clear(0xFFFFEECC);
    Card.SaveToFile(Path("card.bmp"));
    Font = DefaultCaptionFamily(InstalledFontFamilies());
  }

  // The run was refused: status 1, one line on standard error holding Says, Output not written.
  void ExpectRefused(const std::vector<std::string>& Args, const std::string& Says) {
    const TCliRun R = RunCli(Args);
    EXPECT_EQ(R.Status, 1) << R.Err;
    EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
    EXPECT_NE(R.Err.find(Says), std::string::npos) << R.Err;
    EXPECT_FALSE(fs::exists(Path("out.kvt")));
  }
};

TEST_F(TCaptionChecks, CaptionsTooLargeToReadBackAreRefused) {
  ASSERT_EQ(RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"), "text=Ура"}).Status, 0);
  const std::string TooLarge = "Надпись слишком велика";
  const std::string Wide = "text=" + Repeated("Ш", 2000);
  const std::string Tall = "text=" + Repeated("Ж\\n", 9999) + "Ж";
  ExpectRefused({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), Wide, "size=36"},
                TooLarge);
  ExpectRefused({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), Tall}, TooLarge);
  ExpectRefused({"effect", "EditCaption", Path("a.kvt"), Path("out.kvt"), "layer=0", Tall},
                TooLarge);
  ExpectRefused(
      {"effect", "EditCaption", Path("a.kvt"), Path("out.kvt"), "layer=0", Wide, "size=36"},
      TooLarge);
}

// The tallest caption there may be is written and read back; a line more is refused.
TEST_F(TCaptionChecks, TheLargestCaptionIsReadBack) {
  TCaption C;
  C.FontName = Font;
  C.Size = 8;
  TBitmap32 Measure;
  ApplyCaptionFont(Measure.Font(), C);
  const int32_t LineHeight = Measure.TextHeight("Ж");
  ASSERT_GT(LineHeight, 0);
  const int32_t Lines = (65535 - 10) / LineHeight;
  const auto Caption = [&](int32_t N) {
    return std::vector<std::string>{"effect",
                                    "Caption",
                                    Path("card.bmp"),
                                    Path("out.kvt"),
                                    "text=" + Repeated("Ж\\n", size_t(N) - 1) + "Ж",
                                    "size=8",
                                    "font=" + Font};
  };
  ExpectRefused(Caption(Lines + 1), "Надпись слишком велика");
  TCliRun R = RunCli(Caption(Lines));
  ASSERT_EQ(R.Status, 0) << R.Err;
  R = RunCli({"info", Path("out.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("\"bitmapHeight\": " + std::to_string(Lines * LineHeight + 10)),
            std::string::npos)
      << R.Out.substr(0, 300);
  R = RunCli({"render", Path("out.kvt"), Path("out.png")});
  EXPECT_EQ(R.Status, 0) << R.Err;
}

TEST_F(TCaptionChecks, TextThatIsNotUtf8IsRefused) {
  ASSERT_EQ(RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"), "text=Ура"}).Status, 0);
  for (const std::string& Text : {std::string("\xff\xd0\x96"), std::string("Ж\xd0"),
                                  std::string("\xc0\xaf"), std::string("\xed\xa0\x80")}) {
    SCOPED_TRACE(testing::PrintToString(Text));
    ExpectRefused({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), "text=" + Text},
                  "UTF-8");
    ExpectRefused(
        {"effect", "EditCaption", Path("a.kvt"), Path("out.kvt"), "layer=0", "text=" + Text},
        "UTF-8");
  }
}

// A caption block whose text no longer reads as UTF-8 (one byte changed in the file): the layer
// is a picture, and info prints well-formed text.
TEST_F(TCaptionChecks, ACaptionDamagedIntoBadTextOpensAsAPicture) {
  ASSERT_EQ(RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"), "text=ЖЖЖ"}).Status, 0);
  std::string File = ReadText(Path("a.kvt"));
  const size_t At = File.find("ЖЖЖ");
  ASSERT_NE(At, std::string::npos);
  ASSERT_LT(At, 200u) << "the caption block is at the start";
  File[At + 2] = '\xff';
  std::ofstream(Path("bad.kvt"), std::ios::binary) << File;

  TCliRun R = RunCli({"info", Path("bad.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_TRUE(IsWellFormedUtf8(R.Out));
  EXPECT_EQ(R.Out.find("caption"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("\"bitmapWidth\""), std::string::npos) << R.Out;
  ExpectRefused({"effect", "EditCaption", Path("bad.kvt"), Path("out.kvt"), "layer=0", "text=Да"},
                "картинка");
}

TEST_F(TCaptionChecks, AFontThatIsNotInstalledIsRefused) {
  ASSERT_EQ(RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"), "text=Ура"}).Status, 0);
  for (const std::string& F : {std::string("Нет Такого Шрифта"), std::string("NoSuchFace 123")}) {
    ExpectRefused({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), "text=Да", "font=" + F},
                  "шрифт \"" + F + "\" не установлен");
    ExpectRefused({"effect", "EditCaption", Path("a.kvt"), Path("out.kvt"), "layer=0", "text=Да",
                   "font=" + F},
                  "шрифт \"" + F + "\" не установлен");
  }
  ExpectRefused({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), "text=Да", "font="},
                "font=");
  // An installed family, in any letter case, is taken.
  std::string Upper = Font;
  std::transform(Upper.begin(), Upper.end(), Upper.begin(), ::toupper);
  const TCliRun R =
      RunCli({"effect", "Caption", Path("card.bmp"), Path("out.kvt"), "text=Да", "font=" + Upper});
  EXPECT_EQ(R.Status, 0) << R.Err;
}

}  // namespace
