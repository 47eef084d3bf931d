#include "undo.h"

#include <gtest/gtest.h>

#include <vector>

#include "card_document.h"
#include "pixel_grid.h"

namespace {

// Stand-ins for pictures: A, B and C tell states apart, X is whatever a command made.
constexpr TColor32 A = 0xFF0000AA, B = 0xFF00BB00, C = 0xFFCC0000, X = 0xFF777777;

struct TUndoFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};

  void SetUp() override { View.SetBounds(1000, 700); }

  // A content layer showing a W x H picture at Location.
  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TPixels& P, const TSingleRect& Location) {
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    Fill(*L->Bitmap(), W, H, P);
    Doc.AdoptContentLayer(L);
    L->SetLocation(Location);
    return L;
  }
  TBitmapLayer* Layer(int32_t I) { return static_cast<TBitmapLayer*>(Doc.Layers().Items(I)); }
};

}  // namespace

TEST_F(TUndoFixture, EffectOnTheCanvasComesBackAfterLayersWereAdded) {
  Doc.NewCanvas(2, 1, 0);
  Fill(Doc.Canvas(), 2, 1, {A, A});
  Undo.RecordLayerStep();
  EXPECT_EQ(Undo.UndoRecord().Kind, ukEffect);
  EXPECT_EQ(Undo.UndoRecord().Target, CanvasTarget);
  Fill(Doc.Canvas(), 2, 1, {B, X});
  TBitmapLayer* L = AddLayer(1, 1, {C}, {0, 0, 1, 1});
  Doc.SetSelection(L);

  EXPECT_TRUE(Undo.Undo());
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A, A}));
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{C}));
  EXPECT_EQ(Undo.RedoRecord().Kind, ukEffect);
  EXPECT_EQ(Undo.RedoRecord().Target, CanvasTarget);
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_TRUE(Undo.CanRedo());

  EXPECT_TRUE(Undo.Redo());
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{B, X}));
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{C}));
  EXPECT_TRUE(Undo.CanUndo());
  EXPECT_FALSE(Undo.CanRedo());
}

TEST_F(TUndoFixture, EffectOnALayerTakesItsSizeAndDrawPropertiesBack) {
  Doc.NewCanvas(10, 10, A);
  AddLayer(1, 1, {A}, {0, 0, 1, 1});
  TBitmapLayer* L = AddLayer(2, 1, {A, B}, {0, 0, 2, 1});
  L->Bitmap()->SetMasterAlpha(128);
  Doc.SetSelection(L);
  Undo.RecordLayerStep();
  EXPECT_EQ(Undo.UndoRecord().Target, 1);
  Fill(*L->Bitmap(), 1, 2, {X, X});
  L->Bitmap()->SetMasterAlpha(50);

  Undo.Undo();
  EXPECT_EQ(L->Bitmap()->Width(), 2);
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{A, B}));
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 128u);
  EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(PixelsOf(Doc.Canvas()), TPixels(100, A));

  Undo.Redo();
  EXPECT_EQ(L->Bitmap()->Height(), 2);
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{X, X}));
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 50u);
}

// Putting a record back moves buffers: the live bitmap takes the record's pixels and the other
// record takes the live ones, and the emptied record holds nothing.
TEST_F(TUndoFixture, PuttingBackExchangesBuffersWithoutCopies) {
  Doc.NewCanvas(10, 10, A);
  TBitmapLayer* L = AddLayer(3, 1, {A, B, C}, {0, 0, 3, 1});
  Doc.SetSelection(L);
  Undo.RecordLayerStep();
  Fill(*L->Bitmap(), 3, 1, {X, X, X});
  const TColor32* Stored = Undo.UndoRecord().Bitmap.Bits();
  const TColor32* Current = L->Bitmap()->Bits();

  Undo.Undo();
  EXPECT_EQ(L->Bitmap()->Bits(), Stored);
  EXPECT_EQ(Undo.RedoRecord().Bitmap.Bits(), Current);
  EXPECT_TRUE(Undo.UndoRecord().Bitmap.IsEmpty());

  Undo.Redo();
  EXPECT_EQ(L->Bitmap()->Bits(), Current);
  EXPECT_EQ(Undo.UndoRecord().Bitmap.Bits(), Stored);
  EXPECT_TRUE(Undo.RedoRecord().Bitmap.IsEmpty());
}

