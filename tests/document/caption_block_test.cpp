// Caption settings kept with their layers: through the project file (the caption block in
// front of the streams) and through the undo history.
#include "caption_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "bitmap_layer.h"
#include "card_document.h"
#include "img_view32.h"
#include "layer_captions.h"
#include "layer_commands.h"
#include "project_file.h"
#include "recovery.h"
#include "undo.h"

namespace {

using TBytes = std::vector<uint8_t>;

struct TCaptionFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};

  void SetUp() override {
    View.SetBounds(400, 300);
    Doc.NewCanvas(40, 30, 0xFF336699);
  }

  TBitmapLayer* AddLayer(int32_t W, int32_t H, TColor32 C, const TSingleRect& Location) {
    auto* L = Doc.Layers().Add<TBitmapLayer>();
    L->Bitmap()->SetSize(W, H);
    L->Bitmap()->Clear(C);
    for (int32_t X = 0; X < W; ++X) L->Bitmap()->SetPixel(X, 0, 0x80000000u | uint32_t(X));
    L->Bitmap()->Changed();
    Doc.AdoptContentLayer(L);
    L->SetLocation(Location);
    return L;
  }

  TBitmapLayer* LayerAt(TCardDocument& D, int32_t I) {
    int32_t N = 0;
    for (int32_t K = 0; K < D.Layers().Count(); ++K)
      if (auto* L = dynamic_cast<TBitmapLayer*>(D.Layers().Items(K)))
        if (N++ == I)
          return L;
    return nullptr;
  }

  // The bytes read back into a second card.
  void Reopen(const TBytes& File, TCardDocument& Into) {
    auto Content = ReadProjectBytes(File.data(), File.size(), "card.kvt");
    InstallProject(*Content, Into);
  }
};

const TBytes SettingsA = {1, 2, 3, 'A'};
const TBytes SettingsB = {9, 8, 7, 6, 5, 'B'};

TEST_F(TCaptionFixture, CaptionsSurviveSaveAndOpenWhilePicturesStayPictures) {
  TBitmapLayer* Photo = AddLayer(5, 4, 0xFF00FF00, {1, 1, 6, 5});
  TBitmapLayer* First = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  TBitmapLayer* Second = AddLayer(4, 2, 0xFF0000FF, {20, 5, 24, 7});
  Doc.Captions.Set(*First, SettingsA);
  Doc.Captions.Set(*Second, SettingsB);
  Doc.SetSelection(Second);
  const TBytes File = BuildProject(Doc);
  ASSERT_TRUE(StartsWithCaptionBlock(File.data(), File.size()));

  TImgView32 View2;
  TCardDocument Doc2{View2};
  Reopen(File, Doc2);
  ASSERT_NE(LayerAt(Doc2, 2), nullptr);
  EXPECT_EQ(Doc2.Captions.Editable(*LayerAt(Doc2, 0)), nullptr);
  const auto A = Doc2.Captions.Editable(*LayerAt(Doc2, 1));
  const auto B = Doc2.Captions.Editable(*LayerAt(Doc2, 2));
  ASSERT_NE(A, nullptr);
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(A->Settings, SettingsA);
  EXPECT_EQ(B->Settings, SettingsB);
  // Saved again, the file is the same.
  EXPECT_EQ(BuildProject(Doc2), File);
  (void)Photo;
}

// Without editable captions nothing is added: the project is what it always was.
TEST_F(TCaptionFixture, ProjectsWithoutEditableCaptionsAreUnchanged) {
  TBitmapLayer* Photo = AddLayer(5, 4, 0xFF00FF00, {1, 1, 6, 5});
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  const TBytes Plain = BuildProject(Doc.Canvas(), Doc.Layers());
  EXPECT_EQ(BuildProject(Doc), Plain);
  Doc.Captions.Set(*Caption, SettingsA);
  EXPECT_NE(BuildProject(Doc), Plain);
  // Its pixels changed by something else: the caption is a picture and is not stored.
  Caption->Bitmap()->SetPixel(0, 1, 0xFF123456);
  Caption->Bitmap()->Changed();
  EXPECT_EQ(Doc.Captions.Editable(*Caption), nullptr);
  EXPECT_TRUE(Doc.Captions.WasCaption(*Caption));
  EXPECT_EQ(BuildProject(Doc), BuildProject(Doc.Canvas(), Doc.Layers()));
  // The same pixels back (as undo puts them): a caption again.
  Caption->Bitmap()->SetPixel(0, 1, 0xFFFF0000);
  Caption->Bitmap()->Changed();
  EXPECT_NE(Doc.Captions.Editable(*Caption), nullptr);
  (void)Photo;
}

