#pragma once
// Greeting texts by occasion: the plain UTF-8 files of the "BDG" folder next to the program.
#include <cstdint>
#include <string>
#include <vector>

// One occasion of the caption dialog's list and its file inside the folder "BDG".
struct TOccasion {
  const char* Title;
  const char* FileName;
};

// The six occasions in list order: "Новый Год", "День рождения", "День Святого Валентина",
// "23 февраля", "8 марта", "К любому празднику".
const std::vector<TOccasion>& Occasions();

// Files larger than this are refused: a greeting list is a few kilobytes.
constexpr int64_t MaxGreetingFileBytes = int64_t{1} << 20;

// The contents of one greetings file.
struct TGreetingFile {
  // False when the file is missing, unreadable, too large or not UTF-8 text; Error then says
  // why, in Russian, and Text and Greetings are empty.
  bool Ok = false;
  std::string Error;
  // The whole text with line breaks as "\n" and without a byte-order mark.
  std::string Text;
  // The greetings: runs of non-blank lines separated by blank lines, each without its
  // surrounding blank lines.
  std::vector<std::string> Greetings;
};

// Reads a greetings file. Never throws for bad contents.
TGreetingFile LoadGreetingFile(const std::string& Path);
// Reads the file of occasion Index (0..5) from Folder + "/BDG/". An index outside the list
// gives an error result.
TGreetingFile LoadOccasion(const std::string& ProgramFolder, int32_t Index);

// Decodes text bytes as UTF-8: true when every sequence is well formed (no overlong forms, no
// surrogates, nothing above U+10FFFF) and no control character other than tab, CR and LF occurs.
bool IsCleanUtf8Text(const std::string& Bytes);
