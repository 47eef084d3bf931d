// A ready card as the background: at its own size or stretched to the card's, one canvas undo
// step, and a card that cannot be read changing nothing.
#include "ready_card.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "card_document.h"
#include "picture_codecs.h"
#include "undo.h"
#include "undo_probe.h"

namespace fs = std::filesystem;

namespace {

constexpr TColor32 Red = 0xFFFF0000, Blue = 0xFF0000FF, Paper = 0xFFFFFFF0;

struct TReadyCardFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  // The start of the step, as the card runner records it.
  const TChangeStart Recorded = [this] { Undo.Record(usReadyCard); };
  fs::path Dir;

  void SetUp() override {
    View.SetBounds(800, 600);
    Dir = fs::temp_directory_path() /
          ("pelmora-ready-card-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    RegisterPictureCodecs();
  }
  void TearDown() override {
    std::error_code Ec;
    fs::remove_all(Dir, Ec);
  }
  // A W x H card, red on the left half and blue on the right, saved as Name.
  std::string Card(const std::string& Name, int32_t W, int32_t H) {
    TBitmap32 B;
    B.SetSize(W, H);
    for (int32_t Y = 0; Y < H; ++Y)
      for (int32_t X = 0; X < W; ++X) B.SetPixel(X, Y, X < W / 2 ? Red : Blue);
    const std::string Path = (Dir / Name).string();
    SavePictureByExtension(B, Path);
    return Path;
  }
  // The canvas with one photo layer over it.
  TBitmapLayer* Start(int32_t W, int32_t H) {
    Doc.NewCanvas(W, H, Paper);
    TBitmap32 Photo;
    Photo.SetSize(4, 4);
    return Doc.AddPictureLayer(Photo, 255);
  }
};

}  // namespace

TEST_F(TReadyCardFixture, CardTakesOverTheCanvasAtItsOwnSize) {
  TBitmapLayer* Photo = Start(40, 30);
  const TSingleRect Where = Photo->Location();
  PutReadyCard(Doc, Recorded, Card("card.png", 16, 24), false);
  EXPECT_EQ(Doc.Canvas().Width(), 16);
  EXPECT_EQ(Doc.Canvas().Height(), 24);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), Red);
  EXPECT_EQ(Doc.Canvas().GetPixel(15, 23), Blue);
  // The layers stay where they were, the photo still selected.
  EXPECT_EQ(Doc.Layers().Count(), 2);
  EXPECT_EQ(Doc.Selected(), Photo);
  EXPECT_EQ(Photo->Location().Left, Where.Left);
  EXPECT_TRUE(Doc.Modified);
  // One canvas step brings the old canvas back, size and all.
  EXPECT_EQ(Undo.UndoName(), "Готовая открытка");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().Width(), 40);
  EXPECT_EQ(Doc.Canvas().Height(), 30);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), Paper);
}

TEST_F(TReadyCardFixture, FittedCardIsStretchedOverTheCanvas) {
  Start(40, 30);
  for (const auto& [Name, W, H] : {std::tuple{"small.bmp", 8, 6}, std::tuple{"tall.png", 10, 200},
                                   std::tuple{"wide.jpg", 300, 20}}) {
    SCOPED_TRACE(Name);
    PutReadyCard(Doc, Recorded, Card(Name, W, H), true);
    const TBitmap32& C = Doc.Canvas();
    ASSERT_EQ(C.Width(), 40);
    ASSERT_EQ(C.Height(), 30);
    // The halves of the card cover the halves of the canvas; JPEG blurs the edge a little.
    const auto Near = [](TColor32 A, TColor32 B) {
      for (int Shift : {0, 8, 16, 24})
        if (std::abs(int((A >> Shift) & 0xFF) - int((B >> Shift) & 0xFF)) > 12)
          return false;
      return true;
    };
    for (int32_t Y : {0, 15, 29}) {
      EXPECT_PRED2(Near, C.GetPixel(1, Y), Red) << Y;
      EXPECT_PRED2(Near, C.GetPixel(38, Y), Blue) << Y;
    }
  }
}

TEST_F(TReadyCardFixture, EmptyCanvasTakesTheCardsSizeEvenWhenFitting) {
  PutReadyCard(Doc, Recorded, Card("card.png", 12, 10), true);
  EXPECT_EQ(Doc.Canvas().Width(), 12);
  EXPECT_EQ(Doc.Canvas().Height(), 10);
}

TEST_F(TReadyCardFixture, CardThatCannotBeReadChangesNothing) {
  Start(40, 30);
  Doc.Canvas().FillRectS({0, 0, 40, 30}, Blue);
  Undo.Record(usBackground);  // an earlier step that must survive
  Doc.Canvas().FillRectS({0, 0, 40, 30}, Red);
  {
    std::FILE* F = std::fopen((Dir / "broken.png").c_str(), "wb");
    std::fputs("not a picture", F);
    std::fclose(F);
  }
  struct Case {
    std::string File;
    const char* Message;
  };
  const Case Cases[] = {
      {"", "Открытка не выбрана."},
      {(Dir / "missing.png").string(), "Не удалось открыть файл"},
      {(Dir / "broken.png").string(), "Не удалось открыть файл"},
  };
  for (const Case& C : Cases) {
    for (const bool Fit : {false, true}) {
      try {
        PutReadyCard(Doc, Recorded, C.File, Fit);
        ADD_FAILURE() << "no error for \"" << C.File << "\"";
      } catch (const std::exception& E) {
        EXPECT_NE(std::string(E.what()).find(C.Message), std::string::npos) << E.what();
      }
      EXPECT_EQ(Doc.Canvas().Width(), 40);
      EXPECT_EQ(Doc.Canvas().GetPixel(5, 5), Red);
      EXPECT_EQ(Undo.UndoName(), "Фон");
      EXPECT_EQ(Undo.Count(), 1);
      EXPECT_EQ(RecordedCanvas(Undo).GetPixel(5, 5), Blue);
    }
  }
}

TEST(ReadyCardNote, SaysWhatChoosingACardDoesToTheSize) {
  struct TCase {
    int32_t CardW, CardH, ProjectW, ProjectH;
    bool Fit;
    const char* Want;
  };
  const TCase Cases[] = {
      {1200, 900, 1748, 2480, false,
       "Открытка 1200 × 900 точек: проект примет её размер вместо 1748 × 2480 точек."},
      {1200, 900, 1748, 2480, true,
       "Открытка 1200 × 900 точек будет растянута до размера проекта: 1748 × 2480 точек."},
      {0, 0, 640, 480, false, "Проект примет размер выбранной открытки вместо 640 × 480 точек."},
      {0, 0, 640, 480, true, "Открытка будет растянута до размера проекта: 640 × 480 точек."},
      {640, 480, 640, 480, false, "Открытка 640 × 480 точек — того же размера, что и проект."},
      {120, 90, 0, 0, true, "Проект примет размер открытки: 120 × 90 точек."},
      {0, 0, 0, 0, false, "Проект примет размер выбранной открытки."},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(ReadyCardSizeNote(C.CardW, C.CardH, C.ProjectW, C.ProjectH, C.Fit), C.Want);
}
