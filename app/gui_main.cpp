// Program start of the editor: the application object, the main window, the event loop.
#include <QApplication>
#include <QTimer>
#include <cstdlib>

#include "main_form.h"
#include "picture_codecs.h"
#include "qt_translation.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  // Standard dialogs and buttons speak Russian like the rest of the program.
  InstallQtTranslation(App);
  RegisterPictureCodecs();
  QApplication::setApplicationName(QStringLiteral("Pelmora"));
  QApplication::setApplicationDisplayName(QStringLiteral("Pelmora"));
  TMainForm MainForm(QApplication::applicationDirPath());
  MainForm.show();
  QStringList Arguments = QApplication::arguments();
  Arguments.removeFirst();
  // A card an earlier run could not save comes first; then a file named on the command line.
  if (!MainForm.OfferRecovery())
    MainForm.Run([&] { MainForm.OpenFromCommandLine(Arguments); });
  // For scripted checks: close the window once it has been shown and the event loop runs.
  if (const char* Delay = std::getenv("PELMORA_CLOSE_AFTER_MS")) {
    QTimer::singleShot(std::atoi(Delay), &MainForm, [&MainForm] { MainForm.close(); });
  }
  return QApplication::exec();
}
