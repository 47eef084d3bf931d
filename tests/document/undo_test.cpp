#include "undo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "canvas_crop.h"
#include "card_document.h"
#include "image_size.h"
#include "layer_commands.h"
#include "pixel_grid.h"

namespace {

// Stand-ins for pictures: A, B and C tell states apart, X is whatever a command made.
constexpr TColor32 A = 0xFF0000AA, B = 0xFF00BB00, C = 0xFFCC0000, X = 0xFF777777;

// Everything of the card a step can change, to compare states bit for bit.
struct TLayerPrint {
  uint64_t Id;
  int32_t Tag;
  TSingleRect Location;
  uint32_t Options;
  bool Cropped;
  TDrawMode DrawMode;
  uint32_t MasterAlpha;
  TStretchFilter Filter;
  int32_t W, H;
  TPixels Pixels;
  bool operator==(const TLayerPrint&) const = default;
};
struct TCardPrint {
  int32_t W, H;
  TPixels Canvas;
  std::vector<TLayerPrint> Layers;
  bool operator==(const TCardPrint&) const = default;
};

TCardPrint PrintOf(TCardDocument& Doc) {
  TCardPrint P{Doc.Canvas().Width(), Doc.Canvas().Height(), PixelsOf(Doc.Canvas()), {}};
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
    if (auto* L = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I))) {
      const TBitmap32& Bm = *L->Bitmap();
      P.Layers.push_back({L->Id(), L->Tag, L->Location(), L->LayerOptions(), L->Cropped(),
                          Bm.DrawMode(), Bm.MasterAlpha(), Bm.StretchFilter(), Bm.Width(),
                          Bm.Height(), PixelsOf(Bm)});
    }
  return P;
}

struct TUndoFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Commands{Doc, Undo};

  void SetUp() override { View.SetBounds(1000, 700); }

  // A content layer showing a W x H picture at Location.
  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TPixels& P, const TSingleRect& Location) {
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    Fill(*L->Bitmap(), W, H, P);
    Doc.AdoptContentLayer(L);
    L->SetLocation(Location);
    return L;
  }
  TBitmapLayer* Find(uint64_t Id) {
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      if (auto* L = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)); L && L->Id() == Id)
        return L;
    return nullptr;
  }
  // Every copy a step keeps holds exactly the pixels the card had: a bitmap changed without
  // its change notification would be shared with a stale copy and show up here.
  void ExpectStoredCopiesEqualTheCard(const TDocumentState& S) {
    ASSERT_EQ(S.Canvas->Width(), Doc.Canvas().Width());
    EXPECT_EQ(0, std::memcmp(S.Canvas->Bits(), Doc.Canvas().Bits(), PixelBytes(Doc.Canvas())));
    for (const TLayerState& LS : S.Layers) {
      TBitmapLayer* L = Find(LS.Id);
      ASSERT_NE(L, nullptr);
      ASSERT_EQ(LS.Pixels->Width(), L->Bitmap()->Width());
      ASSERT_EQ(LS.Pixels->Height(), L->Bitmap()->Height());
      EXPECT_EQ(0, std::memcmp(LS.Pixels->Bits(), L->Bitmap()->Bits(), PixelBytes(*L->Bitmap())));
    }
  }
};

}  // namespace

