#pragma once
// The dialogs and desktop services the main window asks: message boxes, questions, the save and
// new-project dialogs, the page set-up and opening links. The window fills them with the real
// ones; tests replace them.
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "save_flat_image.h"

class QPrinter;

struct TMainDialogs {
  // The message box of the general error report.
  std::function<void(const QString& Text)> ShowError;
  // An information box titled "Pelmora".
  std::function<void(const QString& Text)> ShowMessage;
  // Opens a file or link with the desktop's handler.
  std::function<void(const QUrl& Url)> OpenUrl;
  // The page set-up dialog of "Параметры печати" on the printer in use; true when confirmed.
  std::function<bool(QPrinter& Printer)> AskPageSetup;
  // The question of TMainForm::SaveQuestionText: Yes, No or Cancel.
  std::function<QMessageBox::StandardButton()> AskSaveQuestion;
  // "Восстановить" (true) or "Удалить" (false) for the found recovery copy described by Text.
  std::function<bool(const QString& Text)> AskRestore;
  // The save dialog: Typed comes in as the name offered (without its extension) and goes out
  // as the chosen one; Format is the chosen filter's.
  std::function<bool(std::string& Typed, TSaveFormat& Format)> AskSaveName;
  // The new-project dialog of "Новый": false when cancelled.
  std::function<bool(int& Width, int& Height)> AskNewSize;
};
