#pragma once
// A panel of the main window's side panel: a header with a caption and, optionally, the
// "Свернуть" and "Развернуть" buttons that set its height.
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

class TSidePanelSection : public QFrame {
  Q_OBJECT
 public:
  // ExpandedHeight 0: a panel without collapse buttons, as tall as its contents.
  TSidePanelSection(const QString& Caption, int ExpandedHeight, QWidget* Parent = nullptr);

  QVBoxLayout* Body() const { return FBody; }
  QToolButton* CollapseButton() const { return FCollapse; }
  QToolButton* ExpandButton() const { return FExpand; }
  void Collapse();
  void Expand();
  // The expanded height: the one given, or taller when the contents need more (larger fonts),
  // so that no control is cut or covered. Called once the contents are in place.
  void FitContents();
  bool Collapsed() const { return FCollapsed; }

  static constexpr int HeaderHeight = 21;

 private:
  QWidget* FContents;
  QVBoxLayout* FBody;
  QToolButton* FCollapse = nullptr;
  QToolButton* FExpand = nullptr;
  int FExpandedHeight;
  bool FCollapsed = false;
};
