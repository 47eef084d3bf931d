#pragma once
// Opening a file into the card document and saving the document under a name: the parts of
// "Открыть", the recent items, "Сохранить" and "Сохранить как..." that need no window.
// Extension tests are exact, letter case included: "card.KVT" is a project, "card.Kvt" goes
// to the picture readers.
#include <optional>
#include <string>

#include "save_flat_image.h"

class TCardDocument;

// The part of the file name (not of its folders) from its last dot; "" when there is none.
std::string FileExtension(const std::string& FileName);

enum TOpenKind { okProject, okGif, okPicture };
// ".kvt" and ".KVT" are projects, ".gif" and ".GIF" go through the GIF reader, anything else
// through the picture reader registered for the extension in any letter case.
TOpenKind OpenKindFor(const std::string& FileName);

// Reads the whole file first, then replaces the document: selection and stack cleared, zoom
// 1, the canvas (and a project's layers, the topmost selected); Modified is false afterwards.
// A file that cannot be read leaves the document as it was and the reader's error propagates.
// A picture arrives opaque; transparent parts of a GIF become black.
void OpenDocument(const std::string& FileName, TCardDocument& Doc);

// What "Сохранить" writes for a current file name: ".kvt" and ".KVT" a project; ".bmp",
// ".BMP" the flat image as BMP; ".gif", ".GIF" as GIF; ".jpg", ".jpeg", ".JPG", ".JPEG" as
// JPEG of quality 100; any other extension nothing.
std::optional<TSaveFormat> SaveFormatFor(const std::string& FileName);

// "Сохранить" to FileName by SaveFormatFor. The write is atomic, and Modified becomes false only
// once it succeeded. Returns false, writing nothing and leaving Modified alone, when the name
// has no format. A failed write raises the writer's error. Writing a project keeps the
// selection; the picture formats render the flat image, which clears it.
bool SaveDocument(TCardDocument& Doc, const std::string& FileName);

// The project "Сохранить" writes for the card's current file: the file itself when it is a
// project; a picture's folder and name with ".kvt" in place of its extension (so a photo that was
// opened is never written over by "Сохранить"); "" when the card has no file yet.
std::string ProjectNameFor(const std::string& Current);

// The name a save dialog offers for a file: its folder and name without the extension ("" stays
// "").
std::string NameWithoutExtension(const std::string& FileName);

// A name chosen in a save dialog as SaveAsFileName takes it: the format's own extension, typed
// in any letter case, is taken off, so "card.kvt" and "card" both write "card.kvt".
std::string TypedSaveName(const std::string& Chosen, TSaveFormat Format);

// The file name "Сохранить как..." writes: the typed name with the format's extension always
// appended, also when the typed name ends with it already.
std::string SaveAsFileName(const std::string& Typed, TSaveFormat Format);
