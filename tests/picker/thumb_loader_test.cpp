#include "thumb_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "thumb_test_support.h"

TEST(ThumbLoader, ANewBatchDropsTheOldOneAndEveryJobAnswersOnce) {
  TThumbTempDir Dir;
  std::vector<TThumbJob> Old, New;
  for (int I = 0; I < 24; ++I)
    Old.push_back({I, Dir.Picture("old" + std::to_string(I) + ".png", 300, 200, 0xFF336699)});
  for (int I = 0; I < 6; ++I)
    New.push_back({I, Dir.Picture("new" + std::to_string(I) + ".jpg", 64, 48, 0xFF996633)});
  New.push_back({6, Dir.Text("bad.png", "garbage")});
  New.push_back({7, Dir.File("missing.png")});

  TThumbLoader L(2);
  std::atomic<int> Notices{0};
  L.OnResults = [&] { ++Notices; };
  L.Start(Old, 200, 200, true);
  const uint64_t Ticket = L.Start(New, 200, 200, true);
  std::set<int> Seen;
  while (Seen.size() < New.size()) {
    std::vector<TThumbResult> Results = L.TakeResults(true);
    if (Results.empty() && !L.Busy())
      break;
    for (TThumbResult& R : Results) {
      EXPECT_EQ(R.Ticket, Ticket);
      EXPECT_TRUE(Seen.insert(R.Index).second) << "index " << R.Index << " answered twice";
      if (R.Index < 6) {
        EXPECT_TRUE(R.Ok) << R.Error;
        EXPECT_EQ(R.Picture.Size, (TSize{64, 48}));
        EXPECT_EQ(R.Picture.Shown.Width(), 64);
      } else {
        EXPECT_FALSE(R.Ok);
        EXPECT_FALSE(R.Error.empty());
      }
    }
  }
  EXPECT_EQ(Seen.size(), New.size());
  // The notice follows the wake-up of TakeResults, so it may come a moment after the results.
  for (int Wait = 0; Wait < 500 && Notices.load() == 0; ++Wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(Notices.load(), 1);
  L.Cancel();
  EXPECT_TRUE(L.TakeResults().empty());
}
