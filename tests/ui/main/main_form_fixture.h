#pragma once
// A main window over a temporary program folder, with the error report collected instead of
// shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "main_form.h"

struct TMainFormFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void Make() {
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->ShowError = [this](const QString& T) { Errors << T; };
    Form->OpenUrl = [](const QUrl&) {};
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
