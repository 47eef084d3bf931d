#include "card_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "blend.h"
#include "color32.h"
#include "geometry.h"

namespace {

// A view of a fixed size without a window, and the document on it.
struct TDocumentFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  std::filesystem::path Dir;

  void SetUp() override {
    View.SetBounds(1000, 700);
    Dir = std::filesystem::temp_directory_path() /
          ("pelmora_doc_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  std::string WritePicture(const std::string& Name, int W, int H, TColor32 C) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(C);
    const std::string Path = (Dir / Name).string();
    B.SaveToFile(Path);
    return Path;
  }
};

}  // namespace

TEST_F(TDocumentFixture, NewCanvas) {
  EXPECT_TRUE(Doc.IsEmpty());
  Doc.Layers().Add<TPositionedLayer>();
  View.SetScale(3);
  Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  EXPECT_EQ(Doc.Canvas().Width(), 800);
  EXPECT_EQ(Doc.Canvas().GetPixel(799, 599), 0xFFFFFFFFu);
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_FLOAT_EQ(View.Scale(), 1);
  EXPECT_TRUE(Doc.Modified);
}

TEST_F(TDocumentFixture, PhotoPlacement) {
  // A new photo fits inside 80 % of the card's width and height, keeps its proportions, is
  // never enlarged, and sits in the middle of the card wherever the view is scrolled.
  Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  View.SetScale(2);
  View.Scroll(300, 200);
  struct Case {
    int W, H;
    float WantW, WantH;
  };
  const Case Cases[] = {{600, 2000, 144, 480},  {2000, 500, 640, 160}, {100, 50, 100, 50},
                        {3000, 3000, 480, 480}, {640, 480, 640, 480},  {1000, 10, 640, 6}};
  for (const Case& C : Cases) {
    TBitmapLayer* L = Doc.AddPhoto(WritePicture("p.bmp", C.W, C.H, 0x80102030));
    const TSingleRect R = L->Location();
    EXPECT_FLOAT_EQ(R.Right - R.Left, C.WantW) << C.W << "x" << C.H;
    EXPECT_FLOAT_EQ(R.Bottom - R.Top, C.WantH);
    EXPECT_FLOAT_EQ((R.Left + R.Right) / 2, 400.0f);
    EXPECT_FLOAT_EQ((R.Top + R.Bottom) / 2, 300.0f);
    EXPECT_TRUE(L->Scaled());
    EXPECT_EQ(L->Bitmap()->DrawMode(), dmBlend);
    EXPECT_EQ(L->Bitmap()->StretchFilter(), sfLinear);
    EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0xFF102030u);  // made opaque
    EXPECT_EQ(Doc.Selected(), L);
  }
}

TEST_F(TDocumentFixture, FailedPhotoLeavesTheCardAsItWas) {
  Doc.NewCanvas(100, 100, 0xFFFFFFFF);
  TPositionedLayer* Area = Doc.CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Doc.SetSelection(Area);
  const int Count = Doc.Layers().Count();
  EXPECT_ANY_THROW(Doc.AddPhoto((Dir / "missing.bmp").string()));
  std::ofstream((Dir / "bad.bmp").string()) << "BM garbage";
  EXPECT_ANY_THROW(Doc.AddPhoto((Dir / "bad.bmp").string()));
  EXPECT_EQ(Doc.Layers().Count(), Count);
  EXPECT_EQ(Doc.Selected(), Area);
}

TEST_F(TDocumentFixture, SelectionFrameStaysOnTop) {
  Doc.NewCanvas(400, 300, 0xFFFFFFFF);
  TBitmapLayer* A = Doc.AddPhoto(WritePicture("a.bmp", 50, 50, 0xFFFF0000));
  TBitmapLayer* B = Doc.AddPhoto(WritePicture("b.bmp", 50, 50, 0xFF00FF00));
  const int Top = Doc.Layers().Count() - 1;
  EXPECT_EQ(Doc.Layers().Items(Top), Doc.RBLayer());
  EXPECT_EQ(Doc.RBLayer()->ChildLayer(), B);
  Doc.SetSelection(A);
  EXPECT_EQ(Doc.Layers().Items(Top), Doc.RBLayer());
  EXPECT_EQ(Doc.RBLayer()->ChildLayer(), A);
  EXPECT_EQ(Doc.RBLayer()->LayerOptions(), LayerVisible | LayerMouseEvents | LayerNoUpdate);
  EXPECT_FLOAT_EQ(Doc.RBLayer()->MinWidth, 1.0f);
  Doc.SetSelection(nullptr);
  EXPECT_EQ(Doc.RBLayer()->ChildLayer(), nullptr);
  EXPECT_EQ(Doc.RBLayer()->LayerOptions(), LayerNoUpdate);

  // A click on a layer selects it through its mouse handler. The view's map of the new card is
  // brought up to date first, as the window's first paint does.
  Doc.ViewCentre();
  A->SetLocation({0, 0, 50, 50});
  Doc.SetSelection(B);
  const TRect R = RectFromSingle(A->GetAdjustedLocation());
  View.MouseDown(mbLeft, 0, R.Left + 10, R.Top + 10);
  View.MouseUp(mbLeft, 0, R.Left + 10, R.Top + 10);
  EXPECT_EQ(Doc.Selected(), A);
}

