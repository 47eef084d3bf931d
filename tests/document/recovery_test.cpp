#include "recovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "bitmap_layer.h"
#include "pixel_grid.h"

namespace fs = std::filesystem;

namespace {

class RecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("pelmora_recovery_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  // A canvas and two layers, one translucent, placed and flagged as a card would have them.
  void MakeCard() {
    Fill(Canvas, 3, 2, {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF000000});
    auto* A = Layers.Add<TBitmapLayer>();
    Fill(*A->Bitmap(), 2, 1, {0x80FF0000, 0xFF00FF00});
    A->Bitmap()->SetDrawMode(dmBlend);
    A->Bitmap()->SetMasterAlpha(200);
    A->SetLocation(TSingleRect{1.5f, 0.25f, 3.5f, 1.25f});
    A->SetScaled(true);
    auto* B = Layers.Add<TBitmapLayer>();
    Fill(*B->Bitmap(), 1, 1, {0xFF0000FF});
    B->Bitmap()->SetDrawMode(dmBlend);
    B->SetLocation(TSingleRect{0, 0, 1, 1});
    B->SetScaled(true);
    Layers.Add<TPositionedLayer>();  // an area layer: not part of a project
  }

  fs::path Dir;
  TBitmap32 Canvas;
  TLayerCollection Layers;
};

TEST_F(RecoveryTest, AutosavedCardReadsBackAsTheSameProjectAndIsIndependentOfLaterChanges) {
  MakeCard();
  auto Snapshot = SnapshotProject(Canvas, Layers);
  // The card goes on changing while the copy is written.
  Canvas.Bits()[0] = 0xFFFFFFFF;
  static_cast<TBitmapLayer*>(Layers.Items(0))->Bitmap()->Bits()[0] = 0;

  TAutosaver Saver(RecoveryFileName(Dir.string(), 4242));
  ASSERT_TRUE(Saver.Start(std::move(Snapshot)));
  Saver.Wait();
  EXPECT_EQ(Saver.LastError(), "");
  EXPECT_EQ(Saver.WrittenCount(), 1);
  ASSERT_TRUE(fs::exists(Dir / "card-4242.kvt")) << "the recovery folder is created on demand";

  auto Back = ReadProjectFile(Saver.FileName());
  EXPECT_EQ(PixelsOf(Back->Canvas),
            (TPixels{0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF000000}));
  ASSERT_EQ(Back->Layers.Count(), 2);
  const auto* A = static_cast<const TBitmapLayer*>(Back->Layers.Items(0));
  EXPECT_EQ(PixelsOf(*A->Bitmap()), (TPixels{0x80FF0000, 0xFF00FF00}));
  EXPECT_EQ(A->Bitmap()->MasterAlpha(), 200u);
  EXPECT_FLOAT_EQ(A->Location().Left, 1.5f);
  EXPECT_FLOAT_EQ(A->Location().Top, 0.25f);

  Saver.Discard();
  EXPECT_FALSE(fs::exists(Dir / "card-4242.kvt"));
}

TEST_F(RecoveryTest, AFailedWriteIsReportedAndLeavesTheSaverUsable) {
  MakeCard();
  fs::create_directories(Dir);
  std::ofstream(Dir / "blocker") << "a file where the folder should be";
  TAutosaver Broken((Dir / "blocker/card-1.kvt").string());
  ASSERT_TRUE(Broken.Start(SnapshotProject(Canvas, Layers)));
  Broken.Wait();
  EXPECT_NE(Broken.LastError(), "");
  EXPECT_EQ(Broken.WrittenCount(), 0);
  EXPECT_TRUE(Broken.Start(SnapshotProject(Canvas, Layers)));  // still accepts work
  Broken.Wait();
}

TEST_F(RecoveryTest, OnlyFilesOfEditorsThatAreGoneAreOrphansNewestFirst) {
  fs::create_directories(Dir);
  const auto Touch = [&](const std::string& Name, int AgeSeconds, const char* Text = "x") {
    std::ofstream(Dir / Name) << Text;
    fs::last_write_time(Dir / Name,
                        fs::file_time_type::clock::now() - std::chrono::seconds(AgeSeconds));
  };
  Touch("card-100.kvt", 300);    // gone, older
  Touch("card-200.kvt", 10);     // gone, newer
  Touch("card-300.kvt", 5);      // still running
  Touch("card-77.kvt", 1);       // this run's own
  Touch("card-400.kvt", 1, "");  // empty: never worth restoring
  Touch("card-x1.kvt", 1);       // not a recovery name
  Touch("notes.txt", 1);
  Touch("card-500.kvt.tmp", 1);

  const auto Files =
      FindOrphanedRecoveryFiles(Dir.string(), 77, [](int Pid) { return Pid == 300; });
  ASSERT_EQ(Files.size(), 2u);
  EXPECT_EQ(Files[0].Pid, 200);
  EXPECT_EQ(Files[1].Pid, 100);
  EXPECT_EQ(Files[0].Path, (Dir / "card-200.kvt").string());

  EXPECT_TRUE(
      FindOrphanedRecoveryFiles((Dir / "missing").string(), 77, [](int) { return false; }).empty());
}

TEST_F(RecoveryTest, AnAdoptedOrphanBecomesThisRunsOwnFile) {
  fs::create_directories(Dir);
  std::ofstream(Dir / "card-100.kvt") << "card";
  const auto Files = FindOrphanedRecoveryFiles(Dir.string(), 77, [](int) { return false; });
  ASSERT_EQ(Files.size(), 1u);
  EXPECT_EQ(AdoptRecoveryFile(Files[0], Dir.string(), 77), (Dir / "card-77.kvt").string());
  EXPECT_FALSE(fs::exists(Dir / "card-100.kvt"));
  EXPECT_TRUE(fs::exists(Dir / "card-77.kvt"));
  EXPECT_EQ(AdoptRecoveryFile(Files[0], Dir.string(), 78), "") << "already gone";
}

TEST(RecoveryProcess, TestExecutablesCountAsEditorsAndInitDoesNot) {
  EXPECT_TRUE(IsEditorRunning(getpid())) << "test executables are named pelmora_*";
  EXPECT_FALSE(IsEditorRunning(0));
  EXPECT_FALSE(IsEditorRunning(-5));
  EXPECT_FALSE(IsEditorRunning(1)) << "init is not an editor";
}

}  // namespace
