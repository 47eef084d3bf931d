// What the user reads for the raster core's errors, whose own messages stay English.
#include "user_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "bitmap32.h"
#include "exceptions.h"
#include "file_io.h"
#include "system_error_text.h"

namespace {

TEST(UserErrorText, AnOversizeBitmapNamesItsSizeInRussian) {
  TBitmap32 B;
  try {
    B.SetSize(100000, 100000);
    FAIL() << "the bitmap was allocated";
  } catch (const EBitmapError& E) {
    EXPECT_STREQ(E.what(), "Can't allocate the DIB handle");
    EXPECT_EQ(UserErrorText(E), "Недостаточно памяти для изображения 100000 × 100000");
  }
}

TEST(UserErrorText, TheCoresMessagesBecomeRussian) {
  struct TCase {
    std::exception_ptr Error;
    const char* Says;
  };
  const TCase Cases[] = {
      {std::make_exception_ptr(EInvalidGraphic("Unknown picture file extension (.xyz)")),
       "Неизвестный формат картинки (.xyz)"},
      {std::make_exception_ptr(EInvalidGraphic("Unknown picture file extension ()")),
       "У файла нет расширения, по которому можно узнать формат картинки"},
      {std::make_exception_ptr(EInvalidGraphic("Bitmap image is not valid: bad header")),
       "Картинка BMP повреждена или имеет неподдерживаемый вид"},
      {std::make_exception_ptr(ETransformError("Assertion failure")),
       "Преобразование изображения невозможно: его параметры вырождены"},
      {std::make_exception_ptr(EReadError("Stream read error")),
       "Данные повреждены: они кончаются раньше, чем должны"},
      {std::make_exception_ptr(Exception("Уже по-русски")), "Уже по-русски"},
  };
  for (const TCase& C : Cases) {
    try {
      std::rethrow_exception(C.Error);
    } catch (const std::exception& E) {
      EXPECT_EQ(UserErrorText(E), C.Says) << E.what();
    }
  }
}

TEST(UserErrorText, FileErrorsGiveTheSystemsReasonInRussian) {
  EXPECT_EQ(SystemErrorText(ENOENT), "файл не найден");
  EXPECT_EQ(SystemErrorText(ENOSPC), "нет места на диске");
  EXPECT_EQ(SystemErrorText(EACCES), "нет доступа");
  EXPECT_EQ(SystemErrorText(9999), "системная ошибка 9999");
  const std::string Missing =
      (std::filesystem::temp_directory_path() / "pelmora_no_such_file.bmp").string();
  try {
    ReadFileBytes(Missing, 100);
    FAIL();
  } catch (const EFileError& E) {
    EXPECT_EQ(std::string(E.what()), "Не удалось открыть файл \"" + Missing + "\": файл не найден");
    EXPECT_EQ(E.Reason(), "файл не найден");
    // Opening it says so once, not the file's name twice.
    EXPECT_EQ(OpenFileErrorText(Missing, E), E.what());
  }
  EXPECT_EQ(OpenFileErrorText("/a/b.jpg", Exception("Картинка JPEG повреждена")),
            "Не удалось открыть файл \"/a/b.jpg\".\nКартинка JPEG повреждена");
}

}  // namespace
