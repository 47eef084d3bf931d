// Captions that stay editable: their settings as bytes, rendering one again in place, and a
// project with editable captions read by a reader that knows only the layers.
#include "caption_layer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "bitmap_layer.h"
#include "caption_settings.h"
#include "card_document.h"
#include "img_view32.h"
#include "project_file.h"

namespace {

TCaption FullCaption() {
  TCaption C;
  C.FontName = "DejaVu Sans";
  C.Size = 20;
  C.Style = fsBold | fsItalic;
  C.TextColor = 0xFF1030C0;
  C.BackColor = 0xFFFFF0A0;
  C.TransparentBackground = true;
  C.Transparency = 40;
  C.Outline = {true, 0xFFFFFFFF, 2};
  C.Shadow = {true, 0xFF202020, 3, 1};
  C.Lines = {{"С Новым годом,", TCaptionAlign::Left},
             {"\tдорогая мама!", TCaptionAlign::Centre},
             {"", TCaptionAlign::Right},
             {"Ёлка", TCaptionAlign::Justify}};
  return C;
}

TEST(CaptionSettings, EveryFieldSurvivesAndDamageIsRefused) {
  const TCaption C = FullCaption();
  const std::vector<uint8_t> Bytes = EncodeCaption(C);
  const std::optional<TCaption> D = DecodeCaption(Bytes);
  ASSERT_TRUE(D.has_value());
  EXPECT_EQ(EncodeCaption(*D), Bytes);
  EXPECT_EQ(D->FontName, C.FontName);
  EXPECT_EQ(D->Style, C.Style);
  EXPECT_EQ(D->Shadow.Softness, 1);
  ASSERT_EQ(D->Lines.size(), 4u);
  EXPECT_EQ(D->Lines[1].Text, "\tдорогая мама!");
  EXPECT_EQ(D->Lines[3].Align, TCaptionAlign::Justify);
  // Cut short anywhere, or one byte too many.
  for (size_t N = 0; N < Bytes.size(); ++N)
    EXPECT_FALSE(DecodeCaption({Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(N)}))
        << N;
  std::vector<uint8_t> Longer = Bytes;
  Longer.push_back(0);
  EXPECT_FALSE(DecodeCaption(Longer));
  // A huge text length, another version, a size out of range.
  for (const size_t At : {size_t{4 + 3}, size_t{0}, size_t{4 + 4 + C.FontName.size() + 3}}) {
    std::vector<uint8_t> Bad = Bytes;
    Bad[At] = 0x7F;
    EXPECT_FALSE(DecodeCaption(Bad)) << At;
  }
}

// A font name or a line that is not UTF-8 is damage: the settings do not read.
TEST(CaptionSettings, TextThatIsNotUtf8IsDamage) {
  for (const std::string& Bad :
       {std::string("\xff"), std::string("Ж\xd0"), std::string("\xc0\xaf")}) {
    TCaption C = FullCaption();
    C.Lines[2].Text = Bad;
    EXPECT_FALSE(DecodeCaption(EncodeCaption(C))) << testing::PrintToString(Bad);
    C = FullCaption();
    C.FontName += Bad;
    EXPECT_FALSE(DecodeCaption(EncodeCaption(C))) << testing::PrintToString(Bad);
  }
}

struct TEditableCaption : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TBitmap32 Work, Mask;
  void SetUp() override {
    View.SetBounds(600, 400);
    Doc.NewCanvas(600, 400, 0xFFF0E0D0);
  }
  TCaption Simple(const std::string& Text) {
    TCaption C;
    C.FontName = "DejaVu Sans";
    C.Size = 24;
    C.TextColor = 0xFF802020;
    C.Lines = {{Text, TCaptionAlign::Left}};
    return C;
  }
};

TEST_F(TEditableCaption, APlacedCaptionIsEditableUntilItsPixelsChange) {
  TBitmapLayer* L = PlaceCaption(Doc, Simple("Привет"), Work, Mask, Doc.Layers().Count());
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(CaptionKind(Doc, *L), TCaptionKind::Editable);
  ASSERT_TRUE(EditableCaption(Doc, *L).has_value());
  EXPECT_EQ(EditableCaption(Doc, *L)->Lines.at(0).Text, "Привет");
  // The opacity gauge changes the master alpha only: still a caption, of that transparency.
  L->Bitmap()->SetMasterAlpha(128);
  ASSERT_TRUE(EditableCaption(Doc, *L).has_value());
  EXPECT_EQ(EditableCaption(Doc, *L)->Transparency, 50);
  TCaption Edited;
  EXPECT_EQ(CaptionToEdit(Doc, *L, Edited), TCaptionKind::Editable);
  EXPECT_EQ(Edited.Lines.at(0).Text, "Привет");
  EXPECT_EQ(Edited.Transparency, 50);
  L->Bitmap()->FillRect(0, 0, 2, 2, 0xFF00FF00);
  L->Bitmap()->Changed();
  EXPECT_EQ(CaptionKind(Doc, *L), TCaptionKind::Changed);
  EXPECT_FALSE(EditableCaption(Doc, *L).has_value());
  TCaption Untouched;
  EXPECT_EQ(CaptionToEdit(Doc, *L, Untouched), TCaptionKind::Changed);
  EXPECT_TRUE(Untouched.Lines.empty());
  TBitmapLayer* Picture = Doc.AddPictureLayer(*L->Bitmap(), 255);
  EXPECT_EQ(CaptionToEdit(Doc, *Picture, Untouched), TCaptionKind::Picture);
}

