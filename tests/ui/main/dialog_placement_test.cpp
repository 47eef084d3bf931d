// Where previewing dialogs open: the rule against a window, its side panel and the selected
// layer, and a dialog moved by the user opening where it was put.
#include "dialog_placement.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QTemporaryDir>

namespace {

TEST(DialogPlacement, BesideTheCardAndWholeOnTheScreen) {
  const QRect Screen(0, 0, 1600, 1000);
  const QRect Window(100, 50, 1200, 850);  // right edge at x = 1299
  const QRect Panel(1000, 120, 300, 760);  // the side panel on the right
  const QSize Dialog(420, 500);
  struct TRow {
    const char* Case;
    QRect Window, Panel;
    bool PanelOnLeft;
    QRect Focus;
    QSize Dialog;
    QPoint Want;
  };
  const TRow Rows[] = {
      {"nothing selected: over the panel, flush right",
       Window,
       Panel,
       false,
       QRect(),
       Dialog,
       {880, 120}},
      {"a layer far from the panel",
       Window,
       Panel,
       false,
       QRect(200, 200, 300, 300),
       Dialog,
       {880, 120}},
      {"a layer under the panel's dialog: the window's left edge",
       Window,
       Panel,
       false,
       QRect(900, 300, 200, 200),
       Dialog,
       {100, 120}},
      {"the panel on the left",
       Window,
       QRect(100, 120, 300, 760),
       true,
       QRect(),
       Dialog,
       {100, 120}},
      {"a dialog too wide for the screen keeps its left edge on it",
       Window,
       Panel,
       false,
       QRect(),
       QSize(2000, 500),
       {0, 120}},
      {"the window off the screen's bottom: pulled up",
       QRect(100, 700, 1200, 850),
       QRect(1000, 770, 300, 760),
       false,
       QRect(),
       Dialog,
       {880, 500}},
  };
  for (const TRow& R : Rows)
    EXPECT_EQ(PlaceBesideCard(R.Window, R.Panel, R.PanelOnLeft, R.Focus, R.Dialog, Screen), R.Want)
        << R.Case;
}

TEST(DialogPlacement, AMovedDialogOpensWhereTheUserPutIt) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Store = Dir.filePath(QStringLiteral("Dialogs.ini"));
  const auto Scene = [] {
    TPlacementScene S;
    S.Window = QRect(0, 0, 700, 500);
    S.Panel = QRect(450, 40, 250, 440);
    return S;
  };
  QObject Owner;
  auto* Placer = new TDialogPlacer(Scene, Store, &Owner);
  QDialog D;
  D.resize(200, 150);
  Placer->Watch(&D);
  D.show();
  // Over the side panel, its frame flush with the panel's right edge.
  EXPECT_EQ(D.pos().y(), 40);
  EXPECT_EQ(D.pos().x() + D.frameGeometry().width(), 700);
  D.move(30, 60);
  D.hide();
  D.show();
  EXPECT_EQ(D.pos(), QPoint(30, 60));
  D.hide();

  // A new run reads the place back.
  QObject Owner2;
  auto* Again = new TDialogPlacer(Scene, Store, &Owner2);
  QDialog D2;
  D2.resize(200, 150);
  Again->Watch(&D2);
  D2.show();
  EXPECT_EQ(D2.pos(), QPoint(30, 60));
}

}  // namespace

namespace {

// A picker opens at its default size the first time and at the size the user gave it later.
TEST(DialogPlacement, APickerKeepsTheSizeTheUserGaveIt) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const auto Scene = [] {
    TPlacementScene S;
    S.Window = QRect(0, 0, 700, 500);
    S.Panel = QRect(450, 40, 250, 440);
    return S;
  };
  QObject Owner;
  auto* Placer = new TDialogPlacer(Scene, Dir.filePath(QStringLiteral("Dialogs.ini")), &Owner);
  QDialog D;
  Placer->WatchSize(&D, QSize(320, 280));
  EXPECT_TRUE(D.isSizeGripEnabled());
  D.show();
  EXPECT_EQ(D.size(), QSize(320, 280));
  D.resize(400, 300);
  D.hide();
  D.show();
  EXPECT_EQ(D.size(), QSize(400, 300));
}

}  // namespace