// Each kind of change, one after another, comes back many steps deep, and comes again: the card
// is compared bit for bit with what it was before and after every step.
TEST_F(TUndoFixture, EveryKindUndoneAllTheWayAndRedoneAllTheWay) {
  Doc.NewCanvas(60, 40, A);
  TBitmapLayer* P = AddLayer(3, 2, {A, B, C, A, B, C}, {5, 5, 20, 15});
  TBitmapLayer* Q = AddLayer(2, 2, {C, C, B, B}, {30, 10, 40, 20});
  Doc.SetSelection(P);
  struct TChange {
    const char* Name;
    std::function<void()> Run;
  };
  const std::vector<TChange> Changes = {
      {"effect on a layer",
       [&] {
         Doc.SetSelection(P);
         Undo.Record(usEffect);
         P->Bitmap()->Clear(X);
       }},
      {"canvas",
       [&] {
         Undo.Record(usBackground);
         Doc.Canvas().Clear(B);
       }},
      {"move",
       [&] {
         Undo.Record(usMoveLayer);
         Q->SetLocation({31, 12, 41, 22});
       }},
      {"rotation",
       [&] {
         Doc.SetSelection(P);
         Commands.RotateRight();
       }},
      {"flip",
       [&] {
         Doc.SetSelection(Q);
         Commands.FlipTopToBottom();
       }},
      {"duplicate", [&] { Commands.CloneSelected(); }},
      {"reorder", [&] { Commands.Reorder(2); }},
      {"opacity",
       [&] {
         Undo.Record(usOpacity);
         Doc.SetLayerOpacity(100);
       }},
      {"interpolation",
       [&] {
         Undo.Record(usInterpolation);
         Doc.SetImageInterpolate(true);
       }},
      {"image size",
       [&] {
         Undo.Record(usImageSize);
         Doc.Canvas().SetSize(120, 80);
         Doc.Canvas().Clear(C);
         ScaleLayerLocations(Doc.Layers(), 0.5, 0.5);
       }},
      {"canvas crop",
       [&] {
         CropCanvasTo(Doc, [&] { Undo.Record(usCanvasCrop); }, {10, 20, 100, 70});
       }},
      {"delete",
       [&] {
         Doc.SetSelection(P);
         Commands.DeleteSelected();
       }},
      {"flatten",
       [&] {
         Undo.Record(usFlatten);
         Doc.Flatten();
       }},
  };
  std::vector<TCardPrint> Prints = {PrintOf(Doc)};
  for (const TChange& K : Changes) {
    SCOPED_TRACE(K.Name);
    const int32_t Before = Undo.Position();
    K.Run();
    EXPECT_EQ(Undo.Position(), Before + 1);
    ASSERT_NE(PrintOf(Doc), Prints.back());
    Prints.push_back(PrintOf(Doc));
  }
  for (size_t I = Changes.size(); I > 0; --I) {
    SCOPED_TRACE(std::string("undo ") + Changes[I - 1].Name);
    ASSERT_TRUE(Undo.Undo());
    EXPECT_EQ(PrintOf(Doc), Prints[I - 1]);
  }
  EXPECT_FALSE(Undo.CanUndo());
  for (size_t I = 0; I < Changes.size(); ++I) {
    SCOPED_TRACE(std::string("redo ") + Changes[I].Name);
    ASSERT_TRUE(Undo.Redo());
    EXPECT_EQ(PrintOf(Doc), Prints[I + 1]);
  }
  EXPECT_FALSE(Undo.CanRedo());
  // And down again: the states taken while walking are as good as the first ones.
  while (Undo.CanUndo()) Undo.Undo();
  EXPECT_EQ(PrintOf(Doc), Prints.front());
}

TEST_F(TUndoFixture, LayerTakesItsSizeAndDrawPropertiesBack) {
  Doc.NewCanvas(10, 10, A);
  TBitmapLayer* L = AddLayer(2, 1, {A, B}, {0, 0, 2, 1});
  L->Bitmap()->SetMasterAlpha(128);
  Doc.SetSelection(L);
  Undo.Record(usEffect);
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

TEST_F(TUndoFixture, ImageResizeAndCanvasCropPutLocationsBack) {
  Doc.NewCanvas(800, 600, A);
  TBitmapLayer* L = AddLayer(1, 1, {B}, {100, 50, 300, 250});
  Doc.SetSelection(L);
  Undo.Record(usImageSize);
  Doc.Canvas().SetSize(400, 300);
  ScaleLayerLocations(Doc.Layers(), 2, 2);
  CropCanvasTo(Doc, [&] { Undo.Record(usCanvasCrop); }, {40, 30, 300, 200});
  EXPECT_EQ(L->Location(), (TSingleRect{10, -5, 110, 95}));

  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().Width(), 400);
  EXPECT_EQ(L->Location(), (TSingleRect{50, 25, 150, 125}));
  Undo.Undo();
  EXPECT_EQ(Doc.Canvas().Width(), 800);
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 599), A);
  EXPECT_EQ(L->Location(), (TSingleRect{100, 50, 300, 250}));
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location());  // the frame around it
  Undo.Redo();
  Undo.Redo();
  EXPECT_EQ(Doc.Canvas().Width(), 260);
  EXPECT_EQ(L->Location(), (TSingleRect{10, -5, 110, 95}));
  EXPECT_TRUE(L->Cropped());
}

