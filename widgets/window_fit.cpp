#include "window_fit.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Widens its window to its title on each showing and title change.
class TTitleKeeper : public QObject {
 public:
  explicit TTitleKeeper(QWidget& Window) : QObject(&Window), FWindow(Window) {
    Window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Watched == &FWindow &&
        (Event->type() == QEvent::Show || Event->type() == QEvent::WindowTitleChange))
      Apply();
    return false;
  }

 private:
  void Apply() {
    const int Content = FWindow.layout() != nullptr ? FWindow.layout()->totalMinimumSize().width()
                                                    : FWindow.minimumSizeHint().width();
    const int Needed = std::min(TitleFitWidth(FWindow), AvailableWindowSize(FWindow).width());
    const int Least = std::max({Content, Needed, FWindow.minimumWidth()});
    if (FWindow.minimumWidth() < Least)
      FWindow.setMinimumWidth(Least);
    if (FWindow.width() < Least)
      FWindow.resize(Least, FWindow.height());
  }

  QWidget& FWindow;
};

}  // namespace

QString ShownTitle(const QWidget& Window) {
  // Qt adds the program's name to the title it hands to the window manager.
  const QString Title = Window.windowTitle(), Name = QGuiApplication::applicationDisplayName();
  if (Name.isEmpty() || Title == Name)
    return Title;
  return Title + QStringLiteral(" \u2014 ") + Name;
}

int TitleFitWidth(const QWidget& Window) {
  QFont Font = QApplication::font();
  Font.setBold(true);
  return QFontMetrics(Font).horizontalAdvance(ShownTitle(Window)) + TitleButtonsWidth;
}

void KeepTitleWhole(QWidget& Window) {
  new TTitleKeeper(Window);
}

QSize AvailableWindowSize(const QWidget& Window) {
  const QScreen* Screen = Window.screen();
  if (Screen == nullptr)
    Screen = QGuiApplication::primaryScreen();
  if (Screen == nullptr)
    return {1024, 768};
  return (Screen->availableGeometry().size() - WindowFrameAllowance).expandedTo(QSize(200, 150));
}

QPoint KeepInside(QPoint At, const QSize& Size, const QRect& Area) {
  if (Area.isEmpty())
    return At;
  At.setX(std::max(Area.left(), std::min(At.x(), Area.right() + 1 - Size.width())));
  At.setY(std::max(Area.top(), std::min(At.y(), Area.bottom() + 1 - Size.height())));
  return At;
}