// Rendered again, the caption keeps its centre, and the scale the user gave it.
TEST_F(TEditableCaption, ReplacingKeepsTheCentreAndTheScale) {
  TBitmapLayer* L = PlaceCaption(Doc, Simple("Кот"), Work, Mask, Doc.Layers().Count());
  ASSERT_NE(L, nullptr);
  const float W0 = static_cast<float>(L->Bitmap()->Width());
  const float H0 = static_cast<float>(L->Bitmap()->Height());
  L->SetLocation({100, 50, 100 + 2 * W0, 50 + 1.5f * H0});
  const float Cx = 100 + W0, Cy = 50 + 0.75f * H0;
  const int32_t Layers = Doc.Layers().Count();
  ReplaceCaption(Doc, *L, Simple("Котёнок и щенок"), Work, Mask);
  EXPECT_EQ(Doc.Layers().Count(), Layers);
  const TSingleRect R = L->Location();
  EXPECT_GT(L->Bitmap()->Width(), W0);
  EXPECT_FLOAT_EQ((R.Left + R.Right) / 2, Cx);
  EXPECT_FLOAT_EQ((R.Top + R.Bottom) / 2, Cy);
  EXPECT_FLOAT_EQ(R.Right - R.Left, 2 * static_cast<float>(L->Bitmap()->Width()));
  EXPECT_FLOAT_EQ(R.Bottom - R.Top, 1.5f * static_cast<float>(L->Bitmap()->Height()));
  ASSERT_TRUE(EditableCaption(Doc, *L).has_value());
  EXPECT_EQ(EditableCaption(Doc, *L)->Lines.at(0).Text, "Котёнок и щенок");
  // The same pixels as a caption placed anew.
  TImgView32 View2;
  TCardDocument Doc2{View2};
  View2.SetBounds(600, 400);
  Doc2.NewCanvas(600, 400, 0xFFF0E0D0);
  TBitmapLayer* Fresh = PlaceCaption(Doc2, Simple("Котёнок и щенок"), Work, Mask, 0);
  ASSERT_EQ(Fresh->Bitmap()->Width(), L->Bitmap()->Width());
  ASSERT_EQ(Fresh->Bitmap()->Height(), L->Bitmap()->Height());
  EXPECT_EQ(0, std::memcmp(Fresh->Bitmap()->Bits(), L->Bitmap()->Bits(),
                           size_t(L->Bitmap()->Width()) * L->Bitmap()->Height() * 4));
  EXPECT_EQ(Fresh->Bitmap()->MasterAlpha(), L->Bitmap()->MasterAlpha());
}

TEST_F(TEditableCaption, ABackupPutsTheLayerBack) {
  TBitmapLayer* L = PlaceCaption(Doc, Simple("Было"), Work, Mask, Doc.Layers().Count());
  const TSingleRect Before = L->Location();
  const uint64_t Fingerprint = PixelFingerprint(*L->Bitmap());
  const TCaptionEditBackup Backup(Doc, *L);
  TCaption Next = Simple("Стало длиннее");
  Next.Transparency = 50;
  ReplaceCaption(Doc, *L, Next, Work, Mask);
  Backup.Restore(Doc, *L);
  EXPECT_EQ(PixelFingerprint(*L->Bitmap()), Fingerprint);
  EXPECT_TRUE(L->Location() == Before);
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 255u);
  EXPECT_EQ(EditableCaption(Doc, *L)->Lines.at(0).Text, "Было");
}

// A reader that knows only the stored layers: the tail, the size list, the 108-byte records
// named "bitmap" and the streams counted back from the records, all from the end of the file.
struct TStrictLayer {
  TBitmap32 Pixels;
  uint32_t MasterAlpha = 255;
  TSingleRect Location;
  bool Interpolated = false;
};
struct TStrictProject {
  TBitmap32 Canvas;
  std::vector<std::unique_ptr<TStrictLayer>> Layers;  // bottom first
};

