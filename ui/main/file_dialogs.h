#pragma once
// The main window's file dialogs: the save dialog of "Сохранить как..." and "Экспорт открытки",
// which names the file it would replace before it does, and the picture dialog of "Добавить
// фотографию" with a preview of the chosen picture beside the list.
#include <QString>
#include <functional>
#include <string>

#include "save_flat_image.h"

class QWidget;

// Asks "Файл «…» уже существует. Заменить его?"; true to replace.
using TAskReplace = std::function<bool(const QString& Path)>;

// The save dialog in Folder, offering Suggested (a name without its extension; may be empty)
// in Format's filter. On return Typed is the chosen name without the format's extension, as
// SaveAsFileName takes it, and Format the chosen filter's. A name whose file exists is taken
// only when AskReplace agrees; otherwise the dialog shows again. False when cancelled.
bool AskSaveFileName(QWidget* Parent, const QString& Title, const QString& Folder,
                     std::string& Typed, TSaveFormat& Format, const TAskReplace& AskReplace);

// The question of AskSaveFileName as a message box.
bool AskReplaceFile(QWidget* Parent, const QString& Path);

// An open dialog for pictures with a preview of the picture under the cursor beside the list;
// "" when cancelled.
QString AskPictureFileName(QWidget* Parent, const QString& Title, const QString& Folder,
                           const QString& Filter);
