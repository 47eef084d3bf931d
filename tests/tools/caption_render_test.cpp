#include "caption_render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "card_document.h"
#include "color32.h"
#include "geometry.h"
#include "project_file.h"
#include "test_support.h"

namespace {

TCaption OneFontCaption(std::vector<TCaptionLine> Lines) {
  TCaption C;
  C.FontName = "DejaVu Sans";
  C.Size = 12;
  C.TextColor = 0xFF1030C0;
  C.BackColor = 0xFFFFF0A0;
  C.TransparentBackground = false;
  C.Lines = std::move(Lines);
  return C;
}

// The bitmap as a measuring device in the caption's font.
std::unique_ptr<TBitmap32> Measurer(const TCaption& C) {
  auto M = std::make_unique<TBitmap32>();
  ApplyCaptionFont(M->Font(), C);
  return M;
}

// What RenderIt should produce: the lines drawn by hand at the given places.
std::unique_ptr<TBitmap32> Expected(const TCaption& C, int32_t W, int32_t H,
                                    const std::vector<std::pair<TPoint, std::string>>& Lines) {
  auto E = std::make_unique<TBitmap32>();
  ApplyCaptionFont(E->Font(), C);
  E->SetSize(W, H);
  E->Clear(C.BackColor);
  for (const auto& [P, Text] : Lines) E->DrawTextAntialiased(P.X, P.Y, Text, 0, C.TextColor);
  return E;
}

int CountDifferences(const TBitmap32& A, const TBitmap32& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height())
    return -1;
  int N = 0;
  for (int32_t Y = 0; Y < A.Height(); ++Y)
    for (int32_t X = 0; X < A.Width(); ++X) N += A.GetPixel(X, Y) != B.GetPixel(X, Y);
  return N;
}

}  // namespace

TEST(CaptionRender, OneLineInTheDefaultFont) {
  TCaption C;  // "Arial" 30, black on white, transparent background
  C.TransparentBackground = false;
  C.Lines = {{"Text", TCaptionAlign::Left}};
  TBitmap32 Work;
  RenderIt(Work, C, NormalRender);
  const auto MP = Measurer(C);
  const TBitmap32& M = *MP;
  EXPECT_EQ(Work.Width(), M.TextWidth("Text") + M.TextWidth("  "));
  EXPECT_EQ(Work.Height(), M.TextHeight("Text") + 10);
  EXPECT_EQ(CountDifferences(Work, *Expected(C, Work.Width(), Work.Height(), {{{1, 5}, " Text"}})),
            0);
  // The text really is there: some pixels are darker than the background.
  int Dark = 0;
  for (int32_t Y = 0; Y < Work.Height(); ++Y)
    for (int32_t X = 0; X < Work.Width(); ++X) Dark += Intensity(Work.GetPixel(X, Y)) < 128;
  EXPECT_GT(Dark, 50);
}

TEST(CaptionRender, LinesKeepTheirAlignment) {
  const std::string Long = "Поздравляем с праздником";
  const std::string Short = "мир";
  const auto MP = Measurer(OneFontCaption({}));
  const TBitmap32& M = *MP;
  const int32_t W = M.TextWidth(Long), Ws = M.TextWidth(Short), H = M.TextHeight(Long);
  struct TCase {
    TCaptionAlign Align;
    int32_t X;
  };
  const TCase Cases[] = {
      {TCaptionAlign::Left, 1},
      {TCaptionAlign::Justify, 1},
      {TCaptionAlign::Centre, Round((W - Ws) / 2.0)},
      {TCaptionAlign::Right, W - Ws},
  };
  for (const TCase& K : Cases) {
    SCOPED_TRACE(static_cast<int>(K.Align));
    const TCaption C = OneFontCaption({{Long, TCaptionAlign::Left}, {Short, K.Align}});
    const TCaptionLayout L = LayOutCaption(M, C.Lines);
    EXPECT_EQ(L.MaxWidth, W);
    EXPECT_EQ(L.LineHeight, H);
    ASSERT_EQ(L.Places.size(), 2u);
    EXPECT_EQ(L.Places[0].X, 1);
    EXPECT_EQ(L.Places[0].Y, 5);
    EXPECT_EQ(L.Places[1].X, K.X);
    EXPECT_EQ(L.Places[1].Y, 5 + H);
    TBitmap32 Work;
    RenderIt(Work, C, NormalRender);
    EXPECT_EQ(Work.Width(), W + M.TextWidth("  "));
    EXPECT_EQ(Work.Height(), 2 * H + 10);
    EXPECT_EQ(
        CountDifferences(Work, *Expected(C, Work.Width(), Work.Height(),
                                         {{{1, 5}, " " + Long}, {{K.X, 5 + H}, " " + Short}})),
        0);
  }
}

