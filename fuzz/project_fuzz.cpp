// Project files from outside: the reader either refuses the bytes with its error or reads
// them into a card, never touching memory outside the data.
#include <cstddef>
#include <cstdint>
#include <memory>

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
  } catch (const Exception&) {
  }
  return 0;
}
