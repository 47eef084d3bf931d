#pragma once
// Qt's own texts (standard dialogs, message box buttons, context menus of edit fields) in
// Russian, as the rest of the interface.
#include <QCoreApplication>

// Loads Qt's Russian translation (qtbase_ru from Qt's translations folder) into the
// application and makes Russian the default locale. False when the translation is not
// installed; the dialogs then stay in English.
bool InstallQtTranslation(QCoreApplication& App);
