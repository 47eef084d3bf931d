#include "layer_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "card_document.h"
#include "pixel_grid.h"
#include "undo.h"
#include "undo_probe.h"

namespace {

// Single letters for opaque colours, so that small pictures read as grids.
constexpr TColor32 a = 0xFF0000A1, b = 0xFF0000B2, c = 0xFF0000C3;
constexpr TColor32 d = 0xFF0000D4, e = 0xFF0000E5, f = 0xFF0000F6;

struct TCommandsFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  TLayerCommands Cmd{Doc, Undo};

  void SetUp() override {
    View.SetBounds(1000, 700);
    Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  }

  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TPixels& P, const TSingleRect& Location) {
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    Fill(*L->Bitmap(), W, H, P);
    Doc.AdoptContentLayer(L);
    L->SetLocation(Location);
    return L;
  }
  TBitmapLayer* AddLayer(int32_t W, int32_t H, TColor32 C, const TSingleRect& Location) {
    return AddLayer(W, H, TPixels(static_cast<size_t>(W * H), C), Location);
  }
  TPositionedLayer* AddArea(int32_t Tag) {
    TPositionedLayer* L = Doc.CreatePositionedLayer();
    L->Tag = Tag;
    return L;
  }
  TCustomLayer* Item(int32_t I) { return Doc.Layers().Items(I); }
};

}  // namespace

TEST_F(TCommandsFixture, RotateQuarterTurns) {
  // a b c      right:  d a      left:  c f
  // d e f              e b             b e
  //                    f c             a d
  struct Case {
    const char* Name;
    bool Right;
    TPixels Want;
  };
  const Case Cases[] = {{"right", true, {d, a, e, b, f, c}}, {"left", false, {c, f, b, e, a, d}}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TBitmapLayer* L = AddLayer(3, 2, {a, b, c, d, e, f}, {10, 20, 40, 40});
    Doc.SetSelection(L);
    K.Right ? Cmd.RotateRight() : Cmd.RotateLeft();
    EXPECT_EQ(L->Bitmap()->Width(), 2);
    EXPECT_EQ(L->Bitmap()->Height(), 3);
    EXPECT_EQ(PixelsOf(*L->Bitmap()), K.Want);
    EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 30, 50}));
    EXPECT_EQ(Undo.UndoName(), "Поворот");
    EXPECT_EQ(RecordedPixels(Undo, L), (TPixels{a, b, c, d, e, f}));
    EXPECT_EQ(RecordedLayer(Undo, L)->Location, (TSingleRect{10, 20, 40, 40}));
  }
}

TEST_F(TCommandsFixture, RotateRightKeepsTheTopLeftCorner) {
  TPixels P(200 * 100, a);
  P[0] = b;  // the old top-left pixel
  TBitmapLayer* L = AddLayer(200, 100, P, {10, 20, 210, 120});
  AddLayer(1, 1, c, {0, 0, 1, 1});
  Doc.SetSelection(L);
  Cmd.RotateRight();
  EXPECT_EQ(L->Bitmap()->Width(), 100);
  EXPECT_EQ(L->Bitmap()->Height(), 200);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 110, 220}));
  EXPECT_EQ(L->Bitmap()->GetPixel(99, 0), b);  // the new top-right
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), a);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(L->Index(), 0);
  EXPECT_EQ(Doc.RBLayer()->Location(), L->Location());
}

TEST_F(TCommandsFixture, RotateThenUndoKeepsTheSelectionAroundTheOldShape) {
  TBitmapLayer* L = AddLayer(3, 2, {a, b, c, d, e, f}, {10, 20, 40, 40});
  Doc.SetSelection(L);
  Cmd.RotateLeft();
  EXPECT_TRUE(Undo.Undo());
  EXPECT_EQ(L->Bitmap()->Width(), 3);
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{a, b, c, d, e, f}));
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 40, 40}));
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.RBLayer()->ChildLayer(), L);
  EXPECT_EQ(Doc.RBLayer()->Location(), (TSingleRect{10, 20, 40, 40}));
  EXPECT_TRUE(Undo.Redo());
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{c, f, b, e, a, d}));
  EXPECT_EQ(Doc.RBLayer()->Location(), (TSingleRect{10, 20, 30, 50}));
}

