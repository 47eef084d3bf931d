#pragma once
// A main window over a temporary program folder, with the error report collected instead of
// shown.
#include <gtest/gtest.h>

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