TEST_F(TDocumentFixture, OneAreaLayerAtATime) {
  Doc.NewCanvas(400, 300, 0xFFFFFFFF);
  TPositionedLayer* Crop = Doc.CreatePositionedLayer();
  Crop->Tag = TagCropArea;
  Doc.SetSelection(Crop);
  Doc.RemoveAreaLayer();
  EXPECT_EQ(Doc.FindAreaLayer(), nullptr);
  EXPECT_EQ(Doc.Selected(), nullptr);
  TPositionedLayer* Copy = Doc.CreatePositionedLayer();
  Copy->Tag = TagAreaCopy;
  Doc.RemoveAreaLayer();  // an area copy is not an area layer
  EXPECT_EQ(Copy->Index(), Doc.Layers().IndexOf(Copy));
  EXPECT_GE(Copy->Index(), 0);
}

TEST_F(TDocumentFixture, FlatImageIsCanvasPlusVisibleLayersAtOneToOne) {
  Doc.NewCanvas(60, 40, 0xFF0000FF);
  TBitmap32 Red;
  Red.SetSize(10, 10);
  Red.Clear(0xFFFF0000);
  TBitmapLayer* A = Doc.AddPictureLayer(Red, 255);
  A->SetLocation({5, 5, 15, 15});
  TBitmapLayer* Hidden = Doc.AddPictureLayer(Red, 255);
  Hidden->SetLocation({30, 5, 40, 15});
  Hidden->SetVisible(false);
  for (float Zoom : {1.0f, 0.37f, 3.0f}) {
    View.SetScale(Zoom);
    std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
    ASSERT_EQ(Flat->Width(), 60);
    EXPECT_EQ(Flat->GetPixel(5, 5), 0xFFFF0000u) << Zoom;
    EXPECT_EQ(Flat->GetPixel(14, 14), 0xFFFF0000u) << Zoom;
    EXPECT_EQ(Flat->GetPixel(15, 15), 0xFF0000FFu) << Zoom;
    EXPECT_EQ(Flat->GetPixel(35, 10), 0xFF0000FFu) << Zoom;
  }
}

// A writer reads the canvas itself where the flat image would be its copy, and otherwise the
// rendered flat image; either way it gets the pixels RenderFlatImage gives.
TEST_F(TDocumentFixture, FlatImageIsTheCanvasOnlyWhereItWouldBeItsCopy) {
  struct TCase {
    const char* Name;
    std::function<void(TCardDocument&)> Change;
    bool IsCanvas;
  };
  TBitmap32 Red;
  Red.SetSize(10, 10);
  Red.Clear(0xFFFF0000);
  const TCase Cases[] = {
      {"plain", [](TCardDocument&) {}, true},
      {"the editor's background stage",
       [](TCardDocument& D) {
         D.View().PaintStages().Items(0).Stage = PST_CUSTOM;
         D.View().OnPaintStage = [&D](TObject*, TBitmap32* B, uint32_t) {
           if (B == &D.View().Buffer())
             B->Clear(0xFF808080);
         };
       },
       true},
      {"a blended canvas", [](TCardDocument& D) { D.Canvas().SetDrawMode(dmBlend); }, false},
      {"a smoothed canvas", [](TCardDocument& D) { D.Canvas().SetStretchFilter(sfLinear); }, false},
      {"a layer", [&Red](TCardDocument& D) { D.AddPictureLayer(Red, 255); }, false},
      {"a frame stage", [](TCardDocument& D) { D.View().PaintStages().Items(1).RTVisible = true; },
       false},
  };
  for (const TCase& C : Cases) {
    TImgView32 V;
    V.SetBounds(300, 200);
    TCardDocument D(V);
    D.NewCanvas(60, 40, 0xFF0000FF);
    for (int X = 0; X < 60; ++X) D.Canvas().SetPixel(X, 7, uint32_t(X * 4) << 24 | 0x00336699);
    C.Change(D);
    const std::unique_ptr<TBitmap32> Rendered = D.RenderFlatImage();
    std::unique_ptr<TBitmap32> Holder;
    const TBitmap32& Flat = D.FlatImage(Holder);
    EXPECT_EQ(&Flat == &D.Canvas(), C.IsCanvas) << C.Name;
    EXPECT_EQ(Holder == nullptr, C.IsCanvas) << C.Name;
    EXPECT_EQ(Flat.SaveToBytes(), Rendered->SaveToBytes()) << C.Name;
  }
}

