#include "picture_formats.h"

#include "picture_readers.h"

std::optional<TPictureFormat> PictureFormatOf(const std::string& FileName) {
  const std::string Ext = LowerExtension(FileName);
  for (const TPictureExtension& E : PictureExtensions)
    if (Ext == E.Extension)
      return E.Format;
  return std::nullopt;
}
