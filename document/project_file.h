#pragma once
// The project file (.kvt): the canvas and every stored layer with its placement, opacity and
// flags, so that a card can be edited further.
//
// Layout, little-endian, no signature (a project is known by its extension only):
//   1. the BMP stream form of every stored TBitmapLayer's bitmap, bottom layer first;
//   2. the canvas in the same form;
//   3. one 108-byte record per stored stack entry (present when anything is stored);
//   4. the size list: the byte length of every item-1 stream, then of item 2, then of item 3
//      when present, each in decimal and ended by CR LF;
//   5. a 32-bit signed tail: the length of item 4 plus 4.
// A card with editable captions also gets a caption block in front of item 1 (see
// caption_block.h), and a card with frames on photos a frame block after it (frame_block.h):
// everything is found from the end of the file, so the blocks are invisible to a reader that
// knows only the items above, and the size list does not count them.
// Every stack entry except the selection frame is stored; an entry that is not a bitmap layer
// (a selection or crop area) gets an all-zero record and no stream, and is not read back.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "exceptions.h"
#include "layer_captions.h"
#include "layer_collection.h"
#include "layer_frames.h"

class TCardDocument;

// A project that cannot be read or written; the message names the file and the fault.
class EProjectError : public Exception {
 public:
  using Exception::Exception;
};

constexpr size_t ProjectRecordSize = 108;

// A project read into memory and checked, not yet part of any document: the canvas and the
// bitmap layers in stored order (bottom first), each set up from its record.
struct TProjectContent {
  TBitmap32 Canvas;
  TLayerCollection Layers;  // owns the layers; no view
  // The caption settings of each of Layers (same order), null for a picture; only captions
  // whose pixels match their fingerprint are kept.
  std::vector<std::shared_ptr<const TLayerCaption>> Captions;
  // The frames on photos, as positions in Layers.
  struct TFramePair {
    size_t Frame = 0, Photo = 0;
  };
  std::vector<TFramePair> Frames;
};

// The whole file image of a project of the canvas and the layers; the editable ones among
// Captions (when given) are stored in the caption block, the links of Frames (when given) whose
// frame and photo are both stored in the frame block.
std::vector<uint8_t> BuildProject(const TBitmap32& Canvas, const TLayerCollection& Layers,
                                  const TLayerCaptions* Captions = nullptr,
                                  const TLayerFrames* Frames = nullptr);
std::vector<uint8_t> BuildProject(const TCardDocument& Doc);
// Writes the project to a temporary file in the target's folder and renames it over FileName
// only when all of it is on disk; on failure the old file is untouched and EProjectError is
// raised. The document is not changed (Modified included).
void WriteProject(const TBitmap32& Canvas, const TLayerCollection& Layers,
                  const std::string& FileName, const TLayerCaptions* Captions = nullptr,
                  const TLayerFrames* Frames = nullptr);
void WriteProject(const TCardDocument& Doc, const std::string& FileName);

// Reads and checks a whole project. A file whose tail, size list, record block or stream
// lengths do not describe it exactly (bytes in front of the streams are allowed only as a
// caption block and a frame block; a damaged block only loses the captions or the frames) is
// refused with EProjectError "Файл повреждён или не является проектом: <FileName> (<fault>)";
// nothing is allocated beyond what the data holds. FileName only names the data in messages for the
// in-memory form.
std::unique_ptr<TProjectContent> ReadProjectBytes(const uint8_t* Data, size_t Size,
                                                  const std::string& FileName);
std::unique_ptr<TProjectContent> ReadProjectFile(const std::string& FileName);

// Replaces the document's contents by the project: selection and stack cleared, zoom 1, the
// canvas pixels (the canvas keeps its own drawing properties), the layers in stored order as
// content layers with their caption settings and frames, the selection frame on top and the topmost
// layer selected (a frame's photo when that layer is a frame). Content is left empty.
void InstallProject(TProjectContent& Content, TCardDocument& Doc);

// ReadProjectFile, then InstallProject: a file that cannot be read leaves the document as it
// was.
void ReadProject(const std::string& FileName, TCardDocument& Into);
