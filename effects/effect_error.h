#pragma once
// Errors an effect routine stops with ("Bitmap must be at least 3x3", ...).
#include "exceptions.h"

class EEffectError : public Exception {
 public:
  using Exception::Exception;
};