// Rotating a layer and undoing restores its size, pixels, location and selection, with the
// frame around the old shape; the capture of a drag that may be going on is released.
TEST_F(TUndoFixture, RotationRestoresSizePixelsLocationAndSelection) {
  Doc.NewCanvas(100, 100, A);
  TBitmapLayer* L = AddLayer(2, 1, {A, B}, {10, 10, 30, 20});
  TBitmapLayer* Other = AddLayer(1, 1, {C}, {0, 0, 5, 5});
  int Releases = 0;
  Undo.OnReleaseCapture = [&Releases] { ++Releases; };
  Doc.SetSelection(L);
  Commands.RotateRight();
  Doc.SetSelection(Other);

  Undo.Undo();
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{A, B}));
  EXPECT_EQ(L->Bitmap()->Width(), 2);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 30, 20}));
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location());
  EXPECT_EQ(Releases, 1);
  Undo.Redo();
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{A, B}));
  EXPECT_EQ(L->Bitmap()->Height(), 2);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 20, 30}));
}

TEST_F(TUndoFixture, UndoTwiceInARowAndANewChangeDropsTheRedoSteps) {
  Doc.NewCanvas(1, 1, A);
  Undo.Record(usBackground);
  Doc.Canvas().Clear(B);
  EXPECT_TRUE(Undo.Undo());
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_FALSE(Undo.Undo());
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A}));
  EXPECT_TRUE(Undo.CanRedo());

  Undo.Record(usEffect);
  Doc.Canvas().Clear(C);
  EXPECT_FALSE(Undo.CanRedo());
  EXPECT_FALSE(Undo.Redo());
  EXPECT_EQ(Undo.Count(), 1);
  Undo.Undo();
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{A}));
  Undo.Redo();
  EXPECT_EQ(PixelsOf(Doc.Canvas()), (TPixels{C}));
}

// Undoing a change to a layer after another one was deleted and brought back changes the right
// layer: layers are found by identity, not by their place in the stack.
TEST_F(TUndoFixture, LayersAreRestoredByIdentity) {
  Doc.NewCanvas(20, 20, A);
  TBitmapLayer* First = AddLayer(1, 1, {A}, {0, 0, 1, 1});
  AddLayer(1, 1, {B}, {1, 1, 2, 2});
  TBitmapLayer* Third = AddLayer(1, 1, {C}, {2, 2, 3, 3});
  const uint64_t FirstId = First->Id(), ThirdId = Third->Id();
  Doc.SetSelection(Third);
  Undo.Record(usEffect);
  Third->Bitmap()->Clear(X);
  Doc.SetSelection(First);
  Commands.DeleteSelected();
  EXPECT_EQ(Third->Index(), 1);
  Undo.Undo();  // the first layer is back, made anew with its identity
  TBitmapLayer* Back = Find(FirstId);
  ASSERT_NE(Back, nullptr);
  EXPECT_EQ(Back->Index(), 0);
  EXPECT_EQ(PixelsOf(*Back->Bitmap()), (TPixels{A}));
  EXPECT_EQ(Third->Index(), 2);

  Undo.Undo();
  EXPECT_EQ(Find(ThirdId), Third);
  EXPECT_EQ(PixelsOf(*Third->Bitmap()), (TPixels{C}));
  EXPECT_EQ(PixelsOf(*static_cast<TBitmapLayer*>(Doc.Layers().Items(1))->Bitmap()), (TPixels{B}));
}

