#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "layer_collection.h"
#include "rubberband_layer.h"

namespace {

// Stands in for the image control: records cursor changes and answers the crop questions.
struct TFakeOwner : TLayerOwner {
  std::vector<TCursor> Cursors;
  bool ImageControl = true;
  TRect BitmapRect = {0, 0, 100, 100};
  void SetScreenCursor(TCursor C) override { Cursors.push_back(C); }
  TCursor OwnerCursor() const override { return crCross; }
  bool IsImageControl() const override { return ImageControl; }
  TRect OwnerBitmapRect() const override { return BitmapRect; }
};

struct TLayersFixture : ::testing::Test {
  TFakeOwner Owner;
  TLayerCollection Layers{&Owner};
  int Changes = 0, Changings = 0, Overlays = 0;
  std::vector<std::string> Log;

  void SetUp() override {
    Layers.OnChange = [this](TObject*) { ++Changes; };
    Layers.OnChanging = [this](TObject*) { ++Changings; };
    Layers.OnOverlayUpdate = [this](TObject*) { ++Overlays; };
  }

  TPositionedLayer* AddAt(const TSingleRect& R, const std::string& Name) {
    auto* L = Layers.Add<TPositionedLayer>();
    L->SetLocation(R);
    L->OnMouseDown = [this, Name](TObject*, TMouseButton B, TShiftState, int32_t, int32_t) {
      Log.push_back(Name + ".down" + std::to_string(B));
    };
    L->OnMouseMove = [this, Name](TObject*, TShiftState, int32_t, int32_t) {
      Log.push_back(Name + ".move");
    };
    L->OnMouseUp = [this, Name](TObject*, TMouseButton B, TShiftState, int32_t, int32_t) {
      Log.push_back(Name + ".up" + std::to_string(B));
    };
    return L;
  }
};

}  // namespace

TEST_F(TLayersFixture, NewPositionedLayerDefaultsAndInsertion) {
  auto* A = Layers.Add<TPositionedLayer>();
  EXPECT_EQ(Changes, 1);
  auto* B = Layers.Add<TPositionedLayer>();
  EXPECT_EQ(B->Location(), (TSingleRect{0, 0, 64, 64}));
  EXPECT_TRUE(B->Visible());
  EXPECT_TRUE(B->MouseEvents());
  EXPECT_FALSE(B->Scaled());
  EXPECT_EQ(B->Index(), 1);
  EXPECT_EQ(Layers.Items(1), B);
  EXPECT_EQ(A->Index(), 0);
  EXPECT_THROW(Layers.Items(2), EListError);
  EXPECT_THROW(Layers.Items(-1), EListError);
  A->Free();
  EXPECT_EQ(Layers.Count(), 1);
  EXPECT_EQ(B->Index(), 0);
}

TEST_F(TLayersFixture, SetIndexClampsAndInvisibleMovesAreSilent) {
  auto* A = Layers.Add<TPositionedLayer>();
  auto* B = Layers.Add<TPositionedLayer>();
  auto* C = Layers.Add<TPositionedLayer>();
  Changes = 0;
  C->SetIndex(-5);
  EXPECT_EQ(C->Index(), 0);
  EXPECT_EQ(A->Index(), 1);
  EXPECT_EQ(Changes, 1);
  C->SetIndex(1000);
  EXPECT_EQ(C->Index(), 2);
  B->SetVisible(false);
  Changes = 0;
  B->SendToBack();
  EXPECT_EQ(B->Index(), 0);
  EXPECT_EQ(Changes, 0);
  A->BringToFront();
  EXPECT_EQ(A->Index(), 2);
}

TEST_F(TLayersFixture, ChangeNotificationRules) {
  auto* L = Layers.Add<TPositionedLayer>();
  Changes = Changings = 0;
  L->SetLocation({1, 1, 5, 5});
  EXPECT_EQ(Changings, 1);
  EXPECT_EQ(Changes, 1);
  L->SetScaled(false);  // unchanged: nothing
  EXPECT_EQ(Changes, 1);
  Layers.BeginUpdate();
  L->SetLocation({2, 2, 5, 5});  // a visible layer notifies at once, whatever the update count
  EXPECT_EQ(Changes, 2);
  Layers.EndUpdate();
  EXPECT_EQ(Changes, 3);

  L->SetLayerOptions(LayerOverlay);  // invisible overlay
  Changes = 0;
  L->SetLocation({3, 3, 5, 5});
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(Overlays, 2);  // the options change itself and the move
  Layers.BeginUpdate();
  L->SetLocation({4, 4, 5, 5});
  EXPECT_EQ(Overlays, 2);
  Layers.EndUpdate();

  L->SetLayerOptions(LayerVisible | LayerNoUpdate);
  Changes = Changings = 0;
  L->SetLocation({0, 0, 1, 1});
  EXPECT_EQ(Changes + Changings, 0);
}