TEST_F(TDocumentFixture, FlattenKeepsPixelSizeAndLosesHiddenLayers) {
  Doc.NewCanvas(60, 40, 0xFF0000FF);
  TBitmap32 Red;
  Red.SetSize(10, 10);
  Red.Clear(0xFFFF0000);
  Doc.AddPictureLayer(Red, 255)->SetLocation({5, 5, 15, 15});
  TBitmapLayer* Hidden = Doc.AddPictureLayer(Red, 255);
  Hidden->SetLocation({30, 5, 40, 15});
  Hidden->SetVisible(false);
  View.SetScale(3);
  Doc.Flatten();
  EXPECT_EQ(Doc.Canvas().Width(), 60);
  EXPECT_EQ(Doc.Canvas().Height(), 40);
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_EQ(Doc.RBLayer(), nullptr);
  EXPECT_EQ(Doc.Canvas().GetPixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(Doc.Canvas().GetPixel(35, 10), 0xFF0000FFu);
}

TEST_F(TDocumentFixture, AreaPainterGreysWhatLiesUnder) {
  Doc.NewCanvas(60, 40, 0xFFFF0000);
  TPositionedLayer* Area = Doc.CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Area->SetLocation({10, 10, 30, 30});
  Area->OnPaint = [this](TObject* S, TBitmap32* B) { Doc.PaintArea(S, B); };
  std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
  const TColor32 Grey = GrayColor(Intensity(0xFFFF0000), 255);
  EXPECT_EQ(Flat->GetPixel(20, 20), Grey);
  EXPECT_EQ(Flat->GetPixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(Flat->GetPixel(30, 30), 0xFFFF0000u);
}

TEST_F(TDocumentFixture, LayerOptionControls) {
  Doc.NewCanvas(60, 40, 0xFF0000FF);
  TBitmap32 Red;
  Red.SetSize(4, 4);
  TBitmapLayer* L = Doc.AddPictureLayer(Red, 255);
  Doc.Modified = false;
  Doc.SetLayerOpacity(100);
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 100u);
  EXPECT_TRUE(Doc.Modified);
  Doc.SetLayerInterpolate(false);
  EXPECT_EQ(L->Bitmap()->StretchFilter(), sfNearest);
  Doc.SetImageInterpolate(true);
  EXPECT_EQ(L->Bitmap()->StretchFilter(), sfLinear);
  EXPECT_EQ(Doc.Canvas().StretchFilter(), sfLinear);
}

TEST_F(TDocumentFixture, ViewingDoesNotModifyTheCard) {
  Doc.NewCanvas(2000, 1500, 0xFFFFFFFF);
  Doc.Modified = false;
  View.SetScale(2.5f);
  View.SetBounds(800, 600);
  View.HorScroll().UserSetPosition(300);
  View.ScrollToCenter(10, 10);
  EXPECT_FALSE(Doc.Modified);
  Doc.Canvas().Clear(0xFF000000);
  EXPECT_TRUE(Doc.Modified);
}

TEST_F(TDocumentFixture, CaptionLayersFromTheDialog) {
  Doc.NewCanvas(400, 300, 0xFFFFFFFF);
  TBitmap32 Preview, Mask;
  Preview.SetSize(4, 2);
  Preview.Clear(0xFF112233);
  Mask.SetSize(4, 2);
  Mask.Clear(0xFF000000);
  Mask.SetPixel(1, 0, 0xFFFFFFFF);
  const int32_t Before = Doc.Layers().Count();
  TCardDocument::TTextLayerSource Src{&Preview, &Mask, 20, Before};
  TBitmapLayer* L = Doc.InsertTextLayer(Src);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0x00112233u);
  EXPECT_EQ(L->Bitmap()->GetPixel(1, 0), 0xFF112233u);
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 204u);  // 255 - round(0.2 * 255)
  EXPECT_EQ(L->Bitmap()->StretchFilter(), sfLinear);
  EXPECT_EQ(L->Location().Right - L->Location().Left, 4);
  EXPECT_EQ(Doc.Selected(), L);
  // Applying again within the same dialog visit replaces the caption.
  Src.Mask = nullptr;
  Src.TransparencyPercent = 0;
  TBitmapLayer* L2 = Doc.InsertTextLayer(Src);
  int Captions = 0;
  for (int I = 0; I < Doc.Layers().Count(); ++I)
    Captions += dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)) != nullptr;
  EXPECT_EQ(Captions, 1);
  EXPECT_EQ(L2->Bitmap()->GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(L2->Bitmap()->MasterAlpha(), 255u);
}

