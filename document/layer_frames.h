#pragma once
// Which photo each frame layer belongs to. A frame put on a photo is a layer of its own,
// directly above the photo: its bitmap is the frame alone (transparent inside), and its place
// is kept as a box in the photo's location (the whole location, or for a masked photo the
// bounds of its visible pixels), so that moving, resizing, turning and deleting the photo carry
// the frame along while effects on the photo leave it alone. Keyed by the frame layer's
// identity (Id()), as the caption settings are.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "types.h"

struct TLayerFrame {
  // The photo layer's identity.
  uint64_t Photo = 0;
  // The frame's place as fractions of the photo's location: {0, 0, 1, 1} is the whole of it.
  TSingleRect Box = {0, 0, 1, 1};
  bool operator==(const TLayerFrame&) const = default;
};

// The frame's location for a photo at Photo.
TSingleRect FrameLocation(const TSingleRect& Photo, const TSingleRect& Box);
// The box of a frame at Frame in a photo at Photo ({0, 0, 1, 1} for an empty photo location).
TSingleRect FrameBox(const TSingleRect& Photo, const TSingleRect& Frame);
// The box after the photo's quarter turn (right: clockwise) or its mirror image (top to bottom
// when Vertical, else left to right).
TSingleRect TurnedBox(const TSingleRect& Box, bool Right);
TSingleRect FlippedBox(const TSingleRect& Box, bool Vertical);

class TLayerFrames {
 public:
  // Puts a record for the frame layer (undo, a project read, a frame made); null forgets it.
  void Put(uint64_t FrameId, std::shared_ptr<const TLayerFrame> Frame);
  void Link(uint64_t FrameId, uint64_t PhotoId, const TSingleRect& Box);
  void Forget(uint64_t FrameId) { Put(FrameId, nullptr); }
  void Clear() { FFrames.clear(); }
  bool Empty() const { return FFrames.empty(); }
  // The record of a frame layer; null for a layer that is not a frame.
  std::shared_ptr<const TLayerFrame> Find(uint64_t FrameId) const;
  // The frame layer of a photo; 0 for none.
  uint64_t FrameOf(uint64_t PhotoId) const;
  // Forgets the records of frames or photos not among Live (layers gone from the card).
  void KeepOnly(const std::vector<uint64_t>& Live);
  // Every record, as (frame, record) pairs.
  const std::unordered_map<uint64_t, std::shared_ptr<const TLayerFrame>>& All() const {
    return FFrames;
  }

 private:
  std::unordered_map<uint64_t, std::shared_ptr<const TLayerFrame>> FFrames;
};