TEST_F(TCommandsFixture, Flips) {
  struct Case {
    const char* Name;
    bool TopToBottom;
    int32_t W, H;
    TPixels Before, After;
  };
  const Case Cases[] = {
      {"one row top to bottom is unchanged", true, 3, 1, {a, b, c}, {a, b, c}},
      {"2 x 1 left to right swaps", false, 2, 1, {a, b}, {b, a}},
      {"top to bottom", true, 2, 3, {a, b, c, d, e, f}, {e, f, c, d, a, b}},
      {"left to right", false, 3, 2, {a, b, c, d, e, f}, {c, b, a, f, e, d}},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TBitmapLayer* L = AddLayer(K.W, K.H, K.Before, {0, 0, 10, 10});
    Doc.SetSelection(L);
    K.TopToBottom ? Cmd.FlipTopToBottom() : Cmd.FlipLeftToRight();
    EXPECT_EQ(PixelsOf(*L->Bitmap()), K.After);
    EXPECT_EQ(Undo.UndoName(), "Отражение");
    EXPECT_EQ(RecordedPixels(Undo, L), K.Before);
    EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 10, 10}));
  }
}

TEST_F(TCommandsFixture, Reorder) {
  // (photo, caption, frame) with the caption selected; each case starts from that order.
  TBitmapLayer* Photo = AddLayer(1, 1, a, {0, 0, 1, 1});
  TBitmapLayer* Caption = AddLayer(1, 1, b, {0, 0, 1, 1});
  Doc.SetSelection(Caption);
  EXPECT_FALSE(Cmd.ArrangeMenuEnabled()[3]);
  EXPECT_FALSE(Cmd.ArrangeMenuEnabled()[0]);
  EXPECT_TRUE(Cmd.ArrangeMenuEnabled()[4]);

  struct Case {
    const char* Name;
    int32_t Tag;
    TBitmapLayer* Selected;
    int32_t WantIndex;
  };
  const Case Cases[] = {{"up one level at the top does nothing", 3, Caption, 1},
                        {"to the back", 2, Caption, 0},
                        {"down one level", 4, Caption, 0},
                        {"down one level at the bottom does nothing", 4, Photo, 0},
                        {"to the front stays below the frame", 1, Photo, 1},
                        {"up one level", 3, Photo, 1}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    Photo->SetIndex(0);
    Doc.SetSelection(K.Selected);
    Cmd.Reorder(K.Tag);
    EXPECT_EQ(K.Selected->Index(), K.WantIndex);
    EXPECT_EQ(Item(2), Doc.RBLayer());
  }
  // Each move is a step (the ones that do nothing record none); the first undo puts the photo
  // back below the caption.
  EXPECT_EQ(Undo.UndoName(), "Порядок слоёв");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Photo->Index(), 0);
}

// Deleting, duplicating and reordering a layer are undo steps; the layers come back by identity.
TEST_F(TCommandsFixture, DeleteCloneAndReorderAreUndoSteps) {
  Doc.NewCanvas(100, 100, a);
  Undo.Reset();
  for (int I = 0; I < 3; ++I) AddLayer(1, 1, {b}, {float(I), 0, float(I) + 1, 1});
  TCustomLayer* Doomed = Item(1);
  const uint64_t Id = Doomed->Id();
  Doc.SetSelection(Doomed);
  const int32_t Count = Doc.Layers().Count();
  Cmd.DeleteSelected();
  EXPECT_EQ(Doc.Layers().Count(), Count - 1);
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_EQ(Undo.UndoName(), "Удаление слоя");
  Undo.Undo();
  EXPECT_EQ(Item(1)->Id(), Id);
  EXPECT_EQ(Doc.Selected(), Item(1));
  Cmd.CloneSelected();
  EXPECT_EQ(Undo.UndoName(), "Копия слоя");
  Cmd.Reorder(2);
  EXPECT_EQ(Undo.UndoName(), "Порядок слоёв");
  EXPECT_EQ(Doc.Layers().Count(), Count + 1);
  Undo.Undo();
  Undo.Undo();
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_EQ(Item(1)->Id(), Id);
}