uint32_t Le32(const uint8_t* P) {
  return uint32_t{P[0]} | (uint32_t{P[1]} << 8) | (uint32_t{P[2]} << 16) | (uint32_t{P[3]} << 24);
}

void ReadStrictly(const std::vector<uint8_t>& F, TStrictProject& P) {
  const size_t E = F.size();
  const size_t T = Le32(&F[E - 4]);
  const std::string Text(F.begin() + static_cast<std::ptrdiff_t>(E - T), F.end() - 4);
  std::vector<size_t> Lines;
  for (size_t Pos = 0; Pos < Text.size();) {
    const size_t End = Text.find("\r\n", Pos);
    Lines.push_back(std::stoul(Text.substr(Pos, End - Pos)));
    Pos = End + 2;
  }
  const size_t K = Lines.size();
  const size_t R = Lines[K - 1], C = Lines[K - 2];
  const size_t RecordsAt = E - T - R;
  P.Canvas.LoadFromBytes(&F[RecordsAt - C], C);
  size_t Off = R + C;
  size_t J = 0;
  const size_t N = R / 108;
  for (size_t Q = 0; Q < N; ++Q) {
    const uint8_t* Rec = &F[RecordsAt + (N - 1 - Q) * 108];
    if (Rec[0] != 6 || std::memcmp(Rec + 1, "bitmap", 6) != 0)
      continue;
    const size_t S = Lines[K - 3 - J];
    Off += S;
    auto L = std::make_unique<TStrictLayer>();
    L->Pixels.LoadFromBytes(&F[E - T - Off], S);
    L->MasterAlpha = Le32(Rec + 72);
    float Side[4];
    for (int I = 0; I < 4; ++I) std::memcpy(&Side[I], Rec + 76 + 4 * I, 4);
    L->Location = {Side[0], Side[1], Side[2], Side[3]};
    L->Interpolated = Rec[104] != 0;
    P.Layers.insert(P.Layers.begin(), std::move(L));
    ++J;
  }
}

TEST_F(TEditableCaption, AProjectWithCaptionsReadsStrictlyAsItsPictures) {
  TCaption Second = Simple("Второй");
  Second.Transparency = 30;
  Second.Outline = {true, 0xFFFFFFFF, 2};
  PlaceCaption(Doc, Simple("Первый"), Work, Mask, Doc.Layers().Count());
  TBitmapLayer* L2 = PlaceCaption(Doc, Second, Work, Mask, Doc.Layers().Count());
  L2->SetLocation({20, 30, 20 + 1.5f * L2->Bitmap()->Width(),
                   30.0f + static_cast<float>(L2->Bitmap()->Height())});
  const std::vector<uint8_t> File = BuildProject(Doc);
  ASSERT_EQ(std::string(File.begin(), File.begin() + 16), "PELMORA-CAPTIONS");

  TStrictProject P;
  ReadStrictly(File, P);
  ASSERT_EQ(P.Layers.size(), 2u);
  TImgView32 View2;
  TCardDocument Doc2{View2};
  View2.SetBounds(600, 400);
  Doc2.NewCanvas(P.Canvas.Width(), P.Canvas.Height(), 0);
  Doc2.Canvas().Assign(&P.Canvas);
  for (const auto& S : P.Layers) {
    auto* L = Doc2.Layers().Add<TBitmapLayer>();
    L->Bitmap()->Assign(&S->Pixels);
    Doc2.AdoptContentLayer(L);
    L->Bitmap()->SetMasterAlpha(S->MasterAlpha);
    L->Bitmap()->SetStretchFilter(S->Interpolated ? sfLinear : sfNearest);
    L->SetLocation(S->Location);
  }
  std::unique_ptr<TBitmap32> HolderA, HolderB;
  const TBitmap32& Editor = Doc.FlatImage(HolderA);
  const TBitmap32& Strict = Doc2.FlatImage(HolderB);
  ASSERT_EQ(Editor.Width(), Strict.Width());
  ASSERT_EQ(Editor.Height(), Strict.Height());
  EXPECT_EQ(
      0, std::memcmp(Editor.Bits(), Strict.Bits(), size_t(Editor.Width()) * Editor.Height() * 4));

  // Our own reader finds both captions again.
  TImgView32 View3;
  TCardDocument Doc3{View3};
  auto Content = ReadProjectBytes(File.data(), File.size(), "card.kvt");
  InstallProject(*Content, Doc3);
  std::vector<std::string> Texts;
  for (int32_t I = 0; I < Doc3.Layers().Count(); ++I)
    if (auto* L = dynamic_cast<TBitmapLayer*>(Doc3.Layers().Items(I)))
      if (auto C = EditableCaption(Doc3, *L))
        Texts.push_back(C->Lines.at(0).Text);
  EXPECT_EQ(Texts, (std::vector<std::string>{"Первый", "Второй"}));
}

}  // namespace