namespace {

// A white disk of radius R on transparent black, with a one-pixel soft rim.
void WhiteDiskPicture(TBitmap32& B, int32_t Size, float R) {
  B.SetSize(Size, Size);
  B.Clear(0x00000000);
  const float C = Size / 2.0f;
  for (int32_t Y = 0; Y < Size; ++Y)
    for (int32_t X = 0; X < Size; ++X) {
      const float D = std::hypot(X + 0.5f - C, Y + 0.5f - C);
      const float Cover = std::clamp(R + 0.5f - D, 0.0f, 1.0f);
      const auto A = static_cast<TColor32>(std::lround(Cover * 255));
      if (A > 0)
        B.SetPixel(X, Y, (A << 24) | 0x00FFFFFF);
    }
}

}  // namespace

// A white disk on a transparent layer, enlarged over a white card: the transparent black around
// it does not darken the rim, and the flat image is opaque everywhere.
TEST_F(TDocumentFixture, EnlargedDiskOverWhiteCardStaysWhiteAndOpaque) {
  for (TStretchFilter Filter : {sfLinear, sfNearest})
    for (uint32_t Master : {255u, 200u}) {
      Doc.NewCanvas(300, 300, 0xFFFFFFFF);
      TBitmap32 Disk;
      WhiteDiskPicture(Disk, 100, 40);
      TBitmapLayer* L = Doc.AddPictureLayer(Disk, Master);
      L->Bitmap()->SetStretchFilter(Filter);
      L->SetLocation({25, 25, 275, 275});
      const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
      int32_t Darkest = 255, LeastAlpha = 255;
      for (int32_t Y = 0; Y < Flat->Height(); ++Y)
        for (int32_t X = 0; X < Flat->Width(); ++X) {
          const TColor32 P = Flat->GetPixel(X, Y);
          Darkest = std::min({Darkest, int32_t(RedOf(P)), int32_t(GreenOf(P)), int32_t(BlueOf(P))});
          LeastAlpha = std::min(LeastAlpha, int32_t(AlphaOf(P)));
        }
      EXPECT_EQ(Darkest, 255) << "filter " << Filter << ", master " << Master;
      EXPECT_EQ(LeastAlpha, 255) << "filter " << Filter << ", master " << Master;
    }
}

// Alpha composes as coverage in the flat image; the colours are those of the blend.
TEST_F(TDocumentFixture, FlatImageOfAnOpaqueCardIsOpaque) {
  struct TCase {
    TColor32 Layer;
    uint32_t Master;
    TColor32 Canvas;
    int32_t WantAlpha;
  };
  const TCase Cases[] = {
      {0x80FF0000, 255, 0xFFFFFFFF, 255}, {0x40123456, 255, 0xFF0000FF, 255},
      {0xFF00FF00, 100, 0xFFFFFFFF, 255}, {0x80FF0000, 128, 0xFF808080, 255},
      {0x80FF0000, 255, 0x00000000, 128}, {0xFF00FF00, 255, 0x80FFFFFF, 255},
  };
  for (const TCase& Case : Cases) {
    Doc.NewCanvas(40, 30, Case.Canvas);
    TBitmap32 Patch;
    Patch.SetSize(10, 10);
    Patch.Clear(Case.Layer);
    Doc.AddPictureLayer(Patch, Case.Master)->SetLocation({5, 5, 15, 15});
    const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
    TColor32 Want = Case.Canvas;
    if (Case.Master == 255)
      BlendOnto(Case.Layer, Want);
    else
      BlendOntoMaster(Case.Layer, Want, Case.Master);
    EXPECT_EQ(Flat->GetPixel(9, 9) & 0x00FFFFFF, Want & 0x00FFFFFF) << std::hex << Case.Layer;
    EXPECT_EQ(int32_t(AlphaOf(Flat->GetPixel(9, 9))), Case.WantAlpha) << std::hex << Case.Layer;
    EXPECT_EQ(Flat->GetPixel(20, 20), Case.Canvas) << std::hex << Case.Layer;
  }
}
