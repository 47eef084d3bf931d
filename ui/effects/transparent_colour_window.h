#pragma once
// "Прозрачный цвет" (TSTC): the small window that stays on top of the main window while the
// view picks a colour to make transparent. It shows the colour under the mouse; "Закрыть" ends
// the pick mode.
#include <QWidget>
#include <functional>

#include "color32.h"

class QPushButton;
class TColourPanel;

class TSTC : public QWidget {
  Q_OBJECT
 public:
  explicit TSTC(QWidget* Parent);

  // The window was closed, by "Закрыть", its close box or the pick (the view's cursor goes back
  // to the default).
  std::function<void()> OnClosed;

  // The colour under the mouse, shown in Panel1.
  void ShowColour(TColor32 Colour);

  TColourPanel* Panel1;
  QPushButton* CloseButton;  // "Закрыть"

 protected:
  void closeEvent(QCloseEvent* E) override;
};
