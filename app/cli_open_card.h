#pragma once
// A card the batch tool works on: the document on a window-less view, opened from a file.
#include <string>

#include "card_document.h"
#include "exceptions.h"
#include "img_view32.h"
#include "open_document.h"

struct TOpenCard {
  TImgView32 View;
  TCardDocument Doc{View};

  // Reads FileName whole before anything is written; an empty picture is refused.
  explicit TOpenCard(const std::string& FileName) {
    View.SetBounds(800, 600);
    OpenDocument(FileName, Doc);
    if (Doc.IsEmpty())
      throw Exception("изображение пустое: " + FileName);
  }
};
