// The full-screen preview, reached through its tool button and its menu item.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

#include "main_form_fixture.h"

namespace {

// What a look at the screen found while the preview was up.
struct TSeen {
  bool Window = false;  // a visible full-screen window other than the editor
  QRect Geometry;
  QImage Shot;
};

// The visible full-screen window other than Form; nullptr when there is none.
QWidget* FullScreenWindow(const QWidget* Form) {
  for (QWidget* W : QApplication::topLevelWidgets())
    if (W != Form && W->isVisible() && W->isFullScreen())
      return W;
  return nullptr;
}

}  // namespace

TEST_F(TMainFormFixture, PreviewShowsTheWholeCardFullScreenUntilEscapeOrAClick) {
  Make();
  // A card wider than the screen's proportions: fitted, it spans the width with black above
  // and below.
  Form->Document().NewCanvas(100, 40, 0xFF102030);
  Form->UpdateActions();
  const bool Modified = Form->Document().Modified;
  QToolButton* Button = FindToolButton(Form.get(), QStringLiteral("Просмотр"));
  ASSERT_NE(Button, nullptr);
  QAction* Item =
      FindMenuItem(Form->Menu(TMainAction::ViewMenu), QStringLiteral("Полноэкранный просмотр"));
  ASSERT_NE(Item, nullptr);
  const QRect Screen = Form->screen()->geometry();
  // The button twice (closed by Escape, then by a click), then the menu item.
  for (int Try = 0; Try < 3; ++Try) {
    SCOPED_TRACE(Try);
    TSeen Seen;
    QTimer::singleShot(100, [&] {
      if (QWidget* W = FullScreenWindow(Form.get())) {
        Seen.Window = true;
        Seen.Geometry = W->geometry();
        Seen.Shot = W->grab().toImage();
        if (Try == 1) {
          ClickAt(W->childAt(W->rect().center()));
        } else {
          QKeyEvent Esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
          QApplication::sendEvent(W, &Esc);
        }
      }
      // Whatever came up instead is closed, so that the test goes on.
      for (QWidget* W : QApplication::topLevelWidgets())
        if (W != Form.get() && W->isVisible())
          W->close();
    });
    if (Try < 2)
      ClickAt(Button);
    else
      Item->trigger();
    ASSERT_TRUE(Seen.Window);
    EXPECT_EQ(Seen.Geometry, Screen);
    const QImage& Shot = Seen.Shot;
    ASSERT_EQ(Shot.size(), Screen.size());
    const int Mx = Shot.width() / 2, My = Shot.height() / 2;
    // The whole width of the screen is card; the bands above and below are black.
    for (const QPoint P : {QPoint(Mx, My), QPoint(1, My), QPoint(Shot.width() - 2, My)})
      EXPECT_EQ(Shot.pixel(P) & 0xFFFFFF, 0x102030u) << P.x() << "," << P.y();
    for (const QPoint P : {QPoint(Mx, 1), QPoint(Mx, Shot.height() - 2)})
      EXPECT_EQ(Shot.pixel(P) & 0xFFFFFF, 0u) << P.x() << "," << P.y();
    EXPECT_EQ(FullScreenWindow(Form.get()), nullptr);
    EXPECT_FALSE(Button->isDown());
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(Form->Document().Modified, Modified);
}

TEST_F(TMainFormFixture, PreviewWaitsForACard) {
  Make();
  QToolButton* Button = FindToolButton(Form.get(), QStringLiteral("Просмотр"));
  ASSERT_NE(Button, nullptr);
  QAction* Item =
      FindMenuItem(Form->Menu(TMainAction::ViewMenu), QStringLiteral("Полноэкранный просмотр"));
  ASSERT_NE(Item, nullptr);
  EXPECT_FALSE(Button->isEnabled());
  EXPECT_FALSE(Item->isEnabled());
  Form->Document().NewCanvas(20, 10, 0xFFFFFFFF);
  Form->UpdateActions();
  EXPECT_TRUE(Button->isEnabled());
  EXPECT_TRUE(Item->isEnabled());
}
