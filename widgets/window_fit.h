#pragma once
// Keeping the program's windows usable on small screens and under a window manager: a title
// bar wide enough for the window's title, and the room a window may take on its screen.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Room for a window manager's title-bar buttons beside the title.
constexpr int TitleButtonsWidth = 120;
// What a window leaves of its screen's available area for its frame and title bar.
constexpr QSize WindowFrameAllowance{24, 40};

// The title as a window manager shows it: the window's title followed by " — " and the
// program's name (QGuiApplication::applicationDisplayName), as Qt hands it over.
QString ShownTitle(const QWidget& Window);
// The width at which a title bar shows that title whole: the title in a bold face of the
// application's font, plus TitleButtonsWidth.
int TitleFitWidth(const QWidget& Window);

// From now on, each time Window is shown (and when its title changes) its minimum width is at
// least TitleFitWidth, and it is widened to that if it is narrower.
void KeepTitleWhole(QWidget& Window);

// The largest size Window's own area may take on its screen (the primary screen before it has
// one), leaving WindowFrameAllowance for the frame; a generous 1024 x 768 without a screen.
QSize AvailableWindowSize(const QWidget& Window);

// The top-left corner nearest to At that keeps a box of Size inside Area; Area's own corner
// where the box is larger, At itself for an empty Area.
QPoint KeepInside(QPoint At, const QSize& Size, const QRect& Area);
