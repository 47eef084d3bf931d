#include "layer_captions.h"

#include <cstring>

namespace {

constexpr uint64_t Prime = 0x100000001B3ull;
constexpr uint64_t Seed = 0xCBF29CE484222325ull;

uint64_t Mix(uint64_t H, uint64_t V) {
  H ^= V;
  H *= Prime;
  return H ^ (H >> 29);
}

}  // namespace

uint64_t PixelFingerprint(const TBitmap32& B) {
  uint64_t H = Seed;
  H = Mix(H, static_cast<uint32_t>(B.Width()));
  H = Mix(H, static_cast<uint32_t>(B.Height()));
  if (B.IsEmpty())
    return H;
  const auto* P = reinterpret_cast<const uint8_t*>(B.Bits());
  const size_t Bytes = size_t(B.Width()) * size_t(B.Height()) * sizeof(TColor32);
  size_t I = 0;
  for (; I + 8 <= Bytes; I += 8) {
    uint64_t V;
    std::memcpy(&V, P + I, 8);
    H = Mix(H, V);
  }
  if (I < Bytes) {
    uint64_t V = 0;
    std::memcpy(&V, P + I, Bytes - I);
    H = Mix(H, V);
  }
  return Mix(H, Bytes);
}

void TLayerCaptions::Set(const TBitmapLayer& Layer, std::vector<uint8_t> Settings) {
  auto C = std::make_shared<TLayerCaption>();
  C->Settings = std::move(Settings);
  C->Fingerprint = PixelFingerprint(*Layer.Bitmap());
  FCaptions[Layer.Id()] = std::move(C);
  FMatched[Layer.Id()] = Layer.Bitmap()->Generation();
}

void TLayerCaptions::Put(uint64_t Id, std::shared_ptr<const TLayerCaption> Caption) {
  if (Find(Id) == Caption)
    return;
  FMatched.erase(Id);
  if (Caption == nullptr)
    FCaptions.erase(Id);
  else
    FCaptions[Id] = std::move(Caption);
}

void TLayerCaptions::Clear() {
  FCaptions.clear();
  FMatched.clear();
}

std::shared_ptr<const TLayerCaption> TLayerCaptions::Find(uint64_t Id) const {
  const auto It = FCaptions.find(Id);
  return It == FCaptions.end() ? nullptr : It->second;
}

std::shared_ptr<const TLayerCaption> TLayerCaptions::Editable(const TBitmapLayer& Layer) const {
  std::shared_ptr<const TLayerCaption> C = Find(Layer.Id());
  if (C == nullptr)
    return nullptr;
  const uint64_t Generation = Layer.Bitmap()->Generation();
  if (const auto It = FMatched.find(Layer.Id()); It != FMatched.end() && It->second == Generation)
    return C;
  if (PixelFingerprint(*Layer.Bitmap()) != C->Fingerprint)
    return nullptr;
  FMatched[Layer.Id()] = Generation;
  return C;
}
