#include "clipboard_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "canvas_crop.h"
#include "layer_commands.h"

namespace {

// A clipboard in memory: what was put on it, and how often.
struct TMemoryClipboard : TPictureClipboard {
  std::unique_ptr<TBitmap32> Held;
  int Writes = 0;

  bool HasPicture() override { return Held != nullptr; }
  bool GetPicture(TBitmap32& Out) override {
    if (Held == nullptr)
      return false;
    Out.Assign(Held.get());
    return true;
  }
  void SetPicture(const TBitmap32& Picture) override {
    Held = std::make_unique<TBitmap32>();
    Held->Assign(&Picture);
    ++Writes;
  }
  void Hold(int W, int H, TColor32 C) {
    Held = std::make_unique<TBitmap32>();
    Held->SetSize(W, H);
    Held->Clear(C);
  }
};

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

bool AllPixels(const TBitmap32& B, TColor32 C) {
  for (int32_t I = 0; I < B.Width() * B.Height(); ++I)
    if (B.Bits()[I] != C)
      return false;
  return true;
}

struct TClipboardFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TMemoryClipboard Board;
  TClipboardCommands Commands{Doc, Undo, Board};

  void SetUp() override { View.SetBounds(1000, 700); }

  // An 800 x 600 card with a gradient, so that misplaced pixels show.
  void MakeCard(int W = 800, int H = 600) {
    Doc.NewCanvas(W, H, 0xFFFFFFFF);
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X)
        Doc.Canvas().SetPixel(X, Y, 0xFF000000 | uint32_t(X % 256) << 16 | uint32_t(Y % 256) << 8);
  }
  TBitmapLayer* AddPhoto(int W, int H, TColor32 C) {
    TBitmap32 P;
    P.SetSize(W, H);
    P.Clear(C);
    return Doc.AddPictureLayer(P, 255);
  }
  TPositionedLayer* Area() const { return dynamic_cast<TPositionedLayer*>(Doc.Selected()); }
};

}  // namespace

TEST_F(TClipboardFixture, SelectAllThenCutTakesTheWholeCardAndUndoBringsItBack) {
  MakeCard();
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());
  Commands.SelectAll();
  ASSERT_EQ(Doc.Layers().Count(), 2) << "area and frame";
  EXPECT_EQ(Area()->Tag, TagSelectionArea);
  EXPECT_TRUE(Commands.CanCut());
  EXPECT_EQ(Commands.Cut(), "");
  ASSERT_NE(Board.Held, nullptr);
  EXPECT_TRUE(SamePixels(*Board.Held, Before)) << "the card itself, without the area's grey";
  EXPECT_TRUE(AllPixels(Doc.Canvas(), 0x00FFFFFF)) << "transparent white left behind";
  EXPECT_EQ(Doc.FindAreaLayer(), nullptr) << "the cut ends the selection area";
  EXPECT_EQ(Doc.AreaOpacity, 255u);
  EXPECT_EQ(Undo.UndoName(), "Вырезание");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
}

TEST_F(TClipboardFixture, CutOfAnAreaTakesOnlyItsRectangle) {
  MakeCard(100, 80);
  TPositionedLayer* A = Commands.Select();
  A->SetLocation({10, 20, 40, 30});
  Commands.Cut();
  ASSERT_NE(Board.Held, nullptr);
  EXPECT_EQ(Board.Held->Width(), 30);
  EXPECT_EQ(Board.Held->Height(), 10);
  EXPECT_EQ(Board.Held->GetPixel(0, 0), 0xFF0A1400u);
  EXPECT_EQ(Doc.Canvas().GetPixel(10, 20), 0x00FFFFFFu);
  EXPECT_EQ(Doc.Canvas().GetPixel(39, 29), 0x00FFFFFFu);
  EXPECT_EQ(Doc.Canvas().GetPixel(40, 29), 0xFF281D00u) << "right edge exclusive";
  EXPECT_EQ(Doc.Canvas().GetPixel(9, 20), 0xFF091400u);

  // An area half off the canvas takes the part on the canvas.
  A = Commands.Select();
  A->SetLocation({-10, 70, 5, 95});
  Commands.Cut();
  EXPECT_EQ(Board.Held->Width(), 5);
  EXPECT_EQ(Board.Held->Height(), 10);
}

