// Project files from outside: the reader either refuses the bytes with its error or reads
// them into a card, never touching memory outside the data; the settings of the captions it
// found (the caption block in front of the streams) are decoded as the editor decodes them.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "bitmap_layer.h"
#include "caption_layer.h"
#include "card_document.h"
#include "exceptions.h"
#include "img_view32.h"
#include "project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    std::unique_ptr<TProjectContent> Content = ReadProjectBytes(Data, Size, "fuzz.kvt");
    TImgView32 View;
    TCardDocument Doc(View);
    InstallProject(*Content, Doc);
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      if (const auto* L = dynamic_cast<const TBitmapLayer*>(Doc.Layers().Items(I)))
        (void)EditableCaption(Doc, *L);
  } catch (const Exception&) {
  }
  return 0;
}
