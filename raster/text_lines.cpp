#include "text_lines.h"

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t End = Text.find('\n', Pos);
    if (End == std::string::npos)
      End = Text.size();
    std::string Line = Text.substr(Pos, End - Pos);
    if (!Line.empty() && Line.back() == '\r')
      Line.pop_back();
    Lines.push_back(std::move(Line));
    Pos = End + 1;
  }
  return Lines;
}
