// The picker's window over a real folder: cells in order, pictures painted as they arrive,
// a broken picture marked, selection by mouse and keys, and a screenshot to look at.
#include "thumbview.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "bitmap32.h"
#include "picture_codecs.h"
#include "status_progress.h"
#include "thumb_titles.h"

namespace {

namespace fs = std::filesystem;

class TFolder {
 public:
  TFolder() {
    FPath = fs::temp_directory_path() /
            ("pelmora-thumbview-" + std::to_string(::getpid()) + "-" + std::to_string(Serial++));
    fs::remove_all(FPath);
    fs::create_directories(FPath);
  }
  ~TFolder() {
    std::error_code Ec;
    fs::remove_all(FPath, Ec);
  }
  QString Path() const { return QString::fromStdString(FPath.string()); }
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }

  // A picture drawn by Pixel(x, y) -> colour, saved in the format of its extension.
  template <typename F>
  void Picture(const std::string& Name, int W, int H, F Pixel) const {
    TBitmap32 B;
    B.SetSize(W, H);
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X) B.SetPixel(X, Y, Pixel(X, Y));
    SavePictureByExtension(B, File(Name));
  }

 private:
  static inline int Serial = 0;
  fs::path FPath;
};

TColor32 Rgb(double R, double G, double B) {
  const auto C = [](double V) { return uint32_t(std::clamp(V, 0.0, 255.0)); };
  return 0xFF000000u | C(R) << 16 | C(G) << 8 | C(B);
}

// Five pictures that look like something, and one file that is no picture at all.
void FillFolder(const TFolder& F) {
  F.Picture("Закат.jpg", 600, 400, [](int X, int Y) {
    const double T = Y / 400.0;
    const double Sun = std::hypot(X - 420.0, Y - 250.0);
    if (Y > 280)
      return Rgb(30 + 20 * std::sin(X / 9.0), 40, 90 + 30 * T);  // the sea
    if (Sun < 60)
      return Rgb(255, 230, 120);
    return Rgb(250 - 60 * T, 120 + 60 * T, 80 + 100 * T);
  });
  F.Picture("Море.png", 300, 300, [](int X, int Y) {
    const double R = std::hypot(X - 150.0, Y - 150.0);
    return Rgb(40, 120 + 80 * std::sin(R / 12.0), 200);
  });
  F.Picture("Лес.bmp", 200, 300, [](int X, int Y) {
    const bool Tree = std::abs((X % 50) - 25) < (Y % 150) / 6;
    return Tree ? Rgb(20, 110 + Y / 6, 40) : Rgb(200, 230, 255);
  });
  F.Picture("Полосы.gif", 400, 100,
            [](int X, int) { return (X / 25) % 2 ? Rgb(230, 60, 90) : Rgb(255, 240, 200); });
  F.Picture("Узор.png", 120, 120, [](int X, int Y) {
    return ((X / 15) + (Y / 15)) % 2 ? Rgb(250, 200, 40) : Rgb(90, 40, 140);
  });
  std::ofstream(F.File("Испорчен.png"), std::ios::binary) << "\x89PNG\r\n\x1a\nnot really";
}