TEST_F(TCommandsFixture, CtrlDragResizesAboutTheCentre) {
  // A 100 x 50 frame centred at (200, 100).
  const TSingleRect Old = {150, 75, 250, 125};
  struct Case {
    const char* Name;
    TDragState Drag;
    TSingleRect New, Want;
  };
  const Case Cases[] = {
      {"right handle by 20", DragRight, {150, 75, 270, 125}, {130, 75, 270, 125}},
      {"left handle by -10", DragLeft, {140, 75, 250, 125}, {140, 75, 260, 125}},
      {"bottom handle by 5", DragBottom, {150, 75, 250, 130}, {150, 70, 250, 130}},
      {"top-right corner", DragTopRight, {150, 65, 260, 125}, {140, 65, 260, 135}},
      {"bottom-left corner", DragBottomLeft, {160, 75, 250, 135}, {160, 65, 240, 135}},
      {"past the centre keeps 2", DragRight, {150, 75, 160, 125}, {198, 75, 202, 125}},
  };
  TBitmapLayer* L = AddLayer(100, 50, a, Old);
  Doc.SetSelection(L);
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TSingleRect New = K.New;
    Doc.Modified = false;
    const std::string Text =
        Cmd.RBResizing(Old, New, K.Drag, ssCtrl | ssLeft, TResizeOptions{.Propos = false});
    EXPECT_EQ(New, K.Want);
    EXPECT_EQ(Text, "");
    EXPECT_TRUE(Doc.Modified);
  }
}

TEST_F(TCommandsFixture, ResizeStopsForMovesAndWithoutShiftState) {
  TBitmapLayer* L = AddLayer(4, 3, a, {0, 0, 400, 300});
  Doc.SetSelection(L);
  const TSingleRect Old = {0, 0, 400, 300};
  for (auto [Drag, Shift] : {std::pair{DragMove, ssLeft | ssCtrl}, std::pair{DragBottom, 0u}}) {
    TSingleRect New = {0, 0, 400, 350};
    Doc.Modified = false;
    Cmd.RBResizing(Old, New, Drag, Shift, TResizeOptions{});
    EXPECT_EQ(New, (TSingleRect{0, 0, 400, 350}));
    EXPECT_FALSE(Doc.Modified);
  }
}

// The height follows the width whichever handle is dragged.
TEST_F(TCommandsFixture, KeptProportionsOfABitmapLayer) {
  TBitmapLayer* L = AddLayer(400, 300, a, {0, 0, 400, 300});
  Doc.SetSelection(L);
  const TSingleRect Old = {0, 0, 400, 300};
  struct Case {
    const char* Name;
    TDragState Drag;
    TSingleRect New;
    float WantBottom;
  };
  const Case Cases[] = {{"bottom handle changes nothing", DragBottom, {0, 0, 400, 350}, 300},
                        {"right handle", DragRight, {0, 0, 480, 300}, 360},
                        {"left handle, rounded", DragLeft, {-1, 0, 400, 300}, 301},
                        {"top handle moves the bottom along", DragTop, {0, 10, 400, 300}, 310}};
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TSingleRect New = K.New;
    Cmd.RBResizing(Old, New, K.Drag, ssLeft, TResizeOptions{});
    EXPECT_FLOAT_EQ(New.Bottom, K.WantBottom);
    EXPECT_FLOAT_EQ(New.Right, K.New.Right);
  }
}