// A step keeps only what changed: a hundred moves of one layer share every bitmap with the
// steps before them, and each shared copy holds exactly the card's pixels.
TEST_F(TUndoFixture, UnchangedPixelsAreSharedBetweenSteps) {
  Doc.NewCanvas(200, 100, A);
  TBitmapLayer* L = AddLayer(50, 40, TPixels(2000, B), {0, 0, 50, 40});
  AddLayer(30, 30, TPixels(900, C), {60, 0, 90, 30});
  Doc.SetSelection(L);
  Undo.Record(usMoveLayer);
  const uint64_t First = Undo.MemoryUse();
  EXPECT_EQ(First, (200u * 100 + 2000 + 900) * 4);
  for (int I = 1; I <= 100; ++I) {
    Undo.Record(usMoveLayer);
    L->SetLocation({float(I), 0, float(I) + 50, 40});
  }
  EXPECT_EQ(Undo.MemoryUse(), First);
  // A change that puts the same pixels back (a preview undone) shares them after one look.
  L->Bitmap()->Clear(X);
  Fill(*L->Bitmap(), 50, 40, TPixels(2000, B));
  L->Bitmap()->SetMasterAlpha(99);
  Undo.Record(usOpacity);
  EXPECT_EQ(Undo.MemoryUse(), First);
  ExpectStoredCopiesEqualTheCard(Undo.StateBefore(Undo.Position() - 1));
  // A real change costs the changed layer once.
  L->Bitmap()->Clear(X);
  Undo.Record(usEffect);
  EXPECT_EQ(Undo.MemoryUse(), First + 2000 * 4);
  ExpectStoredCopiesEqualTheCard(Undo.StateBefore(Undo.Position() - 1));
}

// Every command of the layer menu ends its pixel work with the change notification, so that
// the copies of its step are taken afresh: the stored state always equals the card.
TEST_F(TUndoFixture, StoredCopiesFollowEveryLayerCommand) {
  Doc.NewCanvas(20, 20, A);
  TBitmapLayer* L = AddLayer(3, 2, {A, B, C, X, A, B}, {0, 0, 3, 2});
  Doc.SetSelection(L);
  const std::vector<std::function<void()>> Commands_ = {[&] { Commands.FlipTopToBottom(); },
                                                        [&] { Commands.FlipLeftToRight(); },
                                                        [&] { Commands.RotateLeft(); },
                                                        [&] { Commands.RemoveMask(); },
                                                        [&] { Commands.ApplyTransparentColor(B); },
                                                        [&] { Commands.LayerRescaleClick(); }};
  for (const auto& Run : Commands_) {
    Run();
    Undo.Record(usEffect);
    ExpectStoredCopiesEqualTheCard(Undo.StateBefore(Undo.Position() - 1));
  }
}

// The oldest steps go when the history outgrows its budget; the newest step stays even when it
// alone is over the budget, and the card itself is never touched.
TEST_F(TUndoFixture, BudgetDropsTheOldestSteps) {
  Doc.NewCanvas(100, 100, A);  // 40 000 bytes
  Undo.SetBudget(200000);
  for (int I = 0; I < 10; ++I) {
    Undo.Record(usBackground);
    Doc.Canvas().Clear(0xFF000000u | uint32_t(I));
  }
  EXPECT_LE(Undo.MemoryUse(), 200000u);
  EXPECT_EQ(Undo.Count(), 5);  // five stored canvases, the newest shared with the card's copy
  while (Undo.Undo()) {
  }
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF000004u);
  while (Undo.Redo()) {
  }
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF000009u);

  Undo.SetBudget(1);
  EXPECT_EQ(Undo.Count(), 1);
  EXPECT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF000008u);
}

