#pragma once
// The busy cursor for the length of a scope: around work that can take longer than a moment
// (reading and writing cards, effects). It never wraps a dialog that waits for the user.
#include <QApplication>
#include <QCursor>

class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};