TEST_F(TCommandsFixture, CropAreaProportionsAndStatusText) {
  TPositionedLayer* Crop = AddArea(TagCropArea);
  Crop->SetLocation({10, 10, 330.4f, 250});
  Doc.SetSelection(Crop);
  const TSingleRect Old = Crop->Location();
  struct Case {
    const char* Name;
    int32_t Item;
    bool Portrait;
    float WantBottom;
  };
  const Case Cases[] = {{"free", 0, false, 260},
                        {"square", 1, false, 410},
                        {"golden section", 2, false, 257},         // 400 / 1.618 = 247.2
                        {"golden section upright", 2, true, 657},  // 400 / 0.618047 = 647.2
                        {"16 : 9", 3, false, 235},                 // 400 / 1.778 = 224.97
                        {"10 x 15 upright", 4, true, 610},
                        {"15 x 21", 5, false, 296}};  // 400 / 1.4 = 285.7
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TSingleRect New = {10, 10, 410, 260};
    const std::string Text =
        Cmd.RBResizing(Old, New, DragBottomRight, ssLeft,
                       TResizeOptions{.Propos = true, .CropsP = K.Item, .Obrat = K.Portrait});
    EXPECT_EQ(Text, "320x240");
    EXPECT_FLOAT_EQ(New.Bottom, K.WantBottom);
  }
}

TEST_F(TCommandsFixture, TransparentColour) {
  constexpr TColor32 Key = 0xFF102030;
  struct Case {
    const char* Name;
    TColor32 Key;
    TPixels Before, After;
  };
  const Case Cases[] = {
      {"opaque key pixels vanish, the rest turns opaque",
       Key,
       {Key, 0x80102030, 0x00445566, 0xFF000000},
       {0x00102030, 0xFF102030, 0xFF445566, 0xFF000000}},
      {"a key that is not opaque matches in all 32 bits",
       0x80102030,
       {Key, 0x80102030, 0x00445566, 0xFF000000},
       {0xFF102030, 0x00102030, 0xFF445566, 0xFF000000}},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(K.Name);
    TBitmapLayer* L = AddLayer(2, 2, K.Before, {0, 0, 2, 2});
    Doc.SetSelection(L);
    Cmd.ApplyTransparentColor(K.Key);
    EXPECT_EQ(PixelsOf(*L->Bitmap()), K.After);
    EXPECT_EQ(Undo.UndoName(), "Прозрачный цвет");
    EXPECT_EQ(RecordedPixels(Undo, L), K.Before);
  }
  Undo.Reset();
  TPositionedLayer* Area = AddArea(TagSelectionArea);
  Doc.SetSelection(Area);
  Cmd.ApplyTransparentColor(Key);
  EXPECT_FALSE(Undo.CanUndo());
}

// The pick mode forces alpha 255: a colour found only where alpha is below 255 matches nothing.
TEST_F(TCommandsFixture, PickedColourFromATranslucentPixel) {
  const TPixels Before = {0x80FF0000, 0xFF00FF00, 0x80FF0000, 0x400000FF};
  TBitmapLayer* L = AddLayer(2, 2, Before, {100, 100, 120, 120});  // shown 10 times larger
  Doc.SetSelection(L);
  TColor32 Seen = 0;
  EXPECT_TRUE(Cmd.PickColorAt({101, 102}, Seen));
  EXPECT_EQ(Seen, 0xFFFF0000u);
  EXPECT_TRUE(Cmd.PickTransparentColor({101, 102}));
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF0000FF}));
  Doc.SetSelection(nullptr);
  EXPECT_FALSE(Cmd.PickTransparentColor({101, 102}));
}

