#pragma once
// Error classes of the raster core. Every failure carries the system's own message text.
#include <cstdint>
#include <stdexcept>
#include <string>

// Base of every error the program raises on purpose; the message is shown to the user as is.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
};

// Errors of the transfer and transformation routines ("Source rectangle is invalid", ...).
class ETransformError : public Exception {
 public:
  using Exception::Exception;
};

// Failures to create a bitmap's pixel buffer ("Can't allocate the DIB handle", ...), with the
// size that was asked for when it is known (0 × 0 when not).
class EBitmapError : public Exception {
 public:
  explicit EBitmapError(const std::string& Message, int64_t Width = 0, int64_t Height = 0)
      : Exception(Message), FWidth(Width), FHeight(Height) {}
  int64_t Width() const { return FWidth; }
  int64_t Height() const { return FHeight; }

 private:
  int64_t FWidth, FHeight;
};

// Unpaired update nesting and other misuse of the notification base.
class EThreadPersistentError : public Exception {
 public:
  using Exception::Exception;
};

// A picture file that cannot be read: unknown extension, damaged or hostile content.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A stream ended before the expected number of bytes was read.
class EReadError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, read or written. Reason is the system's own explanation
// ("No space left on device"), for callers that word the message themselves.
class EFileError : public Exception {
 public:
  explicit EFileError(const std::string& Message, const std::string& Reason = {})
      : Exception(Message), FReason(Reason) {}
  const std::string& Reason() const { return FReason; }

 private:
  std::string FReason;
};

// An index outside a list ("List index out of bounds (5)"), or misuse of an update pair.
class EListError : public Exception {
 public:
  using Exception::Exception;
};
