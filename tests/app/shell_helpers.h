#pragma once
// Running the batch tool through the shell in tests: quoting and reading what it wrote.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// S as one shell word, whatever it holds.
inline std::string Quote(const std::string& S) {
  std::string Q = "'";
  for (char C : S) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

inline std::string ReadText(const std::filesystem::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}