TEST_F(TUndoFixture, CanvasStepUndoAndRedo) {
  Doc.NewCanvas(2, 2, 0);
  Fill(Doc.Canvas(), 2, 2, {A, B, C, A});
  Undo.RecordCanvasStep();
  EXPECT_EQ(Undo.UndoRecord().Kind, ukHolst);
  Doc.Canvas().SetSize(3, 1);
  Doc.Canvas().Clear(X);
  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().Width(), 2);
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A, B, C, A}));
  EXPECT_EQ(Undo.RedoRecord().Kind, ukHolst);
  Undo.Redo();
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{X, X, X}));
}

TEST_F(TUndoFixture, UndoTwiceInARow) {
  Doc.NewCanvas(1, 1, A);
  Undo.RecordCanvasStep();
  Doc.Canvas().Clear(B);
  EXPECT_TRUE(Undo.Undo());
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_FALSE(Undo.Undo());
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A}));
  EXPECT_TRUE(Undo.CanRedo());
}

// The redo record survives a new recording and puts back the state the undo replaced, over the
// newer change; the undo after it brings the newer change back.
TEST_F(TUndoFixture, RedoAfterANewEffect) {
  Doc.NewCanvas(1, 1, A);
  Undo.RecordLayerStep();
  Doc.Canvas().Clear(B);
  Undo.Undo();
  Undo.RecordLayerStep();
  Doc.Canvas().Clear(C);
  EXPECT_TRUE(Undo.CanUndo());
  EXPECT_TRUE(Undo.CanRedo());

  Undo.Redo();
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{B}));
  Undo.Undo();
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{C}));
}

TEST_F(TUndoFixture, ImageResizeScalesLocationsBackAndForth) {
  Doc.NewCanvas(800, 600, A);
  TBitmapLayer* L = AddLayer(1, 1, {B}, {100, 50, 300, 250});
  Undo.RecordSizeStep();
  EXPECT_EQ(Undo.UndoRecord().Kind, ukSize);
  Doc.Canvas().SetSize(400, 300);
  Doc.Canvas().Clear(X);
  Doc.SetSelection(L);

  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().Width(), 800);
  EXPECT_EQ(Doc.Canvas().Height(), 600);
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 599), A);
  EXPECT_EQ(L->Location(), (TSingleRect{200, 100, 600, 500}));
  EXPECT_EQ(Doc.RBLayer()->Location(), (TSingleRect{200, 100, 600, 500}));  // the frame too
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{B}));

  Undo.Redo();
  EXPECT_EQ(Doc.Canvas().Width(), 400);
  EXPECT_EQ(Doc.Canvas().GetPixel(399, 299), X);
  EXPECT_EQ(L->Location(), (TSingleRect{100, 50, 300, 250}));
  EXPECT_EQ(Doc.RBLayer()->Location(), (TSingleRect{100, 50, 300, 250}));
}

// Undoing an enlargement divides by 2: halves round to the even neighbour.
TEST_F(TUndoFixture, ImageResizeRoundsEachCoordinate) {
  Doc.NewCanvas(400, 300, A);
  TBitmapLayer* L = AddLayer(1, 1, {B}, {101, 51, 203.4f, 157});
  Undo.RecordSizeStep();
  Doc.Canvas().SetSize(800, 600);
  Undo.Undo();
  EXPECT_EQ(L->Location(), (TSingleRect{50, 26, 102, 78}));
}