// An unpaired EndUpdate is refused without touching the count, so later changes still reach
// the listeners and a later pair still notifies once.
TEST_F(TLayersFixture, UnpairedEndUpdateLeavesTheCountAlone) {
  auto* L = Layers.Add<TPositionedLayer>();
  Changes = 0;
  try {
    Layers.EndUpdate();
    FAIL() << "unpaired EndUpdate must raise";
  } catch (const EListError& E) {
    EXPECT_STREQ(E.what(), "Unpaired EndUpdate");
  }
  EXPECT_EQ(Layers.UpdateCount(), 0);
  EXPECT_EQ(Changes, 0);
  L->SetLocation({1, 1, 5, 5});
  EXPECT_EQ(Changes, 1);
  Layers.BeginUpdate();
  Layers.EndUpdate();
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Layers.UpdateCount(), 0);
  EXPECT_THROW(Layers.EndUpdate(), EListError);
  EXPECT_EQ(Layers.UpdateCount(), 0);
}

TEST_F(TLayersFixture, HitTestingFindsTheTopmostEligibleLayer) {
  auto* Low = AddAt({0, 0, 50, 50}, "low");
  auto* High = AddAt({20, 20, 80, 80}, "high");
  EXPECT_EQ(Layers.FindLayerAt(30, 30, LayerMouseEvents), High);
  EXPECT_EQ(Layers.FindLayerAt(10, 10, LayerMouseEvents), Low);
  EXPECT_EQ(Layers.FindLayerAt(50, 10, LayerMouseEvents), nullptr);  // right edge exclusive
  High->SetMouseEvents(false);
  EXPECT_EQ(Layers.FindLayerAt(30, 30, LayerMouseEvents), Low);
  EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 30, 30), Low);
}

TEST_F(TLayersFixture, LeftPressCapturesUntilRelease) {
  auto* A = AddAt({0, 0, 10, 10}, "a");
  AddAt({50, 50, 60, 60}, "b");
  EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 5, 5), A);
  EXPECT_EQ(Layers.MouseListener(), A);
  EXPECT_EQ(A->LayerStates(), LayerStateLeft);
  EXPECT_EQ(Layers.MouseMove(0, 55, 55), A);  // over b, still routed to the listener
  EXPECT_EQ(Layers.MouseUp(mbLeft, 0, 55, 55), A);
  EXPECT_EQ(Layers.MouseListener(), nullptr);
  EXPECT_EQ(A->LayerStates(), 0u);
  EXPECT_EQ(Log, (std::vector<std::string>{"a.down0", "a.move", "a.up0"}));
  EXPECT_EQ(Owner.Cursors.back(), crDefault);
}

TEST_F(TLayersFixture, RightPressWithoutListenerReachesNoLayer) {
  auto* A = AddAt({0, 0, 10, 10}, "a");
  EXPECT_EQ(Layers.MouseDown(mbRight, 0, 5, 5), A);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Layers.MouseListener(), nullptr);
  // A move over no layer shows the owner's cursor.
  EXPECT_EQ(Layers.MouseMove(0, 200, 200), nullptr);
  EXPECT_EQ(Owner.Cursors.back(), crCross);
}

TEST_F(TLayersFixture, NoCaptureLayers) {
  auto* N = AddAt({0, 0, 10, 10}, "n");
  N->SetLayerOptions(N->LayerOptions() | LayerNoCapture);
  auto* Other = AddAt({50, 50, 60, 60}, "o");
  EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 5, 5), N);
  EXPECT_EQ(Layers.MouseListener(), nullptr);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Layers.MouseMove(0, 5, 5), N);
  EXPECT_EQ(Log, (std::vector<std::string>{"n.move"}));

  Layers.MouseDown(mbLeft, 0, 55, 55);
  EXPECT_EQ(Layers.MouseListener(), Other);
  Log.clear();
  EXPECT_EQ(Layers.MouseDown(mbLeft, 0, 5, 5), Other);  // the listener takes the press
  EXPECT_EQ(Log, (std::vector<std::string>{"o.down0"}));
}

