#pragma once
// A main window over a temporary program folder, with the error report collected instead of
// shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <memory>

#include "main_form.h"

struct TMainFormFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void Make() {
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->Dialogs.OpenUrl = [](const QUrl&) {};
    Form->resize(1000, 700);
    Form->show();
  }
  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
};

// The item Caption of Menu or of one of its submenus; nullptr when there is none.
inline QAction* FindMenuItem(QMenu* Menu, const QString& Caption) {
  for (QAction* A : Menu->actions()) {
    if (A->text() == Caption)
      return A;
    if (A->menu() != nullptr)
      if (QAction* Inner = FindMenuItem(A->menu(), Caption))
        return Inner;
  }
  return nullptr;
}

// The tool button of Form whose caption, without its padding spaces, is Caption.
inline QToolButton* FindToolButton(QWidget* Form, const QString& Caption) {
  for (QToolButton* B : Form->findChildren<QToolButton*>())
    if (B->text().trimmed() == Caption)
      return B;
  return nullptr;
}

// A left click at At in W (its middle when not given), as the mouse makes it.
inline void ClickAt(QWidget* W, QPoint At = QPoint(-1, -1)) {
  if (At.x() < 0)
    At = W->rect().center();
  QMouseEvent Press(QEvent::MouseButtonPress, QPointF(At), W->mapToGlobal(QPointF(At)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(W, &Press);
  QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(At), W->mapToGlobal(QPointF(At)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(W, &Release);
}

// A control of the main window, found by its object name ("ScaleCombo", "LayerSection").
template <class T>
T* FormChild(const TMainForm& Form, const char* Name) {
  return Form.findChild<T*>(QString::fromUtf8(Name));
}