// Moving and resizing change the location only: the layer stays a caption.
TEST_F(TCaptionFixture, MovingAndResizingKeepTheCaption) {
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  Doc.Captions.Set(*Caption, SettingsA);
  Caption->SetLocation({0, 0, 30, 15});
  EXPECT_NE(Doc.Captions.Editable(*Caption), nullptr);
}

// Each way the block can be damaged loses the captions only; bytes in front of the streams that
// are not a caption block are still refused.
TEST_F(TCaptionFixture, DamagedCaptionBlocksAreIgnored) {
  AddLayer(5, 4, 0xFF00FF00, {1, 1, 6, 5});
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  Doc.Captions.Set(*Caption, SettingsA);
  const TBytes File = BuildProject(Doc);
  const size_t Header = CaptionBlockMagicSize + 12;
  struct TDamage {
    const char* Name;
    size_t Offset;
    uint8_t Value;
  };
  const std::vector<TDamage> Damages = {
      {"version", CaptionBlockMagicSize, 2},
      {"block length", CaptionBlockMagicSize + 4, 0xFF},
      {"entry count", CaptionBlockMagicSize + 8, 0xFF},
      {"entry count high byte", CaptionBlockMagicSize + 11, 0x7F},
      {"settings length", Header + 12, 0xFF},
      {"settings length high byte", Header + 15, 0xFF},
      {"stored entry", Header, 0},  // now names the photo, whose pixels do not match
      {"fingerprint", Header + 4, 0x55},
  };
  for (const TDamage& D : Damages) {
    SCOPED_TRACE(D.Name);
    TBytes Bad = File;
    Bad[D.Offset] = D.Value;
    TImgView32 View2;
    TCardDocument Doc2{View2};
    Reopen(Bad, Doc2);
    ASSERT_NE(LayerAt(Doc2, 1), nullptr);
    EXPECT_EQ(Doc2.Captions.Find(LayerAt(Doc2, 0)->Id()), nullptr);
    EXPECT_EQ(Doc2.Captions.Find(LayerAt(Doc2, 1)->Id()), nullptr);
    EXPECT_EQ(LayerAt(Doc2, 1)->Location().Right, 22);
  }
  // A changed signature: the bytes in front are not ours, the file is damaged.
  TBytes Bad = File;
  Bad[0] = 'X';
  EXPECT_THROW(ReadProjectBytes(Bad.data(), Bad.size(), "card.kvt"), EProjectError);
  // Fewer bytes in front than a signature takes.
  TBytes Short(
      File.begin() + static_cast<std::ptrdiff_t>(
                         File.size() - BuildProject(Doc.Canvas(), Doc.Layers()).size() - 3),
      File.end());
  EXPECT_THROW(ReadProjectBytes(Short.data(), Short.size(), "card.kvt"), EProjectError);
}

// A caption whose stream was changed in the file (by another program) opens as a picture.
TEST_F(TCaptionFixture, ACaptionWhosePixelsDoNotMatchOpensAsAPicture) {
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  Doc.Captions.Set(*Caption, SettingsA);
  TBytes File = BuildProject(Doc);
  const size_t Lead = File.size() - BuildProject(Doc.Canvas(), Doc.Layers()).size();
  File[Lead + 54] ^= 0x01;  // the first pixel of the layer's stream
  TImgView32 View2;
  TCardDocument Doc2{View2};
  Reopen(File, Doc2);
  ASSERT_NE(LayerAt(Doc2, 0), nullptr);
  EXPECT_FALSE(Doc2.Captions.WasCaption(*LayerAt(Doc2, 0)));
}

