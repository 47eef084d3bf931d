#pragma once
// A ready card of the catalogue ("Cards") as the card's background: "Выбрать" of TAlbum
// without its window.
#include <string>

class TCardDocument;
class TUndoStack;

// Reads the picture FileName and puts it on the canvas: with FitToProject ("Подстроить
// пропорции открытки к пропорциям проекта") stretched over the whole canvas, which keeps its
// size; otherwise the canvas takes the card's pixels and size. The layers stay where they are.
// The picture is read before anything changes: an empty name or a file that cannot be read
// raises an error in Russian and leaves the canvas and the undo history as they were.
// Otherwise one undo step is recorded just before the canvas changes. An
// empty canvas takes the card's size either way.
void PutReadyCard(TCardDocument& Doc, TUndoStack& Undo, const std::string& FileName,
                  bool FitToProject);