TEST(CaptionRender, LeadingTabsIndentTenPixelsEach) {
  const TCaption C = OneFontCaption({{"Ёлка и снег", TCaptionAlign::Left},
                                     {"\t\tЁлка и снег", TCaptionAlign::Left},
                                     {"a\tb", TCaptionAlign::Left}});
  const auto MP = Measurer(C);
  const TBitmap32& M = *MP;
  const TCaptionLayout L = LayOutCaption(M, C.Lines);
  ASSERT_EQ(L.Places.size(), 3u);
  EXPECT_EQ(L.Places[1].X, L.Places[0].X + 20);
  EXPECT_EQ(L.Places[1].Drawn, L.Places[0].Drawn);
  // An inner tab keeps the letters around it and is drawn as spaces.
  EXPECT_EQ(L.Places[2].Drawn, " a    b");
  // The indented line fits in the bitmap.
  EXPECT_GE(L.Width, L.Places[1].X + M.TextWidth(L.Places[1].Drawn));
}

TEST(CaptionRender, EmptyCaptionIsTenPixelsHigh) {
  TCaption C = OneFontCaption({});
  TBitmap32 Work;
  RenderIt(Work, C, NormalRender);
  EXPECT_EQ(Work.Height(), 10);
  EXPECT_EQ(Work.Width(), Measurer(C)->TextWidth("  "));
  for (int32_t Y = 0; Y < Work.Height(); ++Y)
    for (int32_t X = 0; X < Work.Width(); ++X) ASSERT_EQ(Work.GetPixel(X, Y), C.BackColor);
}

TEST(CaptionRender, MaskAndTransparentBackground) {
  TCaption C = OneFontCaption({{"Ж", TCaptionAlign::Left}});
  C.Size = 40;
  C.TransparentBackground = true;
  TBitmap32 Work, Mask;
  RenderIt(Work, C, NormalRender);
  // A plane of the text colour, opaque.
  for (int32_t Y = 0; Y < Work.Height(); ++Y)
    for (int32_t X = 0; X < Work.Width(); ++X) ASSERT_EQ(Work.GetPixel(X, Y), C.TextColor);
  RenderIt(Mask, C, MaskRender);
  ASSERT_EQ(Mask.Width(), Work.Width());
  ASSERT_EQ(Mask.Height(), Work.Height());
  EXPECT_EQ(Mask.GetPixel(0, 0), 0u);
  int Full = 0;
  for (int32_t Y = 0; Y < Mask.Height(); ++Y)
    for (int32_t X = 0; X < Mask.Width(); ++X) Full += Intensity(Mask.GetPixel(X, Y)) == 255;
  EXPECT_GT(Full, 100);
}

TEST(CaptionRender, HugeCaptionIsRefusedWithAMessage) {
  TCaption C = OneFontCaption({});
  TBitmap32 Work;
  // Too tall: refused before a single line is measured.
  C.Size = 1000;
  C.Lines.assign(200000, {"Я", TCaptionAlign::Left});
  EXPECT_THROW(RenderIt(Work, C, NormalRender), ECaptionError);
  // Too many pixels: large letters on long lines.
  C.Lines.assign(200, {"WW", TCaptionAlign::Left});
  EXPECT_THROW(RenderIt(Work, C, NormalRender), ECaptionError);
  EXPECT_TRUE(Work.IsEmpty());
}

// A caption is refused before rendering when its picture, with the room of its outline, would be
// one the project reader does not take back: a side past 65535 pixels.
TEST(CaptionRender, CaptionsPastASideOfTheReadersLimitAreRefused) {
  TCaption C = OneFontCaption({});
  auto M = Measurer(C);
  const int32_t LineHeight = M->TextHeight("Я");
  const auto Lines = [](int32_t N) {
    return std::vector<TCaptionLine>(size_t(N), {"Я", TCaptionAlign::Left});
  };
  const int32_t Most = (65535 - 10) / LineHeight;
  EXPECT_EQ(LayOutCaption(*M, Lines(Most)).Height, Most * LineHeight + 10);
  EXPECT_THROW(LayOutCaption(*M, Lines(Most + 1)), ECaptionError);
  const int32_t Spare = 65535 - (Most * LineHeight + 10);
  EXPECT_THROW(LayOutCaption(*M, Lines(Most), Spare / 2 + 1), ECaptionError);
  EXPECT_NO_THROW(LayOutCaption(*M, Lines(Most), Spare / 2));
  // Wide: one long line.
  C.Lines = {{std::string(6000, 'W'), TCaptionAlign::Left}};
  TBitmap32 Work;
  EXPECT_THROW(RenderIt(Work, C, NormalRender), ECaptionError);
}

