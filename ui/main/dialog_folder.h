#pragma once
// Where the file dialogs start: the folder of the card's own file, else the folder last used in
// a file dialog, else the user's Pictures folder (the home folder when there is none). The last
// folder is kept between runs in a settings file of one line.
#include <QString>

QString DialogStartFolder(const QString& CardFile, const QString& LastFolder);

// The folder kept in SettingsFile; empty when there is none.
QString ReadLastFolder(const QString& SettingsFile);
// False when the file could not be written (the folder is then kept for this run only).
bool WriteLastFolder(const QString& SettingsFile, const QString& Folder);
