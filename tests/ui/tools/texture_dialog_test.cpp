// The texture picker "Выбор текстуры": its grid shows whole columns at any width.
#include "texture_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "bitmap32.h"
#include "picture_codecs.h"
#include "thumb_layout.h"
#include "thumbview.h"
#include "ui_driving.h"

namespace fs = std::filesystem;

namespace {

TEST(TextureDialog, NoColumnIsCutAtTheRightEdge) {
  const fs::path Dir =
      fs::temp_directory_path() / ("pelmora-textures-" + std::to_string(::getpid()));
  fs::remove_all(Dir);
  fs::create_directories(Dir / "Textures");
  RegisterPictureCodecs();
  constexpr int Count = 18;
  for (int I = 0; I < Count; ++I) {
    TBitmap32 B;
    B.SetSize(64, 64);
    B.Clear(0xFF000000u | uint32_t(I * 12) << 8);
    SavePictureByExtension(B,
                           (Dir / "Textures" / ("t" + std::to_string(10 + I) + ".png")).string());
  }
  TTextur Dialog(QString::fromStdString(Dir.string()));
  for (const int Width : {560, 700, 433}) {
    Dialog.resize(Width, 480);
    Dialog.show();
    ASSERT_TRUE(RunEventsUntil(
        [&] { return Dialog.View->Count() == Count && !Dialog.View->Model().Scanning(); }));
    RunEvents(20);
    const TThumbviewModel& M = Dialog.View->Model();
    for (int I = 0; I < Count; ++I) {
      const TRect R = PlaceThumbCell(I, M.ScrollMode(), M.ThumbGap(), M.CellSize(), M.PerLine());
      // Whole inside the visible width, or (scrolled) wholly past it: never cut.
      EXPECT_TRUE(R.Right <= M.ClientWidth() || R.Left >= M.ClientWidth())
          << Width << ": cell " << I << " spans " << R.Left << ".." << R.Right << " of "
          << M.ClientWidth();
    }
  }
  Dialog.reject();
  fs::remove_all(Dir);
}

}  // namespace