TEST_F(TLayersFixture, DestroyingTheListenerReleasesIt) {
  auto* A = AddAt({0, 0, 10, 10}, "a");
  Layers.MouseDown(mbLeft, 0, 5, 5);
  A->Free();
  EXPECT_EQ(Layers.MouseListener(), nullptr);
  EXPECT_EQ(Layers.MouseUp(mbLeft, 0, 5, 5), nullptr);
}

TEST_F(TLayersFixture, ScaledLocationFollowsTheMap) {
  TCoordXForm Map{0x20000, 0x8000, 10, -5};  // x2 horizontally, x0.5 vertically
  Layers.SetCoordXForm(&Map);
  auto* L = Layers.Add<TPositionedLayer>();
  L->SetLocation({1, 10, 3, 20});
  EXPECT_EQ(L->GetAdjustedLocation(), L->Location());
  L->SetScaled(true);
  EXPECT_EQ(L->GetAdjustedLocation(), (TSingleRect{12, 0, 16, 5}));
  EXPECT_TRUE(L->HitTest(12, 0));
  EXPECT_FALSE(L->HitTest(16, 2));
}

TEST_F(TLayersFixture, BitmapLayerAlphaHit) {
  auto* L = Layers.Add<TBitmapLayer>();
  L->Bitmap()->SetSize(2, 2);
  L->Bitmap()->Clear(0xFF00FF00);
  L->Bitmap()->SetPixel(1, 1, 0x0000FF00);
  L->SetLocation({0, 0, 20, 20});
  EXPECT_TRUE(L->HitTest(15, 15));
  L->AlphaHit = true;
  EXPECT_FALSE(L->HitTest(15, 15));  // round(15 * 2 / 20) = 2 is outside: OuterColor 0
  EXPECT_FALSE(L->HitTest(12, 12));  // pixel (1, 1) is transparent
  EXPECT_TRUE(L->HitTest(2, 2));
  L->SetLocation({0, 0, 0.2f, 20});
  EXPECT_FALSE(L->HitTest(0, 2));  // zero width after rounding
}

TEST_F(TLayersFixture, BitmapChangeRepaints) {
  auto* L = Layers.Add<TBitmapLayer>();
  Changes = 0;
  L->Bitmap()->SetSize(3, 3);
  EXPECT_GE(Changes, 1);
  L->SetVisible(false);
  Changes = 0;
  L->Bitmap()->Clear(0);
  EXPECT_EQ(Changes, 0);
}

