#include "effect_runner.h"

#include <utility>

namespace {

bool IsShellCall(const TCardCall& Call) {
  return Call.Command != nullptr && Call.Command->Format == efShell24;
}

}  // namespace

void RunEffectCalls(const std::vector<TCardCall>& Calls, const TEffectTarget& Target) {
  size_t I = 0;
  while (I < Calls.size()) {
    size_t End = I + 1;
    while (IsShellCall(Calls[I]) && End < Calls.size() && IsShellCall(Calls[End])) ++End;
    if (End - I == 1) {
      RunEffectCall(Calls[I], Target);
    } else {
      RunRgbShell(Target, [&](RgbImage& A, RgbImage& B) {
        for (size_t K = I; K < End; ++K) {
          const TCardCommand& C = *Calls[K].Command;
          if (C.OnImage != nullptr && C.OnImage(A, B, Calls[K].Values) == srSecond)
            std::swap(A, B);
        }
        return srFirst;
      });
    }
    I = End;
  }
}

void TEffectRunner::Apply(const std::vector<TCardCall>& Calls) {
  RecordStep();
  RunEffectCalls(Calls, FHost.Target());
  FHost.Changed();
}

void TEffectRunner::Preview(const std::vector<TCardCall>& Calls) {
  const TEffectTarget T = FHost.Target();
  if (T.Bitmap == nullptr)
    return;
  FHost.ShowOnly([&] {
    // Every preview starts from the target as the first one found it.
    if (FPreview.Taken())
      FPreview.PutBack(*T.Bitmap);
    else
      FPreview.Take(*T.Bitmap);
    RunEffectCalls(Calls, T);
  });
}

void TEffectRunner::EndPreview() {
  if (!FPreview.Taken())
    return;
  FHost.ShowOnly([&] {
    if (TBitmap32* B = FHost.Target().Bitmap)
      FPreview.PutBack(*B);
    FPreview.Drop();
  });
}

void TEffectRunner::BeginLive() {
  RecordStep();
  FWorkingCopy.Drop();
  if (TBitmap32* B = FHost.Target().Bitmap)
    FWorkingCopy.Take(*B);
}

void TEffectRunner::ShowLive(const std::vector<TCardCall>& Calls) {
  const TEffectTarget T = FHost.Target();
  if (T.Bitmap == nullptr)
    return;
  FHost.ShowOnly([&] {
    FWorkingCopy.PutBack(*T.Bitmap);
    RunEffectCalls(Calls, T);
  });
}

void TEffectRunner::ResetLive() {
  FHost.ShowOnly([&] {
    if (TBitmap32* B = FHost.Target().Bitmap)
      FWorkingCopy.PutBack(*B);
  });
}

void TEffectRunner::EndLive(bool Accepted) {
  if (Accepted) {
    FHost.Changed();
  } else {
    ResetLive();
    FHost.DropUnchangedStep();
  }
  FWorkingCopy.Drop();
}
