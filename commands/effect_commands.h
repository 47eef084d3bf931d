#pragma once
// The effect routines as named commands with named parameters: the table the batch tool's
// "effect" verb offers, its parsing, and running one call on the document's effect target the
// way the editor runs the routine. Qt-free, shared by the batch tool and the editor.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "effect_shell.h"
#include "exceptions.h"
#include "undo.h"

class TCardDocument;

// A call that names no effect, a parameter the effect does not take, a missing parameter or a
// value outside its range. The message is one line of Russian text.
class EEffectCommandError : public Exception {
 public:
  using Exception::Exception;
};

// The bitmap effects change: the selected bitmap layer's, else the canvas.
TEffectTarget EffectTarget(TCardDocument& Doc);

enum TEffectKeyKind {
  ekInteger,  // a decimal integer in Min..Max
  ekText,     // any text (a file name); the value is in TCardCall::Texts
  ekColor,    // RRGGBB in hexadecimal; the value is 0xRRGGBB
  ekChoice,   // one of Choices; the value is its index
  ekNumber,   // a decimal number above Min and at most Max; the value is in TCardCall::Numbers
};

struct TEffectKey {
  const char* Name;
  int32_t Min = 0, Max = 0;
  TEffectKeyKind Kind = ekInteger;
  std::vector<const char*> Choices = {};
  // An optional key takes Default (an integer, a colour or a choice index; an empty text)
  // when it is not given.
  bool Optional = false;
  int32_t Default = 0;
};

enum TEffectFormat {
  efInPlace32,  // on the target's TBitmap32, alpha kept
  efShell24,    // on a working RgbImage inside the 24-bit shell
  efDocument,   // on the whole card through the command's Run routine
};

struct TCardCall;
// A document command's routine calls Start just before it changes the card (see TChangeStart).
using TDocumentRoutine = void (*)(TCardDocument& Doc, const TCardCall& Call,
                                  const TChangeStart& Start);
// The routines of the effect rows, given the call's values in the table's key order.
using TEffectValues = std::vector<int32_t>;
using TBitmapRoutine = void (*)(TBitmap32& B, const TEffectValues& V);
using TImageRoutine = TShellResult (*)(RgbImage& A, RgbImage& B, const TEffectValues& V);
using TSpanRoutine = void (*)(const TPixelSpan& S, const TEffectValues& V);

struct TCardCommand {
  const char* Name;
  TEffectFormat Format;
  std::vector<TEffectKey> Keys;
  TDocumentRoutine Run = nullptr;     // efDocument only
  TBitmapRoutine OnBitmap = nullptr;  // efInPlace32
  TImageRoutine OnImage = nullptr;    // efShell24
  // efShell24 routines that treat each pixel on its own: run straight on the target's pixels.
  TSpanRoutine OnPixels = nullptr;
  // Printed after the keys in the list, in brackets (how a value is written).
  const char* Note = nullptr;
  // The undo step the card runner records for the command (an effect's step is named by the
  // runner's caller, as the menu item that runs it).
  TUndoStep Step = usEffect;
};

// The effect commands, in the order "effect --list" prints them.
const std::vector<TCardCommand>& EffectCommands();
// One line per command: its name, then each key with its range ("amount=-200..200"), its
// choices ("direction=horizontal|vertical"), "RRGGBB" or "ТЕКСТ"; optional keys in brackets.
std::string EffectListText(const std::vector<TCardCommand>& Commands = EffectCommands());

// A parsed call: the command and one value per key, in the table's key order.
struct TCardCall {
  const TCardCommand* Command = nullptr;
  std::vector<int32_t> Values;
  std::vector<std::string> Texts;  // the ekText keys' values; empty for the others
  std::vector<double> Numbers;     // the ekNumber keys' values; 0 for the others
  // Whether the key in slot I was given (optional keys that were not take their defaults).
  std::vector<bool> Given;
};
// Arguments are "key=value"; every key that is not optional must be given, none twice.
TCardCall ParseEffectCall(const std::string& Name, const std::vector<std::string>& Arguments,
                          const std::vector<TCardCommand>& Commands = EffectCommands());
// The call of the command Name with the given values of its integer keys, checked as
// ParseEffectCall checks "Name key=value ...": a value outside its key's range is refused with
// the same text.
TCardCall EffectCall(const std::string& Name,
                     const std::vector<std::pair<std::string, int32_t>>& Values = {},
                     const std::vector<TCardCommand>& Commands = EffectCommands());

// Runs the call on the target: 32-bit routines in place, 24-bit ones through the shell (a
// canvas ends opaque, a layer keeps its alpha). A routine's error propagates.
void RunEffectCall(const TCardCall& Call, const TEffectTarget& Target);
