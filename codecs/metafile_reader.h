#pragma once
// Windows metafiles (.wmf) and enhanced metafiles (.emf). There is no renderer for them here:
// the readers refuse them with a message the user can act on.
#include <cstddef>
#include <cstdint>

#include "picture.h"

// Always raise EInvalidGraphic: "Windows metafile pictures are not supported" and "Enhanced
// metafile pictures are not supported"; a file that is not a metafile at all is named as such.
TPicture ReadWmfImage(const uint8_t* Data, size_t Size);
TPicture ReadEmfImage(const uint8_t* Data, size_t Size);