void WaitForScan(TTHumbview& V) {
  QElapsedTimer T;
  T.start();
  while ((!V.Model().Painted() || V.Model().Scanning()) && T.elapsed() < 30000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Click(QWidget* W, QPoint P, Qt::MouseButton B = Qt::LeftButton) {
  QMouseEvent Down(QEvent::MouseButtonPress, QPointF(P), W->mapToGlobal(QPointF(P)), B, B,
                   Qt::NoModifier);
  QApplication::sendEvent(W, &Down);
  QMouseEvent Up(QEvent::MouseButtonRelease, QPointF(P), W->mapToGlobal(QPointF(P)), B,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(W, &Up);
}

void Key(QWidget* W, int K) {
  QKeyEvent E(QEvent::KeyPress, K, Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

QPoint Centre(const TRect& R) {
  return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

}  // namespace

TEST(TTHumbview, ShowsAFolderMarksBrokenPicturesAndSelects) {
  RegisterPictureCodecs();
  TFolder F;
  FillFolder(F);
  TTHumbview V;
  // As the effect catalogue has it: cells of 120 x 120 in rows, titles below, as buttons.
  V.Model().SetSize(60);
  V.Model().SetScrollMode(SMVertical);
  V.Model().SetTitlePlacement(T_Down);
  V.Model().SetAsButtons(true);
  V.SetDirectory(F.Path());
  EXPECT_EQ(V.Count(), 0) << "nothing is read before the picker is shown";
  std::vector<int> Clicks;
  V.OnClick = [&](TTHumbview* Sender, int Cell) {
    EXPECT_EQ(Sender, &V);
    Clicks.push_back(Cell);
  };
  V.resize(520, 300);
  V.show();
  WaitForScan(V);
  ASSERT_EQ(V.Count(), 6);
  const QStringList Want = {"Закат.jpg", "Испорчен.png", "Лес.bmp",
                            "Море.png",  "Полосы.gif",   "Узор.png"};
  for (int I = 0; I < 6; ++I) EXPECT_EQ(V.Title(I), Want[I]) << I;
  EXPECT_EQ(V.Selected(), 0);
  EXPECT_EQ(V.Model().Cell(1).State, TThumbCell::csBroken);
  for (int I : {0, 2, 3, 4, 5}) EXPECT_EQ(V.Model().Cell(I).State, TThumbCell::csLoaded) << I;

  const QImage Shot = V.grab().toImage();
  const char* Out = std::getenv("PELMORA_THUMBVIEW_SHOT");
  Shot.save(QString::fromUtf8(Out ? Out : "thumbview.png"));

  // The selected cell's title strip is in the highlight colour.
  const TRect C0 = V.Model().VisibleCellRect(0);
  EXPECT_EQ(Shot.pixelColor(C0.Left + 4, C0.Bottom - 4), V.palette().color(QPalette::Highlight));
  const TRect C2 = V.Model().VisibleCellRect(2);
  EXPECT_EQ(Shot.pixelColor(C2.Left + 4, C2.Bottom - 4), V.palette().color(QPalette::Button));
  // The striped picture (400 x 100 reduced to 200 x 50, shown 112 x 28) is painted in place.
  const TRect P4 = V.Model().Cell(4).PictureRect;
  EXPECT_EQ(P4.Width(), 112);
  const TRect C4 = V.Model().VisibleCellRect(4);
  const QColor Stripe = Shot.pixelColor(C4.Left + P4.Left + 3, C4.Top + P4.Top + P4.Height() / 2);
  EXPECT_NEAR(Stripe.red(), 255, 24);
  EXPECT_NEAR(Stripe.green(), 240, 24);
  // The broken picture shows its red cross.
  const TRect C1 = V.Model().VisibleCellRect(1);
  int Red = 0;
  for (int Y = C1.Top; Y < C1.Bottom; ++Y)
    for (int X = C1.Left; X < C1.Right; ++X) {
      const QColor Px = Shot.pixelColor(X, Y);
      Red += Px.red() > 150 && Px.green() < 80 && Px.blue() < 80;
    }
  EXPECT_GT(Red, 20);

  // Mouse and keys.
  Click(&V, Centre(C2));
  EXPECT_EQ(V.Selected(), 2);
  EXPECT_EQ(Clicks, std::vector<int>{2});
  Key(&V, Qt::Key_Right);
  EXPECT_EQ(V.Selected(), 3);
  Key(&V, Qt::Key_End);
  EXPECT_EQ(V.Selected(), 5);
  Key(&V, Qt::Key_Right);  // the last cell stays selected
  EXPECT_EQ(V.Selected(), 5);
  QString File = "unchanged";
  Click(&V, {C0.Right + 2, C0.Top + 20});  // the gap between two cells
  EXPECT_EQ(V.Selected(), -1);
  V.GetSelectedFile(File);
  EXPECT_EQ(File, "unchanged");
  V.SetSelected(4);
  V.GetSelectedFile(File);
  EXPECT_EQ(File, F.Path() + "/Полосы.gif");
}

TEST(TTHumbview, LongTitlesWrapUnderTheCellAndShowWholeInTheTooltip) {
  RegisterPictureCodecs();
  TFolder F;
  const auto Plain = [](int X, int Y) { return Rgb(X, Y, 160); };
  for (const char* N : {"candy.png", "gold.png", "my_own_picture.png"}) F.Picture(N, 96, 96, Plain);
  const QString Long = "Рождественская карамель";
  const QString Endless =
      "Очень длинное название рамки, которое не поместится даже в три строки под картинкой "
      "никаким образом";
  std::ofstream(F.File(ThumbTitlesFile), std::ios::binary)
      << "candy.png = " << Long.toStdString() << "\n"
      << "gold.png = " << Endless.toStdString() << "\n";
  TTHumbview V;
  // As the frame dialog has it: cells of 110 x 110 in rows, titles below, as buttons.
  V.Model().SetSize(55);
  V.Model().SetScrollMode(SMVertical);
  V.Model().SetTitlePlacement(T_Down);
  V.Model().SetAsButtons(true);
  V.SetDirectory(F.Path());
  V.resize(400, 400);
  V.show();
  WaitForScan(V);
  ASSERT_EQ(V.Count(), 3);
  // A file the index does not name keeps its file name; the index itself is no cell.
  EXPECT_EQ(V.Title(0), "my_own_picture.png");
  EXPECT_EQ(V.Title(1), Endless);  // sorted by title
  EXPECT_EQ(V.Title(2), Long);

  // The long title is wrapped whole, not cut; the endless one ends in an ellipsis on its third
  // line.
  const int Width = V.Model().CellSize().cx - 4;
  const QStringList Lines = WrapThumbTitle(V.font(), Long, Width);
  EXPECT_GE(Lines.size(), 2);
  EXPECT_LE(Lines.size(), ThumbTitleLinesMax);
  EXPECT_EQ(Lines.join(' '), Long);
  const QStringList Cut = WrapThumbTitle(V.font(), Endless, Width);
  EXPECT_EQ(Cut.size(), ThumbTitleLinesMax);
  EXPECT_TRUE(Cut.last().endsWith(QChar(0x2026))) << Cut.last().toStdString();
  // A file name without spaces breaks inside the word rather than being elided.
  const QStringList Name = WrapThumbTitle(V.font(), "my_own_picture.png", 70);
  EXPECT_GE(Name.size(), 2);
  EXPECT_FALSE(Name.join("").contains(QChar(0x2026)));
  const QFontMetrics Fm(V.font());
  for (const QStringList& L : {Lines, Cut})
    for (const QString& Line : L)
      EXPECT_LE(Fm.horizontalAdvance(Line), Width) << Line.toStdString();
  for (const QString& Line : Name) EXPECT_LE(Fm.horizontalAdvance(Line), 70) << Line.toStdString();

  // A word a little too wide for a narrow cell is set smaller rather than broken.
  const QString Word = "остролистом";
  const int Narrow = Fm.horizontalAdvance(Word) - 6;
  const QFont Smaller = ThumbTitleFont(V.font(), "Бубенцы с " + Word, Narrow);
  EXPECT_LE(QFontMetricsF(Smaller).horizontalAdvance(Word), Narrow);
  EXPECT_EQ(WrapThumbTitle(Smaller, "Бубенцы с " + Word, Narrow), (QStringList{"Бубенцы с", Word}));
  EXPECT_EQ(ThumbTitleFont(V.font(), "Снег", 100), V.font());

  // The strip holds three lines; the cells grew for it and the picture stays above it.
  const int Step = Fm.lineSpacing();
  EXPECT_GE(V.Model().TitleHeight(), ThumbTitleLinesMax * Step);
  EXPECT_EQ(V.Model().CellSize().cy, 110 + V.Model().TitleHeight() - ThumbTitleHeight);
  const TSize Cs = V.Model().CellSize();
  const TRect Strip = ThumbTitleRect(Cs, T_Down, V.Model().TitleHeight());
  for (int I = 0; I < 3; ++I) EXPECT_LE(V.Model().Cell(I).PictureRect.Bottom, Strip.Top) << I;
  // As with a one-line strip: 96 x 96 at 90 % of the 102 x 87 area.
  EXPECT_EQ(V.Model().Cell(1).PictureRect.Height(), 86);

  // The text in cell 1's strip spans more than one line.
  const QImage Shot = V.grab().toImage();
  const char* Out = std::getenv("PELMORA_THUMBVIEW_TITLES_SHOT");
  if (Out)
    Shot.save(QString::fromUtf8(Out));
  const TRect C1 = V.Model().VisibleCellRect(1);
  const QColor Back = V.palette().color(QPalette::Button);
  int TopInk = -1, BottomInk = -1;
  for (int Y = C1.Top + Strip.Top + 2; Y < C1.Top + Strip.Bottom - 2; ++Y)
    for (int X = C1.Left + 3; X < C1.Right - 3; ++X) {
      const QColor Px = Shot.pixelColor(X, Y);
      if (std::abs(Px.lightness() - Back.lightness()) > 60) {
        if (TopInk < 0)
          TopInk = Y;
        BottomInk = Y;
      }
    }
  EXPECT_GT(BottomInk - TopInk, Step) << TopInk << " " << BottomInk;

  // The tooltip over a cell gives its whole title; off the cells there is none.
  const TRect C2 = V.Model().VisibleCellRect(2);
  EXPECT_EQ(V.TitleTipAt(Centre(C2)), Long);
  EXPECT_EQ(V.TitleTipAt(Centre(C1)), Endless);
  EXPECT_EQ(V.TitleTipAt({C1.Right + 2, C1.Top + 10}), QString());
  QHelpEvent Help(QEvent::ToolTip, Centre(C2), V.mapToGlobal(Centre(C2)));
  QApplication::sendEvent(&V, &Help);
  EXPECT_EQ(QToolTip::text(), Long);
  QToolTip::hideText();
}

TEST(TTHumbview, ClosingWhileLoadingIsSafe) {
  RegisterPictureCodecs();
  TFolder F;
  for (int I = 0; I < 40; ++I)
    F.Picture("p" + std::to_string(100 + I) + ".jpg", 640, 480,
              [I](int X, int Y) { return Rgb(X / 3 + I, Y / 2, 128); });
  auto V = std::make_unique<TTHumbview>();
  V->SetDirectory(F.Path());
  V->resize(300, 300);
  V->show();
  QElapsedTimer T;
  T.start();
  while (!V->Model().Painted() && T.elapsed() < 10000)
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(V->Count(), 40);
  V.reset();  // pictures may still be on their way
  QApplication::processEvents();
  EXPECT_EQ(TStatusProgress::Instance().Total(), 0) << "a closed picker leaves the status bar";
}

TEST(TStatusProgress, ScanReportsItsCellsUntilTheLastPictureIsIn) {
  RegisterPictureCodecs();
  TFolder F;
  FillFolder(F);
  struct TSeen {
    QString Text;
    int Done, Total;
  };
  std::vector<TSeen> Seen;
  TStatusProgress& P = TStatusProgress::Instance();
  const auto Connection = QObject::connect(&P, &TStatusProgress::Changed,
                                           [&](const QString& Text, int Done, int Total) {
                                             Seen.push_back({Text, Done, Total});
                                           });
  TTHumbview V;
  V.SetDirectory(F.Path());
  V.resize(300, 300);
  V.show();
  WaitForScan(V);
  QObject::disconnect(Connection);
  ASSERT_GE(Seen.size(), 2u);
  EXPECT_EQ(Seen.front().Total, 6);
  EXPECT_TRUE(Seen.front().Text.startsWith("Загрузка миниатюр: pelmora-thumbview-"))
      << Seen.front().Text.toStdString();
  for (size_t I = 1; I + 1 < Seen.size(); ++I) EXPECT_GE(Seen[I].Done, Seen[I - 1].Done);
  EXPECT_EQ(Seen.back().Total, 0);
  EXPECT_EQ(P.Text(), "");
}

TEST(TStatusProgress, SumsWorkThatRunsAtOnce) {
  TStatusProgress& P = TStatusProgress::Instance();
  int A = 0, B = 0;
  P.Report(&A, "первая", 1, 4);
  P.Report(&B, "вторая", 2, 10);
  EXPECT_EQ(P.Done(), 3);
  EXPECT_EQ(P.Total(), 14);
  EXPECT_EQ(P.Text(), "вторая");
  P.Report(&B, "вторая", 10, 10);  // done: ends it
  EXPECT_EQ(P.Total(), 4);
  P.End(&A);
  P.End(&A);  // twice is harmless
  EXPECT_EQ(P.Total(), 0);
  EXPECT_EQ(P.Text(), "");
}
