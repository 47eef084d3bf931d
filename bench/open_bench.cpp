// Opening a 24-megapixel JPEG photo (6000 x 4000, quality 92) in the editor, from the moment the
// open dialog hands over the file name to the first frame the view paints with the card on it:
// reading and decoding, the card's history copy, fitting the card to the window and painting
// it. The window is 1400 x 900 on Qt's offscreen platform. Each iteration opens the same file
// again, as "Открыть" does for a card that was not changed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "bitmap32.h"
#include "img_view_widget.h"
#include "jpeg_codec.h"
#include "main_form.h"
#include "picture_codecs.h"

namespace {

constexpr int32_t Width = 6000;
constexpr int32_t Height = 4000;

// Smooth colour fields with fine detail, as a photo has.
void PaintPhoto(TBitmap32& P) {
  P.SetSize(Width, Height);
  for (int32_t Y = 0; Y < Height; ++Y) {
    TColor32* Row = P.RowAddress(Y);
    for (int32_t X = 0; X < Width; ++X) {
      const double U = X / double(Width), V = Y / double(Height);
      const auto C = [](double T) { return uint32_t(std::lround(127.5 + 127.5 * std::sin(T))); };
      // A sensor's grain: up to 15 levels, the same in the three channels.
      uint32_t H = uint32_t(X) * 0x9E3779B1u ^ uint32_t(Y) * 0x85EBCA77u;
      H ^= H >> 15;
      H *= 0x2C1B3C6Du;
      const uint32_t Grain = (H >> 16) % 16;
      const auto G = [Grain](uint32_t V) { return std::min(255u, V + Grain); };
      Row[X] = 0xFF000000u | G(C(6 * U + 2 * V)) << 16 | G(C(4 * V - 3 * U + 1)) << 8 |
               G(C(9 * U * V + 2));
    }
  }
}

// The editor's window with its "Открыть" step that follows the dialog.
class TBenchForm : public TMainForm {
 public:
  using TMainForm::OpenAsCard;
  using TMainForm::TMainForm;
};

void OpenToFirstPaint(benchmark::State& State) {
  QTemporaryDir Dir;
  const std::string File = QDir(Dir.path()).filePath("photo.jpg").toStdString();
  {
    TBitmap32 Photo;
    PaintPhoto(Photo);
    SaveJpeg(Photo, File, 92);
  }
  State.counters["FileMB"] = double(QFileInfo(QString::fromStdString(File)).size()) / 1e6;
  TBenchForm Form(Dir.path());
  Form.Dialogs.ShowError = [&](const QString& Text) {
    State.SkipWithError(Text.toStdString().c_str());
  };
  Form.resize(1400, 900);
  Form.show();
  QApplication::processEvents();
  // Only a paint after the card is open counts (the status bar's progress may let the view
  // paint the card before while the file is read).
  bool Opened = false, Painted = false;
  Form.ImgView()->OnPainted = [&] { Painted = Opened; };
  for (auto _ : State) {
    QElapsedTimer Clock;
    Clock.start();
    Opened = Painted = false;
    Form.Run([&] { Form.OpenAsCard(File); });
    Opened = true;
    while (!Painted && Clock.elapsed() < 10000) QApplication::processEvents();
    State.SetIterationTime(double(Clock.nsecsElapsed()) / 1e9);
    if (!Painted)
      State.SkipWithError("the view did not paint");
    if (Form.Document().Canvas().Width() != Width)
      State.SkipWithError("the photo did not open");
  }
  State.counters["Megapixels"] = Width * double(Height) / 1e6;
}
BENCHMARK(OpenToFirstPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The recovery copies and settings of this run stay in a folder of their own.
  QTemporaryDir UserDirs;
  qputenv("XDG_DATA_HOME", QDir(UserDirs.path()).filePath("data").toUtf8());
  qputenv("XDG_CONFIG_HOME", QDir(UserDirs.path()).filePath("config").toUtf8());
  QApplication App(argc, argv);
  RegisterPictureCodecs();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