TEST(CaptionRender, TextThatIsNotUtf8IsRefused) {
  TBitmap32 Work;
  for (const std::string& Bad : {std::string("\xff\xd0\x96"), std::string("Ж\xd0")}) {
    TCaption C = OneFontCaption({{"Хорошо", TCaptionAlign::Left}, {Bad, TCaptionAlign::Left}});
    try {
      RenderIt(Work, C, NormalRender);
      ADD_FAILURE() << "rendered";
    } catch (const ECaptionError& E) {
      EXPECT_NE(std::string(E.what()).find("UTF-8"), std::string::npos) << E.what();
    }
    C = OneFontCaption({{"Хорошо", TCaptionAlign::Left}});
    C.FontName = "DejaVu" + Bad;
    EXPECT_THROW(RenderIt(Work, C, MaskRender), ECaptionError);
  }
  EXPECT_TRUE(Work.IsEmpty());
}

TEST(CaptionRender, MasterAlphaFromTransparency) {
  EXPECT_EQ(CaptionMasterAlpha(0), 255u);
  EXPECT_EQ(CaptionMasterAlpha(80), 51u);
  EXPECT_EQ(CaptionMasterAlpha(50), 127u);  // round(127.5) to even
  EXPECT_EQ(CaptionMasterAlpha(-5), 255u);
}

// Fixture: DejaVu Sans 12 pt, two lines (left, centred), dark blue on light yellow, as a binary
// PPM. PELMORA_WRITE_CAPTION_FIXTURE=1 writes it anew into the source tree.
TEST(CaptionRender, MatchesThePixelFixture) {
  const TCaption C =
      OneFontCaption({{"С Новым годом!", TCaptionAlign::Left}, {"Ёж", TCaptionAlign::Centre}});
  TBitmap32 Work;
  RenderIt(Work, C, NormalRender);
  const std::filesystem::path Path =
      std::filesystem::path(PELMORA_TEST_SOURCE_DIR) / "data" / "tools" / "caption_dejavu12.ppm";
  std::string Ppm =
      "P6\n" + std::to_string(Work.Width()) + " " + std::to_string(Work.Height()) + "\n255\n";
  for (int32_t Y = 0; Y < Work.Height(); ++Y)
    for (int32_t X = 0; X < Work.Width(); ++X) {
      const TColor32 P = Work.GetPixel(X, Y);
      Ppm += static_cast<char>(RedOf(P));
      Ppm += static_cast<char>(GreenOf(P));
      Ppm += static_cast<char>(BlueOf(P));
    }
  const char* Write = std::getenv("PELMORA_WRITE_CAPTION_FIXTURE");
  if (Write != nullptr && std::string(Write) == "1") {
    std::filesystem::create_directories(Path.parent_path());
    std::ofstream(Path, std::ios::binary) << Ppm;
    GTEST_SKIP() << "fixture written to " << Path;
  }
  std::ifstream In(Path, std::ios::binary);
  ASSERT_TRUE(In) << Path;
  const std::string Stored((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  ASSERT_EQ(Stored.size(), Ppm.size());
  size_t Differ = 0;
  for (size_t I = 0; I < Ppm.size(); ++I) Differ += Stored[I] != Ppm[I];
  EXPECT_EQ(Differ, 0u);
}

namespace {

struct TCaptionOnCard : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TBitmap32 Work, Mask;
  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(400, 300, 0xFF808080);
  }
  int BitmapLayers() {
    int N = 0;
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      N += dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)) != nullptr;
    return N;
  }
};

}  // namespace