TEST_F(TUndoFixture, CanvasCropMovesLayersBackByTheOffset) {
  Doc.NewCanvas(300, 200, A);
  TBitmapLayer* L = AddLayer(1, 1, {B}, {40, 30, 140, 130});
  Doc.SetSelection(L);
  Undo.RecordCropStep();
  Undo.SetCropOffset(40, 30);
  // What the crop does: a smaller canvas, the layers moved by the opposite of the offset.
  Doc.Canvas().SetSize(100, 100);
  Doc.Canvas().Clear(X);
  L->SetLocation({0, 0, 100, 100});
  const TSingleRect Frame = Doc.RBLayer()->Location();

  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().Width(), 300);
  EXPECT_EQ(Doc.Canvas().GetPixel(299, 199), A);
  EXPECT_EQ(L->Location(), (TSingleRect{40, 30, 140, 130}));
  EXPECT_EQ(Doc.RBLayer()->Location(), Frame);  // the top entry stays where it was
  EXPECT_EQ(Undo.RedoRecord().Dx, 40);
  EXPECT_EQ(Undo.RedoRecord().Dy, 30);

  Undo.Redo();
  EXPECT_EQ(Doc.Canvas().Width(), 100);
  EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 100, 100}));
  EXPECT_EQ(Undo.UndoRecord().Kind, ukCrop);
  EXPECT_EQ(Undo.UndoRecord().Dx, 40);
}

TEST_F(TUndoFixture, GeometryStepRestoresBitmapAndLocation) {
  Doc.NewCanvas(100, 100, A);
  TBitmapLayer* L = AddLayer(2, 1, {A, B}, {10, 10, 30, 20});
  TBitmapLayer* Other = AddLayer(1, 1, {C}, {0, 0, 5, 5});
  int Releases = 0;
  Undo.OnReleaseCapture = [&Releases] { ++Releases; };

  struct Case {
    const char* Name;
    bool KeepSelected;
  };
  const Case Cases[] = {{"layer stays selected", true}, {"another layer selected", false}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    Releases = 0;
    Doc.SetSelection(L);
    ASSERT_TRUE(Undo.RecordGeometryStep());
    EXPECT_EQ(Undo.UndoRecord().Location, (TSingleRect{10, 10, 30, 20}));
    Fill(*L->Bitmap(), 1, 2, {X, X});
    L->SetLocation({10, 10, 20, 30});
    if (!K.KeepSelected)
      Doc.SetSelection(Other);

    Undo.Undo();
    EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{A, B}));
    EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 30, 20}));
    EXPECT_EQ(Undo.RedoRecord().Location, (TSingleRect{10, 10, 20, 30}));
    EXPECT_EQ(Doc.Selected(), K.KeepSelected ? L : Other);
    EXPECT_EQ(Doc.RBLayer()->Location(), K.KeepSelected ? L->Location() : Other->Location());
    EXPECT_EQ(Releases, K.KeepSelected ? 1 : 0);

    Undo.Redo();
    EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{X, X}));
    EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 20, 30}));
    Undo.Undo();  // back to the starting shape for the next case
  }
}

TEST_F(TUndoFixture, GeometryStepNeedsABitmapLayer) {
  Doc.NewCanvas(100, 100, A);
  EXPECT_FALSE(Undo.RecordGeometryStep());
  TPositionedLayer* Area = Doc.CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Doc.SetSelection(Area);
  EXPECT_FALSE(Undo.RecordGeometryStep());
  EXPECT_FALSE(Undo.CanUndo());
  // An effect with an area selected works on the canvas.
  Undo.RecordLayerStep();
  EXPECT_EQ(Undo.UndoRecord().Target, CanvasTarget);
}

