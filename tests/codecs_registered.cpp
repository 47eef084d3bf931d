// Linked into the test programs of the libraries that read pictures: they start as the
// programs do, with the picture codecs registered once before anything else runs.
#include "picture_codecs.h"

namespace {
const bool CodecsRegistered = (RegisterPictureCodecs(), true);
}  // namespace
