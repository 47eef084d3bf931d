// The batch tool's editable captions: Caption, the project, info, EditCaption.
#include <gtest/gtest.h>

#include <string>

#include "bitmap_layer.h"
#include "caption_layer.h"
#include "card_document.h"
#include "cli_fixture.h"
#include "img_view32.h"
#include "project_file.h"

namespace {

struct TCaptionCliTest : TCliTest {
  // The card written by the tool, its first layer's centre and its caption text.
  struct TSeen {
    float Cx = 0, Cy = 0, Width = 0;
    std::string Text;
    TCaptionKind Kind = TCaptionKind::Picture;
  };
  TSeen Look(const std::string& File) {
    TImgView32 View;
    TCardDocument Doc(View);
    ReadProject(File, Doc);
    TSeen S;
    auto* L = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(0));
    if (L == nullptr)
      return S;
    const TSingleRect R = L->Location();
    S.Cx = (R.Left + R.Right) / 2;
    S.Cy = (R.Top + R.Bottom) / 2;
    S.Width = R.Right - R.Left;
    S.Kind = CaptionKind(Doc, *L);
    if (auto C = EditableCaption(Doc, *L))
      for (size_t I = 0; I < C->Lines.size(); ++I) S.Text += (I ? "|" : "") + C->Lines[I].Text;
    return S;
  }
};

TEST_F(TCaptionCliTest, CaptionSaveInfoEditInfo) {
  TBitmap32 Card;
  Card.SetSize(300, 200);
  Card.Clear(0xFFFFEECC);
  Card.SaveToFile(Path("card.bmp"));

  TCliRun R = RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"),
                      "text=С днём\\nрождения!", "size=20", "color=802020", "x=100", "y=60"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TSeen A = Look(Path("a.kvt"));
  EXPECT_EQ(A.Kind, TCaptionKind::Editable);
  EXPECT_EQ(A.Text, "С днём|рождения!");
  EXPECT_FLOAT_EQ(A.Cx, 100);
  EXPECT_FLOAT_EQ(A.Cy, 60);

  R = RunCli({"info", Path("a.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("\"caption\": \"С днём\\nрождения!\""), std::string::npos) << R.Out;

  // A literal newline separates lines too; the centre stays.
  R = RunCli({"effect", "EditCaption", Path("a.kvt"), Path("b.kvt"), "layer=0",
              "text=С праздником,\nдорогой \"друг\""});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TSeen B = Look(Path("b.kvt"));
  EXPECT_EQ(B.Text, "С праздником,|дорогой \"друг\"");
  EXPECT_FLOAT_EQ(B.Cx, 100);
  EXPECT_FLOAT_EQ(B.Cy, 60);
  EXPECT_NE(B.Width, A.Width);

  R = RunCli({"info", Path("b.kvt")});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("\"caption\": \"С праздником,\\nдорогой \\\"друг\\\"\""), std::string::npos)
      << R.Out;

  // Without a caption: the default place is the card's centre.
  R = RunCli({"effect", "Caption", Path("card.bmp"), Path("c.kvt"), "text=Ура"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TSeen C = Look(Path("c.kvt"));
  EXPECT_FLOAT_EQ(C.Cx, 150);
  EXPECT_FLOAT_EQ(C.Cy, 100);
}

// EditCaption on a layer that is not an editable caption: one line on standard error, status 1,
// nothing written.
TEST_F(TCaptionCliTest, EditCaptionRefusesPicturesAndChangedCaptions) {
  TBitmap32 Card;
  Card.SetSize(200, 100);
  Card.Clear(0xFF336699);
  Card.SaveToFile(Path("card.bmp"));
  ASSERT_EQ(RunCli({"effect", "Caption", Path("card.bmp"), Path("a.kvt"), "text=Текст"}).Status, 0);
  ASSERT_EQ(RunCli({"effect", "InvertChannels", Path("a.kvt"), Path("n.kvt"), "layer=0"}).Status,
            0);
  EXPECT_EQ(Look(Path("n.kvt")).Kind, TCaptionKind::Picture);  // not stored as a caption
  struct TCase {
    const char* Input;
    std::vector<std::string> Extra;
    const char* Message;
  };
  const std::vector<TCase> Cases = {
      {"n.kvt", {"layer=0"}, "картинка"},
      {"card.bmp", {}, "layer=N"},
  };
  for (const TCase& K : Cases) {
    SCOPED_TRACE(K.Input);
    std::vector<std::string> Args = {"effect", "EditCaption", Path(K.Input), Path("out.kvt"),
                                     "text=Новый"};
    Args.insert(Args.end(), K.Extra.begin(), K.Extra.end());
    const TCliRun R = RunCli(Args);
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find(K.Message), std::string::npos) << R.Err;
    EXPECT_EQ(R.Err.find('\n'), R.Err.size() - 1) << R.Err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.kvt")));
  }
}

}  // namespace