// A record whose position no longer holds a bitmap layer is emptied and changes nothing.
TEST_F(TUndoFixture, TargetGoneLeavesTheDocumentAlone) {
  enum TChange { Cleared, AreaInItsPlace };
  struct Case {
    const char* Name;
    TUndoKind Kind;
    TChange Change;
  };
  const Case Cases[] = {{"effect, stack cleared", ukEffect, Cleared},
                        {"effect, area layer at the index", ukEffect, AreaInItsPlace},
                        {"geom, stack cleared", ukGeom, Cleared},
                        {"geom, area layer at the index", ukGeom, AreaInItsPlace}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    Doc.NewCanvas(2, 1, A);
    Undo.Reset();
    TBitmapLayer* L = AddLayer(1, 1, {B}, {0, 0, 1, 1});
    Doc.SetSelection(L);
    if (K.Kind == ukEffect)
      Undo.RecordLayerStep();
    else
      Undo.RecordGeometryStep();
    if (K.Change == Cleared) {
      Doc.ClearLayers();
    } else {
      Doc.SetSelection(nullptr);
      L->Free();
      Doc.CreatePositionedLayer()->SetIndex(0);  // (area, frame)
    }
    const int32_t Count = Doc.Layers().Count();

    EXPECT_FALSE(Undo.Undo());
    EXPECT_FALSE(Undo.CanUndo());
    EXPECT_FALSE(Undo.CanRedo());
    EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A, A}));
    EXPECT_EQ(Doc.Layers().Count(), Count);
  }
}

TEST_F(TUndoFixture, DeletedLayerAdjustsTargets) {
  Doc.NewCanvas(10, 10, A);
  for (int I = 0; I < 5; ++I) AddLayer(1, 1, {B}, {0, 0, 1, 1});
  struct Case {
    const char* Name;
    int32_t Target;
    bool Kept;
    int32_t Want;
  };
  const Case Cases[] = {{"above moves down", 3, true, 2},
                        {"canvas stays", CanvasTarget, true, CanvasTarget},
                        {"the deleted layer empties the record", 1, false, 0},
                        {"below stays", 0, true, 0}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    Undo.Reset();
    // The undo record aims at K.Target, and the redo record too (through an undo).
    Doc.SetSelection(K.Target == CanvasTarget ? nullptr : Layer(K.Target));
    Undo.RecordLayerStep();
    Undo.Undo();
    Undo.RecordLayerStep();
    Undo.LayerDeleted(1);
    for (const TUndoRecord* Rec : {&Undo.UndoRecord(), &Undo.RedoRecord()}) {
      EXPECT_EQ(Rec->Kind != ukNone, K.Kept);
      if (K.Kept) {
        EXPECT_EQ(Rec->Target, K.Want);
      }
    }
  }
}

TEST_F(TUndoFixture, CanvasKindsIgnoreDeletedLayers) {
  Doc.NewCanvas(10, 10, A);
  AddLayer(1, 1, {B}, {0, 0, 1, 1});
  for (auto Record :
       {&TUndoStack::RecordSizeStep, &TUndoStack::RecordCanvasStep, &TUndoStack::RecordCropStep}) {
    (Undo.*Record)();
    Undo.LayerDeleted(0);
    EXPECT_NE(Undo.UndoRecord().Kind, ukNone) << UndoKindName(Undo.UndoRecord().Kind);
  }
}

// The window refreshes "Отменить" and "Повторить" from the view's change notification; the
// records already show the new state when it arrives.
TEST_F(TUndoFixture, NotificationsSeeTheNewRecords) {
  Doc.NewCanvas(4, 4, A);
  std::vector<bool> SeenCanUndo;
  Doc.OnViewChange = [&](TObject*) { SeenCanUndo.push_back(Undo.CanUndo()); };
  Undo.RecordSizeStep();
  Doc.Canvas().SetSize(2, 2);
  SeenCanUndo.clear();
  Undo.Undo();
  ASSERT_FALSE(SeenCanUndo.empty());
  for (bool Seen : SeenCanUndo) EXPECT_FALSE(Seen);
  EXPECT_EQ(Doc.Canvas().Width(), 4);
}

TEST_F(TUndoFixture, ResetEmptiesBothRecords) {
  Doc.NewCanvas(1, 1, A);
  Undo.RecordCanvasStep();
  Undo.Undo();
  Undo.RecordCanvasStep();
  Undo.Reset();
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_FALSE(Undo.CanRedo());
  EXPECT_TRUE(Undo.UndoRecord().Bitmap.IsEmpty());
  EXPECT_TRUE(Undo.RedoRecord().Bitmap.IsEmpty());
}
