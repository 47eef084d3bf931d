#pragma once
// TFont: face name, size, style, colour and character set of the bitmap text operations.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "color32.h"
#include "thread_persistent.h"

// A width and a height in pixels, as text measuring returns them.
struct TSize {
  int32_t cx = 0, cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Font styles as a set of bits.
using TFontStyles = uint32_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// Character sets of the platform's font objects. Text is UTF-8 whatever the character set; it
// is kept so that font settings round-trip.
constexpr uint8_t AnsiCharset = 0;
constexpr uint8_t DefaultCharset = 1;
constexpr uint8_t RussianCharset = 204;

// Screen resolution that point sizes are converted at.
constexpr int32_t ScreenPixelsPerInch = 96;

class TResolvedFont;

// The defaults are "Arial" (found as Liberation Sans where Arial itself is not installed) at
// 10 points, regular, black, default character set. Every setter that changes a value notifies.
class TFont : public TObject {
 public:
  TFont() = default;
  // OwnerNotify runs before OnChange on every change; the owning bitmap drops its resolved font
  // there, so replacing OnChange cannot leave a stale face behind.
  explicit TFont(std::function<void()> OwnerNotify) : FOwnerNotify(std::move(OwnerNotify)) {}
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& V);
  // Points at 96 pixels per inch; 0 means the default size. A positive size gives the em height,
  // a negative one the whole cell (ascent + descent).
  int32_t Size() const { return FSize; }
  void SetSize(int32_t V);
  // Pixels as the platform counts them: -MulDivRound(Size, 96, 72), negative for an em height,
  // positive for a cell height.
  int32_t Height() const;
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles V);
  TPlatformColor Color() const { return FColor; }
  void SetColor(TPlatformColor V);
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t V);

  // Takes over every attribute with a single notification.
  void Assign(const TFont& Source);
  bool SameAttributes(const TFont& Other) const;

  virtual void Changed();
  TNotifyEvent OnChange;

 private:
  std::function<void()> FOwnerNotify;
  std::string FName = "Arial";
  int32_t FSize = 10;
  TFontStyles FStyle = 0;
  TPlatformColor FColor = 0x000000;
  uint8_t FCharset = DefaultCharset;
};