TEST_F(TCaptionOnCard, TransparentCaptionLayer) {
  TCaption C = OneFontCaption({{"Ж", TCaptionAlign::Left}});
  C.Size = 40;
  C.TransparentBackground = true;
  C.Transparency = 80;
  TBitmapLayer* L = PlaceCaption(Doc, C, Work, Mask, Doc.Layers().Count());
  ASSERT_NE(L, nullptr);
  const TBitmap32& B = *L->Bitmap();
  EXPECT_EQ(B.MasterAlpha(), 51u);
  EXPECT_EQ(B.DrawMode(), dmBlend);
  EXPECT_EQ(AlphaOf(B.GetPixel(0, 0)), 0);
  int Opaque = 0;
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      const TColor32 P = B.GetPixel(X, Y);
      ASSERT_EQ(P & 0x00FFFFFF, C.TextColor & 0x00FFFFFF);
      Opaque += AlphaOf(P) == 255;
    }
  EXPECT_GT(Opaque, 100);
  // Centred on the view centre, one card pixel per bitmap pixel.
  const TSingleRect R = L->Location();
  EXPECT_FLOAT_EQ(R.Right - R.Left, float(B.Width()));
  EXPECT_FLOAT_EQ(R.Bottom - R.Top, float(B.Height()));
  EXPECT_EQ(Doc.Selected(), L);
}

TEST_F(TCaptionOnCard, PreviewsLeaveAtMostOneLayer) {
  const TCaption C = OneFontCaption({{"Текст", TCaptionAlign::Left}});
  struct TCase {
    int Previews;
    bool Cancel;
    int Left;
  };
  for (const TCase K : {TCase{3, false, 1}, TCase{1, true, 0}, TCase{0, true, 0}}) {
    SCOPED_TRACE(K.Previews);
    Doc.NewCanvas(400, 300, 0xFF808080);
    TBitmap32 Photo;
    Photo.SetSize(10, 10);
    Photo.Clear(0xFF00FF00);
    Doc.AddPictureLayer(Photo, 255);
    const int Before = BitmapLayers();
    const int32_t Remembered = Doc.Layers().Count();
    for (int I = 0; I < K.Previews; ++I) PlaceCaption(Doc, C, Work, Mask, Remembered);
    if (K.Cancel)
      DropCaptionPreview(Doc, Remembered);
    else
      PlaceCaption(Doc, C, Work, Mask, Remembered);
    EXPECT_EQ(BitmapLayers(), Before + K.Left);
  }
}

// A caption is an ordinary picture layer: it saves into a project and comes back unchanged.
TEST_F(TCaptionOnCard, CaptionLayerSurvivesAProjectRoundTrip) {
  TCaption C =
      OneFontCaption({{"С праздником!", TCaptionAlign::Left}, {"Ура", TCaptionAlign::Right}});
  C.TransparentBackground = true;
  C.Transparency = 20;
  TBitmapLayer* L = PlaceCaption(Doc, C, Work, Mask, Doc.Layers().Count());
  ASSERT_NE(L, nullptr);
  const std::vector<uint8_t> Bytes = BuildProject(Doc);
  const std::unique_ptr<TProjectContent> Back =
      ReadProjectBytes(Bytes.data(), Bytes.size(), "t.kvt");
  ASSERT_EQ(Back->Layers.Count(), 1);
  auto* R = dynamic_cast<TBitmapLayer*>(Back->Layers.Items(0));
  ASSERT_NE(R, nullptr);
  const TBitmap32& A = *L->Bitmap();
  const TBitmap32& B = *R->Bitmap();
  ASSERT_EQ(B.Width(), A.Width());
  ASSERT_EQ(B.Height(), A.Height());
  EXPECT_EQ(B.MasterAlpha(), A.MasterAlpha());
  int Differ = 0;
  for (int32_t Y = 0; Y < A.Height(); ++Y)
    for (int32_t X = 0; X < A.Width(); ++X) Differ += A.GetPixel(X, Y) != B.GetPixel(X, Y);
  EXPECT_EQ(Differ, 0);
}

// A line of a caption at the suggested size is about a tenth of the card height in sight.
TEST(CaptionSize, SuggestedForTheVisibleCard) {
  EXPECT_EQ(SuggestedCaptionSize(1181), 77);  // 10 x 15 cm at 300 dpi, landscape
  EXPECT_EQ(SuggestedCaptionSize(600), 39);
  EXPECT_EQ(SuggestedCaptionSize(20), 8);        // never below 8 points
  EXPECT_EQ(SuggestedCaptionSize(100000), 400);  // nor above the largest listed size
  // A narrow card in sight keeps a short greeting within its width.
  EXPECT_EQ(SuggestedCaptionSize(1772, 1181), 91);  // 10 x 15 cm at 300 dpi, portrait
  EXPECT_EQ(SuggestedCaptionSize(1181, 1772), 77);
}