// Undo and redo carry the settings: undoing an edit brings the old caption back.
TEST_F(TCaptionFixture, UndoAndRedoCarryTheCaption) {
  TUndoStack Undo(Doc);
  Undo.Reset();
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  Doc.Captions.Set(*Caption, SettingsA);
  const uint64_t Id = Caption->Id();
  Undo.Record(usEditCaption);
  Caption->Bitmap()->SetSize(8, 3);
  Caption->Bitmap()->Clear(0xFF00FF00);
  Caption->Bitmap()->Changed();
  Doc.Captions.Set(*Caption, SettingsB);
  EXPECT_EQ(Undo.UndoName(), "Изменение надписи");
  ASSERT_TRUE(Undo.Undo());
  TBitmapLayer* L = LayerAt(Doc, 0);
  ASSERT_EQ(L->Id(), Id);
  ASSERT_NE(Doc.Captions.Editable(*L), nullptr);
  EXPECT_EQ(Doc.Captions.Editable(*L)->Settings, SettingsA);
  ASSERT_TRUE(Undo.Redo());
  L = LayerAt(Doc, 0);
  ASSERT_NE(Doc.Captions.Editable(*L), nullptr);
  EXPECT_EQ(Doc.Captions.Editable(*L)->Settings, SettingsB);
  // Deleting the layer and undoing that brings the caption back with the layer.
  Doc.SetSelection(L);
  Undo.Record(usDeleteLayer);
  Doc.DeleteSelected();
  ASSERT_TRUE(Undo.Undo());
  ASSERT_NE(LayerAt(Doc, 0), nullptr);
  ASSERT_NE(Doc.Captions.Editable(*LayerAt(Doc, 0)), nullptr);
  EXPECT_EQ(Doc.Captions.Editable(*LayerAt(Doc, 0))->Settings, SettingsB);
}

// A clone of a caption is a caption; the recovery copy keeps the captions.
TEST_F(TCaptionFixture, ClonesAndRecoveryCopiesKeepTheCaption) {
  TUndoStack Undo(Doc);
  TLayerCommands Commands(Doc, Undo);
  TBitmapLayer* Caption = AddLayer(6, 3, 0xFFFF0000, {10, 10, 22, 16});
  Doc.Captions.Set(*Caption, SettingsA);
  Doc.SetSelection(Caption);
  Commands.CloneSelected();
  TBitmapLayer* Clone = LayerAt(Doc, 1);
  ASSERT_NE(Clone, nullptr);
  ASSERT_NE(Clone->Id(), Caption->Id());
  ASSERT_NE(Doc.Captions.Editable(*Clone), nullptr);
  EXPECT_EQ(Doc.Captions.Editable(*Clone)->Settings, SettingsA);

  const std::filesystem::path Dir = std::filesystem::temp_directory_path() /
                                    ("pelmora_caption_recovery_" + std::to_string(::getpid()));
  std::filesystem::remove_all(Dir);
  {
    TAutosaver Saver(RecoveryFileName(Dir.string(), 77));
    ASSERT_TRUE(Saver.Start(SnapshotProject(Doc.Canvas(), Doc.Layers(), &Doc.Captions)));
    Saver.Wait();
    ASSERT_EQ(Saver.LastError(), "");
    TImgView32 View2;
    TCardDocument Doc2{View2};
    ReadProject(Saver.FileName(), Doc2);
    ASSERT_NE(LayerAt(Doc2, 1), nullptr);
    ASSERT_NE(Doc2.Captions.Editable(*LayerAt(Doc2, 1)), nullptr);
    EXPECT_EQ(Doc2.Captions.Editable(*LayerAt(Doc2, 0))->Settings, SettingsA);
  }
  std::filesystem::remove_all(Dir);
}

TEST(CaptionBlock, BuildsAndParsesEntries) {
  std::vector<TStoredCaption> In = {{3, {{1, 2}, 0x1122334455667788ull}}, {7, {{}, 42}}};
  const TBytes Block = BuildCaptionBlock(In);
  const auto Out = ParseCaptionBlock(Block.data(), Block.size());
  ASSERT_EQ(Out.size(), 2u);
  EXPECT_EQ(Out[0].Entry, 3u);
  EXPECT_EQ(Out[0].Caption, In[0].Caption);
  EXPECT_EQ(Out[1].Entry, 7u);
  EXPECT_EQ(Out[1].Caption, In[1].Caption);
  // Every cut short block gives nothing.
  for (size_t N = 0; N < Block.size(); ++N)
    EXPECT_TRUE(ParseCaptionBlock(Block.data(), N).empty()) << N;
  // An entry stored twice.
  const TBytes Twice = BuildCaptionBlock({In[0], In[0]});
  EXPECT_TRUE(ParseCaptionBlock(Twice.data(), Twice.size()).empty());
}

}  // namespace
