#include "user_error_text.h"

#include <new>

#include "exceptions.h"

namespace {

bool StartsWith(const std::string& S, const char* Prefix) {
  return S.rfind(Prefix, 0) == 0;
}

std::string PictureText(const std::string& Message) {
  constexpr const char* Unknown = "Unknown picture file extension (";
  if (StartsWith(Message, Unknown)) {
    std::string Ext = Message.substr(std::char_traits<char>::length(Unknown));
    if (!Ext.empty() && Ext.back() == ')')
      Ext.pop_back();
    if (Ext.empty())
      return "У файла нет расширения, по которому можно узнать формат картинки";
    return "Неизвестный формат картинки (" + Ext + ")";
  }
  if (StartsWith(Message, "Bitmap image"))
    return "Картинка BMP повреждена или имеет неподдерживаемый вид";
  return Message;
}

}  // namespace

std::string UserErrorText(const std::exception& E) {
  if (dynamic_cast<const std::bad_alloc*>(&E) != nullptr)
    return "Недостаточно памяти";
  if (const auto* B = dynamic_cast<const EBitmapError*>(&E)) {
    if (B->Width() > 0 && B->Height() > 0)
      return "Недостаточно памяти для изображения " + std::to_string(B->Width()) + " × " +
             std::to_string(B->Height());
    return "Недостаточно памяти для изображения";
  }
  const std::string Message = E.what();
  if (dynamic_cast<const EInvalidGraphic*>(&E) != nullptr)
    return PictureText(Message);
  if (dynamic_cast<const EReadError*>(&E) != nullptr)
    return "Данные повреждены: они кончаются раньше, чем должны";
  if (dynamic_cast<const ETransformError*>(&E) != nullptr) {
    if (Message == "Assertion failure")
      return "Преобразование изображения невозможно: его параметры вырождены";
    return "Преобразование изображения невозможно: пустое изображение или неверная область";
  }
  if (dynamic_cast<const EListError*>(&E) != nullptr ||
      dynamic_cast<const EThreadPersistentError*>(&E) != nullptr)
    return "Внутренняя ошибка программы";
  if (StartsWith(Message, "Bitmap image"))
    return PictureText(Message);
  return Message;
}

std::string OpenFileErrorText(const std::string& FileName, const std::exception& E) {
  const std::string Reason = UserErrorText(E);
  if (Reason.find("\"" + FileName + "\"") != std::string::npos)
    return Reason;
  return "Не удалось открыть файл \"" + FileName + "\".\n" + Reason;
}
