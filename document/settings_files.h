#pragma once
// The two settings files next to the executable: "View.kvp" (the editor background) and
// "CForm.kvp" (the window's placement), and the colour-to-text conversion "View.kvp" uses.
#include <cstdint>
#include <optional>
#include <string>

#include "color32.h"

// "clGray", "clBtnFace", ... for the named colours, otherwise "$" and eight hexadecimal digits
// ("$00FF8000"). Colours are platform colours (0x00BBGGRR or a system colour).
std::string ColorToString(TPlatformColor Color);
// Names (any letter case), "$" hexadecimal or decimal numbers; nothing for other text.
std::optional<TPlatformColor> StringToColor(const std::string& Text);

// The editor background: the checkerboard, or a colour.
struct TViewSettings {
  bool Chess = false;
  TPlatformColor Color = 0x808080;  // clGray
};

// Reads "View.kvp"; a missing file or unreadable colour leaves the defaults.
TViewSettings ReadViewSettings(const std::string& FileName);
// "CHESS" or the colour's text, at most 30 characters, no line end. False when not written.
bool WriteViewSettings(const std::string& FileName, const TViewSettings& Settings);

// "Undo.kvp": the undo history's memory budget, one decimal number of megabytes (at least 16).
// A missing file, or text that is not such a number, gives the default (DefaultUndoBudgetMb).
constexpr uint64_t DefaultUndoBudgetMb = 1024;
uint64_t ReadUndoBudget(const std::string& FileName);

// One 24-byte record, little-endian.
struct TFormSettings {
  uint8_t WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  int32_t PanelSide = 2;  // 1 left, 2 right
};

// Nothing when the file is missing, short or damaged.
std::optional<TFormSettings> ReadFormSettings(const std::string& FileName);
bool WriteFormSettings(const std::string& FileName, const TFormSettings& Settings);
