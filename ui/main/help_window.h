#pragma once
// "Справка": the help page shipped with the program, shown in a window of its own, offline.
// Links to other pages of the help follow inside; links to the web are not followed.
#include <QDialog>

class QTextBrowser;

class THelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* Parent);
  // Shows the page File (a local HTML file) and raises the window; false when the file cannot
  // be read, the window then stays hidden.
  bool ShowPage(const QString& File);
  QTextBrowser* Browser() const { return FBrowser; }

 private:
  QTextBrowser* FBrowser;
};
