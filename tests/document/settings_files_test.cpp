#include "settings_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::filesystem::path TempFile(const std::string& Name) {
  const auto Dir =
      std::filesystem::temp_directory_path() / ("pelmora_settings_" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  return Dir / Name;
}

std::string Slurp(const std::filesystem::path& P) {
  std::ifstream F(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(SettingsFiles, ColourText) {
  struct Case {
    TPlatformColor Colour;
    const char* Text;
  };
  const Case Cases[] = {{0x808080, "clGray"},
                        {0xC0C0C0, "clSilver"},
                        {0x00FF8000, "$00FF8000"},
                        {0x00123456, "$00123456"},
                        {static_cast<TPlatformColor>(0x8000000F), "clBtnFace"},
                        {0x0000FF, "clRed"}};
  for (const Case& C : Cases) {
    EXPECT_EQ(ColorToString(C.Colour), C.Text);
    EXPECT_EQ(StringToColor(C.Text), C.Colour) << C.Text;
  }
  EXPECT_EQ(StringToColor("CLSILVER"), 0xC0C0C0);
  EXPECT_EQ(StringToColor("255"), 255);
  EXPECT_EQ(StringToColor("$ff"), 255);
  for (const char* Bad : {"", "clPink", "$", "$12345678FF", "12ab", "-"})
    EXPECT_FALSE(StringToColor(Bad).has_value()) << Bad;
}

TEST(SettingsFiles, ViewFile) {
  const auto P = TempFile("View.kvp");
  EXPECT_FALSE(ReadViewSettings((P.parent_path() / "absent.kvp").string()).Chess);
  std::ofstream(P) << "clSilver";
  TViewSettings S = ReadViewSettings(P.string());
  EXPECT_FALSE(S.Chess);
  EXPECT_EQ(S.Color, 0xC0C0C0);
  S.Chess = true;
  ASSERT_TRUE(WriteViewSettings(P.string(), S));
  EXPECT_EQ(Slurp(P), "CHESS");
  S.Chess = false;
  S.Color = 0x00FF8000;
  WriteViewSettings(P.string(), S);
  EXPECT_EQ(Slurp(P), "$00FF8000");
  std::ofstream(P) << "not a colour at all";
  EXPECT_EQ(ReadViewSettings(P.string()).Color, 0x808080);  // the default stays
}

TEST(SettingsFiles, FormFile) {
  const auto P = TempFile("CForm.kvp");
  TFormSettings S{2, -5, 10, 894, 626, 1};
  ASSERT_TRUE(WriteFormSettings(P.string(), S));
  const std::string Bytes = Slurp(P);
  ASSERT_EQ(Bytes.size(), 24u);
  const uint8_t Want[24] = {2,    0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 10, 0, 0, 0,
                            0x7E, 3, 0, 0, 0x72, 2,    0,    0,    1,  0, 0, 0};
  EXPECT_EQ(std::memcmp(Bytes.data(), Want, 24), 0);
  const auto R = ReadFormSettings(P.string());
  ASSERT_TRUE(R.has_value());
  EXPECT_EQ(R->WindowState, 2);
  EXPECT_EQ(R->Left, -5);
  EXPECT_EQ(R->PanelSide, 1);
  std::ofstream(P) << "short";
  EXPECT_FALSE(ReadFormSettings(P.string()).has_value());
  EXPECT_FALSE(ReadFormSettings((P.parent_path() / "absent.kvp").string()).has_value());
}

// "Undo.kvp": megabytes as a decimal number; anything else gives the default 1 GiB.
TEST(SettingsFiles, UndoBudgetFile) {
  constexpr uint64_t Mb = uint64_t{1} << 20;
  struct Case {
    const char* Text;  // nullptr: no file
    uint64_t Want;
  };
  const Case Cases[] = {{nullptr, 1024 * Mb}, {"2048", 2048 * Mb},       {" 300\r\n", 300 * Mb},
                        {"1", 16 * Mb},       {"", 1024 * Mb},           {"12x", 1024 * Mb},
                        {"-5", 1024 * Mb},    {"99999999999", 1024 * Mb}};
  const auto P = TempFile("Undo.kvp");
  for (const Case& C : Cases) {
    std::filesystem::remove(P);
    if (C.Text != nullptr)
      std::ofstream(P, std::ios::binary) << C.Text;
    EXPECT_EQ(ReadUndoBudget(P.string()), C.Want) << (C.Text ? C.Text : "(no file)");
  }
}
