#pragma once
// Layer masks: a grey picture gives a photo layer its shape. Where the mask is white the layer
// stays opaque, where it is black the layer becomes transparent, grey gives partial
// transparency. The mask is fitted to the layer's bitmap, ignoring its own proportions.
#include <string>

#include "bitmap32.h"

class TCardDocument;

// Reads a mask picture (any format the readers know), inverted (every channel c of every
// pixel to 255 - c) when Invert is set, and made opaque. The reader's error propagates; no
// file at all is an error too.
void LoadMask(const std::string& FileName, bool Invert, TBitmap32& Mask);

// Sets every alpha of Layer to the Intensity of the mask pixel at the same place once Mask is
// stretched over the whole of Layer with the nearest-pixel filter; red, green and blue stay,
// earlier transparency is replaced. Layer is notified. Nothing for an empty mask or layer.
void ApplyMaskAlpha(TBitmap32& Layer, const TBitmap32& Mask);

// The mask dialog's apply operation: reads the mask file (LoadMask) and applies it to the
// selected bitmap layer as it is now. With no bitmap layer selected the mask is read and
// nothing changes.
void AppplyMask(TCardDocument& Doc, const std::string& FileName, bool Invert);
