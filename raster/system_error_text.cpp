#include "system_error_text.h"

#include <cerrno>

std::string SystemErrorText(int Err) {
  switch (Err) {
    case ENOENT:
      return "файл не найден";
    case EACCES:
    case EPERM:
      return "нет доступа";
    case ENOSPC:
      return "нет места на диске";
    case EDQUOT:
      return "исчерпана дисковая квота";
    case EROFS:
      return "диск только для чтения";
    case EISDIR:
      return "это папка, а не файл";
    case ENOTDIR:
      return "часть пути не является папкой";
    case ENAMETOOLONG:
      return "слишком длинное имя файла";
    case ELOOP:
      return "слишком много символических ссылок подряд";
    case EIO:
      return "ошибка ввода-вывода";
    case EMFILE:
    case ENFILE:
      return "открыто слишком много файлов";
    case EFBIG:
      return "файл слишком велик";
    case ENOMEM:
      return "недостаточно памяти";
    case EEXIST:
      return "файл уже существует";
    case EBUSY:
    case ETXTBSY:
      return "файл занят";
    case EXDEV:
      return "файл на другом диске";
    case EINVAL:
      return "недопустимое имя или действие";
    case ENXIO:
    case ENODEV:
      return "устройство недоступно";
    case EPIPE:
      return "получатель данных закрыт";
    default:
      return "системная ошибка " + std::to_string(Err);
  }
}

std::string FileErrorText(const char* Action, const std::string& FileName, int Err) {
  return std::string("Не удалось ") + Action + " файл \"" + FileName +
         "\": " + SystemErrorText(Err);
}
