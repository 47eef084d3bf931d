#pragma once
// A ready card of the catalogue ("Cards") as the card's background: "Выбрать" of TAlbum
// without its window.
#include <cstdint>
#include <string>

#include "undo.h"

class TCardDocument;

// Reads the picture FileName and puts it on the canvas: with FitToProject ("Подстроить
// пропорции открытки к пропорциям проекта") stretched over the whole canvas, which keeps its
// size; otherwise the canvas takes the card's pixels and size. The layers stay where they are.
// The picture is read before anything changes: an empty name or a file that cannot be read
// raises an error in Russian and leaves the canvas and the undo history as they were.
// Otherwise Start (one undo step) is called just before the canvas changes. An
// empty canvas takes the card's size either way.
void PutReadyCard(TCardDocument& Doc, const TChangeStart& Start, const std::string& FileName,
                  bool FitToProject);

// The line the catalogue shows under its cards, saying what "Выбрать" will do to the card's
// size: CardW x CardH is the selected ready card (0 x 0 when none is selected or it cannot be
// read), ProjectW x ProjectH the canvas (0 x 0 when empty), FitToProject the check box.
std::string ReadyCardSizeNote(int32_t CardW, int32_t CardH, int32_t ProjectW, int32_t ProjectH,
                              bool FitToProject);
