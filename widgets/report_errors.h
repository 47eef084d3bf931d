#pragma once
// Runs a window's handler and hands whatever it raises to Report as one line of text, so that
// no exception leaves a Qt event handler. Without Report (or when Report itself fails) the
// text goes to the warning log.
#include <QString>
#include <QtGlobal>
#include <exception>
#include <functional>
#include <new>

#include "user_error_text.h"

// True when the handler finished without raising.
inline bool RunReportingErrors(const std::function<void()>& Handler,
                               const std::function<void(const QString& Text)>& Report) {
  QString Text;
  try {
    Handler();
    return true;
  } catch (const std::bad_alloc&) {
    Text = QStringLiteral("Недостаточно памяти");
  } catch (const std::exception& E) {
    Text = QString::fromStdString(UserErrorText(E));
  } catch (...) {
    Text = QStringLiteral("Неизвестная ошибка");
  }
  try {
    if (Report) {
      Report(Text);
      return false;
    }
  } catch (...) {
  }
  qWarning("%s", qUtf8Printable(Text));
  return false;
}
