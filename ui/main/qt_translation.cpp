#include "qt_translation.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslation(QCoreApplication& App) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // Owned by the application, so it lives as long as the texts are needed.
  auto* Translator = new QTranslator(&App);
  if (!Translator->load(QStringLiteral("qtbase_ru"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete Translator;
    return false;
  }
  return QCoreApplication::installTranslator(Translator);
}
