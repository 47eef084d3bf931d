#include "layer_frames.h"

#include <unordered_set>

TSingleRect FrameLocation(const TSingleRect& Photo, const TSingleRect& Box) {
  const double W = double{Photo.Right} - Photo.Left, H = double{Photo.Bottom} - Photo.Top;
  return {static_cast<float>(Photo.Left + Box.Left * W),
          static_cast<float>(Photo.Top + Box.Top * H),
          static_cast<float>(Photo.Left + Box.Right * W),
          static_cast<float>(Photo.Top + Box.Bottom * H)};
}

TSingleRect FrameBox(const TSingleRect& Photo, const TSingleRect& Frame) {
  const double W = double{Photo.Right} - Photo.Left, H = double{Photo.Bottom} - Photo.Top;
  if (W == 0 || H == 0)
    return {0, 0, 1, 1};
  return {static_cast<float>((Frame.Left - Photo.Left) / W),
          static_cast<float>((Frame.Top - Photo.Top) / H),
          static_cast<float>((Frame.Right - Photo.Left) / W),
          static_cast<float>((Frame.Bottom - Photo.Top) / H)};
}

TSingleRect TurnedBox(const TSingleRect& B, bool Right) {
  // A point (x, y) of the photo goes to (1 - y, x) turning right, to (y, 1 - x) turning left.
  if (Right)
    return {1 - B.Bottom, B.Left, 1 - B.Top, B.Right};
  return {B.Top, 1 - B.Right, B.Bottom, 1 - B.Left};
}

TSingleRect FlippedBox(const TSingleRect& B, bool Vertical) {
  if (Vertical)
    return {B.Left, 1 - B.Bottom, B.Right, 1 - B.Top};
  return {1 - B.Right, B.Top, 1 - B.Left, B.Bottom};
}

void TLayerFrames::Put(uint64_t FrameId, std::shared_ptr<const TLayerFrame> Frame) {
  if (Frame == nullptr)
    FFrames.erase(FrameId);
  else
    FFrames[FrameId] = std::move(Frame);
}

void TLayerFrames::Link(uint64_t FrameId, uint64_t PhotoId, const TSingleRect& Box) {
  auto F = std::make_shared<TLayerFrame>();
  F->Photo = PhotoId;
  F->Box = Box;
  Put(FrameId, std::move(F));
}

std::shared_ptr<const TLayerFrame> TLayerFrames::Find(uint64_t FrameId) const {
  const auto It = FFrames.find(FrameId);
  return It == FFrames.end() ? nullptr : It->second;
}

uint64_t TLayerFrames::FrameOf(uint64_t PhotoId) const {
  for (const auto& [Id, F] : FFrames)
    if (F->Photo == PhotoId)
      return Id;
  return 0;
}

void TLayerFrames::KeepOnly(const std::vector<uint64_t>& Live) {
  const std::unordered_set<uint64_t> Keep(Live.begin(), Live.end());
  std::erase_if(FFrames, [&](const auto& E) {
    return !Keep.contains(E.first) || !Keep.contains(E.second->Photo);
  });
}