TEST_F(TCommandsFixture, PickPixelPosition) {
  struct Case {
    const char* Name;
    TSingleRect Loc;
    int32_t W, H;
    TPoint P, Want;
  };
  const Case Cases[] = {
      {"1:1", {10, 20, 14, 22}, 4, 2, {13, 21}, {3, 1}},
      {"twice as large, halves round to even", {0, 0, 8, 4}, 4, 2, {5, 3}, {2, 2}},
      {"half as large", {0, 0, 2, 1}, 4, 2, {1, 1}, {2, 2}},
      {"left of the layer", {10, 10, 20, 20}, 10, 10, {5, 10}, {-5, 0}},
      {"no width", {10, 10, 10, 20}, 10, 10, {10, 10}, {-1, -1}},
  };
  for (const Case& K : Cases) EXPECT_EQ(PickPixelPos(K.Loc, K.W, K.H, K.P), K.Want) << K.Name;
}

TEST_F(TCommandsFixture, RemoveMask) {
  TBitmapLayer* L = AddLayer(2, 1, {0x00102030, 0x7F405060}, {0, 0, 2, 1});
  Doc.SetSelection(L);
  Cmd.RemoveMask();
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{0xFF102030, 0xFF405060}));
  EXPECT_EQ(Undo.UndoName(), "Снятие маски");
  Undo.Undo();
  EXPECT_EQ(PixelsOf(*L->Bitmap()), (TPixels{0x00102030, 0x7F405060}));
}

TEST_F(TCommandsFixture, CloneABitmapLayer) {
  TBitmapLayer* Src = AddLayer(2, 1, {a, b}, {0, 0, 100, 100});
  Src->Bitmap()->SetMasterAlpha(99);
  AddLayer(1, 1, c, {0, 0, 1, 1});
  Doc.SetSelection(Src);
  Cmd.CloneSelected();
  auto* Copy = dynamic_cast<TBitmapLayer*>(Doc.Selected());
  ASSERT_NE(Copy, nullptr);
  EXPECT_NE(Copy, Src);
  EXPECT_EQ(Copy->Location(), (TSingleRect{30, 30, 130, 130}));
  EXPECT_EQ(PixelsOf(*Copy->Bitmap()), (TPixels{a, b}));
  EXPECT_EQ(Copy->Bitmap()->MasterAlpha(), 99u);
  EXPECT_EQ(Copy->Bitmap()->DrawMode(), dmBlend);
  EXPECT_TRUE(Copy->Scaled());
  const int32_t N = Doc.Layers().Count();
  EXPECT_EQ(Copy->Index(), N - 2);
  EXPECT_EQ(Item(N - 1), Doc.RBLayer());
  EXPECT_EQ(Doc.RBLayer()->Location(), Copy->Location());
  EXPECT_EQ(Undo.UndoName(), "Копия слоя");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Layers().Count(), N - 1);
  EXPECT_EQ(Doc.Selected(), Src);
}

TEST_F(TCommandsFixture, CloneAnAreaLayer) {
  TPositionedLayer* Area = AddArea(TagSelectionArea);
  Area->SetLocation({10, 20, 50, 60});
  Doc.SetSelection(Area);
  Cmd.CloneSelected();
  TCustomLayer* Copy = Doc.Selected();
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(dynamic_cast<TBitmapLayer*>(Copy), nullptr);
  EXPECT_EQ(Copy->Tag, TagAreaCopy);
  EXPECT_EQ(static_cast<TPositionedLayer*>(Copy)->Location(), (TSingleRect{40, 50, 80, 90}));
  EXPECT_EQ(Doc.FindAreaLayer(), Area);  // the copy is no area layer of its own
}

TEST_F(TCommandsFixture, RescaleAndResetScale) {
  TBitmapLayer* L = AddLayer(2, 1, a, {10, 10, 16.4f, 13});
  L->Bitmap()->SetMasterAlpha(200);
  Doc.SetSelection(L);
  Doc.Modified = false;
  Cmd.LayerRescaleClick();
  EXPECT_EQ(L->Bitmap()->Width(), 6);
  EXPECT_EQ(L->Bitmap()->Height(), 3);
  EXPECT_EQ(PixelsOf(*L->Bitmap()), TPixels(18, a));
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 200u);
  EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 16, 13}));
  EXPECT_TRUE(Doc.Modified);

  L->SetLocation({0, 0, 100, 100});
  Doc.SetSelection(nullptr);
  Doc.SetSelection(L);
  Cmd.LayerResetScaleClick();
  EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 6, 3}));
  EXPECT_EQ(Doc.RBLayer()->Location(), (TSingleRect{0, 0, 6, 3}));
}

