#pragma once
// Driving widgets from the dialog tests: typing into a field as the keyboard does, and letting
// the event loop run so that timers fire.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QThread>
#include <functional>

// Runs the event loop for about Ms milliseconds.
inline void RunEvents(int Ms) {
  QElapsedTimer T;
  T.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  } while (T.elapsed() < Ms);
}

// Runs the event loop until Done says so, at most Ms milliseconds; Done's last answer.
inline bool RunEventsUntil(const std::function<bool()>& Done, int Ms = 10000) {
  QElapsedTimer T;
  T.start();
  while (!Done() && T.elapsed() < Ms) RunEvents(5);
  return Done();
}

// Selects the field's text and types Text over it, one key press at a time.
inline void TypeInto(QLineEdit* Edit, const QString& Text) {
  Edit->setFocus();
  Edit->selectAll();
  for (const QChar C : Text) {
    QKeyEvent Press(QEvent::KeyPress, 0, Qt::NoModifier, QString(C));
    QApplication::sendEvent(Edit, &Press);
    QKeyEvent Release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(C));
    QApplication::sendEvent(Edit, &Release);
  }
}

// The same for the text field of a spin box.
inline void TypeInto(QAbstractSpinBox* Spin, const QString& Text) {
  TypeInto(Spin->findChild<QLineEdit*>(), Text);
}
