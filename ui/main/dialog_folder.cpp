#include "dialog_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Longest line read back: a path, not a whole file someone put there.
constexpr qint64 MaxLine = 4096;

}  // namespace

QString DialogStartFolder(const QString& CardFile, const QString& LastFolder) {
  if (!CardFile.isEmpty()) {
    const QString Folder = QFileInfo(CardFile).absolutePath();
    if (QFileInfo(Folder).isDir())
      return Folder;
  }
  if (!LastFolder.isEmpty() && QFileInfo(LastFolder).isDir())
    return LastFolder;
  const QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!Pictures.isEmpty() && QFileInfo(Pictures).isDir())
    return Pictures;
  return QDir::homePath();
}

QString ReadLastFolder(const QString& SettingsFile) {
  QFile F(SettingsFile);
  if (!F.open(QIODevice::ReadOnly))
    return {};
  return QString::fromUtf8(F.readLine(MaxLine)).trimmed();
}

bool WriteLastFolder(const QString& SettingsFile, const QString& Folder) {
  QSaveFile F(SettingsFile);
  if (!F.open(QIODevice::WriteOnly))
    return false;
  F.write(Folder.toUtf8());
  F.write("\n");
  return F.commit();
}