TEST_F(TLayersFixture, CroppedBitmapLayerPaintsOnlyOverTheCanvas) {
  auto* L = Layers.Add<TBitmapLayer>();
  L->Bitmap()->SetSize(4, 2);
  for (int X = 0; X < 4; ++X) {
    L->Bitmap()->SetPixel(X, 0, 0xFF000000 | X);
    L->Bitmap()->SetPixel(X, 1, 0xFF000000 | X);
  }
  L->SetLocation({-4, 0, 4, 2});  // twice as wide as the bitmap, left half off the canvas
  L->SetCropped(true);
  Owner.BitmapRect = {0, 0, 10, 10};
  TBitmap32 Buffer;
  Buffer.SetSize(10, 4);
  Buffer.Clear(0xFFFFFFFF);
  L->DoPaint(Buffer);
  // The source is cut in proportion: its right half (columns 2, 3) fills (0, 0)-(4, 2).
  const TColor32 Row[6] = {0xFF000002, 0xFF000002, 0xFF000003, 0xFF000003, 0xFFFFFFFF, 0xFFFFFFFF};
  for (int X = 0; X < 6; ++X) EXPECT_EQ(Buffer.GetPixel(X, 0), Row[X]) << X;

  L->SetLocation({-40, 0, -20, 2});  // wholly outside: nothing, no error
  Buffer.Clear(0xFFFFFFFF);
  EXPECT_NO_THROW(L->DoPaint(Buffer));
  EXPECT_EQ(Buffer.GetPixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(TLayersFixture, RubberbandDragStates) {
  auto* RB = Layers.Add<TRubberbandLayer>();
  RB->SetLocation({10, 10, 51, 51});  // last pixel inside is (50, 50)
  struct Case {
    int X, Y;
    TDragState Want;
  };
  const Case Cases[] = {
      {54, 54, DragBottomRight}, {55, 50, DragNone},    {10, 50, DragBottomLeft},
      {50, 10, DragTopRight},    {10, 10, DragTopLeft}, {50, 30, DragRight},
      {30, 50, DragBottom},      {10, 30, DragLeft},    {30, 10, DragTop},
      {20, 40, DragMove},        {5, 30, DragNone},
  };
  for (const Case& C : Cases) EXPECT_EQ(RB->GetDragState(C.X, C.Y), C.Want) << C.X << "," << C.Y;
  EXPECT_EQ(RB->GetDragState(55, 55), DragNone);  // 5 pixels away from the corner

  RB->Handles = rhCenter;
  EXPECT_EQ(RB->GetDragState(50, 30), DragNone);  // the last column is not in the move area
  EXPECT_EQ(RB->GetDragState(49, 30), DragMove);
}

TEST_F(TLayersFixture, RubberbandMoveAndResizeWithLimits) {
  auto* Child = Layers.Add<TBitmapLayer>();
  Child->SetLocation({10, 10, 51, 51});
  auto* RB = Layers.Add<TRubberbandLayer>();
  RB->SetChildLayer(Child);
  EXPECT_EQ(RB->Location(), Child->Location());
  EXPECT_NE(RB->LayerOptions() & LayerNoUpdate, 0u);
  int UserChanges = 0;
  RB->OnUserChange = [&](TObject*) { ++UserChanges; };

  // Move: the frame keeps its size and the child follows.
  Layers.MouseDown(mbLeft, 0, 20, 20);
  EXPECT_TRUE(RB->IsDragging());
  Layers.MouseMove(0, 25, 22);
  EXPECT_EQ(RB->Location(), (TSingleRect{15, 12, 56, 53}));
  EXPECT_EQ(Child->Location(), RB->Location());
  Layers.MouseUp(mbLeft, 0, 25, 22);
  EXPECT_FALSE(RB->IsDragging());
  EXPECT_EQ(UserChanges, 1);

  // The left handle dragged past the right edge stops MinWidth short of it.
  RB->SetLocation({10, 10, 51, 51});
  Layers.MouseDown(mbLeft, 0, 10, 30);
  EXPECT_EQ(RB->DragState(), DragLeft);
  Layers.MouseMove(0, 90, 30);
  EXPECT_EQ(RB->Location(), (TSingleRect{41, 10, 51, 51}));
  Layers.MouseUp(mbLeft, 0, 90, 30);

  // MaxWidth limits a resize when it exceeds MinWidth; 0 means unlimited.
  RB->SetLocation({10, 10, 51, 51});
  RB->MaxWidth = 50;
  Layers.MouseDown(mbLeft, 0, 50, 30);
  Layers.MouseMove(0, 200, 30);
  EXPECT_EQ(RB->Location().Right, 60);
  Layers.MouseUp(mbLeft, 0, 200, 30);
  RB->MaxWidth = 0;
  RB->SetLocation({10, 10, 51, 51});
  Layers.MouseDown(mbLeft, 0, 50, 30);
  Layers.MouseMove(0, 200, 30);
  EXPECT_EQ(RB->Location().Right, 200);
  Layers.MouseUp(mbLeft, 0, 200, 30);

  // A handler that keeps the location suppresses the update.
  RB->SetLocation({10, 10, 51, 51});
  RB->OnResizing = [](TObject*, const TSingleRect& Old, TSingleRect& New, TDragState, TShiftState) {
    New = Old;
  };
  UserChanges = 0;
  Layers.MouseDown(mbLeft, 0, 20, 20);
  Layers.MouseMove(0, 30, 30);
  EXPECT_EQ(RB->Location(), (TSingleRect{10, 10, 51, 51}));
  EXPECT_EQ(UserChanges, 0);
  Layers.MouseUp(mbLeft, 0, 30, 30);
}

TEST_F(TLayersFixture, ScaledRubberbandWorksInLayerCoordinates) {
  TCoordXForm Map{0x20000, 0x20000, 0, 0};  // 200 % zoom
  Layers.SetCoordXForm(&Map);
  auto* RB = Layers.Add<TRubberbandLayer>();
  RB->SetScaled(true);
  RB->SetLocation({10, 10, 30, 30});  // (20, 20)-(60, 60) on screen
  Layers.MouseDown(mbLeft, 0, 30, 30);
  EXPECT_EQ(RB->DragState(), DragMove);
  Layers.MouseMove(0, 40, 30);  // 10 screen pixels = 5 canvas pixels
  EXPECT_EQ(RB->Location(), (TSingleRect{15, 10, 35, 30}));
  Layers.MouseUp(mbLeft, 0, 40, 30);
}

TEST_F(TLayersFixture, RubberbandLosesItsDestroyedChild) {
  auto* Child = Layers.Add<TPositionedLayer>();
  auto* RB = Layers.Add<TRubberbandLayer>();
  RB->SetChildLayer(Child);
  Child->Free();
  EXPECT_EQ(RB->ChildLayer(), nullptr);
  EXPECT_EQ(RB->LayerOptions() & LayerNoUpdate, 0u);
  Changes = 0;
  RB->SetLocation({1, 1, 20, 20});
  EXPECT_EQ(Changes, 1);  // repaints by itself again

  // A destroyed frame leaves no reference in its old child.
  auto* Child2 = Layers.Add<TPositionedLayer>();
  RB->SetChildLayer(Child2);
  RB->Free();
  Child2->Free();  // must not touch the freed frame
  EXPECT_EQ(Layers.Count(), 0);
}

// Every frame around a destroyed layer is told, although each one leaves the layer's list
// while the list is being walked.
TEST_F(TLayersFixture, EveryFrameOfADestroyedLayerIsTold) {
  auto* Child = Layers.Add<TPositionedLayer>();
  TRubberbandLayer* Frames[3];
  for (auto*& F : Frames) {
    F = Layers.Add<TRubberbandLayer>();
    F->SetChildLayer(Child);
  }
  Frames[1]->SetChildLayer(nullptr);  // leaves the middle of the list
  Frames[1]->SetChildLayer(Child);
  Child->Free();
  for (const auto* F : Frames) EXPECT_EQ(F->ChildLayer(), nullptr);
  EXPECT_EQ(Layers.Count(), 3);
}

TEST_F(TLayersFixture, RubberbandPaintsDashesAndHandles) {
  auto* RB = Layers.Add<TRubberbandLayer>();
  RB->SetLocation({10, 10, 30, 30});
  TBitmap32 Buffer;
  Buffer.SetSize(40, 40);
  Buffer.Clear(0xFF808080);
  RB->DoPaint(Buffer);
  // A handle: white square (7,7)-(13,13) framed in black.
  EXPECT_EQ(Buffer.GetPixel(7, 7), clBlack32);
  EXPECT_EQ(Buffer.GetPixel(9, 9), clWhite32);
  EXPECT_EQ(Buffer.GetPixel(12, 12), clBlack32);
  // The dashed top edge between the handles: 2 white, 2 black from the top-left corner.
  const TColor32 Dash[4] = {clWhite32, clWhite32, clBlack32, clBlack32};
  for (int X = 14; X < 17; ++X) EXPECT_EQ(Buffer.GetPixel(X, 10), Dash[(X - 10) % 4]) << X;
}

TEST_F(TLayersFixture, ClearAndAssign) {
  auto* A = Layers.Add<TBitmapLayer>();
  A->Bitmap()->SetSize(2, 2);
  A->Tag = 7;
  A->SetLocation({1, 2, 3, 4});
  Layers.Add<TPositionedLayer>();
  TLayerCollection Copy(nullptr);
  Copy.Assign(Layers);
  ASSERT_EQ(Copy.Count(), 2);
  auto* B = dynamic_cast<TBitmapLayer*>(Copy.Items(0));
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Tag, 7);
  EXPECT_EQ(B->Location(), A->Location());
  EXPECT_EQ(B->Bitmap()->Width(), 2);
  int Destroyed = 0;
  for (int I = 0; I < Layers.Count(); ++I)
    Layers.Items(I)->OnDestroy = [&](TObject*) { ++Destroyed; };
  Changes = 0;
  Layers.Clear();
  EXPECT_EQ(Destroyed, 2);
  EXPECT_EQ(Layers.Count(), 0);
  EXPECT_EQ(Changes, 1);
}

// Every layer made has an identity of its own, a clone too; SetId hands one over.
TEST_F(TLayersFixture, LayersHaveIdentitiesOfTheirOwn) {
  auto* A = Layers.Add<TBitmapLayer>();
  auto* B = Layers.Add<TBitmapLayer>();
  TCustomLayer* C = A->Clone(&Layers);
  EXPECT_NE(A->Id(), 0u);
  EXPECT_NE(A->Id(), B->Id());
  EXPECT_NE(C->Id(), A->Id());
  EXPECT_NE(C->Id(), B->Id());
  const uint64_t Id = A->Id();
  A->Free();
  auto* D = Layers.Add<TBitmapLayer>();
  EXPECT_NE(D->Id(), Id);
  D->SetId(Id);
  EXPECT_EQ(D->Id(), Id);
}
