#pragma once
// The registry of picture readers, chosen by a file's extension in any letter case.
#include <functional>
#include <string>

#include "picture.h"

class TBitmap32;

// Reads a whole file into a decoded picture, raising an Exception with a clear message.
using TPictureReader = std::function<TPicture(const std::string& FileName)>;

// Extension with its dot, any case (".bmp"). A later registration replaces an earlier one.
void RegisterPictureReader(const std::string& Extension, TPictureReader Reader);
bool HasPictureReader(const std::string& FileName);
// Raises EInvalidGraphic "Unknown picture file extension (.xyz)" when no reader fits.
TPicture ReadPictureFile(const std::string& FileName);
// The picture read into Target, as Target.Assign(ReadPictureFile(FileName)); BMP files go
// straight into Target's pixels. Target is unchanged on failure.
void LoadPictureFile(const std::string& FileName, TBitmap32& Target);

// Lower-cased extension with its dot ("" when there is none).
std::string LowerExtension(const std::string& FileName);
