#include "greetings.h"

#include <cstdio>
#include <memory>

#include "utf8.h"

const std::vector<TOccasion>& Occasions() {
  static const std::vector<TOccasion> List = {
      {"Новый Год", "NewYear.txt"},
      {"День рождения", "Birthday.txt"},
      {"День Святого Валентина", "Valentine.txt"},
      {"23 февраля", "Male.txt"},
      {"8 марта", "Female.txt"},
      {"К любому празднику", "All.txt"},
  };
  return List;
}

bool IsCleanUtf8Text(const std::string& Bytes) {
  return IsUtf8Where(Bytes, [](char32_t C) {
    return (C >= 0x20 || C == '\t' || C == '\n' || C == '\r') && C != 0x7F;
  });
}

namespace {

struct TFileCloser {
  void operator()(std::FILE* F) const { std::fclose(F); }
};

TGreetingFile Failure(const std::string& Message) {
  TGreetingFile R;
  R.Error = Message;
  return R;
}

// Splits text with "\n" line breaks into blocks of non-blank lines.
std::vector<std::string> SplitGreetings(const std::string& Text) {
  std::vector<std::string> Out;
  std::string Current;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos)
      End = Text.size();
    const std::string Line = Text.substr(Start, End - Start);
    const bool Blank = Line.find_first_not_of(" \t") == std::string::npos;
    if (Blank) {
      if (!Current.empty())
        Out.push_back(std::move(Current));
      Current.clear();
    } else {
      if (!Current.empty())
        Current += '\n';
      Current += Line;
    }
    Start = End + 1;
  }
  if (!Current.empty())
    Out.push_back(std::move(Current));
  return Out;
}

}  // namespace

TGreetingFile LoadGreetingFile(const std::string& Path) {
  const std::unique_ptr<std::FILE, TFileCloser> F(std::fopen(Path.c_str(), "rb"));
  if (!F)
    return Failure("Не найден файл поздравлений " + Path);
  // Read at most one byte more than allowed, so that a huge file (or an endless device) is
  // recognised without reading it all.
  std::string Bytes;
  char Buffer[16384];
  for (;;) {
    const size_t Got = std::fread(Buffer, 1, sizeof Buffer, F.get());
    if (Got > 0)
      Bytes.append(Buffer, Got);
    if (static_cast<int64_t>(Bytes.size()) > MaxGreetingFileBytes)
      return Failure("Файл поздравлений слишком велик: " + Path);
    if (Got < sizeof Buffer) {
      if (std::ferror(F.get()) != 0)
        return Failure("Ошибка чтения файла поздравлений " + Path);
      break;
    }
  }
  if (Bytes.size() >= 3 && Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    Bytes.erase(0, 3);
  if (!IsCleanUtf8Text(Bytes))
    return Failure("Файл поздравлений повреждён (это не текст в кодировке UTF-8): " + Path);
  TGreetingFile R;
  R.Ok = true;
  R.Text.reserve(Bytes.size());
  for (size_t I = 0; I < Bytes.size(); ++I) {
    if (Bytes[I] == '\r') {
      R.Text += '\n';
      if (I + 1 < Bytes.size() && Bytes[I + 1] == '\n')
        ++I;
    } else {
      R.Text += Bytes[I];
    }
  }
  R.Greetings = SplitGreetings(R.Text);
  return R;
}

TGreetingFile LoadOccasion(const std::string& ProgramFolder, int32_t Index) {
  if (Index < 0 || Index >= static_cast<int32_t>(Occasions().size()))
    return Failure("Нет такого праздника в списке");
  std::string Folder = ProgramFolder;
  if (!Folder.empty() && Folder.back() != '/')
    Folder += '/';
  return LoadGreetingFile(Folder + "BDG/" + Occasions()[size_t(Index)].FileName);
}
