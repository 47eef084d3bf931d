#pragma once
// The registry of picture readers, chosen by a file's extension in any letter case.
#include <functional>
#include <string>

#include "picture.h"

class TBitmap32;

// Reads a whole file into a decoded picture, raising an Exception with a clear message.
using TPictureReader = std::function<TPicture(const std::string& FileName)>;

// Reads a whole file straight into Target, with the pixels Target.Assign(the reader's picture)
// would give; Target is unchanged on failure (TakeLoadedPixels moves the result in).
using TBitmapLoader = std::function<void(const std::string& FileName, TBitmap32& Target)>;

// Extension with its dot, any case (".bmp"). A later registration replaces an earlier one.
// Without a loader, LoadPictureFile assigns the reader's picture.
void RegisterPictureReader(const std::string& Extension, TPictureReader Reader,
                           TBitmapLoader Loader = nullptr);
bool HasPictureReader(const std::string& FileName);
// Raises EInvalidGraphic "Unknown picture file extension (.xyz)" when no reader fits.
TPicture ReadPictureFile(const std::string& FileName);
// The picture read into Target, as Target.Assign(ReadPictureFile(FileName)); a format with a
// loader (BMP, JPEG, ...) goes straight into Target's pixels. Target is unchanged on failure.
void LoadPictureFile(const std::string& FileName, TBitmap32& Target);

// Gives Target a freshly decoded graphic (straight alpha, cleared where the decoder wrote
// nothing) as Assign(pkGraphic picture) would: painted by its alpha over Target's pixels when the
// size is the same, over transparent black otherwise, then made opaque. Fresh is left undefined.
void TakeLoadedGraphic(TBitmap32& Fresh, TBitmap32& Target);

// Gives Target the pixels of a freshly decoded bitmap (Fresh gets Target's old ones) as Assign
// would bring them: a resize notice when the size changed, then a change.
void TakeLoadedPixels(TBitmap32& Fresh, TBitmap32& Target);

// Lower-cased extension with its dot ("" when there is none).
std::string LowerExtension(const std::string& FileName);
