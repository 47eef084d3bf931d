// Layer masks: the mask fitted to the layer and turned into its alpha, the dialog's previews,
// "OK" and "Cancel".
#include "layer_mask.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "card_document.h"
#include "color32.h"
#include "img_view32.h"
#include "mask_session.h"
#include "picture_codecs.h"
#include "undo.h"

namespace fs = std::filesystem;

namespace {

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

void FillNoise(TBitmap32& B, uint32_t Seed) {
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      B.SetPixel(X, Y, Seed);
    }
}

struct TFilled : TBitmap32 {
  TFilled(int32_t W, int32_t H, TColor32 C) {
    SetSize(W, H);
    Clear(C);
  }
};

struct TMaskFixture : ::testing::Test {
  fs::path Dir;
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  // The start of the step, as the card runner records it.
  const TChangeStart Start = [this] { Undo.Record(usMask); };
  TMaskSession Session{Doc};

  void SetUp() override {
    RegisterPictureCodecs();
    Dir = fs::temp_directory_path() /
          ("pelmora_masks_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    View.SetBounds(400, 300);
    Doc.NewCanvas(300, 200, 0xFFFFFFFF);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Save(const std::string& Name, const TBitmap32& B) {
    const std::string P = (Dir / Name).string();
    B.SaveToFile(P);
    return P;
  }
  TBitmapLayer* AddLayer(int32_t W, int32_t H) {
    TBitmap32 B;
    B.SetSize(W, H);
    FillNoise(B, 99);
    TBitmapLayer* L = Doc.AddPictureLayer(B, 255);
    Doc.SetSelection(L);
    return L;
  }
};

}  // namespace

TEST_F(TMaskFixture, PlainMasksSetTheAlphaAndKeepTheColours) {
  struct TCase {
    const char* Name;
    TColor32 Mask;
    bool Invert;
    uint32_t Alpha;
  };
  const TCase Cases[] = {
      {"white: opaque everywhere, also where it was transparent", 0xFFFFFFFF, false, 255},
      {"black: transparent", 0xFF000000, false, 0},
      {"black inverted: opaque", 0xFF000000, true, 255},
      {"mid grey", 0xFF808080, false, 128},
      {"mid grey inverted (127 each)", 0xFF808080, true, 127},
      {"pure red: 61 x 255 >> 8", 0xFFFF0000, false, 60},
      {"a mask's own alpha does not count", 0x00FFFFFF, false, 255},
  };
  for (const TCase& C : Cases) {
    TBitmap32 Layer;
    Layer.SetSize(7, 5);
    FillNoise(Layer, 5);
    TBitmap32 Before;
    Before.Assign(&Layer);
    const std::string File = Save("plain.bmp", TFilled(3, 2, C.Mask));
    TBitmap32 M;
    LoadMask(File, C.Invert, M);
    ApplyMaskAlpha(Layer, M);
    for (int32_t I = 0; I < 35; ++I) {
      ASSERT_EQ(Layer.Bits()[I] >> 24, C.Alpha) << C.Name;
      ASSERT_EQ(Layer.Bits()[I] & 0xFFFFFF, Before.Bits()[I] & 0xFFFFFF) << C.Name;
    }
  }
}

TEST_F(TMaskFixture, TheMaskIsStretchedOverTheLayerWithNearestPixels) {
  struct TCase {
    int32_t Mw, Mh, Lw, Lh;
  };
  // 100 x 50 onto 400 x 400 as the dialog's example; reductions, odd sizes, equal sizes.
  const TCase Cases[] = {{100, 50, 400, 400}, {7, 3, 5, 11},  {64, 64, 64, 64},
                         {1, 1, 9, 4},        {33, 17, 8, 8}, {5, 9, 1, 1}};
  for (const TCase& C : Cases) {
    TBitmap32 M;
    M.SetSize(C.Mw, C.Mh);
    FillNoise(M, uint32_t(C.Mw * 31 + C.Lw));
    M.MakeOpaque();
    TBitmap32 Layer;
    Layer.SetSize(C.Lw, C.Lh);
    FillNoise(Layer, 8);
    // As described: W of the layer's size, the mask drawn stretched over it (opaque, nearest),
    // each alpha the Intensity of W.
    TBitmap32 W;
    W.SetSize(C.Lw, C.Lh);
    M.DrawOnto(W, W.BoundsRect());
    TBitmap32 Want;
    Want.Assign(&Layer);
    for (int32_t I = 0; I < C.Lw * C.Lh; ++I)
      Want.Bits()[I] = (Want.Bits()[I] & 0xFFFFFF) | (TColor32(Intensity(W.Bits()[I])) << 24);
    ApplyMaskAlpha(Layer, M);
    EXPECT_TRUE(SamePixels(Layer, Want)) << C.Mw << "x" << C.Mh << " onto " << C.Lw << "x" << C.Lh;
  }
}

TEST_F(TMaskFixture, PreviewsSetTheAlphaAndOkAppliesOnceWithOneUndoStep) {
  TBitmapLayer* L = AddLayer(40, 30);
  TBitmap32 Half;
  Half.SetSize(4, 4);
  FillNoise(Half, 1);
  const std::string File = Save("half.bmp", Half);
  TBitmap32 Old;
  Old.Assign(L->Bitmap());

  Session.Begin();
  Session.Preview(File, false);
  TBitmap32 Once;
  Once.Assign(L->Bitmap());
  Session.Preview(File, false);
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Once)) << "a second preview sets, not multiplies";
  Session.Preview(File, true);
  Session.Ok(File, false, Start);
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Once)) << "OK applies the mask once to the saved layer";
  EXPECT_EQ(Undo.UndoName(), "Маска");
  EXPECT_EQ(Undo.Count(), 1);
  EXPECT_FALSE(Session.Active());

  ASSERT_TRUE(Undo.Undo());
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  ASSERT_TRUE(Undo.Redo());
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Once));
}

TEST_F(TMaskFixture, CancelGivesTheLayerBackAndOkWithoutAMaskOnlyRecords) {
  TBitmapLayer* L = AddLayer(20, 20);
  const std::string File = Save("black.bmp", TFilled(2, 2, 0xFF000000));
  TBitmap32 Old;
  Old.Assign(L->Bitmap());
  Session.Begin();
  Session.Preview(File, false);
  Session.Cancel();
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_FALSE(Undo.CanUndo());

  Session.Begin();
  Session.Preview(File, false);
  Session.Ok("", false, Start);  // an empty "Masks" folder: nothing selected
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_TRUE(Undo.CanUndo());
}

TEST_F(TMaskFixture, AMaskThatCannotBeReadLeavesTheLayerAsItWas) {
  TBitmapLayer* L = AddLayer(20, 20);
  const std::string Missing = (Dir / "none.png").string();
  TBitmap32 Old;
  Old.Assign(L->Bitmap());
  Session.Begin();
  EXPECT_ANY_THROW(Session.Preview(Missing, false));
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_ANY_THROW(Session.Ok(Missing, false, Start));
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Old));
  EXPECT_FALSE(Undo.CanUndo()) << "nothing recorded for a mask that was never read";
}

TEST_F(TMaskFixture, WithoutALayerTheMaskChangesNothing) {
  const std::string File = Save("black.bmp", TFilled(2, 2, 0xFF000000));
  TBitmap32 Old;
  Old.Assign(&Doc.Canvas());
  AppplyMask(Doc, File, false);
  EXPECT_TRUE(SamePixels(Doc.Canvas(), Old));
}
