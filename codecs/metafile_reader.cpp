#include "metafile_reader.h"

#include "codec_support.h"
#include "exceptions.h"

using namespace codec_detail;

// Debian's metafile libraries are either writers or converters to other vector formats (EMF),
// or an unmaintained renderer with a long record of memory-safety faults on hostile files
// (WMF). Rather than hand outside bytes to them, metafiles are refused with a clear message.

TPicture ReadWmfImage(const uint8_t* Data, size_t Size) {
  // A placeable metafile starts with its key 0x9AC6CDD7; a plain one with type 1 or 2 and a
  // header size of 9 words.
  const bool Placeable = Size >= 4 && GetLE32(Data) == 0x9AC6CDD7u;
  const bool Plain =
      Size >= 4 && (GetLE16(Data) == 1 || GetLE16(Data) == 2) && GetLE16(Data + 2) == 9;
  if (!Placeable && !Plain)
    FailPicture("WMF", "this is not a Windows metafile");
  throw EInvalidGraphic("Картинки Windows Metafile (WMF) не поддерживаются");
}

TPicture ReadEmfImage(const uint8_t* Data, size_t Size) {
  // EMR_HEADER (record type 1) with the signature " EMF" at offset 40.
  const bool Emf = Size >= 44 && GetLE32(Data) == 1 && GetLE32(Data + 40) == 0x464D4520u;
  if (!Emf)
    FailPicture("EMF", "this is not an enhanced metafile");
  throw EInvalidGraphic("Картинки Enhanced Metafile (EMF) не поддерживаются");
}