TEST_F(TClipboardFixture, CutOfAnAreaAmongPhotosOnlyExplains) {
  MakeCard(100, 80);
  AddPhoto(10, 10, 0xFF00FF00);
  Commands.Select();
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());
  const int32_t Count = Doc.Layers().Count();
  EXPECT_EQ(Commands.Cut(), CutNeedsFlatCardMessage);
  EXPECT_EQ(Board.Writes, 0);
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(TClipboardFixture, CutOfAPhotoTakesItsOwnBitmapInAnUndoStep) {
  MakeCard(100, 80);
  TBitmapLayer* L = AddPhoto(30, 20, 0x8000FF00);
  L->SetLocation({0, 0, 90, 60});  // shown larger than its pixels
  const uint64_t Id = L->Id();
  EXPECT_EQ(Commands.Cut(), "");
  ASSERT_NE(Board.Held, nullptr);
  EXPECT_EQ(Board.Held->Width(), 30);
  EXPECT_TRUE(AllPixels(*Board.Held, 0x8000FF00)) << "the layer's pixels, alpha kept";
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_EQ(Doc.Layers().Count(), 1) << "only the frame is left";
  EXPECT_EQ(Undo.UndoName(), "Вырезание");
  ASSERT_TRUE(Undo.Undo());
  ASSERT_NE(Doc.SelectedBitmapLayer(), nullptr);
  EXPECT_EQ(Doc.SelectedBitmapLayer()->Id(), Id) << "the same layer back, selected";
  EXPECT_EQ(Doc.SelectedBitmapLayer()->Location(), (TSingleRect{0, 0, 90, 60}));
  ASSERT_TRUE(Undo.Redo());
  EXPECT_FALSE(Commands.CanCut());
}

TEST_F(TClipboardFixture, CopyTakesTheFlatCardWithoutTheGrey) {
  MakeCard(60, 40);
  TBitmapLayer* L = AddPhoto(10, 10, 0xFF0000FF);
  L->SetLocation({0, 0, 10, 10});
  Commands.SelectAll();
  Commands.Copy();
  ASSERT_NE(Board.Held, nullptr);
  EXPECT_EQ(Board.Held->GetPixel(5, 5), 0xFF0000FFu);
  EXPECT_EQ(Board.Held->GetPixel(30, 20), Doc.Canvas().GetPixel(30, 20));
  EXPECT_NE(Doc.FindAreaLayer(), nullptr) << "copying leaves the area";
}

TEST_F(TClipboardFixture, PasteAndPasteAsNewTakeTheClipboardPicture) {
  MakeCard();
  EXPECT_FALSE(Commands.CanPaste());
  EXPECT_EQ(Commands.Paste(), NoPictureMessage);
  EXPECT_EQ(Doc.Layers().Count(), 0);

  Board.Hold(640, 480, 0xFF123456);
  EXPECT_TRUE(Commands.CanPaste());
  EXPECT_EQ(Commands.Paste(), "");
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Bitmap()->Width(), 640);
  EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
  EXPECT_TRUE(L->Scaled());
  const TPoint P = Doc.ViewCentre();
  EXPECT_EQ(L->Location().Left, P.X - 320.0f);
  EXPECT_EQ(L->Location().Bottom, P.Y + 240.0f);

  EXPECT_EQ(Undo.UndoName(), "Вставка");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.SelectedBitmapLayer(), nullptr);
  ASSERT_TRUE(Undo.Redo());
  TBitmap32 Picture;
  ASSERT_TRUE(Commands.ReadPasteAsNew(Picture));
  Commands.PasteAsNewCanvas(Picture);
  EXPECT_EQ(Doc.Canvas().Width(), 640);
  EXPECT_EQ(Doc.Canvas().Height(), 480);
  EXPECT_TRUE(AllPixels(Doc.Canvas(), 0xFF123456));
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_EQ(Doc.RBLayer(), nullptr);
  EXPECT_TRUE(Undo.CanUndo()) << "the window empties the history, not the command";
}

TEST_F(TClipboardFixture, PasteAsNewWorksWithoutACard) {
  EXPECT_FALSE(Commands.CanPasteAsNew());
  Board.Hold(3, 2, 0xFF00FF00);
  EXPECT_TRUE(Commands.CanPasteAsNew());
  EXPECT_FALSE(Commands.CanPaste()) << "no card to paste onto";
  TBitmap32 Picture;
  ASSERT_TRUE(Commands.ReadPasteAsNew(Picture));
  Commands.PasteAsNewCanvas(Picture);
  EXPECT_EQ(Doc.Canvas().Width(), 3);
}

TEST_F(TClipboardFixture, OneAreaAtATime) {
  MakeCard(200, 100);
  ASSERT_NE(StartCanvasCrop(Doc), nullptr);
  EXPECT_EQ(StartCanvasCrop(Doc), nullptr) << "a crop already going on";
  Commands.Select();
  int Areas = 0;
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I) Areas += IsAreaLayer(Doc.Layers().Items(I));
  EXPECT_EQ(Areas, 1);
  EXPECT_EQ(Doc.FindAreaLayer()->Tag, TagSelectionArea);
  const TSingleRect R = Doc.FindAreaLayer()->Location();
  EXPECT_EQ(R.Right - R.Left, 64.0f);
  EXPECT_EQ(Doc.RBLayer()->Index(), Doc.Layers().Count() - 1);
}

