#pragma once
// The effect routines as named commands with named parameters: the table the batch tool's
// "effect" verb offers, its parsing, and running one call on the document's effect target the
// way the editor runs the routine. Qt-free, shared by the batch tool and the editor.
#include <cstdint>
#include <string>
#include <vector>

#include "effect_shell.h"
#include "exceptions.h"

class TCardDocument;

// A call that names no effect, a parameter the effect does not take, a missing parameter or a
// value outside its range. The message is one line of Russian text.
class EEffectCommandError : public Exception {
 public:
  using Exception::Exception;
};

// The bitmap effects change: the selected bitmap layer's, else the canvas.
TEffectTarget EffectTarget(TCardDocument& Doc);

struct TEffectKey {
  const char* Name;
  int32_t Min, Max;
};

enum TEffectFormat {
  efInPlace32,  // on the target's TBitmap32, alpha kept
  efShell24,    // on a working RgbImage inside the 24-bit shell
};

struct TEffectCommand {
  const char* Name;
  TEffectFormat Format;
  std::vector<TEffectKey> Keys;
};

// Every command, in the order "effect --list" prints them.
const std::vector<TEffectCommand>& EffectCommands();
// One line per command: its name, then each key with its range ("amount=-200..200").
std::string EffectListText();

// A parsed call: the command and one value per key, in the table's key order.
struct TEffectCall {
  const TEffectCommand* Command = nullptr;
  std::vector<int32_t> Values;
};
// Arguments are "key=value" with decimal integer values; every key of the command must be
// given exactly once.
TEffectCall ParseEffectCall(const std::string& Name, const std::vector<std::string>& Arguments);

// Runs the call on the target: 32-bit routines in place, 24-bit ones through the shell (a
// canvas ends opaque, a layer keeps its alpha), then empties PreviewBackup as every effect
// command does. A routine's error propagates after PreviewBackup is emptied.
void RunEffectCall(const TEffectCall& Call, const TEffectTarget& Target);