// Saving marks the current step; walking back to it clears the modified mark, walking away sets
// it. A new change after undoing past the saved point leaves no way back to it.
TEST_F(TUndoFixture, SavedPointClearsTheModifiedMark) {
  Doc.NewCanvas(1, 1, A);
  Undo.Reset();
  Doc.Modified = false;
  EXPECT_TRUE(Undo.AtSavedPoint());
  Undo.Record(usBackground);
  Doc.Canvas().Clear(B);
  Undo.Record(usBackground);
  Doc.Canvas().Clear(C);
  Undo.MarkSaved();  // saved with C
  Doc.Modified = false;
  Undo.Undo();
  EXPECT_TRUE(Doc.Modified);
  Undo.Undo();
  EXPECT_TRUE(Doc.Modified);
  Undo.Redo();
  Undo.Redo();
  EXPECT_FALSE(Doc.Modified);
  Undo.Undo();
  Undo.Record(usEffect);
  Doc.Canvas().Clear(X);
  for (bool Back : {true, true, false, false}) {
    EXPECT_TRUE(Back ? Undo.Undo() : Undo.Redo());
    EXPECT_TRUE(Doc.Modified);
  }
  Undo.ForgetSavedPoint();
  EXPECT_FALSE(Undo.AtSavedPoint());
}

TEST_F(TUndoFixture, StepsAreNamed) {
  Doc.NewCanvas(1, 1, A);
  EXPECT_EQ(Undo.UndoName(), "");
  Undo.Record(usMask);
  Doc.Canvas().Clear(B);
  Undo.Record(usMoveLayer);
  Doc.Canvas().Clear(C);
  EXPECT_EQ(Undo.UndoName(), "Перемещение слоя");
  Undo.Undo();
  EXPECT_EQ(Undo.UndoName(), "Маска");
  EXPECT_EQ(Undo.RedoName(), "Перемещение слоя");
  for (int S = usEffect; S <= usEditCaption; ++S)
    EXPECT_STRNE(UndoStepName(static_cast<TUndoStep>(S)), "") << S;
}

// A press released where it began, or a dialog closed without a change, leaves no step, nor
// does a step the next one finds unchanged; a command made of others is one step.
TEST_F(TUndoFixture, UnchangedStepsAreDroppedAndGroupsAreOneStep) {
  Doc.NewCanvas(10, 10, A);
  TBitmapLayer* L = AddLayer(1, 1, {B}, {0, 0, 1, 1});
  Doc.SetSelection(L);
  Undo.Record(usMoveLayer);
  Undo.DropIfUnchanged();
  EXPECT_FALSE(Undo.CanUndo());
  Undo.Record(usMoveLayer);
  L->SetLocation({2, 2, 3, 3});
  Undo.DropIfUnchanged();
  EXPECT_EQ(Undo.Count(), 1);
  Undo.Record(usOpacity);
  Undo.Record(usFlip);
  EXPECT_EQ(Undo.Count(), 2);
  EXPECT_EQ(Undo.UndoName(), "Отражение");
  {
    // One step for a command made of others, as the card runner groups it.
    Undo.Record(usDecoration);
    Undo.BeginGroup();
    Commands.CloneSelected();
    Commands.ApplyTransparentColor(B);
    Undo.EndGroup();
  }
  EXPECT_EQ(Undo.Count(), 2);
  EXPECT_EQ(Undo.UndoName(), "Украшение");
  Undo.Undo();
  EXPECT_EQ(Doc.Layers().Count(), 2);  // the layer and the frame
}

// The window refreshes "Отменить" and "Повторить" from the view's change notification; the
// history already shows the new state when it arrives.
TEST_F(TUndoFixture, NotificationsSeeTheNewPosition) {
  Doc.NewCanvas(4, 4, A);
  std::vector<bool> SeenCanUndo;
  Doc.OnViewChange = [&](TObject*) { SeenCanUndo.push_back(Undo.CanUndo()); };
  Undo.Record(usImageSize);
  Doc.Canvas().SetSize(2, 2);
  SeenCanUndo.clear();
  Undo.Undo();
  ASSERT_FALSE(SeenCanUndo.empty());
  for (bool Seen : SeenCanUndo) EXPECT_FALSE(Seen);
  EXPECT_EQ(Doc.Canvas().Width(), 4);
}

TEST_F(TUndoFixture, ResetEmptiesTheHistory) {
  Doc.NewCanvas(1, 1, A);
  Undo.Record(usBackground);
  Undo.Undo();
  Undo.Record(usBackground);
  Undo.Reset();
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_FALSE(Undo.CanRedo());
  EXPECT_EQ(Undo.MemoryUse(), 4u) << "the card's one pixel, copied for the steps to come";
}