TEST_F(TClipboardFixture, CropProportionsShapeTheArea) {
  MakeCard();
  TPositionedLayer* A = StartCanvasCrop(Doc);
  ASSERT_NE(A, nullptr);
  // The card less a tenth at each side, whatever proportion is chosen.
  EXPECT_EQ(A->Location(), (TSingleRect{80, 60, 720, 540}));
  EXPECT_EQ(Doc.RBLayer()->Location(), A->Location()) << "the frame is around it";
  A->SetLocation({100, 100, 400, 300});
  ApplyCropProportion(Doc, 4, false);  // "Фото 10 x 15"
  EXPECT_EQ(A->Location().Bottom, 300.0f);
  ApplyCropProportion(Doc, 4, true);
  EXPECT_EQ(A->Location().Bottom, 550.0f) << "300 wide turns from 200 high to 450 high";
  EXPECT_EQ(Doc.RBLayer()->Location().Bottom, 550.0f) << "the frame follows";
  ApplyCropProportion(Doc, 0, false);
  EXPECT_EQ(A->Location().Bottom, 550.0f) << "\"Свободные\" leaves the area";

  // Any resize with "Квадрат" keeps the height equal to the width.
  TLayerCommands Layers(Doc, Undo);
  TResizeOptions Square;
  Square.CropsP = 1;
  for (const TDragState Drag : {DragRight, DragBottom, DragTopLeft}) {
    TSingleRect New = {100, 100, 350, 420};
    Layers.RBResizing(A->Location(), New, Drag, ssLeft, Square);
    EXPECT_EQ(New.Bottom - New.Top, New.Right - New.Left) << int(Drag);
  }
}

TEST_F(TClipboardFixture, CanvasCropMovesTheLayersAndUndoesInOneStep) {
  MakeCard();
  TBitmapLayer* L = AddPhoto(100, 100, 0xFF00FF00);
  L->SetLocation({100, 150, 200, 250});
  TBitmap32 Before;
  Before.Assign(&Doc.Canvas());
  TPositionedLayer* A = StartCanvasCrop(Doc);
  A->SetLocation({-20, 100, 500, 700});
  CropCanvas(Doc, [this] { Undo.Record(usCanvasCrop); });
  EXPECT_EQ(Doc.Canvas().Width(), 500);
  EXPECT_EQ(Doc.Canvas().Height(), 500);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), Before.GetPixel(0, 100));
  EXPECT_EQ(Doc.Canvas().GetPixel(499, 499), Before.GetPixel(499, 599));
  EXPECT_EQ(L->Location(), (TSingleRect{100, 50, 200, 150}));
  EXPECT_TRUE(L->Cropped());
  EXPECT_EQ(Doc.FindAreaLayer(), nullptr);
  EXPECT_EQ(Undo.UndoName(), "Обрезка холста");

  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Before));
  EXPECT_EQ(L->Location(), (TSingleRect{100, 150, 200, 250}));
  EXPECT_FALSE(Undo.CanUndo());
  ASSERT_TRUE(Undo.Redo());
  EXPECT_EQ(Doc.Canvas().Width(), 500);
  EXPECT_EQ(L->Location(), (TSingleRect{100, 50, 200, 150}));
}

TEST_F(TClipboardFixture, CropAreaOffTheCanvasChangesNothing) {
  MakeCard(200, 100);
  const struct {
    const char* Name;
    TSingleRect Area;
  } Cases[] = {
      {"right of the canvas", {250, 10, 300, 60}},
      {"above the canvas", {10, -80, 60, -10}},
      {"touching the edge only", {200, 0, 260, 50}},
  };
  for (const auto& C : Cases) {
    TPositionedLayer* A = StartCanvasCrop(Doc);
    ASSERT_NE(A, nullptr) << C.Name;
    A->SetLocation(C.Area);
    EXPECT_THROW(CropCanvas(Doc, [this] { Undo.Record(usCanvasCrop); }), Exception) << C.Name;
    EXPECT_EQ(Doc.Canvas().Width(), 200) << C.Name;
    EXPECT_FALSE(Undo.CanUndo()) << C.Name;
    EXPECT_NE(Doc.FindAreaLayer(), nullptr) << C.Name << ": the area stays to be moved";
    Doc.RemoveAreaLayer();
  }
}