TEST_F(TCommandsFixture, MenuEnabling) {
  TBitmapLayer* Bottom = AddLayer(1, 1, a, {0, 0, 1, 1});
  TBitmapLayer* Middle = AddLayer(1, 1, b, {0, 0, 1, 1});
  TBitmapLayer* Top = AddLayer(1, 1, c, {0, 0, 1, 1});
  TPositionedLayer* Area = AddArea(TagSelectionArea);
  Doc.SetSelection(Top);  // (Bottom, Middle, Top, Area, frame)
  Area->SetIndex(0);      // (Area, Bottom, Middle, Top, frame)

  using E = TLayerMenuEnabling;
  constexpr bool T = true, F = false;
  struct Case {
    const char* Name;
    TCustomLayer* Selected;
    E Arrange, Popup;
  };
  const Case Cases[] = {
      //                      0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15
      {"nothing",
       nullptr,
       {F, F, T, F, F, T, F, F, F, F, F, F, F, F, F, F},
       {F, F, F, F, F, F, F, F, F, F, F, F, F, F, T, T}},
      {"top layer",
       Top,
       {F, T, T, F, T, T, T, T, T, T, T, T, T, T, T, T},
       {T, T, T, T, T, T, T, T, T, T, T, T, T, T, T, T}},
      {"middle",
       Middle,
       {T, T, T, T, T, T, T, T, T, T, T, T, T, T, T, T},
       {T, T, T, T, T, T, T, T, T, T, T, T, T, T, T, T}},
      {"area",
       Area,
       {F, F, T, F, F, T, F, F, F, F, F, F, F, F, T, T},
       {F, F, F, F, F, F, F, F, F, F, F, F, F, F, T, T}},
  };
  for (const Case& K : Cases) {
    Doc.SetSelection(K.Selected);
    EXPECT_EQ(Cmd.ArrangeMenuEnabled(), K.Arrange) << K.Name;
    EXPECT_EQ(Cmd.LayerPopupEnabled(), K.Popup) << K.Name;
    EXPECT_EQ(Cmd.UsesLayerPopup(), K.Selected != nullptr) << K.Name;
  }
  Bottom->SetIndex(0);
  Doc.SetSelection(Bottom);
  EXPECT_FALSE(Cmd.ArrangeMenuEnabled()[1]);
  EXPECT_FALSE(Cmd.ArrangeMenuEnabled()[4]);
}

TEST_F(TCommandsFixture, PressOnTheView) {
  TBitmapLayer* Photo = AddLayer(1, 1, a, {0, 0, 1, 1});

  // A hit while a photo is selected removes the area and keeps the selection.
  AddArea(TagCropArea);
  Doc.SetSelection(Photo);
  Cmd.ViewMouseDown(Photo);
  EXPECT_EQ(Doc.FindAreaLayer(), nullptr);
  EXPECT_EQ(Doc.Selected(), Photo);

  // A hit while the area itself is selected leaves everything alone.
  TPositionedLayer* Area = AddArea(TagSelectionArea);
  Doc.SetSelection(Area);
  Cmd.ViewMouseDown(Area);
  EXPECT_EQ(Doc.FindAreaLayer(), Area);
  EXPECT_EQ(Doc.Selected(), Area);

  // A miss clears the selection and removes the area.
  Cmd.ViewMouseDown(nullptr);
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_EQ(Doc.FindAreaLayer(), nullptr);
  EXPECT_EQ(Doc.Layers().Items(0), Photo);
}
